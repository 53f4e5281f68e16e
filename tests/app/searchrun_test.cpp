#include "app/searchrun.h"

#include "retrieval/resultsmodel.h"
#include "retrieval/searchconnection.h"
#include "searchplugins/plugincatalogue.h"
#include "support/engineplugins.h"
#include "support/fakeplatform.h"
#include "support/refusingport.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

// Guards against hangs only; every wait ends as soon as its event arrives.
constexpr int HangGuardMs = 60000;

// The line every request names its client with.
const QByteArray UserAgentLine = "User-Agent: Sokuri/" SOKURI_VERSION_TEXT "\r\n";

const QStringList AlphaTitles = {u"京都の老舗旅館"_s, u"嵐山の宿"_s};
const QStringList BetaTitles = {u"祇園の町家"_s, u"東山の温泉宿"_s};

EnginePage pageOf(const QStringList& titles, const QString& charset = u"x-sjis"_s,
                  const QList<int>& scores = {})
{
    EnginePage page;
    page.body = EncodePage(resultPage(titles, scores), charset);
    return page;
}

// An application folder with plugins, a catalogue over it and a run that
// puts its rows into a results list.
class Run : public ::testing::Test
{
protected:
    Run() { paths = InitAppState(dir.path()).paths; }

    // The engine of a plugin, listening on its own port.
    TestEngine& engine(const EnginePage& page)
    {
        auto engine = std::make_unique<TestEngine>();
        EXPECT_TRUE(engine->listen()) << engine->errorString().toStdString();
        engine->setPage(u"*"_s, page);
        engines.push_back(std::move(engine));
        return *engines.back();
    }

    void plugin(const EnginePlugin& plugin) { writeEnginePlugin(paths, plugin); }
    void plugin(const QString& name, quint16 port) { plugin(EnginePlugin(name, port)); }

    // Loads the catalogue and checks the plugins of these names.
    void check(const QStringList& names)
    {
        catalogue.load(paths);
        for (const QString& name : names)
            catalogue.setCheckedByName(name, true);
        ASSERT_EQ(catalogue.checkedNames().size(), names.size());
    }

    SearchRun& makeRun()
    {
        if (!run)
            run = std::make_unique<SearchRun>(paths, catalogue, results, messages);
        return *run;
    }

    // Starts a run and waits until it has ended.
    void search(const QString& text, InputMode mode = InputMode::Keywords)
    {
        SearchRun& r = makeRun();
        QSignalSpy finished(&r, &SearchRun::finished);
        r.start(mode, text);
        if (finished.isEmpty()) {
            ASSERT_TRUE(finished.wait(HangGuardMs)) << "the run did not end";
        }
        EXPECT_FALSE(r.isRunning());
    }

    QStringList titles() const
    {
        QStringList list;
        for (const ResultRow& row : results.rows())
            list.append(row.title);
        return list;
    }

    TempAppDir dir;
    AppPaths paths;
    PluginCatalogue catalogue;
    ResultsModel results;
    RecordingMessages messages;
    std::vector<std::unique_ptr<TestEngine>> engines;
    std::unique_ptr<SearchRun> run;
};

} // namespace

TEST_F(Run, KeywordModeAsksTwoEnginesOnSocketsZeroAndOne)
{
    TestEngine& alpha = engine(pageOf(AlphaTitles, u"x-sjis"_s, {90, 60}));
    TestEngine& beta = engine(pageOf(BetaTitles, u"x-sjis"_s, {80, 40}));
    plugin(u"alpha"_s, alpha.port());
    plugin(u"beta"_s, beta.port());
    check({u"alpha"_s, u"beta"_s});

    QSignalSpy started(&makeRun(), &SearchRun::started);
    search(u"  京都 旅館 "_s);

    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0][0].toString(), u"京都 旅館");
    // The request builder hands the encoded form on to the next plugin.
    EXPECT_EQ(run->keywordString(), u"京都+旅館");
    EXPECT_TRUE(messages.criticals.isEmpty());

    // Byte for byte: the request line, the Host and User-Agent lines and the
    // empty line.
    for (TestEngine* e : {&alpha, &beta}) {
        ASSERT_EQ(e->requests().size(), 1);
        EXPECT_EQ(e->requests()[0], "GET /s?lang=ja&q=%8B%9E%93s+%97%B7%8A%D9 HTTP/1.0\r\n"
                                    "Host: 127.0.0.1:" +
                                        QByteArray::number(e->port()) + "\r\n" + UserAgentLine +
                                        "\r\n");
    }
    // Socket 0 was still busy when the second plugin was handed out.
    EXPECT_EQ(run->connection(0).slot().Name, u"alpha");
    EXPECT_EQ(run->connection(1).slot().Name, u"beta");

    // Relevance descending; the two first entries both scale to 100 and
    // keep the order in which they arrived.
    EXPECT_EQ(titles(),
              QStringList({AlphaTitles[0], BetaTitles[0], AlphaTitles[1], BetaTitles[1]}));
    const ResultRow first = results.rows().at(0);
    EXPECT_EQ(first.plugin, u"alpha");
    EXPECT_EQ(first.relevance, u"100");
    // A relative title link names no site.
    EXPECT_EQ(first.site, u"") << first.html.toStdString();
    EXPECT_TRUE(
        first.html.contains(u"http://127.0.0.1:"_s + QString::number(alpha.port()) + u"/doc/0"_s))
        << first.html.toStdString();

    ASSERT_EQ(run->engineStatuses().size(), 2);
    for (const EngineStatus& status : run->engineStatuses()) {
        EXPECT_EQ(status.kind, EngineStatus::Done) << status.plugin.toStdString();
        EXPECT_EQ(status.rows, 2);
    }
}

TEST_F(Run, KeywordTextKeepsItsInnerBlanks)
{
    TestEngine& alpha = engine(pageOf(AlphaTitles));
    plugin(u"alpha"_s, alpha.port());
    check({u"alpha"_s});
    QSignalSpy started(&makeRun(), &SearchRun::started);
    search(u"   京都  旅館   "_s);
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0][0].toString(), u"京都  旅館");
    // The empty field between the two blanks is a keyword of its own.
    EXPECT_EQ(run->keywordString(), u"京都++旅館");
    ASSERT_EQ(alpha.requests().size(), 1);
    EXPECT_TRUE(alpha.requests()[0].startsWith("GET /s?lang=ja&q=%8B%9E%93s++%97%B7%8A%D9 "));
}

TEST_F(Run, EveryResultCharsetGivesTheJapaneseTitles)
{
    const QStringList charsets = {u"iso-2022-jp"_s, u"x-euc-jp"_s, u"x-sjis"_s, u"utf-8"_s};
    for (const QString& charset : charsets) {
        const QString name = u"p_"_s + QString(charset).remove(u'-');
        TestEngine& e = engine(pageOf(AlphaTitles, charset));
        EnginePlugin file(name, e.port());
        file.resultCharset = charset;
        plugin(file);
    }
    // The same pages again, each cut into one-byte pieces.
    for (const QString& charset : charsets) {
        const QString name = u"q_"_s + QString(charset).remove(u'-');
        EnginePage page = pageOf(AlphaTitles, charset);
        page.pieces = {1};
        TestEngine& e = engine(page);
        EnginePlugin file(name, e.port());
        file.resultCharset = charset;
        plugin(file);
    }
    catalogue.load(paths);
    for (int row = 0; row < catalogue.count(); ++row) {
        catalogue.uncheckAll();
        catalogue.setChecked(row, true);
        search(u"京都"_s);
        EXPECT_EQ(titles(), AlphaTitles) << catalogue.at(row).text.toStdString();
    }
}

TEST_F(Run, FourthPluginWaitsForAFreeSocketUntilStop)
{
    QStringList names;
    for (int n = 0; n < 4; ++n) {
        EnginePage page = pageOf({u"止まらない"_s});
        page.neverClose = true;
        TestEngine& e = engine(page);
        names.append(u"p"_s + QString::number(n));
        plugin(names.last(), e.port());
    }
    check(names);

    SearchRun& r = makeRun();
    QSignalSpy finished(&r, &SearchRun::finished);
    r.start(InputMode::Keywords, u"京都"_s);
    auto asked = [this] {
        int count = 0;
        for (const auto& e : engines)
            count += int(e->requests().size());
        return count;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked() == 3; }, HangGuardMs));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(r.connection(i).slot().Name, names[i]);

    // More than the pause before a request: the fourth is still not asked.
    QTest::qWait(2500);
    EXPECT_EQ(asked(), 3);
    EXPECT_TRUE(engines[3]->requests().isEmpty());
    EXPECT_TRUE(r.dispatching());
    EXPECT_TRUE(finished.isEmpty());
    // The rows of the open connections are already in the list.
    EXPECT_EQ(results.rowCount(), 3);

    r.stop();
    EXPECT_FALSE(r.canStop());
    ASSERT_TRUE(finished.size() == 1 || finished.wait(HangGuardMs));
    EXPECT_TRUE(engines[3]->requests().isEmpty());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(r.connection(i).state(), SearchConnection::Closed);
    EXPECT_EQ(r.engineStatuses().at(3).kind, EngineStatus::Waiting);
    EXPECT_EQ(results.rowCount(), 3);
}

TEST_F(Run, UnreachableEngineFailsAndTheRunStillEnds)
{
    TestEngine& alpha = engine(pageOf(AlphaTitles));
    plugin(u"alpha"_s, alpha.port());
    const sokuri::test::RefusingPort dead;
    plugin(u"dead"_s, dead.port());
    check({u"alpha"_s, u"dead"_s});

    search(u"京都"_s);
    EXPECT_EQ(titles(), AlphaTitles);
    EXPECT_EQ(run->connection(1).slot().Name, u"dead");
    EXPECT_EQ(run->connection(1).state(), SearchConnection::Error);
    EXPECT_EQ(run->engineStatuses().at(1).kind, EngineStatus::Failed);
    EXPECT_FALSE(run->engineStatuses().at(1).reason.isEmpty());
    // Nothing is shown for a failed engine.
    EXPECT_TRUE(messages.criticals.isEmpty());
}

TEST_F(Run, RunAfterThreeFailedSocketsWorks)
{
    QStringList dead;
    const sokuri::test::RefusingPort refusing[3];
    for (int n = 0; n < 3; ++n) {
        dead.append(u"dead"_s + QString::number(n));
        plugin(dead.last(), refusing[n].port());
    }
    check(dead);
    search(u"京都"_s);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(run->connection(i).state(), SearchConnection::Error);

    TestEngine& alpha = engine(pageOf(AlphaTitles));
    plugin(u"alpha"_s, alpha.port());
    catalogue.refresh(paths);
    catalogue.uncheckAll();
    catalogue.setCheckedByName(u"alpha"_s, true);
    search(u"京都"_s);
    EXPECT_EQ(titles(), AlphaTitles);
}

TEST_F(Run, StopDuringThePauseAsksNoEngine)
{
    EnginePage page = pageOf(AlphaTitles);
    page.neverClose = true;
    TestEngine& alpha = engine(page);
    plugin(u"alpha"_s, alpha.port());
    check({u"alpha"_s});

    SearchRun& r = makeRun();
    QSignalSpy finished(&r, &SearchRun::finished);
    r.start(InputMode::Keywords, u"京都"_s);
    ASSERT_EQ(r.phase(), SearchRun::Phase::Dispatching);
    r.stop();
    ASSERT_TRUE(finished.size() == 1 || finished.wait(HangGuardMs));
    // The request that the pause held back never went out, so an engine that
    // never closes cannot keep the run going after Stop.
    QTest::qWait(1500);
    EXPECT_TRUE(alpha.requests().isEmpty());
    EXPECT_EQ(alpha.openConnections(), 0);
    EXPECT_EQ(r.connection(0).state(), SearchConnection::Closed);
}

TEST_F(Run, NoKeywordsEndTheRunAtOnce)
{
    TestEngine& alpha = engine(pageOf(AlphaTitles));
    plugin(u"alpha"_s, alpha.port());
    check({u"alpha"_s});
    results.addRow(ResultRow{u"old"_s, u"x"_s, u"100"_s, u""_s, u""_s});

    SearchRun& r = makeRun();
    QSignalSpy finished(&r, &SearchRun::finished);
    r.start(InputMode::Keywords, u"   "_s);
    EXPECT_EQ(finished.size(), 1);
    EXPECT_FALSE(r.isRunning());
    EXPECT_EQ(results.rowCount(), 0); // the list was cleared all the same
    EXPECT_TRUE(alpha.requests().isEmpty());
    EXPECT_TRUE(messages.criticals.isEmpty());

    // Without a mode the keywords of the last run count: none here.
    r.start(InputMode::None, u"京都"_s);
    EXPECT_EQ(finished.size(), 2);
    EXPECT_TRUE(alpha.requests().isEmpty());
}

TEST_F(Run, WithoutAModeTheLastKeywordsAreUsed)
{
    TestEngine& alpha = engine(pageOf(AlphaTitles));
    plugin(u"alpha"_s, alpha.port());
    check({u"alpha"_s});
    search(u"京都"_s);
    search(u"大阪"_s, InputMode::None);
    ASSERT_EQ(alpha.requests().size(), 2);
    EXPECT_EQ(alpha.requests()[0], alpha.requests()[1]);
}

TEST_F(Run, HttpsEngineWithATrustedCertificate)
{
    const QString cert = QStringLiteral(SOKURI_TEST_TLS_DIR "/cert.pem");
    for (bool trusted : {true, false}) {
        SCOPED_TRACE(trusted ? "trusted" : "untrusted");
        auto e = std::make_unique<TestEngine>();
        ASSERT_TRUE(e->listenTls(cert, QStringLiteral(SOKURI_TEST_TLS_DIR "/key.pem")))
            << e->errorString().toStdString();
        e->setPage(u"*"_s, pageOf(AlphaTitles));
        EnginePlugin file(u"secure"_s, e->port());
        file.host = u"localhost"_s;
        file.scheme = u"https"_s;
        plugin(file);
        check({u"secure"_s});

        run.reset();
        SearchRun& r = makeRun();
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        if (trusted) {
            ASSERT_TRUE(configuration.addCaCertificates(cert));
        }
        for (int i = 0; i < SearchRun::ConnectionCount; ++i)
            r.connection(i).setSslConfiguration(configuration);

        search(u"京都"_s);
        if (trusted) {
            EXPECT_EQ(titles(), AlphaTitles);
            ASSERT_EQ(e->requests().size(), 1);
            EXPECT_TRUE(e->requests()[0].endsWith(
                QByteArray("\r\nHost: localhost:" + QByteArray::number(e->port()) + "\r\n" +
                           UserAgentLine + "\r\n")));
            EXPECT_TRUE(results.rows().at(0).html.contains(u"https://localhost:"_s));
        } else {
            EXPECT_EQ(results.rowCount(), 0);
            EXPECT_TRUE(e->requests().isEmpty());
            EXPECT_EQ(r.connection(0).state(), SearchConnection::Error);
            EXPECT_EQ(r.engineStatuses().at(0).kind, EngineStatus::Failed);
        }
        engines.push_back(std::move(e));
    }
}

TEST_F(Run, PostSendsTheQueryAsAFormBody)
{
    TestEngine& alpha = engine(pageOf(AlphaTitles));
    EnginePlugin file(u"alpha"_s, alpha.port());
    file.path = u"/post"_s;
    file.method = u"post"_s;
    plugin(file);
    check({u"alpha"_s});
    search(u"京都"_s);
    ASSERT_EQ(alpha.requests().size(), 1);
    const QByteArray body = "lang=ja&q=%8B%9E%93s";
    EXPECT_EQ(alpha.requests()[0], "POST /post HTTP/1.0\r\nHost: 127.0.0.1:" +
                                       QByteArray::number(alpha.port()) + "\r\n" + UserAgentLine +
                                       "Content-Type: application/x-www-form-urlencoded\r\n"
                                       "Content-Length: " +
                                       QByteArray::number(body.size()) + "\r\n\r\n" + body);
    EXPECT_EQ(titles(), AlphaTitles);
}

TEST_F(Run, EngineThatResetsMidLineKeepsTheRowsBefore)
{
    const QByteArray page = EncodePage(resultPage(AlphaTitles), u"x-sjis"_s);
    EnginePage broken;
    broken.body = page;
    // Up to the middle of the second entry's line.
    broken.resetAfter = broken.header.size() + page.indexOf("/doc/1");
    TestEngine& alpha = engine(broken);
    plugin(u"alpha"_s, alpha.port());
    check({u"alpha"_s});
    search(u"京都"_s);
    EXPECT_EQ(titles(), QStringList({AlphaTitles[0]}));
}

// What the status of each engine says, as the status line and the command
// line's progress show it.
TEST_F(Run, EngineStatusesTellWhatBecameOfEachEngine)
{
    TestEngine& answers = engine(pageOf(AlphaTitles));
    EnginePage silent;
    silent.body = "<html>no results here</html>\r\n";
    TestEngine& noList = engine(silent);
    EnginePage open = pageOf(AlphaTitles);
    open.neverClose = true;
    TestEngine& neverCloses = engine(open);
    auto tls = std::make_unique<TestEngine>();
    ASSERT_TRUE(tls->listenTls(QStringLiteral(SOKURI_TEST_TLS_DIR "/cert.pem"),
                               QStringLiteral(SOKURI_TEST_TLS_DIR "/key.pem")));

    plugin(u"a_answers"_s, answers.port());
    const sokuri::test::RefusingPort refusing;
    plugin(u"b_refuses"_s, refusing.port());
    EnginePlugin slow(u"c_slow"_s, neverCloses.port());
    slow.timeout = u"2"_s;
    plugin(slow);
    plugin(u"d_nolist"_s, noList.port());
    EnginePlugin secure(u"e_untrusted"_s, tls->port());
    secure.scheme = u"https"_s;
    secure.host = u"localhost"_s;
    plugin(secure);
    check({u"a_answers"_s, u"b_refuses"_s, u"c_slow"_s, u"d_nolist"_s, u"e_untrusted"_s});

    QList<EngineStatus> seen;
    QObject::connect(&makeRun(), &SearchRun::engineStatusChanged, &makeRun(),
                     [&seen](int, const EngineStatus& status) { seen.append(status); });
    search(u"京都"_s);

    const QList<EngineStatus>& end = run->engineStatuses();
    ASSERT_EQ(end.size(), 5);
    EXPECT_EQ(end[0].kind, EngineStatus::Done);
    EXPECT_EQ(end[0].rows, 2);
    EXPECT_EQ(end[1].kind, EngineStatus::Failed);
    EXPECT_EQ(end[1].reason, u"接続を拒否されました");
    // The slow engine's complete rows stay when its time is up.
    EXPECT_EQ(end[2].kind, EngineStatus::Failed);
    EXPECT_EQ(end[2].reason, u"時間切れ");
    EXPECT_EQ(end[2].rows, 2);
    EXPECT_EQ(end[3].kind, EngineStatus::Failed);
    EXPECT_EQ(end[3].reason, u"結果の一覧がありません");
    EXPECT_EQ(end[4].kind, EngineStatus::Failed);
    EXPECT_EQ(end[4].reason, u"TLS の接続に失敗しました");
    EXPECT_EQ(results.rowCount(), 4);

    // Every engine was seen waiting first, and the answering one connecting
    // and receiving on its way to done.
    QStringList answering;
    for (const EngineStatus& status : seen) {
        if (status.plugin == u"a_answers")
            answering.append(QString::number(status.kind));
    }
    EXPECT_EQ(answering.first(), QString::number(EngineStatus::Waiting));
    EXPECT_TRUE(answering.contains(QString::number(EngineStatus::Connecting)));
    EXPECT_TRUE(answering.contains(QString::number(EngineStatus::Receiving)));
    EXPECT_EQ(answering.last(), QString::number(EngineStatus::Done));
    engines.push_back(std::move(tls));
}

TEST_F(Run, ThePluginsTimeoutWinsOverTheRunsDefault)
{
    // Both engines answer after 2 s and never close.
    EnginePage late = pageOf(AlphaTitles);
    late.delayMs = 2000;
    late.neverClose = true;
    TestEngine& first = engine(late);
    TestEngine& second = engine(late);
    plugin(u"a_default"_s, first.port());
    EnginePlugin own(u"b_own"_s, second.port());
    own.timeout = u"4"_s;
    plugin(own);
    check({u"a_default"_s, u"b_own"_s});

    makeRun().setDefaultTimeout(1);
    search(u"京都"_s);
    const QList<EngineStatus>& end = run->engineStatuses();
    ASSERT_EQ(end.size(), 2);
    for (const EngineStatus& status : end) {
        EXPECT_EQ(status.kind, EngineStatus::Failed) << status.plugin.toStdString();
        EXPECT_EQ(status.reason, u"時間切れ");
    }
    EXPECT_EQ(end[0].rows, 0); // gone before the answer came
    EXPECT_EQ(end[1].rows, 2); // its own four seconds were enough
    EXPECT_EQ(titles(), AlphaTitles);
}

TEST_F(Run, RequestsNameTheirClientAndCarryThePluginsHeaderLines)
{
    TestEngine& alpha = engine(pageOf(AlphaTitles));
    TestEngine& beta = engine(pageOf(BetaTitles));
    plugin(u"alpha"_s, alpha.port());
    EnginePlugin own(u"beta"_s, beta.port());
    own.moreSearch = u"useragent=Mozilla/5.0 (X11; Linux x86_64)\r\nheadercount=2\r\n"
                     u"header01=Accept-Language: ja\r\nheader02=X-Test: 1\r\n"_s;
    plugin(own);
    EnginePlugin bad(u"gamma"_s, beta.port());
    bad.moreSearch = u"headercount=1\r\nheader01=Accept-Language ja\r\n"_s;
    plugin(bad);
    check({u"alpha"_s, u"beta"_s, u"gamma"_s});
    search(u"京都"_s);

    ASSERT_EQ(alpha.requests().size(), 1);
    EXPECT_TRUE(alpha.requests()[0].endsWith(QByteArray("\r\n" + UserAgentLine + "\r\n")));
    // The refused plugin sent nothing; beta's one request is its own.
    ASSERT_EQ(beta.requests().size(), 1);
    EXPECT_TRUE(beta.requests()[0].endsWith("\r\nUser-Agent: Mozilla/5.0 (X11; Linux x86_64)\r\n"
                                            "Accept-Language: ja\r\nX-Test: 1\r\n\r\n"));
    EXPECT_EQ(results.rowCount(), 4);
    ASSERT_EQ(run->engineStatuses().size(), 3);
    EXPECT_EQ(run->engineStatuses().at(2).kind, EngineStatus::Skipped);
}

TEST_F(Run, RedirectsAreFollowedToTheServerThatAnswers)
{
    const auto moved = [](const QByteArray& status, const QByteArray& location) {
        EnginePage page;
        page.header = "HTTP/1.1 " + status + "\r\nLocation: " + location +
                      "\r\nContent-Type: text/html\r\n\r\n";
        page.body = "<ol><li><a href=\"/wrong\">moved</a></li></ol>\r\n";
        return page;
    };
    // http://first/s moves to the second server, which moves relatively.
    TestEngine& second = engine(moved("404 Not Found", ""));
    second.setPage(u"/final"_s, moved("302 Found", "page?x=1"));
    second.setPage(u"/page"_s, pageOf(AlphaTitles));
    TestEngine& first =
        engine(moved("301 Moved Permanently",
                     "http://127.0.0.1:" + QByteArray::number(second.port()) + "/final"));
    plugin(u"alpha"_s, first.port());
    check({u"alpha"_s});
    QSignalSpy statuses(&makeRun(), &SearchRun::engineStatusChanged);
    search(u"京都"_s);

    EXPECT_EQ(titles(), AlphaTitles);
    ASSERT_EQ(second.requests().size(), 2);
    EXPECT_TRUE(second.requests()[1].startsWith("GET /page?x=1 HTTP/1.0\r\n"));
    // Relative links resolve against the server that answered.
    EXPECT_TRUE(results.rows().at(0).html.contains(u"http://127.0.0.1:"_s +
                                                   QString::number(second.port()) + u"/doc/0"_s));
    EXPECT_EQ(run->engineStatuses().at(0).kind, EngineStatus::Done);
    bool toldMoved = false;
    for (const QList<QVariant>& arguments : statuses)
        toldMoved = toldMoved || DescribeStatus(arguments.last().value<EngineStatus>())
                                     .contains(u"移動: http://127.0.0.1:"_s);
    EXPECT_TRUE(toldMoved);

    // Six hops, or a scheme other than http and https, fail with the reason.
    struct Failing
    {
        QByteArray location;
        int requests;
        const char16_t* reason;
    };
    for (const Failing& c :
         {Failing{"/again", SearchConnection::MaxRedirects + 1, u"転送が多すぎます"},
          Failing{"ftp://127.0.0.1/x", 1, u"方式"},
          Failing{"http://[bad", 1, u"アドレスではありません"}}) {
        SCOPED_TRACE(c.location.toStdString());
        TestEngine& loop = engine(moved("307 Temporary Redirect", c.location));
        plugin(u"alpha"_s, loop.port());
        results.clear();
        search(u"京都"_s);
        EXPECT_EQ(loop.requests().size(), c.requests);
        EXPECT_EQ(results.rowCount(), 0);
        const EngineStatus status = run->engineStatuses().at(0);
        EXPECT_EQ(status.kind, EngineStatus::Failed);
        EXPECT_TRUE(status.reason.contains(QString::fromUtf16(c.reason)))
            << status.reason.toStdString();
    }
}
