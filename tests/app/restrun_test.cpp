// Engines that refuse, challenge or fail rest: runs over real sockets against
// local test engines, with a clock the test moves.

#include "app/searchrun.h"
#include "common/searchsettings.h"
#include "encoding/codepage932.h"
#include "retrieval/enginerests.h"
#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"
#include "support/engineplugins.h"
#include "support/fakeplatform.h"
#include "support/refusingport.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 60000;

const QByteArray RestKeys = "[chasen]\r\ntype=0\r\n[search]\r\nconnections=8\r\ninterval=0\r\n"
                            "[rest]\r\nretryafter=1\r\ntoomany=600\r\nchallenge=3600\r\n"
                            "failure=60\r\nfailuremax=3600\r\nlongest=86400\r\n";

EnginePage refusal(const QByteArray& head, const QString& body = u"<p>no</p>"_s)
{
    EnginePage page;
    page.header = head + "\r\n\r\n";
    page.body = cp932::encode(body);
    return page;
}

EnginePage rows()
{
    EnginePage page;
    page.body = EncodePage(resultPage({u"京都の寺"_s}), u"x-sjis"_s);
    return page;
}

class RestRun : public ::testing::Test
{
protected:
    RestRun() { writeFile(paths.IniPath, RestKeys); }

    // An engine and its plugin; the name sorts in the order of creation.
    TestEngine& engine(const EnginePage& page)
    {
        auto& e = *engines.emplace_back(std::make_unique<TestEngine>());
        EXPECT_TRUE(e.listen());
        e.setPage(u"*"_s, page);
        writeEnginePlugin(paths, EnginePlugin(name(int(engines.size()) - 1), e.port()));
        return e;
    }

    static QString name(int n) { return u"e%1"_s.arg(n, 2, 10, QLatin1Char('0')); }

    // One run of every plugin by a new run controller (as a new start of the
    // program would make), at the test's time.
    void search()
    {
        catalogue.load(paths);
        for (int row = 0; row < catalogue.count(); ++row)
            catalogue.setChecked(row, true);
        run = std::make_unique<SearchRun>(paths, catalogue, results, messages);
        run->setSearchSettings(LoadSearchSettings(paths));
        run->setClock([this] { return now; });
        QSignalSpy finished(run.get(), &SearchRun::finished);
        run->start(InputMode::Keywords, u"京都"_s);
        if (run->isRunning()) {
            EXPECT_TRUE(finished.wait(HangGuardMs)) << "the run did not end";
        }
        EXPECT_EQ(finished.size(), 1);
    }

    // Seconds of the engine's rest from now, -1 when it does not rest.
    qint64 restLeft(int n) const
    {
        const auto rest = EngineRests(paths, [this] { return now; }).restOf(name(n));
        return rest ? now.secsTo(rest->until) : -1;
    }

    QString shown(int n) const { return DescribeStatus(run->engineStatuses().at(n)); }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    PluginCatalogue catalogue;
    ResultsModel results;
    RecordingMessages messages;
    std::vector<std::unique_ptr<TestEngine>> engines;
    std::unique_ptr<SearchRun> run;
    QDateTime now = QDateTime(QDate(2026, 12, 9), QTime(6, 0), Qt::UTC);
};

// The HTTP date of a time.
QByteArray httpDate(const QDateTime& time)
{
    return QLocale::c().toString(time.toUTC(), u"ddd, dd MMM yyyy hh:mm:ss 'GMT'"_s).toLatin1();
}

} // namespace

// Each cause with its rest, the rested engine unasked while it rests, the
// time left in its status, and the rest after the next refusal of its kind.
TEST_F(RestRun, EachCauseRestsItsEngineAndTheNextRefusalRestsAsTheCauseSays)
{
    const QDateTime start = now;
    const struct
    {
        EnginePage page;
        qint64 first;    // rest after the first answer, -1 none
        QString resting; // the status a second later
        qint64 later;    // rest after the answer a day later (a failure's third)
    } cases[] = {
        {refusal("HTTP/1.1 429 Too Many\r\nRetry-After: 120"), 120, u"HTTP 429, あと 2 分"_s, 120},
        {refusal("HTTP/1.1 503 Busy\r\nRetry-After: " + httpDate(start.addSecs(3000))), 3000,
         u"HTTP 503, あと 50 分"_s, -1}, // then the date has passed: a first failure
        {refusal("HTTP/1.1 429 Too Many"), 600, u"HTTP 429, あと 10 分"_s, 1200},
        {refusal("HTTP/1.0 403 Forbidden"), 3600, u"HTTP 403, あと 1 時間"_s, 7200},
        {refusal("HTTP/1.1 200 OK", u"<div class=\"g-recaptcha\"></div>"_s), 3600,
         u"CAPTCHA, あと 1 時間"_s, 7200},
        {refusal("HTTP/1.1 500 Oops"), -1, {}, 120},
        // bad Retry-After values
        {refusal("HTTP/1.1 429 Too Many\r\nRetry-After: -5"), 600, u"HTTP 429, あと 10 分"_s, 1200},
        {refusal("HTTP/1.1 503 Busy\r\nRetry-After: 99999999999999999999"), 86400,
         u"HTTP 503, あと 24 時間"_s, 86400},
        {refusal("HTTP/1.1 429 Too Many\r\nRetry-After: " + httpDate(start.addSecs(-60))), 600,
         u"HTTP 429, あと 10 分"_s, 1200},
        {refusal("HTTP/1.1 429 Too Many\r\nRetry-After: 60\r\nRetry-After: 300"), 300,
         u"HTTP 429, あと 5 分"_s, 300},
        {refusal("HTTP/1.1 503 Busy\r\nRetry-After: soon"), -1, {}, 120},
        {refusal("HTTP/1.1 404 Not Found"), -1, {}, -1},
    };
    for (const auto& c : cases)
        engine(c.page);
    // A port that nobody listens on: the connection is refused.
    const sokuri::test::RefusingPort closed;
    const quint16 closedPort = closed.port();
    const int failing = int(std::size(cases));
    writeEnginePlugin(paths, EnginePlugin(name(failing), closedPort));
    // And an engine that answers too late for its plugin's time-out.
    EnginePage late = rows();
    late.delayMs = HangGuardMs;
    TestEngine& slow = *engines.emplace_back(std::make_unique<TestEngine>());
    ASSERT_TRUE(slow.listen());
    slow.setPage(u"*"_s, late);
    EnginePlugin timed(name(failing + 1), slow.port());
    timed.timeout = u"1"_s;
    writeEnginePlugin(paths, timed);

    search();
    for (int n = 0; n < int(std::size(cases)); ++n) {
        EXPECT_EQ(restLeft(n), cases[n].first) << n;
        EXPECT_EQ(engines[std::size_t(n)]->requests().size(), 1) << n;
    }
    for (const int n : {failing, failing + 1})
        EXPECT_EQ(restLeft(n), -1) << n << ": a first failure rests nothing";

    now = start.addSecs(1);
    search();
    for (int n = 0; n < int(std::size(cases)); ++n) {
        const bool rests = cases[n].first > 0;
        EXPECT_EQ(engines[std::size_t(n)]->requests().size(), rests ? 1 : 2) << n;
        if (rests) {
            EXPECT_EQ(shown(n), u"一時停止中 ("_s + cases[n].resting + u')') << n;
            EXPECT_EQ(run->engineStatuses().at(n).kind, EngineStatus::Resting);
        } else {
            EXPECT_TRUE(shown(n).startsWith(u"失敗: "_s)) << n << shown(n).toStdString();
        }
    }
    // The second failure in a row rests a minute.
    for (const int n : {failing, failing + 1})
        EXPECT_EQ(restLeft(n), 60) << n;

    // A day later every rest is over; each engine answers as before.
    now = start.addSecs(25 * 3600);
    search();
    for (int n = 0; n < int(std::size(cases)); ++n) {
        const bool firstRested = cases[n].first > 0;
        EXPECT_EQ(engines[std::size_t(n)]->requests().size(), firstRested ? 2 : 3) << n;
        // Failures go on doubling: the third in a row rests two minutes.
        EXPECT_EQ(restLeft(n), cases[n].later) << n;
    }
    for (const int n : {failing, failing + 1})
        EXPECT_EQ(restLeft(n), 120) << n;
    EXPECT_EQ(slow.requests().size(), 3);
}

TEST_F(RestRun, RowsEndTheRestAndTheDoublingStartsAgain)
{
    TestEngine& e = engine(refusal("HTTP/1.0 403 Forbidden"));
    search();
    EXPECT_EQ(restLeft(0), 3600);
    // The refused page is kept, for the browser.
    EXPECT_TRUE(EngineRests(paths, [this] { return now; })
                    .restOf(name(0))
                    ->address.startsWith(u"http://127.0.0.1:%1/s?"_s.arg(e.port())));
    now = now.addSecs(2 * 3600);
    search();
    EXPECT_EQ(restLeft(0), 7200);

    now = now.addSecs(3 * 3600);
    e.setPage(u"*"_s, rows());
    search();
    EXPECT_EQ(results.rowCount(), 1);
    EXPECT_EQ(restLeft(0), -1);
    EXPECT_FALSE(QFileInfo::exists(RestStatePath(paths)) &&
                 readFile(RestStatePath(paths)).contains("e00"));

    e.setPage(u"*"_s, refusal("HTTP/1.0 403 Forbidden"));
    search();
    EXPECT_EQ(restLeft(0), 3600);
    EXPECT_EQ(e.requests().size(), 4);
}

TEST_F(RestRun, ARunWhoseEnginesAllRestEndsAtOnceAndSaysSo)
{
    engine(refusal("HTTP/1.0 403 Forbidden"));
    engine(refusal("HTTP/1.1 429 Too Many\r\nRetry-After: 900"));
    search();
    ASSERT_EQ(restLeft(0), 3600);
    ASSERT_EQ(restLeft(1), 900);

    run = std::make_unique<SearchRun>(paths, catalogue, results, messages);
    run->setClock([this] { return now; });
    QSignalSpy finished(run.get(), &SearchRun::finished);
    run->start(InputMode::Keywords, u"京都"_s);
    // Ended within the Search button's own call: nothing to wait for.
    EXPECT_FALSE(run->isRunning());
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(DescribeRunEnd(run->engineStatuses(), 0),
              u"選んだエンジンはすべて一時停止中です: e00 (HTTP 403, あと 1 時間)、"
              u"e01 (HTTP 429, あと 15 分)"_s);
    for (const auto& e : engines)
        EXPECT_EQ(e->requests().size(), 1);
}

TEST_F(RestRun, WithoutTheKeysNoEngineRestsAndNoStateIsWritten)
{
    writeFile(paths.IniPath, "[chasen]\r\ntype=0\r\n");
    TestEngine& e = engine(refusal("HTTP/1.1 429 Too Many\r\nRetry-After: 600"));
    search();
    search();
    EXPECT_EQ(e.requests().size(), 2);
    EXPECT_FALSE(QFileInfo::exists(RestStatePath(paths)));
}
