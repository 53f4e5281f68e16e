#include "analysis/keywords.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

QStringList keywordsOf(std::initializer_list<QString> lines)
{
    KeywordList keywords;
    for (const QString& line : lines)
        AddKeywordLine(keywords, line);
    return keywords.words();
}

} // namespace

TEST(Keywords, FourthFieldDecidesWhetherTheWordCounts)
{
    EXPECT_EQ(keywordsOf({u"東京 トウキョウ 東京 2 x"_s}), QStringList({u"東京"_s}));
    EXPECT_EQ(keywordsOf({u"東京 トウキョウ 東京 4 x"_s}), QStringList());
    EXPECT_EQ(keywordsOf({u"a a a 3"_s, u"b b b 6"_s, u"c c c 8"_s}),
              QStringList({u"a"_s, u"b"_s, u"c"_s}));
    EXPECT_EQ(keywordsOf({u"a a a 02"_s, u"b b b 22"_s, u"c c c"_s}), QStringList());
    // A doubled blank shifts the fields, so the code is no longer the fourth.
    EXPECT_EQ(keywordsOf({u"東京 トウキョウ  東京 2"_s}), QStringList());
}

TEST(Keywords, SentenceEndsAndEmptyLinesAddNothing)
{
    EXPECT_EQ(keywordsOf({u"EOS"_s, u""_s, u"EOS a a 2"_s, u" x x 2"_s}), QStringList());
}

TEST(Keywords, TodaysChasenLinesQualifyFromFileAndServerAlike)
{
    // ChaSen 2.4 separates fields by tabs; a server line still has its CR LF.
    const QString line = u"旅館\tリョカン\t旅館\t2 0 0"_s;
    EXPECT_EQ(keywordsOf({line}), QStringList({u"旅館"_s}));
    EXPECT_EQ(keywordsOf({line + u"\r\n"}), QStringList({u"旅館"_s}));
    EXPECT_EQ(keywordsOf({u"東京 トウキョウ 東京 2\r\n"_s}), QStringList({u"東京"_s}));
    EXPECT_EQ(keywordsOf({u"京都\tキョウト\t京都\t11 0 0\r\n"_s}), QStringList());
}

TEST(Keywords, DuplicatesStayAndThe102ndIsDropped)
{
    KeywordList keywords;
    for (int i = 0; i < 105; ++i)
        AddKeywordLine(keywords, u"w%1 r b 2"_s.arg(i % 50));
    ASSERT_EQ(keywords.count(), KeywordList::Capacity);
    EXPECT_EQ(keywords.words().first(), u"w0");
    EXPECT_EQ(keywords.words().at(50), u"w0");
    EXPECT_EQ(keywords.words().last(), u"w0"); // the 101st line: 100 % 50
}

TEST(Keywords, KeywordModeSplitsAtBlanks)
{
    KeywordList keywords;
    keywords.setFromText(u"京都 旅館"_s);
    EXPECT_EQ(keywords.joined(), u"京都 旅館");
    keywords.setFromText(u"a  b"_s);
    EXPECT_EQ(keywords.words(), QStringList({u"a"_s, u""_s, u"b"_s}));
    EXPECT_EQ(keywords.joined(), u"a  b");

    QString many;
    for (int i = 0; i < 150; ++i)
        many += u"k%1 "_s.arg(i);
    keywords.setFromText(many);
    EXPECT_EQ(keywords.count(), KeywordList::Capacity);
}
