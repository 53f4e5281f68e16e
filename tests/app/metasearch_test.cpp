// Runs over many engines at once through real sockets: the pacing of the
// settings, the end of a run, what each engine's status says of an answer
// without rows, and the figures of positions and of merged pages.

#include "app/common/searchsettings.h"
#include "app/searchrun.h"
#include "encoding/codepage932.h"
#include "retrieval/mergedresults.h"
#include "retrieval/resultsmodel.h"
#include "retrieval/searchconnection.h"
#include "searchplugins/plugincatalogue.h"
#include "support/engineplugins.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 60000;

EnginePage pageOf(const QStringList& titles, int delayMs = 0)
{
    EnginePage page;
    page.body = EncodePage(resultPage(titles), u"x-sjis"_s);
    page.delayMs = delayMs;
    return page;
}

class Metasearch : public ::testing::Test
{
protected:
    Metasearch() { paths = InitAppState(dir.path()).paths; }

    // sokuri.ini as it ships, or without a search section.
    void settings(bool shipped)
    {
        writeFile(paths.IniPath, shipped ? readFile(QStringLiteral(SOKURI_APP_DIR "/sokuri.ini"))
                                         : QByteArray("[chasen]\r\ntype=0\r\n"));
    }

    // An engine and its plugin "e<n>"; resultLines replace the relevance
    // markers of the plugin's result section.
    TestEngine& engine(const EnginePage& page, const QString& resultLines = {})
    {
        engines.push_back(std::make_unique<TestEngine>());
        TestEngine& e = *engines.back();
        EXPECT_TRUE(e.listen());
        e.setPage(u"*"_s, page);
        const QString name = u"e%1"_s.arg(engines.size(), 2, 10, QLatin1Char('0'));
        writeEnginePlugin(paths, EnginePlugin(name, e.port()));
        if (!resultLines.isEmpty()) {
            const QString file = paths.PluginPath + u'/' + name + u".ini"_s;
            writeSjisFile(
                file, cp932::decode(readFile(file))
                          .replace(u"RelevanceStart=<b>\r\nRelevanceEnd=</b>\r\n"_s, resultLines));
        }
        // The order of events at every engine: Q a request, A an answer.
        QObject::connect(&e, &TestEngine::requestReceived, &e, [this] {
            events += u'Q';
            requestTimes.append(clock.elapsed());
        });
        QObject::connect(&e, &TestEngine::answerStarted, &e, [this] { events += u'A'; });
        return e;
    }

    SearchRun& start()
    {
        catalogue.load(paths);
        catalogue.uncheckAll();
        for (int row = 0; row < catalogue.count(); ++row)
            catalogue.setChecked(row, true);
        run = std::make_unique<SearchRun>(paths, catalogue, results, messages);
        run->setSearchSettings(LoadSearchSettings(paths));
        // D an engine done or failed, E the end of the run; L is posted
        // after each D and arrives once the events of that pass are over.
        QObject::connect(run.get(), &SearchRun::engineStatusChanged, run.get(),
                         [this](int, const EngineStatus& status) {
                             if (status.kind != EngineStatus::Done &&
                                 status.kind != EngineStatus::Failed)
                                 return;
                             events += u'D';
                             QTimer::singleShot(0, run.get(), [this] { events += u'L'; });
                         });
        QObject::connect(run.get(), &SearchRun::finished, run.get(), [this] { events += u'E'; });
        clock.start();
        run->start(InputMode::Keywords, u"京都"_s);
        return *run;
    }

    void finish()
    {
        QSignalSpy finished(run.get(), &SearchRun::finished);
        if (run->isRunning()) {
            ASSERT_TRUE(finished.wait(HangGuardMs)) << "the run did not end";
        }
        // What was posted meanwhile arrives.
        QTest::qWait(50);
    }

    TempAppDir dir;
    AppPaths paths;
    PluginCatalogue catalogue;
    ResultsModel results;
    RecordingMessages messages;
    std::vector<std::unique_ptr<TestEngine>> engines;
    std::unique_ptr<SearchRun> run;
    QString events;
    QElapsedTimer clock;
    QList<qint64> requestTimes;
};

} // namespace

TEST_F(Metasearch, ShippedSettingsAskEveryEngineBeforeTheFirstAnswerAndEndOnTheLast)
{
    settings(true);
    for (int n = 0; n < 8; ++n)
        engine(pageOf({u"寺%1"_s.arg(n)}, 2000));
    start();
    finish();
    EXPECT_EQ(run->connectionCount(), 8);
    EXPECT_TRUE(events.startsWith(u"QQQQQQQQA"_s)) << events.toStdString();
    // The run ends in the same pass as the last answer, before anything
    // posted after it.
    EXPECT_TRUE(events.contains(u"DE"_s) && events.indexOf(u'E') < events.lastIndexOf(u'L'))
        << events.toStdString();
    EXPECT_EQ(events.count(u'D'), 8);
    EXPECT_EQ(results.rowCount(), 8);
}

TEST_F(Metasearch, WithoutTheKeysEachRequestComesASecondAfterTheOneBefore)
{
    settings(false);
    for (int n = 0; n < 3; ++n)
        engine(pageOf({u"寺"_s}));
    start();
    finish();
    EXPECT_EQ(run->connectionCount(), 3);
    ASSERT_EQ(requestTimes.size(), 3);
    // The engine answers at once, before it tells of the request: each
    // request comes after the answer to the one before.
    EXPECT_EQ(QString(events).remove(u'D').remove(u'L').remove(u'E'), u"AQAQAQ"_s);
    // The pause starts as the request before it is sent, so only the
    // loopback's latency can lie between the two.
    for (int n = 1; n < 3; ++n)
        EXPECT_GE(requestTimes[n] - requestTimes[n - 1], 950) << n;
}

TEST_F(Metasearch, StopDuringAParallelRunEndsItAtOnceWithTheRowsSoFar)
{
    settings(true);
    EnginePage held = pageOf({u"来ない"_s}, HangGuardMs);
    held.neverClose = true;
    for (int n = 0; n < 8; ++n)
        engine(n % 2 == 0 ? pageOf({u"寺"_s, u"庭"_s}) : held);
    SearchRun& r = start();
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return events.count(u'D') == 4 && events.count(u'Q') == 8; }, HangGuardMs));
    QSignalSpy finished(&r, &SearchRun::finished);
    r.stop();
    EXPECT_EQ(finished.size(), 1);
    EXPECT_FALSE(r.isRunning());
    EXPECT_EQ(results.rowCount(), 8);
    for (int i = 0; i < SearchRun::MaxConnections; ++i)
        EXPECT_EQ(r.connection(i).state(), SearchConnection::Closed) << i;
}

// One answer a case, all engines in one run: refusals, faults and challenge
// pages fail with their cause, result pages answer, and the run ends on the
// slowest answer.
TEST_F(Metasearch, EveryAnswerWithoutRowsNamesItsCause)
{
    struct Case
    {
        QByteArray head;
        QString body;
        QString status;
        QString resultLines = {};
    };
    const QString list = resultPage({u"京都の寺"_s, u"庭園"_s});
    const QString snippet = QString(list).replace(
        u"庭園"_s, u"CAPTCHA と g-recaptcha の仕組み <form id=\"captcha-form\">"_s);
    const Case cases[] = {
        {"HTTP/1.0 403 Forbidden", u"<h1>Forbidden</h1>"_s, u"失敗: HTTP 403 アクセス拒否"_s},
        {"HTTP/1.1 404 Not Found", u"<h1>Not Found</h1>"_s, u"失敗: HTTP 404 見つかりません"_s},
        {"HTTP/1.1 429 Too Many Requests\r\nRetry-After: 120", u"slow down"_s,
         u"失敗: HTTP 429 要求が多すぎます (120 秒後に再試行できます)"_s},
        {"HTTP/1.1 503 Service Unavailable", u"<p>maintenance</p>"_s,
         u"失敗: HTTP 503 サーバーの障害"_s},
        {"HTTP/1.1 418 I'm a teapot", {}, u"失敗: HTTP 418"_s},
        {"HTTP/1.1 202 Accepted",
         u"<html><body><div class=\"anomaly-modal__modal\"><div class=\"anomaly-modal__title\">"
         "Unfortunately, bots use DuckDuckGo too.</div><form id=\"challenge-form\" "
         "action=\"//duckduckgo.com/anomaly.js?sv=html\" method=\"POST\"></form></div>"_s,
         u"CAPTCHA"_s},
        {"HTTP/1.1 200 OK",
         u"<html><head><title>https://www.google.com/search?q=x</title></head><body>"
         "<div id=\"infoDiv\">Our systems have detected unusual traffic from your computer "
         "network.</div><form id=\"captcha-form\" action=\"index\" method=\"post\">"
         "<div class=\"g-recaptcha\" data-sitekey=\"k\"></div></form></body></html>"_s,
         u"CAPTCHA"_s},
        {"HTTP/1.1 200 OK", u"<p>ロボットではないことを確認してください</p>"_s, u"CAPTCHA"_s,
         u"Captcha=ロボットではない\r\n"_s},
        {"HTTP/1.1 200 OK", u"<p>検索は終了しました</p>"_s,
         u"失敗: 結果の一覧がありません（プラグインの目印が古くなっているかもしれません）"_s},
        {"HTTP/1.1 200 OK", snippet, u"完了 (2 件)"_s},
        {"HTTP/1.1 200 OK", resultPage({}), u"完了 (0 件)"_s},
    };
    settings(true);
    for (const Case& c : cases) {
        EnginePage page;
        page.header = c.head + "\r\nContent-Type: text/html\r\n\r\n";
        page.body = cp932::encode(c.body);
        // The answering engines are the slowest.
        page.delayMs = c.status.startsWith(u"完了"_s) ? 1500 : 0;
        engine(page, c.resultLines);
    }
    start();
    finish();
    const QList<EngineStatus>& statuses = run->engineStatuses();
    ASSERT_EQ(statuses.size(), std::size(cases));
    for (qsizetype i = 0; i < statuses.size(); ++i) {
        const QString shown = DescribeStatus(statuses[i]);
        EXPECT_TRUE(cases[i].status == u"CAPTCHA"_s ? shown.startsWith(u"失敗: CAPTCHA（"_s)
                                                    : shown == cases[i].status)
            << i << ": " << shown.toStdString();
    }
    EXPECT_TRUE(events.contains(u"DE"_s) && events.indexOf(u'E') < events.lastIndexOf(u'L'))
        << events.toStdString();
    EXPECT_EQ(DescribeRunEnd(statuses, results.rowCount()).section(u'、', 0, 0),
              u"2 件　失敗: e01 (HTTP 403 アクセス拒否)"_s);
}

// Two engines without figures of their own list the same twelve pages.
TEST_F(Metasearch, PositionsGiveFiguresAndMergedPagesAddThemUp)
{
    QStringList titles;
    for (int n = 1; n <= 12; ++n)
        titles.append(u"寺%1"_s.arg(n));
    QString text = resultPage(titles);
    text.replace(u"href=\"/doc/"_s, u"href=\"http://temples.example.jp/doc/"_s);
    EnginePage page;
    page.body = EncodePage(text, u"x-sjis"_s);
    settings(true);
    engine(page, u"Relevance=position\r\n"_s);
    engine(page, u"Relevance=position\r\n"_s);
    start();
    finish();

    const QStringList each = {u"100"_s, u" 50"_s, u" 33"_s, u" 25"_s, u" 20"_s, u" 17"_s,
                              u" 14"_s, u" 13"_s, u" 11"_s, u" 10"_s, u"  9"_s, u"  8"_s};
    const QStringList summed = {u"200"_s, u"100"_s, u" 66"_s, u" 50"_s, u" 40"_s, u" 34"_s,
                                u" 28"_s, u" 26"_s, u" 22"_s, u" 20"_s, u" 18"_s, u" 16"_s};
    QStringList figures;
    for (const ResultRow& row : results.rows()) {
        if (row.plugin == u"e01"_s)
            figures.append(row.relevance);
    }
    EXPECT_EQ(figures, each);
    const MergedResultsModel merged(results);
    ASSERT_EQ(merged.rowCount(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(merged.rowAt(i).relevance, summed[i]) << i;
        EXPECT_EQ(merged.rowAt(i).title, titles[i]);
        EXPECT_EQ(merged.rowAt(i).plugin, u"e01, e02"_s);
    }
    EXPECT_EQ(SumOfFigures({u"900"_s, u"200"_s, {}}), u"999"_s);
}
