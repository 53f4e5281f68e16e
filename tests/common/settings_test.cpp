#include "common/settings.h"

#include "support/testfiles.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;

TEST(Settings, FourKeysOfTheChasenSection)
{
    TempAppDir dir;
    const AppPaths paths = ResolveAppPaths(dir.path());
    writeFile(
        paths.IniPath,
        "[CHASEN]\r\nType= 1 \r\nfilename=/usr/bin/chasen\r\nhost=\"srv;1\"\r\nport=31000\r\n");
    ChasenSettings settings;
    ASSERT_TRUE(LoadSettings(paths, settings));
    EXPECT_EQ(settings, (ChasenSettings{1, u"/usr/bin/chasen"_s, u"srv;1"_s, u"31000"_s}));
}

TEST(Settings, MissingFileIsReportedAndLeavesTheSettingsAlone)
{
    TempAppDir dir;
    const AppPaths paths = ResolveAppPaths(dir.path());
    ChasenSettings settings{1, u"a"_s, u"b"_s, u"c"_s};
    const ChasenSettings before = settings;
    UserMessage message;
    EXPECT_FALSE(LoadSettings(paths, settings, &message));
    EXPECT_EQ(settings, before);
    EXPECT_EQ(message.text, paths.IniPath + u" がありません。");
    EXPECT_EQ(message.title, u"File not found");
}

TEST(Settings, EditsBetweenTwoLoadsAreSeen)
{
    TempAppDir dir;
    const AppPaths paths = ResolveAppPaths(dir.path());
    writeFile(paths.IniPath, "[chasen]\ntype=0\n");
    ChasenSettings settings;
    ASSERT_TRUE(LoadSettings(paths, settings));
    EXPECT_EQ(settings.type, 0);
    writeFile(paths.IniPath, "[chasen]\ntype=1\n");
    ASSERT_TRUE(LoadSettings(paths, settings));
    EXPECT_EQ(settings.type, 1);
}

TEST(Settings, TypeIsTheIntegerPartOfADecimalNumber)
{
    const std::pair<const char*, qint16> cases[] = {
        {"1", 1},   {" 1 ", 1},       {"1.7", 1}, {"0.9", 0},   {"-1.5", -2},
        {".5", 0},  {"+2", 2},        {"", 0},    {"abc", 0},   {"1abc", 0},
        {"1 2", 0}, {"99999", 32767}, {"2", 2},   {"\t1\t", 1}, {"-99999", -32768},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseSettingsType(QString::fromLatin1(text)), expected) << text;
}

TEST(Settings, ShippedSettingsSelectTheLocalAnalyser)
{
    const AppPaths paths = ResolveAppPaths(QStringLiteral(SOKURI_APP_DIR));
    ASSERT_TRUE(QFile::exists(paths.IniPath));
    ChasenSettings settings;
    ASSERT_TRUE(LoadSettings(paths, settings));
    EXPECT_EQ(settings, (ChasenSettings{0, u"/usr/bin/chasen"_s, u"localhost"_s, u"31000"_s}));
}
