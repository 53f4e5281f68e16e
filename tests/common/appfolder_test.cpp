#include "common/appfolder.h"

#include "support/testfiles.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

// An installed program folder: the programs' companions and the marker.
void install(const TempAppDir& dir)
{
    writeFile(dir.file(u"sokuri.ini"_s), "[chasen]\r\ntype=0\r\n");
    writeFile(dir.file(u"chasen.sh"_s), "#!/bin/sh\n");
    QFile::setPermissions(dir.file(u"chasen.sh"_s),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    writeFile(dir.file(u"plugins/alpha.ini"_s), "[init]\r\nname=alpha\r\n");
    writeFile(dir.file(u"sokuri-installed"_s), "");
}

} // namespace

TEST(AppFolder, PortableFolderIsItsOwnApplicationFolder)
{
    TempAppDir program;
    TempAppDir home;
    writeFile(program.file(u"sokuri.ini"_s), "[chasen]\r\n");
    const AppFolder folder = ChooseAppFolder(program.path(), home.path());
    EXPECT_EQ(folder.path, program.path());
    EXPECT_FALSE(folder.madeNow);
    EXPECT_FALSE(QFileInfo::exists(home.file(u"sokuri"_s)));
}

TEST(AppFolder, InstalledProgramWorksInTheUsersCopy)
{
    TempAppDir program;
    TempAppDir home;
    install(program);

    const AppFolder first = ChooseAppFolder(program.path(), home.path());
    const QString user = home.file(u"sokuri"_s);
    EXPECT_EQ(first.path, user);
    EXPECT_TRUE(first.madeNow);
    EXPECT_TRUE(first.errorText.isEmpty());
    EXPECT_EQ(readFile(user + u"/sokuri.ini"), "[chasen]\r\ntype=0\r\n");
    EXPECT_TRUE(QFileInfo(user + u"/chasen.sh").isExecutable());
    EXPECT_EQ(readFile(user + u"/plugins/alpha.ini"), "[init]\r\nname=alpha\r\n");
    EXPECT_FALSE(QFileInfo::exists(user + u"/sokuri-installed"));

    // The user's changes stay; a plugin installed later is added.
    writeFile(user + u"/sokuri.ini", "[chasen]\r\ntype=1\r\n");
    writeFile(program.file(u"plugins/beta.ini"_s), "[init]\r\nname=beta\r\n");
    const AppFolder second = ChooseAppFolder(program.path(), home.path());
    EXPECT_EQ(second.path, user);
    EXPECT_FALSE(second.madeNow);
    EXPECT_EQ(readFile(user + u"/sokuri.ini"), "[chasen]\r\ntype=1\r\n");
    EXPECT_TRUE(QFileInfo::exists(user + u"/plugins/beta.ini"));

    // A newer installation brings a new engine and a newer alpha: the user's
    // alpha stays, and beta, which the user deleted, does not come back.
    writeFile(user + u"/plugins/alpha.ini", "[init]\r\nname=alpha\r\n; mine\r\n");
    QFile::remove(user + u"/plugins/beta.ini");
    writeFile(program.file(u"plugins/alpha.ini"_s), "[init]\r\nname=alpha\r\nversion=2\r\n");
    writeFile(program.file(u"plugins/gamma.ini"_s), "[init]\r\nname=gamma\r\n");
    ChooseAppFolder(program.path(), home.path());
    EXPECT_EQ(readFile(user + u"/plugins/alpha.ini"), "[init]\r\nname=alpha\r\n; mine\r\n");
    EXPECT_FALSE(QFileInfo::exists(user + u"/plugins/beta.ini"));
    EXPECT_EQ(readFile(user + u"/plugins/gamma.ini"), "[init]\r\nname=gamma\r\n");
}

TEST(AppFolder, AFolderMadeBeforeTheListGetsOnlyTheMissingPlugins)
{
    TempAppDir program;
    TempAppDir home;
    install(program);
    writeFile(program.file(u"plugins/beta.ini"_s), "[init]\r\nname=beta\r\n");
    const QString user = home.file(u"sokuri"_s);
    writeFile(user + u"/sokuri.ini", "[chasen]\r\ntype=1\r\n");
    writeFile(user + u"/plugins/alpha.ini", "[init]\r\nname=alpha\r\n; mine\r\n");

    const AppFolder folder = ChooseAppFolder(program.path(), home.path());
    EXPECT_EQ(folder.path, user);
    EXPECT_FALSE(folder.madeNow);
    EXPECT_EQ(readFile(user + u"/plugins/alpha.ini"), "[init]\r\nname=alpha\r\n; mine\r\n");
    EXPECT_EQ(readFile(user + u"/plugins/beta.ini"), "[init]\r\nname=beta\r\n");
}

TEST(AppFolder, UnmakeableUserFolderFallsBackToTheInstalledOne)
{
    TempAppDir program;
    TempAppDir home;
    install(program);
    writeFile(home.file(u"sokuri"_s), "a file, not a folder");
    const AppFolder folder = ChooseAppFolder(program.path(), home.path());
    EXPECT_EQ(folder.path, program.path());
    EXPECT_FALSE(folder.errorText.isEmpty());
}
