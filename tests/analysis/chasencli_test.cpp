// The "analyse" command of sokuri-cli, run with captured output streams.

#include "chasentestsupport.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

TEST(ChasenCli, PrintsOneKeywordALine)
{
    TempAppDir dir;
    installChasenScript(dir.path());
    writeFile(dir.file(u"sokuri.ini"_s), "[chasen]\r\ntype=0\r\nfilename=/usr/bin/chasen\r\n");
    const CommandRun run = analyseCommand(dir.path(), {Sentence});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, SentenceKeywords.join(u'\n') + u'\n');
    EXPECT_EQ(run.err, u"");
}

TEST(ChasenCli, FailuresGoToTheErrorStream)
{
    TempAppDir dir;
    CommandRun run = analyseCommand(dir.path(), {Sentence});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, dir.file(u"sokuri.ini"_s) + u" がありません。\n");

    const sokuri::test::RefusingPort closed;
    writeFile(dir.file(u"sokuri.ini"_s),
              "[chasen]\ntype=1\nhost=127.0.0.1\nport=" + QByteArray::number(closed.port()) + "\n");
    run = analyseCommand(dir.path(), {Sentence});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, u"");
    EXPECT_EQ(run.err, u"茶筅サーバーに接続出来ません。\n");

    writeFile(dir.file(u"sokuri.ini"_s), "[chasen]\ntype=0\nfilename=/nonexistent/chasen\n");
    run = analyseCommand(dir.path(), {Sentence});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, u"");
    EXPECT_EQ(run.err, u"茶筅が導入されていません。\n");

    run = analyseCommand(dir.path(), {});
    EXPECT_EQ(run.status, 2);
    run = analyseCommand(dir.path(), {u"a"_s, u"b"_s});
    EXPECT_EQ(run.status, 2);
}
