// sokuri-cli search, run as the real program against local test engines.

#include "support/engineplugins.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 60000;

EnginePage pageOf(const QStringList& titles)
{
    EnginePage page;
    page.body = EncodePage(resultPage(titles), u"x-euc-jp"_s);
    return page;
}

class CliSearch : public ::testing::Test
{
protected:
    CliSearch()
    {
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { err += QString::fromUtf8(process.readAllStandardError()); });
        paths = InitAppState(dir.path()).paths;
        writeFile(paths.IniPath, "[chasen]\r\ntype=0\r\nfilename=/usr/bin/chasen\r\n");
    }

    void plugin(const QString& name, const TestEngine& engine)
    {
        EnginePlugin file(name, engine.port());
        file.resultCharset = u"x-euc-jp"_s;
        writeEnginePlugin(paths, file);
    }

    // Starts sokuri-cli in the application folder; the test's event loop
    // keeps running (and the engines answering) while it waits.
    void start(const QStringList& arguments)
    {
        err.clear();
        process.setProgram(QStringLiteral(SOKURI_APP_DIR "/sokuri-cli"));
        process.setArguments(QStringList{u"--app-dir"_s, dir.path()} + arguments);
        process.start();
        ASSERT_TRUE(process.waitForStarted(HangGuardMs));
    }

    int finish()
    {
        QSignalSpy finished(&process, &QProcess::finished);
        if (process.state() != QProcess::NotRunning) {
            EXPECT_TRUE(finished.wait(HangGuardMs)) << "sokuri-cli did not end";
        }
        out = QString::fromUtf8(process.readAllStandardOutput());
        err += QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QStringList jsonTitles() const
    {
        QStringList titles;
        for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts))
            titles.append(QJsonDocument::fromJson(line.toUtf8()).object()[u"title"].toString());
        return titles;
    }

    TempAppDir dir;
    AppPaths paths;
    QProcess process;
    QString out;
    QString err;
};

} // namespace

TEST_F(CliSearch, RowsOfEveryChosenEngineInTheListsOrder)
{
    TestEngine alpha;
    TestEngine beta;
    ASSERT_TRUE(alpha.listen() && beta.listen());
    alpha.setPage(u"*"_s, pageOf({u"金閣寺"_s, u"銀閣寺"_s}));
    beta.setPage(u"*"_s, pageOf({u"清水寺"_s}));
    plugin(u"alpha"_s, alpha);
    plugin(u"beta"_s, beta);

    start({u"search"_s, u"--all"_s, u"--format"_s, u"jsonl"_s, u"京都 寺"_s});
    EXPECT_EQ(finish(), 0) << err.toStdString();
    EXPECT_EQ(jsonTitles(), QStringList({u"金閣寺"_s, u"清水寺"_s, u"銀閣寺"_s}));
    const QJsonObject first = QJsonDocument::fromJson(out.section(u'\n', 0, 0).toUtf8()).object();
    EXPECT_EQ(first[u"plugin"].toString(), u"alpha");
    EXPECT_EQ(first[u"relevance"].toString(), u"100");
    EXPECT_TRUE(first[u"html"].toString().contains(u"/doc/0"));
    // Progress names each engine on the error stream, never on the output.
    EXPECT_TRUE(err.contains(u"alpha"_s) && err.contains(u"beta"_s)) << err.toStdString();
    ASSERT_EQ(alpha.requests().size(), 1);
    EXPECT_TRUE(alpha.requests()[0].startsWith("GET /s?lang=ja&q=%8B%9E%93s+%8E%9B HTTP/1.0\r\n"));

    // Only the plugin asked for, in tab-separated lines.
    start({u"search"_s, u"--plugin"_s, u"beta"_s, u"--format"_s, u"tsv"_s, u"寺"_s});
    EXPECT_EQ(finish(), 0) << err.toStdString();
    EXPECT_EQ(out, u"清水寺\tbeta\t100\t\n"_s);
    EXPECT_EQ(alpha.requests().size(), 1);

    // The CSV of the window's export (its byte-order mark is dropped by the
    // decoding of the output here).
    start({u"search"_s, u"--plugin"_s, u"beta"_s, u"--format"_s, u"csv"_s, u"寺"_s});
    EXPECT_EQ(finish(), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(u"名前,プラグイン,関連,サイト,アドレス\r\n清水寺,beta,100,,http"_s))
        << out.toStdString();
}

TEST_F(CliSearch, SavedSearchShowsTheSameRows)
{
    TestEngine alpha;
    ASSERT_TRUE(alpha.listen());
    alpha.setPage(u"*"_s, pageOf({u"金閣寺"_s, u"銀閣寺"_s}));
    plugin(u"alpha"_s, alpha);
    plugin(u"unasked"_s, alpha);
    const QString document = dir.file(u"寺.skr"_s);

    start({u"search"_s, u"--plugin"_s, u"alpha"_s, u"--format"_s, u"jsonl"_s, u"--save"_s, document,
           u" 京都 "_s});
    ASSERT_EQ(finish(), 0) << err.toStdString();
    const QStringList searched = out.split(u'\n', Qt::SkipEmptyParts);

    start({u"show"_s, document});
    ASSERT_EQ(finish(), 0) << err.toStdString();
    const QJsonObject shown = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(shown[u"text"].toString(), u"京都");
    EXPECT_EQ(shown[u"mode"].toInt(), 2);
    const QJsonArray plugins = shown[u"plugins"].toArray();
    ASSERT_EQ(plugins.size(), 2);
    EXPECT_TRUE(plugins[0].toObject()[u"checked"].toBool());
    EXPECT_FALSE(plugins[1].toObject()[u"checked"].toBool());
    const QJsonArray rows = shown[u"rows"].toArray();
    ASSERT_EQ(rows.size(), searched.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].toObject(), QJsonDocument::fromJson(searched[i].toUtf8()).object());

    // A document that cannot be written fails the command, rows or not.
    start({u"search"_s, u"--all"_s, u"--save"_s, dir.file(u"no/such/folder/x.skr"_s), u"京都"_s});
    EXPECT_EQ(finish(), 1);
    EXPECT_TRUE(err.contains(u"x.skr"_s)) << err.toStdString();
}

TEST_F(CliSearch, UsageAndUnknownPlugins)
{
    start({u"search"_s, u"京都"_s});
    EXPECT_EQ(finish(), 2); // no plugin chosen
    start({u"search"_s, u"--keywords"_s, u"--sentence"_s, u"--all"_s, u"京都"_s});
    EXPECT_EQ(finish(), 2);
    start({u"search"_s, u"--plugin"_s, u"nowhere"_s, u"京都"_s});
    EXPECT_EQ(finish(), 1);
    EXPECT_TRUE(err.contains(u"nowhere"_s)) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(CliSearch, InterruptStopsTheRunAndPrintsTheRowsSoFar)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    EnginePage page = pageOf({u"届いた行"_s});
    page.neverClose = true;
    engine.setPage(u"*"_s, page);
    plugin(u"slow"_s, engine);

    start({u"search"_s, u"--all"_s, u"--format"_s, u"tsv"_s, u"京都"_s});
    // Once the row is out, the run waits on a connection that never closes.
    ASSERT_TRUE(QTest::qWaitFor([&] { return err.contains(u"1 件"_s); }, HangGuardMs))
        << err.toStdString();
    ::kill(pid_t(process.processId()), SIGINT);
    EXPECT_EQ(finish(), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(u"届いた行\tslow\t"_s)) << out.toStdString();
}

// A run spent waiting on an engine sleeps: its CPU time is a small part of
// the wait (a loop that polled would burn the whole of it). The bound is
// loose, since the tests run with sanitizers on a shared machine.
TEST_F(CliSearch, WaitingOnASlowEngineCostsLittleCpu)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    EnginePage page = pageOf({u"遅い宿"_s});
    page.delayMs = 6000;
    engine.setPage(u"*"_s, page);
    plugin(u"slow"_s, engine);

    rusage before = {};
    getrusage(RUSAGE_CHILDREN, &before);
    start({u"search"_s, u"--all"_s, u"--format"_s, u"tsv"_s, u"京都"_s});
    EXPECT_EQ(finish(), 0) << err.toStdString();
    rusage after = {};
    getrusage(RUSAGE_CHILDREN, &after);
    EXPECT_TRUE(out.startsWith(u"遅い宿"_s));

    auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    const double cpu = seconds(after.ru_utime) - seconds(before.ru_utime) +
                       seconds(after.ru_stime) - seconds(before.ru_stime);
    RecordProperty("cpu_seconds", QString::number(cpu, 'f', 3).toStdString());
    EXPECT_LT(cpu, 2.5) << "a run that waited 7 s used " << cpu << " s of CPU";
}

TEST_F(CliSearch, TimeoutFromTheSettingsOrTheCommandLine)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    EnginePage page = pageOf({u"遅い宿"_s});
    page.neverClose = true;
    engine.setPage(u"*"_s, page);
    plugin(u"slow"_s, engine);

    start({u"search"_s, u"--all"_s, u"--format"_s, u"tsv"_s, u"--timeout"_s, u"1"_s, u"京都"_s});
    EXPECT_EQ(finish(), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(u"遅い宿\tslow"_s)) << out.toStdString();
    EXPECT_TRUE(err.contains(u"時間切れ"_s)) << err.toStdString();

    writeFile(paths.IniPath, "[chasen]\r\ntype=0\r\n[search]\r\ntimeout=1\r\n");
    start({u"search"_s, u"--all"_s, u"--format"_s, u"tsv"_s, u"京都"_s});
    EXPECT_EQ(finish(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(u"時間切れ"_s)) << err.toStdString();

    start({u"search"_s, u"--all"_s, u"--timeout"_s, u"soon"_s, u"京都"_s});
    EXPECT_EQ(finish(), 2);
}

TEST_F(CliSearch, MergeShowsOnePageOnce)
{
    // Both engines list the same two pages with absolute links.
    QString text = resultPage({u"金閣寺"_s, u"銀閣寺"_s});
    text.replace(u"href=\"/doc/"_s, u"href=\"http://temples.example.jp/doc/"_s);
    EnginePage page;
    page.body = EncodePage(text, u"x-euc-jp"_s);
    TestEngine alpha;
    TestEngine beta;
    ASSERT_TRUE(alpha.listen() && beta.listen());
    alpha.setPage(u"*"_s, page);
    beta.setPage(u"*"_s, page);
    plugin(u"alpha"_s, alpha);
    plugin(u"beta"_s, beta);

    start({u"search"_s, u"--all"_s, u"--format"_s, u"tsv"_s, u"--merge"_s, u"寺"_s});
    EXPECT_EQ(finish(), 0) << err.toStdString();
    EXPECT_EQ(out, u"金閣寺\talpha, beta\t200\tjp.example.temples\n"
                   u"銀閣寺\talpha, beta\t180\tjp.example.temples\n"_s);

    start({u"search"_s, u"--all"_s, u"--format"_s, u"tsv"_s, u"寺"_s});
    EXPECT_EQ(finish(), 0) << err.toStdString();
    EXPECT_EQ(out.count(u'\n'), 4);
}

TEST_F(CliSearch, EveryEngineFailingExitsThreeWithTheCauses)
{
    // One engine refusing with 429, one port where nobody listens.
    TestEngine busy;
    ASSERT_TRUE(busy.listen());
    EnginePage refusal;
    refusal.header = "HTTP/1.0 429 Too Many Requests\r\n\r\n";
    busy.setPage(u"*"_s, refusal);
    plugin(u"busy"_s, busy);
    QTcpServer unused;
    ASSERT_TRUE(unused.listen(QHostAddress::LocalHost, 0));
    EnginePlugin gone(u"gone"_s, unused.serverPort());
    unused.close();
    writeEnginePlugin(paths, gone);

    start({u"search"_s, u"--all"_s, u"--format"_s, u"tsv"_s, u"京都"_s});
    EXPECT_EQ(finish(), 3) << err.toStdString();
    EXPECT_TRUE(out.isEmpty()) << out.toStdString();
    const QStringList lines = err.split(u'\n', Qt::SkipEmptyParts);
    const qsizetype told =
        lines.indexOf(u"sokuri-cli: どのエンジンからも結果が得られませんでした。"_s);
    ASSERT_GE(told, 0) << err.toStdString();
    ASSERT_EQ(lines.size(), told + 3) << err.toStdString();
    EXPECT_TRUE(lines[told + 1].startsWith(u"  busy: 失敗: HTTP 429"_s)) << err.toStdString();
    EXPECT_TRUE(lines[told + 2].startsWith(u"  gone: 失敗: "_s)) << err.toStdString();

    // One engine answering is enough for 0.
    TestEngine good;
    ASSERT_TRUE(good.listen());
    good.setPage(u"*"_s, pageOf({u"京都の宿"_s}));
    plugin(u"good"_s, good);
    start({u"search"_s, u"--all"_s, u"--format"_s, u"tsv"_s, u"京都"_s});
    EXPECT_EQ(finish(), 0) << err.toStdString();
}

TEST_F(CliSearch, CategoryAsksEveryPluginOfThatKind)
{
    struct Kind
    {
        QString plugin;
        QString category;
    };
    const Kind kinds[] = {{u"paper1"_s, u"論文"_s},
                          {u"paper2"_s, u"論文"_s},
                          {u"web"_s, u"ウェブ"_s},
                          {u"plain"_s, {}}};
    std::vector<std::unique_ptr<TestEngine>> engines;
    for (const Kind& kind : kinds) {
        engines.push_back(std::make_unique<TestEngine>());
        ASSERT_TRUE(engines.back()->listen());
        engines.back()->setPage(u"*"_s, pageOf({kind.plugin + u"の結果"_s}));
        EnginePlugin file(kind.plugin, engines.back()->port());
        file.resultCharset = u"x-euc-jp"_s;
        if (!kind.category.isEmpty())
            file.moreInit = u"category="_s + kind.category + u"\r\n"_s;
        writeEnginePlugin(paths, file);
    }
    start({u"search"_s, u"--category"_s, u"論文"_s, u"--format"_s, u"jsonl"_s, u"京都"_s});
    ASSERT_EQ(finish(), 0) << err.toStdString();
    QStringList titles = jsonTitles();
    titles.sort();
    EXPECT_EQ(titles, (QStringList{u"paper1の結果"_s, u"paper2の結果"_s}));
    EXPECT_TRUE(engines[2]->requests().isEmpty());
    EXPECT_TRUE(engines[3]->requests().isEmpty());

    start({u"search"_s, u"--category"_s, u"書籍"_s, u"京都"_s});
    EXPECT_EQ(finish(), 1);
    EXPECT_TRUE(err.contains(u"書籍"_s)) << err.toStdString();
}
