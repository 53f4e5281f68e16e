#include "cli/runcli.h"

#include "support/testfiles.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;

namespace {

struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& arguments, const QString& defaultAppDir = u"/nonexistent"_s)
{
    CliRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = cli::RunCli(QStringList{u"sokuri-cli"_s} + arguments, defaultAppDir, out, err);
    return run;
}

} // namespace

TEST(CliSettings, PrintsTheFourSettings)
{
    TempAppDir dir;
    writeFile(dir.file(u"sokuri.ini"_s),
              "[chasen]\r\ntype=1\r\nfilename=/usr/bin/chasen\r\nhost=srv\r\nport=31000\r\n");
    const CliRun run = runCli({u"--app-dir"_s, dir.path(), u"settings"_s});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, u"type=1\nfilename=/usr/bin/chasen\nhost=srv\nport=31000\n");
    EXPECT_EQ(run.err, u"");
}

TEST(CliSettings, AppDirDefaultsToTheGivenFolder)
{
    TempAppDir dir;
    writeFile(dir.file(u"sokuri.ini"_s), "[chasen]\ntype=0\n");
    const CliRun run = runCli({u"settings"_s}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.startsWith(u"type=0\nfilename=\n"));
}

TEST(CliSettings, MissingSettingsFileFails)
{
    TempAppDir dir;
    const CliRun run = runCli({u"--app-dir"_s, dir.path(), u"settings"_s});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, u"");
    EXPECT_EQ(run.err, dir.file(u"sokuri.ini"_s) + u" がありません。\n");
}

TEST(CliUsage, WrongCommandLinesExitWithTwo)
{
    const QList<QStringList> wrong = {
        {},
        {u"no-such-command"_s},
        {u"--no-such-option"_s, u"settings"_s},
        {u"--app-dir"_s},
        {u"settings"_s, u"extra"_s},
        {u"settings"_s, u"--bogus"_s},
    };
    for (const QStringList& arguments : wrong) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.out, u"");
        EXPECT_TRUE(run.err.contains(u"usage: sokuri-cli")) << run.err.toStdString();
    }
}

TEST(CliProgram, RunsFromTheApplicationFolder)
{
    // The built program, from the build's application folder with its shipped
    // sokuri.ini, and its exit status for a folder without one.
    const QString program = QStringLiteral(SOKURI_APP_DIR "/sokuri-cli");
    QProcess process;
    process.start(program, {u"settings"_s});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()),
              u"type=0\nfilename=/usr/bin/chasen\nhost=localhost\nport=31000\n");

    TempAppDir dir;
    process.start(program, {u"--app-dir"_s, dir.path(), u"settings"_s});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()),
              dir.file(u"sokuri.ini"_s) + u" がありません。\n");
}

TEST(CliPlugins, ListsTheCatalogueInListOrder)
{
    TempAppDir dir;
    writeFile(dir.file(u"plugins/b.ini"_s),
              "[init]\r\nname=beta\r\nurl=http://b/\r\nversion=1.1\r\n");
    writeFile(dir.file(u"plugins/a.ini"_s), "[init]\r\nname=alpha\r\nurl=http://a/\r\n");
    writeFile(dir.file(u"plugins/c.ini"_s), "[init]\r\nname=../escape\r\nurl=http://c/\r\n");
    const CliRun run = runCli({u"--app-dir"_s, dir.path(), u"plugins"_s});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, u"alpha\thttp://a/\t\nbeta\thttp://b/\t1.1\n");
}

TEST(CliUsage, HelpAndVersionAnswerOnStandardOutput)
{
    const std::pair<QStringList, QString> cases[] = {
        {{u"--help"_s}, u"usage: sokuri-cli [--app-dir DIR] COMMAND"_s},
        {{u"-h"_s}, u"  search      one search run"_s},
        {{u"search"_s, u"--help"_s}, u"usage: sokuri-cli search [--keywords | --sentence]"_s},
        {{u"search"_s, u"--all"_s, u"-h"_s}, u"--format <FORMAT>"_s},
        {{u"plugin"_s, u"install"_s, u"--help"_s}, u"usage: sokuri-cli plugin install"_s},
        {{u"show"_s, u"--help"_s}, u"usage: sokuri-cli show FILE.skr"_s},
        {{u"settings"_s, u"--help"_s}, u"usage: sokuri-cli settings"_s},
        {{u"--version"_s}, u"sokuri-cli " SOKURI_VERSION_TEXT "\n"_s},
    };
    for (const auto& [arguments, shown] : cases) {
        TempAppDir dir;
        const CliRun run = runCli(QStringList{u"--app-dir"_s, dir.path()} + arguments);
        EXPECT_EQ(run.status, 0) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.out.contains(shown)) << run.out.toStdString();
        EXPECT_EQ(run.err, u"") << run.err.toStdString();
    }
    // An unknown option after a command stays a usage error.
    EXPECT_EQ(runCli({u"search"_s, u"--helpme"_s, u"x"_s}).status, 2);
}
