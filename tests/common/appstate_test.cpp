#include "common/appstate.h"

#include "support/testfiles.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::readFile;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;

TEST(AppState, FirstStartCreatesThePluginAndScratchFolders)
{
    TempAppDir dir;
    writeFile(dir.file(u"sokuri.ini"_s), "[chasen]\n");
    QString error;
    const AppState state = InitAppState(dir.path(), 0.0, &error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(state.paths.AppPath, dir.path());
    EXPECT_EQ(state.paths.PluginPath, dir.path() + u"/plugins");
    EXPECT_EQ(state.paths.TmpPath, dir.path() + u"/tmp");
    EXPECT_EQ(state.paths.IniPath, dir.path() + u"/sokuri.ini");
    EXPECT_TRUE(QFileInfo(state.paths.PluginPath).isDir());
    EXPECT_TRUE(QFileInfo(state.paths.TmpPath).isDir());
    EXPECT_EQ(state.metrics.ColumnMargin, 60);
}

TEST(AppState, ExistingFoldersAreKept)
{
    TempAppDir dir;
    writeFile(dir.file(u"plugins/alpha.ini"_s), "[init]\n");
    InitAppState(dir.path());
    EXPECT_EQ(readFile(dir.file(u"plugins/alpha.ini"_s)), "[init]\n");
    EXPECT_TRUE(QFileInfo(dir.file(u"tmp"_s)).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({u"plugins"_s, u"tmp"_s}));
}

TEST(AppState, AFolderThatCannotBeMadeIsReported)
{
    TempAppDir dir;
    writeFile(dir.file(u"tmp"_s), "a file where the folder should be");
    QString error;
    const AppState state = InitAppState(dir.path(), 0.0, &error);
    EXPECT_TRUE(error.contains(state.paths.TmpPath));
    EXPECT_TRUE(QFileInfo(state.paths.PluginPath).isDir());
}

TEST(AppState, PathsAreCleanAndAbsolute)
{
    TempAppDir dir;
    const AppPaths paths = ResolveAppPaths(dir.path() + u"/./sub/../");
    EXPECT_EQ(paths.AppPath, dir.path());
    EXPECT_EQ(ResolveAppPaths(u"/"_s).PluginPath, u"/plugins");
}

TEST(AppState, ScrollBarWidthRoundsHalvesToEven)
{
    TempAppDir dir;
    EXPECT_EQ(InitAppState(dir.path(), 240.5).metrics.ScrollBarWidth, 240);
    EXPECT_EQ(InitAppState(dir.path(), 241.5).metrics.ScrollBarWidth, 242);
    EXPECT_EQ(InitAppState(dir.path(), 255.2).metrics.ScrollBarWidth, 255);
}
