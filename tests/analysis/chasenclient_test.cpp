// The ChaSen server dialogue against a scripted server that sends prepared
// bytes in prepared pieces and records what the client sends.

#include "analysis/chasenclient.h"
#include "analysis/keywords.h"
#include "analysis/sentenceanalyser.h"

#include "chasentestsupport.h"
#include "support/fakeplatform.h"
#include "support/qtprinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;
using Step = ScriptedServer::Step;

namespace {

const QByteArray Greeting = "200 Running ChaSen version: 2.4.5\n";
const QByteArray Quit = ".\nQUIT\n";

// One coded analysis line as ChaSen prints it, in EUC-JP, without line end.
QByteArray morpheme(const QString& word, const QString& code)
{
    return euc(word + u"\tよみ\t" + word + u'\t' + code + u" 0 0");
}

QByteArray request(const QString& text)
{
    return "RUN -c\n" + euc(text) + "\n";
}

struct Analysis
{
    RecordingMessages messages;
    SentenceAnalyser analyser{messages};
    KeywordList keywords;

    int run(const QString& text, const QString& port)
    {
        analyser.AnalyseText(text, serverSettings(port), AppPaths{}, keywords);
        return waitForAnalysis(analyser);
    }
};

} // namespace

TEST(ChasenDialogue, GreetingSplitInsideItsWordsIsAnsweredOnce)
{
    const QString text = u"京都の旅館"_s;
    ScriptedServer server({
        ScriptedServer::send("200 Runn"),
        ScriptedServer::pause(),
        ScriptedServer::send("ing ChaSen version: 2.4.5\r\n"),
        ScriptedServer::awaitReceived(request(text)),
        ScriptedServer::send("200 OK\n" + morpheme(u"旅館"_s, u"2"_s) + "\nEOS\n"),
        ScriptedServer::awaitReceived(Quit),
        ScriptedServer::send("200 OK\n"),
        ScriptedServer::close(),
    });
    Analysis analysis;
    EXPECT_EQ(analysis.run(text, server.portText()), 0);
    EXPECT_EQ(server.received(), request(text) + Quit);
    EXPECT_EQ(analysis.keywords.words(), QStringList{u"旅館"_s});
    EXPECT_EQ(server.connections(), 1);
}

TEST(ChasenDialogue, EveryLineEndEndsOneLineAndBlankLinesNone)
{
    const QString text = u"京都の旅館"_s;
    const QByteArray garden = morpheme(u"庭"_s, u"2"_s);
    ScriptedServer server({
        ScriptedServer::send(Greeting),
        ScriptedServer::awaitReceived(request(text)),
        // CR LF, lone LF, lone CR; blank lines of every kind between.
        ScriptedServer::send(morpheme(u"旅館"_s, u"2"_s) + "\r\n\r\n\n"),
        ScriptedServer::send(morpheme(u"が"_s, u"61"_s) + "\n\r\r"),
        ScriptedServer::send(morpheme(u"宿"_s, u"2"_s) + "\r"),
        ScriptedServer::pause(),
        // A line cut inside a double-byte character: the two arrivals join.
        ScriptedServer::send(garden.left(1)),
        ScriptedServer::pause(),
        ScriptedServer::send(garden.mid(1) + "\n"),
        ScriptedServer::pause(),
        // The previous arrival ended exactly at a line end: nothing carries
        // over into this line.
        ScriptedServer::send(morpheme(u"森"_s, u"3"_s) + "\r\nEOS\r\n"),
        ScriptedServer::awaitReceived(Quit),
        ScriptedServer::close(),
    });
    Analysis analysis;
    EXPECT_EQ(analysis.run(text, server.portText()), 0);
    EXPECT_EQ(analysis.keywords.words(), QStringList({u"旅館"_s, u"宿"_s, u"庭"_s, u"森"_s}));
    EXPECT_EQ(server.received(), request(text) + Quit);
}

TEST(ChasenDialogue, OkLineIsIgnoredEvenWhenItHoldsEos)
{
    const QString text = u"旅館"_s;
    ScriptedServer server({
        ScriptedServer::send(Greeting),
        ScriptedServer::awaitReceived(request(text)),
        // A second greeting makes the client answer again, so whatever it
        // sent for the lines before stands between the two answers.
        ScriptedServer::send("200 OK EOS\n" + morpheme(u"旅館"_s, u"2"_s) + "\n" + Greeting),
        ScriptedServer::awaitReceived(request(text)),
        ScriptedServer::send("EOS\n"),
        ScriptedServer::awaitReceived(Quit),
        ScriptedServer::close(),
    });
    Analysis analysis;
    EXPECT_EQ(analysis.run(text, server.portText()), 0);
    EXPECT_EQ(server.received(), request(text) + request(text) + Quit);
    EXPECT_EQ(analysis.keywords.words(), QStringList{u"旅館"_s});
}

TEST(ChasenDialogue, FirstLineWithEosIsAnsweredByDotAndQuitEachTime)
{
    const QString text = u"旅館"_s;
    ScriptedServer server({
        ScriptedServer::send(Greeting),
        ScriptedServer::awaitReceived(request(text)),
        // A word holding the letters EOS ends the analysis as well.
        ScriptedServer::send(morpheme(u"旅館"_s, u"2"_s) + "\n" + morpheme(u"NEOS"_s, u"2"_s) +
                             "\n"),
        ScriptedServer::awaitReceived(Quit),
        ScriptedServer::send("EOS\n"),
        ScriptedServer::awaitReceived(Quit + Quit),
        ScriptedServer::close(),
    });
    Analysis analysis;
    EXPECT_EQ(analysis.run(text, server.portText()), 0);
    EXPECT_EQ(server.received(), request(text) + Quit + Quit);
    EXPECT_EQ(analysis.keywords.words(), QStringList{u"旅館"_s});
}

TEST(ChasenDialogue, TextIsSentAsOneEucBlockLineBreaksIncluded)
{
    // Half-width katakana goes as 0x8E and its byte, as EUC-JP has it.
    const QString text = u"京都の旅館\n美しい庭 ｶﾞ abc"_s;
    const QByteArray expected =
        "RUN -c\n" + euc(u"京都の旅館"_s) + "\n" + euc(u"美しい庭 ｶﾞ abc"_s) + "\n";
    ASSERT_TRUE(expected.contains("\x8e\xb6\x8e\xde"));
    ScriptedServer server({
        ScriptedServer::send(Greeting),
        ScriptedServer::awaitReceived(expected),
        ScriptedServer::send("EOS\n"),
        ScriptedServer::awaitReceived(Quit),
        ScriptedServer::close(),
    });
    Analysis analysis;
    EXPECT_EQ(analysis.run(text, server.portText()), 0);
    EXPECT_EQ(server.received(), expected + Quit);
}

TEST(ChasenDialogue, WithoutGreetingNothingIsSentAndLinesStillCount)
{
    ScriptedServer server({
        ScriptedServer::send("220 some other server\r\n" + morpheme(u"旅館"_s, u"2"_s) + "\r\n"),
        // A last line without its line end is not a line.
        ScriptedServer::send(morpheme(u"宿"_s, u"2"_s)),
        ScriptedServer::close(),
    });
    Analysis analysis;
    EXPECT_EQ(analysis.run(u"旅館"_s, server.portText()), 0);
    EXPECT_EQ(server.received(), QByteArray());
    EXPECT_EQ(analysis.keywords.words(), QStringList{u"旅館"_s});
}

TEST(ChasenDialogue, OverlongLinesAreCutAndTheirRestDropped)
{
    // The rest of the cut line looks like an analysis line of its own; it
    // must not become one.
    const QByteArray longLine = euc(u"旅館\tよみ\t旅館\t2\t"_s) + QByteArray(100 * 1000, 'x') +
                                morpheme(u"庭"_s, u"2"_s) + "\n";
    // Double-byte characters across the cut.
    const QByteArray longWide = euc(QString(40000, u'あ')) + "\t\t\t2\n";
    ScriptedServer server({
        ScriptedServer::send(Greeting),
        ScriptedServer::awaitReceived(request(u"x"_s)),
        ScriptedServer::send(longLine),
        ScriptedServer::send(longWide),
        ScriptedServer::send(morpheme(u"宿"_s, u"2"_s) + "\nEOS\n"),
        ScriptedServer::awaitReceived(Quit),
        ScriptedServer::close(),
    });
    Analysis analysis;
    EXPECT_EQ(analysis.run(u"x"_s, server.portText()), 0);
    EXPECT_EQ(analysis.keywords.words(), QStringList({u"旅館"_s, u"宿"_s}));
}

TEST(ChasenDialogue, NewAnalysisClosesTheConversationBefore)
{
    ScriptedServer silent({});
    ScriptedServer server({
        ScriptedServer::send(Greeting),
        ScriptedServer::awaitReceived(request(u"宿"_s)),
        ScriptedServer::send(morpheme(u"宿"_s, u"2"_s) + "\nEOS\n"),
        ScriptedServer::awaitReceived(Quit),
        ScriptedServer::close(),
    });
    RecordingMessages messages;
    SentenceAnalyser analyser(messages);
    KeywordList first;
    analyser.AnalyseText(u"旅館"_s, serverSettings(silent.portText()), AppPaths{}, first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.connections() == 1; }, HangGuardMs));
    EXPECT_NE(analyser.state(), 0);
    EXPECT_NE(analyser.state(), 9);

    KeywordList second;
    analyser.AnalyseText(u"宿"_s, serverSettings(server.portText()), AppPaths{}, second);
    EXPECT_EQ(waitForAnalysis(analyser), 0);
    EXPECT_EQ(second.words(), QStringList{u"宿"_s});
    EXPECT_TRUE(QTest::qWaitFor([&] { return silent.clientClosed(); }, HangGuardMs));
    EXPECT_EQ(silent.received(), QByteArray());
}

TEST(ChasenConnection, UnreachableServerGivesNineUntilClosed)
{
    RecordingMessages messages;
    SentenceAnalyser analyser(messages);
    QSignalSpy changes(&analyser, &SentenceAnalyser::stateChanged);
    KeywordList keywords;
    const sokuri::test::RefusingPort closed;
    analyser.AnalyseText(u"旅館"_s, serverSettings(QString::number(closed.port())), AppPaths{},
                         keywords);
    // Busy during the pause before connecting, with no report from inside
    // the call.
    EXPECT_EQ(analyser.state(), ChasenClient::Pausing);
    EXPECT_EQ(changes.count(), 0);

    EXPECT_EQ(waitForAnalysis(analyser), 9);
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.last().at(0).toInt(), 9);
    // The error stays: it never reads as done.
    QTest::qWait(200);
    EXPECT_EQ(analyser.state(), 9);
    EXPECT_TRUE(keywords.words().isEmpty());
    EXPECT_TRUE(messages.criticals.isEmpty());

    analyser.close();
    EXPECT_EQ(analyser.state(), 0);
}

TEST(ChasenConnection, PortThatIsNoNumberGivesNineAtOnce)
{
    for (const QString& port :
         {u"abc"_s, u""_s, u"0"_s, u"65536"_s, u"31000x"_s, u"-1"_s, u"3 1"_s, u"１２"_s}) {
        RecordingMessages messages;
        SentenceAnalyser analyser(messages);
        QSignalSpy changes(&analyser, &SentenceAnalyser::stateChanged);
        KeywordList keywords;
        analyser.AnalyseText(u"旅館"_s, serverSettings(port), AppPaths{}, keywords);
        EXPECT_EQ(analyser.state(), 9) << port.toStdString();
        QTest::qWait(50);
        EXPECT_EQ(analyser.state(), 9);
        EXPECT_EQ(changes.count(), 0);
    }
    EXPECT_EQ(ChasenClient::ParsePort(u" 31000 "_s), 31000);
    EXPECT_EQ(ChasenClient::ParsePort(u"65535"_s), 65535);
    EXPECT_EQ(ChasenClient::ParsePort(u"1"_s), 1);
}

TEST(ChasenConnection, TypeOtherThanZeroOrOneAnalysesNothing)
{
    RecordingMessages messages;
    SentenceAnalyser analyser(messages);
    QSignalSpy changes(&analyser, &SentenceAnalyser::stateChanged);
    KeywordList keywords;
    keywords.add(u"残り"_s);
    ChasenSettings settings = serverSettings(u"31000"_s);
    settings.type = 2;
    settings.filename = u"/usr/bin/chasen"_s;
    analyser.AnalyseText(u"京都の旅館"_s, settings, AppPaths{}, keywords);
    EXPECT_EQ(analyser.state(), 0);
    EXPECT_TRUE(keywords.words().isEmpty());
    QTest::qWait(100);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(messages.criticals.isEmpty());
}
