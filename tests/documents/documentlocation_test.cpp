#include "documents/documentlocation.h"

#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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

TEST(DocumentLocation, DialogsStartInTheLastFolderElseAWritableOne)
{
    sokuri::test::TempAppDir dir;
    const QString last = dir.file(u"last"_s);
    const QString app = dir.file(u"app"_s);
    const QString locked = dir.file(u"locked"_s);
    for (const QString& folder : {last, app, locked})
        ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    const bool rootWritesAnyway = QFileInfo(locked).isWritable();
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();

    struct Case
    {
        QString lastUsed;
        QString appPath;
        QString expected;
    };
    const Case cases[] = {
        {last, app, last},                      // the folder last used
        {last, locked, last},                   // also beside a locked program folder
        {{}, app, app},                         // none yet: the program's writable folder
        {dir.file(u"gone"_s), app, app},        // a vanished last folder counts as none
        {{}, locked, documents},                // an installed program: the user's documents
        {{}, dir.file(u"nowhere"_s), documents} // no program folder at all
    };
    for (const Case& c : cases) {
        if (rootWritesAnyway && c.appPath == locked && c.lastUsed.isEmpty())
            continue; // permissions do not bind this user
        EXPECT_EQ(FirstDialogFolder(c.lastUsed, c.appPath), c.expected)
            << c.lastUsed.toStdString() << " " << c.appPath.toStdString();
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
