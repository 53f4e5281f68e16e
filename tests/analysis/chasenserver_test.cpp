// sokuri-chasen-server as a process, over the real ChaSen of the system: the
// client through it, and its dialogue and limits spoken to directly.

#include "analysis/keywords.h"
#include "analysis/sentenceanalyser.h"
#include "common/appstate.h"

#include "chasentestsupport.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

// A raw client of the server: sends bytes and collects the EUC-JP lines.
class RawClient
{
public:
    explicit RawClient(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(m_socket.waitForConnected(HangGuardMs));
        QObject::connect(&m_socket, &QIODevice::readyRead, &m_socket,
                         [this] { m_received += m_socket.readAll(); });
    }

    void send(const QByteArray& bytes)
    {
        m_socket.write(bytes);
        m_socket.flush();
    }

    // Waits until a received line equals line; returns all lines up to it.
    QStringList linesUntil(const QString& line)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return lines().contains(line); }, HangGuardMs))
            << "no line " << line.toStdString() << " in " << lines().join(u'|').toStdString();
        const QStringList all = lines();
        const qsizetype end = all.indexOf(line);
        QStringList taken = all.mid(0, end + 1);
        // Consume what was taken.
        qsizetype bytes = 0;
        for (qsizetype i = 0; i <= end; ++i)
            bytes = m_received.indexOf('\n', bytes) + 1;
        m_received.remove(0, bytes);
        return taken;
    }

    bool waitForClose()
    {
        return QTest::qWaitFor(
            [&] { return m_socket.state() == QAbstractSocket::UnconnectedState; }, HangGuardMs);
    }

private:
    QStringList lines() const
    {
        QStringDecoder decoder("EUC-JP");
        QString text = decoder.decode(m_received.left(m_received.lastIndexOf('\n') + 1));
        QStringList all = text.split(u'\n');
        all.removeLast();
        return all;
    }

    QTcpSocket m_socket;
    QByteArray m_received;
};

} // namespace

TEST(ChasenServerTool, ClientThroughTheServerMatchesTheLocalRun)
{
    ChasenServerProcess server;
    const quint16 port = server.port();
    ASSERT_NE(port, 0);

    TempAppDir dir;
    installChasenScript(dir.path());
    const AppPaths paths = ResolveAppPaths(dir.path());
    RecordingMessages messages;
    SentenceAnalyser analyser(messages);

    KeywordList viaServer;
    analyser.AnalyseText(Sentence, serverSettings(QString::number(port)), paths, viaServer);
    EXPECT_EQ(waitForAnalysis(analyser), 0);

    ChasenSettings local;
    local.type = ChasenSettings::Local;
    local.filename = u"/usr/bin/chasen"_s;
    KeywordList viaLocal;
    analyser.AnalyseText(Sentence, local, paths, viaLocal);
    EXPECT_EQ(waitForAnalysis(analyser), 0);

    EXPECT_EQ(viaServer.words(), SentenceKeywords);
    EXPECT_EQ(viaLocal.words(), SentenceKeywords);
    EXPECT_TRUE(messages.criticals.isEmpty());
}

TEST(ChasenServerTool, DialogueLineByLine)
{
    ChasenServerProcess server;
    ASSERT_NE(server.port(), 0);
    RawClient client(server.port());
    EXPECT_EQ(client.linesUntil(u"200 Running ChaSen version: 2.4.5"_s).size(), 1);

    client.send("HELLO\n");
    EXPECT_EQ(client.linesUntil(u"500 Unknown command"_s).size(), 1);
    // Options that name files are not for clients.
    client.send("RUN -o /tmp/sokuri-chasen-server-test\n");
    EXPECT_EQ(client.linesUntil(u"500 Option not allowed: -o"_s).size(), 1);

    client.send("RUN -c\n");
    EXPECT_EQ(client.linesUntil(u"200 OK"_s).size(), 1);
    // Two texts, the second with a CR before its LF: two answers.
    client.send(euc(u"京都の旅館"_s) + "\n" + euc(u"庭"_s) + "\r\n");
    EXPECT_EQ(client.linesUntil(u"EOS"_s),
              QStringList({u"京都\tキョウト\t京都\t3 0 0"_s, u"の\tノ\tの\t0 0 0"_s,
                           u"旅館\tリョカン\t旅館\t2 0 0"_s, u"EOS"_s}));
    EXPECT_EQ(client.linesUntil(u"EOS"_s), QStringList({u"庭\tニワ\t庭\t2 0 0"_s, u"EOS"_s}));
    client.send(".\n");
    EXPECT_EQ(client.linesUntil(u"200 OK"_s).size(), 1);
    client.send("QUIT\n");
    EXPECT_EQ(client.linesUntil(u"200 OK"_s).size(), 1);
    EXPECT_TRUE(client.waitForClose());
    EXPECT_FALSE(QFileInfo::exists(u"/tmp/sokuri-chasen-server-test"_s));
}

TEST(ChasenServerTool, OverlongLineIsRefusedAndTheSessionGoesOn)
{
    ChasenServerProcess server;
    ASSERT_NE(server.port(), 0);
    RawClient client(server.port());
    client.linesUntil(u"200 Running ChaSen version: 2.4.5"_s);
    client.send("RUN -c\n");
    client.linesUntil(u"200 OK"_s);
    client.send(QByteArray(200 * 1024, 'a'));
    EXPECT_EQ(client.linesUntil(u"500 Line too long"_s).size(), 1);
    // The rest of that line is dropped; the next text is analysed.
    client.send(QByteArray(10 * 1024, 'a') + "\n" + euc(u"宿"_s) + "\n");
    EXPECT_EQ(client.linesUntil(u"EOS"_s), QStringList({u"宿\tヤド\t宿\t2 0 0"_s, u"EOS"_s}));
    client.send(".\nQUIT\n");
    client.linesUntil(u"200 OK"_s);
    EXPECT_TRUE(client.waitForClose());
}

TEST(ChasenServerTool, ClientsDoNotHoldEachOtherUp)
{
    ChasenServerProcess server;
    ASSERT_NE(server.port(), 0);
    // One client never says anything, one floods without a line end, one
    // leaves in the middle of an analysis.
    RawClient silent(server.port());
    RawClient flooding(server.port());
    flooding.linesUntil(u"200 Running ChaSen version: 2.4.5"_s);
    flooding.send("RUN -c\n");
    flooding.linesUntil(u"200 OK"_s);
    for (int i = 0; i < 16; ++i)
        flooding.send(QByteArray(256 * 1024, 'z'));
    {
        RawClient leaving(server.port());
        leaving.linesUntil(u"200 Running ChaSen version: 2.4.5"_s);
        leaving.send("RUN -c\n" + euc(Sentence) + "\n");
    }

    TempAppDir dir;
    RecordingMessages messages;
    SentenceAnalyser analyser(messages);
    KeywordList keywords;
    analyser.AnalyseText(Sentence, serverSettings(QString::number(server.port())),
                         ResolveAppPaths(dir.path()), keywords);
    EXPECT_EQ(waitForAnalysis(analyser), 0);
    EXPECT_EQ(keywords.words(), SentenceKeywords);
    EXPECT_EQ(server.process().state(), QProcess::Running);
}

TEST(ChasenServerTool, MissingChasenProgramEndsWithAMessage)
{
    ChasenServerProcess server({u"--chasen"_s, u"/nonexistent/chasen"_s});
    EXPECT_EQ(server.port(), 0);
    ASSERT_TRUE(server.process().state() == QProcess::NotRunning ||
                server.process().waitForFinished(HangGuardMs));
    EXPECT_EQ(server.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.process().exitCode(), 1);
    EXPECT_TRUE(server.process().readAllStandardError().contains("/nonexistent/chasen"));
}
