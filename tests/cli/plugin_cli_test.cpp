#include "cli/runcli.h"

#include "support/testfiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::readFile;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;

namespace {

struct PluginRun
{
    int status = -1;
    QString out;
    QString err;
};

PluginRun plugin(const TempAppDir& dir, const QStringList& arguments)
{
    PluginRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = cli::RunCli(QStringList{u"sokuri-cli"_s, u"--app-dir"_s, dir.path(), u"plugin"_s} +
                                 arguments,
                             QString(), out, err);
    return run;
}

QByteArray pluginBytes(const QString& action)
{
    return (u"[init]\r\nname=alpha\r\nurl=https://alpha.example/\r\n[search]\r\naction="_s +
            action + u"\r\n"_s)
        .toLatin1();
}

} // namespace

TEST(CliPlugin, InstallsImportsAndRemovesWithTheExitStatuses)
{
    TempAppDir dir;
    // The desktop's trash of this test lies in its own folder.
    QDir().mkpath(dir.file(u"data"_s));
    qputenv("XDG_DATA_HOME", dir.file(u"data"_s).toLocal8Bit());
    const QString plugins = dir.file(u"plugins"_s);
    writeFile(dir.file(u"in/alpha.ini"_s), pluginBytes(u"https://alpha.example/s"_s));
    writeFile(dir.file(u"in/newer.ini"_s), pluginBytes(u"https://alpha.example/new"_s));
    writeFile(dir.file(u"in/os.xml"_s),
              "<OpenSearchDescription><ShortName>Feeds</ShortName><Url "
              "type=\"application/atom+xml\" template=\"https://f.example/q?s={searchTerms}\"/>"
              "</OpenSearchDescription>");
    writeFile(dir.file(u"in/html.xml"_s),
              "<OpenSearchDescription><ShortName>Page</ShortName><Url type=\"text/html\" "
              "template=\"https://p.example/q?s={searchTerms}\"/></OpenSearchDescription>");

    const struct
    {
        QStringList arguments;
        int status;
        QString out;
        QString err; // a part of the error stream
    } steps[] = {
        {{u"install"_s, dir.file(u"in/alpha.ini"_s)}, 0, u"alpha\n"_s, {}},
        {{u"install"_s, dir.file(u"in/newer.ini"_s)}, 1, {}, u"--replace"_s},
        {{u"install"_s, dir.file(u"in/newer.ini"_s), u"--replace"_s}, 0, u"alpha\n"_s, {}},
        {{u"import-opensearch"_s, dir.file(u"in/os.xml"_s)}, 0, u"Feeds\n"_s, {}},
        {{u"import-opensearch"_s, dir.file(u"in/html.xml"_s)}, 1, {}, u"HTML"_s},
        {{u"remove"_s, u"Feeds"_s}, 0, {}, {}},
        {{u"remove"_s, u"Feeds"_s}, 1, {}, u"プラグイン「Feeds」はありません"_s},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.arguments.join(u' ').toStdString());
        const PluginRun run = plugin(dir, step.arguments);
        EXPECT_EQ(run.status, step.status);
        EXPECT_EQ(run.out, step.out);
        EXPECT_TRUE(step.err.isEmpty() ? run.err.isEmpty() : run.err.contains(step.err))
            << run.err.toStdString();
    }
    EXPECT_EQ(QDir(plugins).entryList(QDir::Files), QStringList{u"alpha.ini"_s});
    EXPECT_EQ(readFile(plugins + u"/alpha.ini"_s), pluginBytes(u"https://alpha.example/new"_s));
}

TEST(CliPlugin, WrongCommandLinesExitWithTwo)
{
    TempAppDir dir;
    const QList<QStringList> wrong = {
        {},
        {u"install"_s},
        {u"bogus"_s, u"x"_s},
        {u"remove"_s, u"a"_s, u"b"_s},
        {u"remove"_s, u"a"_s, u"--replace"_s},
        {u"install"_s, u"a"_s, u"--bogus"_s},
    };
    for (const QStringList& arguments : wrong) {
        const PluginRun run = plugin(dir, arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.out, u"");
        EXPECT_TRUE(run.err.contains(u"usage: sokuri-cli plugin")) << run.err.toStdString();
    }
}
