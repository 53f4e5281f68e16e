// Search runs against engines and ChaSen servers that misbehave: endless
// lines, entries that never end, trickles, garbage and floods. The run must
// not crash, its memory must stay bounded, Stop must end it, and the rows of
// the well-behaved engines must stay intact.

#include "analysis/sentenceanalyser.h"
#include "app/searchrun.h"
#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"
#include "support/engineplugins.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"

#include <QHostAddress>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed memory in a quarantine (256 MB by default),
// which would count as resident here; a small one lets the peak show what
// the run itself holds.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=4";
}
#endif

namespace {

constexpr int HangGuardMs = 120000;

// What a run may hold at most for one hostile answer: a cut line (32 KiB),
// an entry bounded at 1 Mi characters, the socket's read chunk and the
// buffers of the sanitizers' allocator, with room to spare. An answer kept
// whole would be far beyond it.
constexpr long MemoryBoundKiB = 96 * 1024;

// The growth of the peak resident size since before, recorded with the test
// result and checked against the bound.
void expectBoundedGrowth(long before);

long peakResidentKiB()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void expectBoundedGrowth(long before)
{
    const long growth = peakResidentKiB() - before;
    ::testing::Test::RecordProperty("peak_resident_growth_kib", std::to_string(growth));
    EXPECT_LT(growth, MemoryBoundKiB);
}

const QStringList GoodTitles = {u"まともな宿"_s, u"普通の旅館"_s};

// An engine that streams whatever it is told to and a good engine beside it.
class Hostile : public ::testing::Test
{
protected:
    Hostile()
    {
        paths = InitAppState(dir.path()).paths;
        EXPECT_TRUE(good.listen());
        EnginePage page;
        page.body = EncodePage(resultPage(GoodTitles), u"x-sjis"_s);
        good.setPage(u"*"_s, page);
        writeEnginePlugin(paths, EnginePlugin(u"a_good"_s, good.port()));
    }

    TestEngine& bad(const EnginePage& page, const QString& charset = u"x-sjis"_s)
    {
        auto engine = std::make_unique<TestEngine>();
        EXPECT_TRUE(engine->listen());
        engine->setPage(u"*"_s, page);
        EnginePlugin file(u"b_bad"_s + QString::number(engines.size()), engine->port());
        file.resultCharset = charset;
        writeEnginePlugin(paths, file);
        engines.push_back(std::move(engine));
        return *engines.back();
    }

    void startRun()
    {
        catalogue.load(paths);
        for (int row = 0; row < catalogue.count(); ++row)
            catalogue.setChecked(row, true);
        run = std::make_unique<SearchRun>(paths, catalogue, results, messages);
        finished = std::make_unique<QSignalSpy>(run.get(), &SearchRun::finished);
        run->start(InputMode::Keywords, u"京都"_s);
    }

    void startSentenceRun(quint16 port, const QString& text);

    bool waitForEnd() { return !finished->isEmpty() || finished->wait(HangGuardMs); }

    // Waits until the good engine's rows are in, presses Stop and waits for
    // the end of the run.
    void stopOnceTheGoodRowsAreIn()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return goodRows() == GoodTitles.size(); }, HangGuardMs));
        run->stop();
        ASSERT_TRUE(waitForEnd()) << "Stop did not end the run";
    }

    int goodRows() const
    {
        int count = 0;
        for (const ResultRow& row : results.rows())
            count += row.plugin == u"a_good" ? 1 : 0;
        return count;
    }

    void expectGoodRowsIntact() const
    {
        QStringList titles;
        for (const ResultRow& row : results.rows()) {
            if (row.plugin == u"a_good")
                titles.append(row.title);
        }
        EXPECT_EQ(titles, GoodTitles);
    }

    TempAppDir dir;
    AppPaths paths;
    TestEngine good;
    std::vector<std::unique_ptr<TestEngine>> engines;
    PluginCatalogue catalogue;
    ResultsModel results;
    RecordingMessages messages;
    std::unique_ptr<SearchRun> run;
    std::unique_ptr<QSignalSpy> finished;
};

} // namespace

TEST_F(Hostile, TwoHundredMegabytesWithoutALineEnd)
{
    const long before = peakResidentKiB();
    EnginePage page;
    page.body = QByteArray(64 * 1024, 'x');
    page.repeatBodyUntil = 200LL * 1024 * 1024;
    bad(page);
    startRun();
    ASSERT_TRUE(waitForEnd());
    expectGoodRowsIntact();
    expectBoundedGrowth(before);
}

TEST_F(Hostile, EndlessLinesInsideAnEntryThatNeverEnds)
{
    const long before = peakResidentKiB();
    EnginePage page;
    page.body = "<ol>\r\n<li><a href=\"/x\">終わらない</a> " + QByteArray(1000, 'y') + "\r\n";
    page.repeatBodyUntil = 100LL * 1024 * 1024;
    bad(page);
    startRun();
    ASSERT_TRUE(waitForEnd());
    expectGoodRowsIntact();
    EXPECT_EQ(results.rowCount(), GoodTitles.size()); // the endless entry never completes
    expectBoundedGrowth(before);
}

TEST_F(Hostile, TrickleOfAByteASecondEndsWithStop)
{
    EnginePage page;
    page.body = EncodePage(resultPage({u"遅すぎる宿"_s}), u"x-sjis"_s);
    page.pieces = {1};
    page.pieceDelayMs = 1000;
    TestEngine& trickle = bad(page);
    startRun();
    stopOnceTheGoodRowsAreIn();
    expectGoodRowsIntact();
    // Stop closed the connection; the engine notices at its next write.
    EXPECT_TRUE(QTest::qWaitFor([&] { return trickle.openConnections() == 0; }, HangGuardMs));
}

TEST_F(Hostile, GarbageInEveryCharacterSet)
{
    QByteArray garbage(256 * 1024, '\0');
    QRandomGenerator random(20261207);
    for (char& byte : garbage)
        byte = char(random.bounded(256));
    // Markers between the garbage, so entries start and end in it.
    garbage.insert(1000, "<ol><li><a href=\"");
    garbage.insert(5000, "</li><li>");
    EnginePage page;
    page.body = garbage;
    for (const QString& charset : {u"iso-2022-jp"_s, u"x-euc-jp"_s, u"x-sjis"_s, u"utf-8"_s})
        bad(page, charset);
    startRun();
    ASSERT_TRUE(waitForEnd());
    expectGoodRowsIntact();
}

namespace {

// A ChaSen server that sends greeting and then chunk for ever, writing only as
// fast as the client reads. It reads at most readBuffer bytes of what it is
// sent (0: everything).
class EndlessChasen
{
public:
    EndlessChasen(const QByteArray& greeting, const QByteArray& chunk, qint64 readBuffer = 0)
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server,
                         [this, greeting, chunk, readBuffer] {
                             while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                                 socket->setParent(&m_server);
                                 socket->setReadBufferSize(readBuffer);
                                 QObject::connect(socket, &QIODevice::bytesWritten, socket,
                                                  [this, socket, chunk] {
                                                      if (socket->bytesToWrite() < 64 * 1024)
                                                          m_sent += socket->write(chunk);
                                                  });
                                 socket->write(greeting);
                             }
                         });
    }
    ~EndlessChasen()
    {
        for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>())
            socket->disconnect();
    }

    quint16 port() const { return m_server.serverPort(); }
    qint64 sent() const { return m_sent; }

private:
    QTcpServer m_server;
    qint64 m_sent = 0;
};

} // namespace

// A sentence run of text against the ChaSen server on port, for the first
// plugin only.
void Hostile::startSentenceRun(quint16 port, const QString& text)
{
    catalogue.load(paths);
    catalogue.setChecked(0, true);
    run = std::make_unique<SearchRun>(paths, catalogue, results, messages);
    ChasenSettings settings;
    settings.type = ChasenSettings::Server;
    settings.host = u"127.0.0.1"_s;
    settings.port = QString::number(port);
    run->setChasenSettings(settings);
    finished = std::make_unique<QSignalSpy>(run.get(), &SearchRun::finished);
    run->start(InputMode::Sentence, text);
}

TEST_F(Hostile, ChasenServerThatNeverReadsItsRequestsEndsTheRunWithTheServerMessage)
{
    const long before = peakResidentKiB();
    // Each greeting asks for the whole text again; the server reads almost
    // nothing of it (Qt would otherwise read everything into memory here).
    EndlessChasen server("200 Running ChaSen\n", QByteArray("200 Running ChaSen\n").repeated(100),
                         1024);
    // About 3 KB in EUC-JP, asked for again by every 19-byte greeting.
    startSentenceRun(server.port(), u"京都の宿に泊まる。"_s.repeated(120));

    ASSERT_TRUE(waitForEnd());
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_EQ(messages.criticals[0].text, u"茶筅サーバーに接続出来ません。");
    EXPECT_TRUE(good.requests().isEmpty());
    expectBoundedGrowth(before);
}

TEST_F(Hostile, ChasenServerThatFloodsLinesEndsWithStop)
{
    const long before = peakResidentKiB();
    // Analysis lines for ever, and never an "EOS".
    EndlessChasen server("200 Running ChaSen\r\n\n",
                         QByteArray("京都\tキョウト\t京都\t名詞-固有名詞\t\t\n").repeated(1000));
    startSentenceRun(server.port(), u"京都の宿"_s);

    ASSERT_TRUE(QTest::qWaitFor([&] { return server.sent() > 20LL * 1024 * 1024; }, HangGuardMs));
    EXPECT_EQ(run->phase(), SearchRun::Phase::Analysing);
    run->stop();
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(good.requests().isEmpty());
    // The next sentence run closes the flooding conversation first.
    run->analyser().close();
    expectBoundedGrowth(before);
}
