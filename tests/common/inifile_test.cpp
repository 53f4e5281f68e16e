#include "common/inifile.h"

#include "encoding/codepage932.h"
#include "support/testfiles.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::readFile;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;

namespace {

QString value(const QByteArray& file, const char* section, const char* key)
{
    return IniFile::fromBytes(file).value(QString::fromLatin1(section), QString::fromLatin1(key));
}

} // namespace

TEST(IniRead, NamesMatchWithoutRegardToCase)
{
    const QByteArray file = "[CHASEN]\r\nType=1\r\n";
    EXPECT_EQ(value(file, "chasen", "type"), u"1");
    EXPECT_EQ(value(file, "Chasen", "TYPE"), u"1");
}

TEST(IniRead, FirstSectionAndFirstKeyCount)
{
    const QByteArray file = "[a]\nk=first\nk=second\n[b]\nk=other\n[a]\nk=third\nj=late\n";
    EXPECT_EQ(value(file, "a", "k"), u"first");
    EXPECT_EQ(value(file, "b", "k"), u"other");
    // Only the first section of a name is looked at.
    EXPECT_EQ(value(file, "a", "j"), u"");
}

TEST(IniRead, ValuesLoseBlanksAndOnePairOfMatchingQuotes)
{
    const QByteArray file = "[s]\n"
                            "blanks =  \t spaced out \t \n"
                            "double=\"quoted\"\n"
                            "single='quoted'\n"
                            "nested=\"'inner'\"\n"
                            "inner=\" keeps blanks \"\n"
                            "mixed=\"open'\n"
                            "lone=\"\n"
                            "semicolon=a;b ; c\n"
                            "empty=\n";
    EXPECT_EQ(value(file, "s", "blanks"), u"spaced out");
    EXPECT_EQ(value(file, "s", "double"), u"quoted");
    EXPECT_EQ(value(file, "s", "single"), u"quoted");
    EXPECT_EQ(value(file, "s", "nested"), u"'inner'");
    EXPECT_EQ(value(file, "s", "inner"), u" keeps blanks ");
    EXPECT_EQ(value(file, "s", "mixed"), u"\"open'");
    EXPECT_EQ(value(file, "s", "lone"), u"\"");
    EXPECT_EQ(value(file, "s", "semicolon"), u"a;b ; c");
    EXPECT_EQ(value(file, "s", "empty"), u"");
}

TEST(IniRead, CommentsAndStrayLinesAreSkipped)
{
    const QByteArray file = "key=before any section\n"
                            "[s]\n"
                            ";host=commented\n"
                            "  ; host=indented comment\n"
                            "no equals sign here\n"
                            "=no name\n"
                            "host=real\n";
    EXPECT_EQ(value(file, "s", "host"), u"real");
    EXPECT_EQ(value(file, "s", ";host"), u"");
    EXPECT_EQ(value(file, "", "key"), u"");
}

TEST(IniRead, AbsentFileSectionOrKeyReadsEmpty)
{
    TempAppDir dir;
    EXPECT_EQ(GetIniString(u"s"_s, u"k"_s, dir.file(u"missing.ini"_s)), u"");
    const QByteArray file = "[s]\nk=v\n";
    EXPECT_EQ(value(file, "t", "k"), u"");
    EXPECT_EQ(value(file, "s", "x"), u"");
}

class IniLineEnds : public ::testing::TestWithParam<const char*>
{};

TEST_P(IniLineEnds, EveryLineEndEndsALine)
{
    const QByteArray eol = GetParam();
    const QByteArray file = "[a]" + eol + "x=1" + eol + eol + "[b]" + eol + "y=2" + eol + "z=3";
    EXPECT_EQ(value(file, "a", "x"), u"1");
    EXPECT_EQ(value(file, "b", "y"), u"2");
    EXPECT_EQ(value(file, "b", "z"), u"3");
}

INSTANTIATE_TEST_SUITE_P(CrLfLfCr, IniLineEnds, ::testing::Values("\r\n", "\n", "\r"));

TEST(IniRead, ShiftJisTextIsDecoded)
{
    // "‐" is 0x81 0x5D: its trail byte is "]" and must not end the section name.
    const QByteArray file = cp932::encode(u"[検索‐設定]\r\n名前=京都 旅館\r\n");
    ASSERT_TRUE(file.contains("\x81\x5D"));
    EXPECT_EQ(IniFile::fromBytes(file).value(u"検索‐設定"_s, u"名前"_s), u"京都 旅館");
}

TEST(IniRead, ValuesAreCutAt1023BytesOfShiftJis)
{
    const QByteArray ascii(2000, 'x');
    EXPECT_EQ(value("[s]\nk=" + ascii + "\n", "s", "k"), QString(1023, u'x'));

    // 1000 double-byte characters are 2000 bytes: 511 whole characters fit.
    const QByteArray kana = cp932::encode(QString(1000, u'あ'));
    const QString cut = value("[s]\nk=" + kana + "\n", "s", "k");
    EXPECT_EQ(cut, QString(511, u'あ'));

    // An odd start shifts the boundary: "a" + 511 characters is exactly 1023 bytes.
    EXPECT_EQ(value("[s]\nk=a" + kana + "\n", "s", "k"), u"a" + QString(511, u'あ'));
}

TEST(IniWrite, ReplacingAKeyChangesOnlyItsLine)
{
    TempAppDir dir;
    const QString path = dir.file(u"sokuri.ini"_s);
    const QByteArray before = "; settings\r\n[chasen]\r\ntype=0\r\n  Port = 31000 \r\n"
                              "host=localhost\r\n\r\n[other]\r\nport=1\r\n";
    writeFile(path, before);
    ASSERT_TRUE(WriteIniString(u"chasen"_s, u"port"_s, u"32000"_s, path));
    const QByteArray expected = "; settings\r\n[chasen]\r\ntype=0\r\nPort=32000\r\n"
                                "host=localhost\r\n\r\n[other]\r\nport=1\r\n";
    EXPECT_EQ(readFile(path), expected);
}

TEST(IniWrite, NewKeyGoesToTheEndOfItsSection)
{
    TempAppDir dir;
    const QString path = dir.file(u"a.ini"_s);
    writeFile(path, "[chasen]\ntype=1\n\n[other]\nx=1\n");
    ASSERT_TRUE(WriteIniString(u"CHASEN"_s, u"host"_s, u"srv"_s, path));
    EXPECT_EQ(readFile(path), "[chasen]\ntype=1\nhost=srv\n\n[other]\nx=1\n");
}

TEST(IniWrite, NewSectionGoesToTheEndOfTheFile)
{
    TempAppDir dir;
    const QString path = dir.file(u"a.ini"_s);
    writeFile(path, "[other]\r\nx=1");
    ASSERT_TRUE(WriteIniString(u"chasen"_s, u"port"_s, u"31000"_s, path));
    EXPECT_EQ(readFile(path), "[other]\r\nx=1\r\n[chasen]\r\nport=31000\r\n");
}

TEST(IniWrite, MissingFileIsCreatedAndReadsBack)
{
    TempAppDir dir;
    const QString path = dir.file(u"new.ini"_s);
    ASSERT_TRUE(WriteIniString(u"chasen"_s, u"filename"_s, u"/opt/茶筅/chasen"_s, path));
    EXPECT_EQ(readFile(path),
              "[chasen]\r\nfilename=" + cp932::encode(u"/opt/茶筅/chasen") + "\r\n");
    EXPECT_EQ(GetIniString(u"chasen"_s, u"filename"_s, path), u"/opt/茶筅/chasen");
}

TEST(IniWrite, AFailedWriteLeavesTheFileWhole)
{
    TempAppDir dir;
    // A path below a regular file cannot be written, whoever runs the test.
    writeFile(dir.file(u"blocker"_s), "not a folder");
    QString error;
    EXPECT_FALSE(WriteIniString(u"s"_s, u"k"_s, u"v"_s, dir.file(u"blocker/a.ini"_s), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(dir.file(u"blocker"_s)), "not a folder");
}
