// Sentence-mode search runs: the real ChaSen finds the keywords, locally or
// through the ChaSen server tool, and a test engine receives them.

#include "analysis/chasentestsupport.h"
#include "app/searchedkeywords.h"
#include "app/searchrun.h"
#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"
#include "support/engineplugins.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

// 京都 旅館 庭 宿 in Shift_JIS, percent-encoded and joined by "+".
const QByteArray SentenceQuery =
    "GET /s?lang=ja&q=%8B%9E%93s+%97%B7%8A%D9+%92%EB+%8Fh HTTP/1.0\r\n";

class SentenceSearch : public ::testing::Test
{
protected:
    SentenceSearch()
    {
        EXPECT_TRUE(engine.listen());
        EnginePage page;
        page.body = EncodePage(resultPage({u"庭のある宿"_s}), u"x-sjis"_s);
        engine.setPage(u"*"_s, page);
        writeEnginePlugin(paths, EnginePlugin(u"alpha"_s, engine.port()));
        catalogue.load(paths);
        catalogue.setChecked(0, true);
    }

    void search(InputMode mode, const QString& text)
    {
        QSignalSpy finished(&run, &SearchRun::finished);
        run.start(mode, text);
        if (finished.isEmpty()) {
            ASSERT_TRUE(finished.wait(HangGuardMs)) << "the run did not end";
        }
    }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    TestEngine engine;
    PluginCatalogue catalogue;
    ResultsModel results;
    RecordingMessages messages;
    SearchRun run{paths, catalogue, results, messages};
};

} // namespace

TEST_F(SentenceSearch, LocalChasenAndTheServerToolSendTheSameKeywords)
{
    installChasenScript(dir.path());
    ChasenSettings local;
    local.type = ChasenSettings::Local;
    local.filename = u"/usr/bin/chasen"_s;
    run.setChasenSettings(local);
    search(InputMode::Sentence, Sentence);
    ASSERT_EQ(engine.requests().size(), 1);
    EXPECT_TRUE(engine.requests()[0].startsWith(SentenceQuery)) << engine.requests()[0].data();
    ASSERT_EQ(results.rowCount(), 1);
    EXPECT_EQ(results.rowAt(0).title, u"庭のある宿");

    ChasenServerProcess server;
    ASSERT_NE(server.port(), 0);
    run.setChasenSettings(serverSettings(QString::number(server.port())));
    search(InputMode::Sentence, Sentence);
    ASSERT_EQ(engine.requests().size(), 2);
    EXPECT_EQ(engine.requests()[1], engine.requests()[0]);
    EXPECT_TRUE(messages.criticals.isEmpty());
}

TEST_F(SentenceSearch, UnreachableServerIsReportedOnceAndAsksNoEngine)
{
    const sokuri::test::RefusingPort closed;
    run.setChasenSettings(serverSettings(QString::number(closed.port())));
    search(InputMode::Sentence, Sentence);
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_EQ(messages.criticals[0].text, u"茶筅サーバーに接続出来ません。");
    EXPECT_EQ(messages.criticals[0].title, u"Host not response");
    EXPECT_TRUE(engine.requests().isEmpty());

    // A port that is no number fails the same way.
    run.setChasenSettings(serverSettings(u"port"_s));
    search(InputMode::Sentence, Sentence);
    EXPECT_EQ(messages.criticals.size(), 2);

    // The failure belongs to the runs that had it: a keyword run afterwards
    // asks its engine without repeating the message.
    search(InputMode::Keywords, u"京都"_s);
    EXPECT_EQ(messages.criticals.size(), 2);
    EXPECT_EQ(engine.requests().size(), 1);
}

TEST_F(SentenceSearch, StopEndsAnAnalysisThatNeverEnds)
{
    ScriptedServer server({ScriptedServer::send("200 Running ChaSen\r\n"),
                           ScriptedServer::awaitReceived("\n"),
                           ScriptedServer::send("200 OK\r\n旅館\n")});
    run.setChasenSettings(serverSettings(server.portText()));
    QSignalSpy finished(&run, &SearchRun::finished);
    run.start(InputMode::Sentence, Sentence);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.scriptDone(); }, HangGuardMs));
    EXPECT_EQ(run.phase(), SearchRun::Phase::Analysing);
    run.stop();
    EXPECT_EQ(finished.size(), 1);
    EXPECT_FALSE(run.isRunning());
    EXPECT_TRUE(engine.requests().isEmpty());
    EXPECT_TRUE(messages.criticals.isEmpty());
}

TEST_F(SentenceSearch, AnalysisWithoutKeywordsEndsTheRunAtOnce)
{
    installChasenScript(dir.path());
    ChasenSettings local;
    local.type = ChasenSettings::Local;
    local.filename = u"/usr/bin/chasen"_s;
    run.setChasenSettings(local);
    search(InputMode::Sentence, u"とても良い。"_s);
    EXPECT_TRUE(engine.requests().isEmpty());
    EXPECT_TRUE(messages.criticals.isEmpty());

    // A type that names no analyser finds nothing either.
    local.type = 2;
    run.setChasenSettings(local);
    search(InputMode::Sentence, Sentence);
    EXPECT_TRUE(engine.requests().isEmpty());
}

TEST_F(SentenceSearch, TheRunTellsWhichKeywordsItSearchedWith)
{
    installChasenScript(dir.path());
    run.setChasenSettings({ChasenSettings::Local, u"/usr/bin/chasen"_s, {}, {}});
    QStringList shown;
    QObject::connect(&run, &SearchRun::keywordsChosen, &run,
                     [&](const QStringList& words) { shown.append(SearchedKeywordsText(words)); });
    search(InputMode::Sentence, Sentence);
    search(InputMode::Keywords, u" 京都  宿 "_s);
    search(InputMode::Sentence, u"とても良い。"_s);
    EXPECT_EQ(shown, QStringList({u"検索語: 京都 旅館 庭 宿"_s, u"検索語: 京都 宿"_s,
                                  u"検索語がありません。"_s}));
    EXPECT_EQ(engine.requests().size(), 2);
}
