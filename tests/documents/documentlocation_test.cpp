#include "documents/documentlocation.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

TEST(DocumentLocation, ArgumentsAndDropsNameAbsoluteDocuments)
{
    const std::pair<QString, QString> arguments[] = {
        {u"a.skr"_s, u"/work/a.skr"_s},
        {u"../b/./c.skr"_s, u"/b/c.skr"_s},
        {u"/x/京都 旅館.skr"_s, u"/x/京都 旅館.skr"_s},
        {u"file:///x/%E4%BA%AC.skr"_s, u"/x/京.skr"_s},
        {u"http://host/a.skr"_s, u""_s},
        {u""_s, u""_s},
    };
    for (const auto& [argument, path] : arguments)
        EXPECT_EQ(DocumentPathFromArgument(argument, u"/work"_s), path) << argument.toStdString();

    EXPECT_EQ(DroppedDocumentPath({QUrl(u"http://h/a.skr"_s), QUrl::fromLocalFile(u"/t/n.txt"_s),
                                   QUrl::fromLocalFile(u"/t/d.SKR"_s)}),
              u"/t/d.SKR");
    EXPECT_EQ(DroppedDocumentPath({QUrl::fromLocalFile(u"/t/n.txt"_s)}), QString());
}
