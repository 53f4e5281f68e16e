// Many engines at once through real sockets against local test engines.

#include "app/searchrun.h"
#include "common/searchsettings.h"
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

EnginePage pageOf(const QString& html, int delayMs = 0)
{
    EnginePage page;
    page.body = EncodePage(html, u"x-sjis"_s);
    page.delayMs = delayMs;
    return page;
}

class Metasearch : public ::testing::Test
{
protected:
    // An engine and its plugin "e<n>"; resultLines replace the plugin's
    // relevance markers. Events: Q a request, A an answer leaves.
    void engine(const EnginePage& page, const QString& resultLines = {})
    {
        auto& e = *engines.emplace_back(std::make_unique<TestEngine>());
        EXPECT_TRUE(e.listen());
        e.setPage(u"*"_s, page);
        const QString name = u"e%1"_s.arg(engines.size(), 2, 10, QLatin1Char('0'));
        writeEnginePlugin(paths, EnginePlugin(name, e.port()));
        const QString file = paths.PluginPath + u'/' + name + u".ini"_s;
        const QString relevance = u"RelevanceStart=<b>\r\nRelevanceEnd=</b>\r\n"_s;
        if (!resultLines.isEmpty())
            writeSjisFile(file, cp932::decode(readFile(file)).replace(relevance, resultLines));
        QObject::connect(&e, &TestEngine::requestReceived, &e, [this] {
            events += u'Q';
            requestTimes.append(clock.elapsed());
        });
        QObject::connect(&e, &TestEngine::answerStarted, &e, [this] { events += u'A'; });
    }

    // Runs every plugin; with wait, until the run has ended. Events: D an
    // engine done or failed, E the end; L is posted after each D and comes
    // once the events of that pass are over.
    SearchRun& search(bool wait = true)
    {
        // sokuri.ini as it ships, or one without a search section.
        writeFile(paths.IniPath, shipped ? readFile(QStringLiteral(SOKURI_APP_DIR "/sokuri.ini"))
                                         : QByteArray("[chasen]\r\ntype=0\r\n"));
        catalogue.load(paths);
        for (int row = 0; row < catalogue.count(); ++row)
            catalogue.setChecked(row, true);
        run = std::make_unique<SearchRun>(paths, catalogue, results, messages);
        run->setSearchSettings(LoadSearchSettings(paths));
        QObject::connect(run.get(), &SearchRun::engineStatusChanged, run.get(),
                         [this](int, const EngineStatus& status) {
                             if (status.kind < EngineStatus::Done)
                                 return;
                             events += u'D';
                             QTimer::singleShot(0, run.get(), [this] { events += u'L'; });
                         });
        QObject::connect(run.get(), &SearchRun::finished, run.get(), [this] { events += u'E'; });
        QSignalSpy finished(run.get(), &SearchRun::finished);
        clock.start();
        run->start(InputMode::Keywords, u"京都"_s);
        if (wait) {
            EXPECT_TRUE(finished.wait(HangGuardMs)) << "the run did not end";
            QTest::qWait(50);
        }
        return *run;
    }

    // The run ended in the pass of the last answer, not on a later event.
    bool endedOnTheLastAnswer() const
    {
        return events.contains(u"DE"_s) && events.indexOf(u'E') < events.lastIndexOf(u'L');
    }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    PluginCatalogue catalogue;
    ResultsModel results;
    RecordingMessages messages;
    std::vector<std::unique_ptr<TestEngine>> engines;
    std::unique_ptr<SearchRun> run;
    QString events;
    QElapsedTimer clock;
    QList<qint64> requestTimes;
    bool shipped = true;
};

} // namespace

TEST_F(Metasearch, ShippedSettingsAskEveryEngineBeforeTheFirstAnswerAndEndOnTheLast)
{
    for (int n = 0; n < 8; ++n)
        engine(pageOf(resultPage({u"寺%1"_s.arg(n)}), 2000));
    search();
    EXPECT_TRUE(events.startsWith(u"QQQQQQQQA"_s)) << events.toStdString();
    EXPECT_TRUE(endedOnTheLastAnswer()) << events.toStdString();
    EXPECT_EQ(results.rowCount(), 8);
}

TEST_F(Metasearch, WithoutTheKeysEachRequestComesASecondAfterTheOneBefore)
{
    shipped = false;
    for (int n = 0; n < 3; ++n)
        engine(pageOf(resultPage({u"寺"_s})));
    search();
    // The engine answers before it tells of the request.
    EXPECT_EQ(QString(events).remove(u'D').remove(u'L').remove(u'E'), u"AQAQAQ"_s);
    ASSERT_EQ(requestTimes.size(), 3);
    // The pause starts as the request before it is sent: only the loopback's
    // latency lies between the two.
    for (int n = 1; n < 3; ++n)
        EXPECT_GE(requestTimes[n] - requestTimes[n - 1], 950) << n;
}

TEST_F(Metasearch, StopDuringAParallelRunEndsItAtOnceWithTheRowsSoFar)
{
    EnginePage held = pageOf({}, HangGuardMs);
    held.neverClose = true;
    for (int n = 0; n < 8; ++n)
        engine(n % 2 == 0 ? pageOf(resultPage({u"寺"_s, u"庭"_s})) : held);
    SearchRun& r = search(false);
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return events.count(u'D') == 4 && events.count(u'Q') == 8; }, HangGuardMs));
    r.stop();
    EXPECT_TRUE(events.endsWith(u'E')) << events.toStdString();
    EXPECT_FALSE(r.isRunning());
    EXPECT_EQ(results.rowCount(), 8);
}

// One engine a case in one run; the answering engines are the slowest.
TEST_F(Metasearch, EveryAnswerWithoutRowsNamesItsCause)
{
    const QString list = resultPage({u"京都の寺"_s, u"庭園"_s});
    const QString captcha = u"CAPTCHA"_s;
    const struct
    {
        QByteArray head;
        QString body, status, resultLines = {};
    } cases[] = {
        {"HTTP/1.0 403 Forbidden", u"<h1>Forbidden</h1>"_s, u"失敗: HTTP 403 アクセス拒否"_s},
        {"HTTP/1.1 404 Not Found", {}, u"失敗: HTTP 404 見つかりません"_s},
        {"HTTP/1.1 429 Too Many Requests\r\nRetry-After: 120", u"slow down"_s,
         u"失敗: HTTP 429 要求が多すぎます (120 秒後に再試行できます)"_s},
        {"HTTP/1.1 503 Service Unavailable", {}, u"失敗: HTTP 503 サーバーの障害"_s},
        {"HTTP/1.1 202 Accepted",
         u"<div class=\"anomaly-modal__title\">Unfortunately, bots use DuckDuckGo too.</div>"_s,
         captcha},
        {"HTTP/1.1 200 OK",
         u"<div>Our systems have detected unusual traffic from your computer network.</div>"_s,
         captcha},
        {"HTTP/1.1 200 OK", u"<p>ロボットではないことを確認</p>"_s, captcha,
         u"Captcha=ロボットではない\r\n"_s},
        {"HTTP/1.1 200 OK", u"<p>検索は終了しました</p>"_s,
         u"失敗: 結果の一覧がありません（プラグインの目印が古くなっているかもしれません）"_s},
        {"HTTP/1.1 200 OK", QString(list).replace(u"庭園"_s, u"CAPTCHA と g-recaptcha"_s),
         u"完了 (2 件)"_s},
        {"HTTP/1.1 200 OK", resultPage({}), u"完了 (0 件)"_s},
    };
    for (const auto& c : cases) {
        EnginePage page;
        page.header = c.head + "\r\n\r\n";
        page.body = cp932::encode(c.body);
        page.delayMs = c.status.startsWith(u"完了"_s) ? 1500 : 0;
        engine(page, c.resultLines);
    }
    search();
    const QList<EngineStatus>& statuses = run->engineStatuses();
    ASSERT_EQ(statuses.size(), std::size(cases));
    for (qsizetype i = 0; i < statuses.size(); ++i) {
        const QString shown = DescribeStatus(statuses[i]);
        EXPECT_TRUE(cases[i].status == captcha ? shown.startsWith(u"失敗: CAPTCHA（"_s)
                                               : shown == cases[i].status)
            << i << ": " << shown.toStdString();
    }
    EXPECT_TRUE(endedOnTheLastAnswer()) << events.toStdString();
}

// Two engines without figures of their own list the same twelve pages.
TEST_F(Metasearch, PositionsGiveFiguresAndMergedPagesAddThemUp)
{
    QStringList titles;
    for (int n = 1; n <= 12; ++n)
        titles.append(u"寺%1"_s.arg(n));
    const QString page =
        resultPage(titles).replace(u"href=\"/doc/"_s, u"href=\"http://temples.example.jp/doc/"_s);
    engine(pageOf(page), u"Relevance=position\r\n"_s);
    engine(pageOf(page), u"Relevance=position\r\n"_s);
    search();
    QStringList figures;
    for (const ResultRow& row : results.rows())
        figures.append(row.relevance);
    EXPECT_EQ(figures.join(u','), u"100,100, 50, 50, 33, 33, 25, 25, 20, 20, 17, 17, 14, 14, 13,"
                                  u" 13, 11, 11, 10, 10,  9,  9,  8,  8"_s);
    const MergedResultsModel merged(results);
    figures.clear();
    for (int i = 0; i < merged.rowCount(); ++i)
        figures.append(merged.rowAt(i).relevance);
    EXPECT_EQ(figures.join(u','), u"200,100, 66, 50, 40, 34, 28, 26, 22, 20, 18, 16"_s);
}
