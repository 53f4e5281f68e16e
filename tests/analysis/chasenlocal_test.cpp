// The local ChaSen run: AppPath/chasen.sh started without a shell, the files
// in TmpPath, and the real ChaSen of the system.

#include "analysis/keywords.h"
#include "analysis/localchasen.h"
#include "analysis/sentenceanalyser.h"
#include "common/appstate.h"
#include "encoding/codepage932.h"

#include "chasentestsupport.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

ChasenSettings localSettings(const QString& filename)
{
    ChasenSettings settings;
    settings.type = ChasenSettings::Local;
    settings.filename = filename;
    return settings;
}

const UserMessage NotInstalled{u"茶筅が導入されていません。"_s, u"File not found"_s};

bool sameMessage(const UserMessage& a, const UserMessage& b)
{
    return a.text == b.text && a.title == b.title;
}

// A stand-in ChaSen program that ignores its input and prints fixed lines.
const QByteArray FixedOutput = "cat >/dev/null\n"
                               "printf '旅館\\tリョカン\\t旅館\\t2 0 0\\n\\nEOS\\n\\n'\n"
                               "printf '宿\\tヤド\\t宿\\t2 0 0\\nEOS\\n'\n";

} // namespace

TEST(ChasenLocal, RealChasenThroughTheScriptGivesTheNouns)
{
    TempAppDir dir;
    installChasenScript(dir.path());
    const AppPaths paths = ResolveAppPaths(dir.path());
    RecordingMessages messages;
    SentenceAnalyser analyser(messages);
    QSignalSpy changes(&analyser, &SentenceAnalyser::stateChanged);
    KeywordList keywords;
    keywords.add(u"前の"_s);

    analyser.AnalyseText(Sentence, localSettings(u"/usr/bin/chasen"_s), paths, keywords);
    EXPECT_EQ(analyser.state(), SentenceAnalyser::LocalRunning);
    EXPECT_TRUE(keywords.words().isEmpty());
    EXPECT_EQ(waitForAnalysis(analyser), 0);

    EXPECT_EQ(keywords.words(), SentenceKeywords);
    EXPECT_TRUE(messages.criticals.isEmpty());
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.last().at(0).toInt(), 0);
    EXPECT_EQ(readFile(LocalChasen::InputFile(paths)), cp932::encode(Sentence) + "\r\n");
    // The output file stays, in Shift_JIS with CR LF line ends.
    const QByteArray output = readFile(LocalChasen::OutputFile(paths));
    EXPECT_TRUE(output.endsWith("EOS\r\n"));
    EXPECT_TRUE(output.contains(cp932::encode(u"旅館\tリョカン\t旅館\t2 0 0\r\n"_s)));
}

TEST(ChasenLocal, MissingProgramOrScriptIsReportedAndNothingRuns)
{
    TempAppDir dir;
    const AppPaths paths = ResolveAppPaths(dir.path());
    RecordingMessages messages;
    SentenceAnalyser analyser(messages);
    KeywordList keywords;

    installChasenScript(dir.path());
    analyser.AnalyseText(Sentence, localSettings(dir.file(u"no-chasen"_s)), paths, keywords);
    EXPECT_EQ(analyser.state(), 0);
    analyser.AnalyseText(Sentence, localSettings(u""_s), paths, keywords);
    EXPECT_EQ(analyser.state(), 0);
    EXPECT_FALSE(QFileInfo::exists(LocalChasen::InputFile(paths)));

    // The program is there but chasen.sh is missing, then not executable.
    QFile::remove(LocalChasen::CommandFile(paths));
    analyser.AnalyseText(Sentence, localSettings(u"/usr/bin/chasen"_s), paths, keywords);
    EXPECT_EQ(analyser.state(), 0);
    installChasenScript(dir.path());
    QFile::setPermissions(LocalChasen::CommandFile(paths),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    analyser.AnalyseText(Sentence, localSettings(u"/usr/bin/chasen"_s), paths, keywords);
    EXPECT_EQ(waitForAnalysis(analyser), 0);

    ASSERT_EQ(messages.criticals.size(), 4);
    for (const UserMessage& message : messages.criticals)
        EXPECT_TRUE(sameMessage(message, NotInstalled)) << message.text.toStdString();
    EXPECT_TRUE(keywords.words().isEmpty());
}

TEST(ChasenLocal, ScriptReportsAnUnusableProgramAsNotInstalled)
{
    // A file that exists but cannot be run: chasen.sh says so by its status.
    TempAppDir dir;
    installChasenScript(dir.path());
    const AppPaths paths = ResolveAppPaths(dir.path());
    writeFile(dir.file(u"chasen-data"_s), "not a program\n");
    RecordingMessages messages;
    SentenceAnalyser analyser(messages);
    KeywordList keywords;
    analyser.AnalyseText(Sentence, localSettings(dir.file(u"chasen-data"_s)), paths, keywords);
    EXPECT_EQ(waitForAnalysis(analyser), 0);
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_TRUE(sameMessage(messages.criticals.first(), NotInstalled));
    EXPECT_TRUE(keywords.words().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(LocalChasen::OutputFile(paths)));
}

TEST(ChasenLocal, PathsWithBlanksAndShellCharactersArriveWhole)
{
    // Run by a shell, the name would run "touch pwned" and split at blanks.
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString appDir = base.filePath(u"app folder $(touch pwned) 'q' ;x"_s);
    installChasenScript(appDir);
    const QString program = appDir + u"/my chasen `touch pwned2` $HOME.sh"_s;
    writeScript(program, FixedOutput);
    const AppPaths paths = ResolveAppPaths(appDir);

    RecordingMessages messages;
    SentenceAnalyser analyser(messages);
    KeywordList keywords;
    analyser.AnalyseText(Sentence, localSettings(program), paths, keywords);
    EXPECT_EQ(waitForAnalysis(analyser), 0);

    EXPECT_TRUE(messages.criticals.isEmpty());
    EXPECT_EQ(keywords.words(), QStringList({u"旅館"_s, u"宿"_s}));
    EXPECT_TRUE(QFileInfo::exists(paths.TmpPath + u"/sokuri_out.txt"));
    for (const QString& folder : {QDir::currentPath(), appDir, base.path(), paths.TmpPath}) {
        EXPECT_FALSE(QFileInfo::exists(folder + u"/pwned")) << folder.toStdString();
        EXPECT_FALSE(QFileInfo::exists(folder + u"/pwned2")) << folder.toStdString();
    }
}

TEST(ChasenLocal, FailingAnalysisIsReportedAndOldOutputNeverRead)
{
    TempAppDir dir;
    installChasenScript(dir.path());
    const AppPaths paths = ResolveAppPaths(dir.path());
    writeSjisFile(LocalChasen::OutputFile(paths), u"古い\tフルイ\t古い\t2 0 0\r\nEOS\r\n"_s);
    writeScript(dir.file(u"failing-chasen"_s), "echo broken >&2\nexit 3\n");

    RecordingMessages messages;
    SentenceAnalyser analyser(messages);
    KeywordList keywords;
    analyser.AnalyseText(Sentence, localSettings(dir.file(u"failing-chasen"_s)), paths, keywords);
    EXPECT_EQ(waitForAnalysis(analyser), 0);
    EXPECT_TRUE(keywords.words().isEmpty());
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_TRUE(messages.criticals.first().text.startsWith(u"茶筅の解析に失敗しました"))
        << messages.criticals.first().text.toStdString();
}

TEST(ChasenLocal, NewAnalysisEndsTheRunBefore)
{
    TempAppDir dir;
    installChasenScript(dir.path());
    const AppPaths paths = ResolveAppPaths(dir.path());
    const QString pidFile = dir.file(u"hanging.pid"_s);
    // Never ends by itself; records its process id first.
    writeScript(dir.file(u"hanging-chasen"_s),
                "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 100000\n");
    writeScript(dir.file(u"quick-chasen"_s), FixedOutput);

    RecordingMessages messages;
    SentenceAnalyser analyser(messages);
    KeywordList first;
    analyser.AnalyseText(Sentence, localSettings(dir.file(u"hanging-chasen"_s)), paths, first);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !readFile(pidFile).trimmed().isEmpty(); }, HangGuardMs));
    EXPECT_EQ(analyser.state(), SentenceAnalyser::LocalRunning);
    const QByteArray pid = readFile(pidFile).trimmed();

    KeywordList second;
    analyser.AnalyseText(Sentence, localSettings(dir.file(u"quick-chasen"_s)), paths, second);
    EXPECT_EQ(waitForAnalysis(analyser), 0);
    EXPECT_EQ(second.words(), QStringList({u"旅館"_s, u"宿"_s}));
    EXPECT_TRUE(first.words().isEmpty());
    EXPECT_TRUE(messages.criticals.isEmpty());
    // The hanging program is gone (or only waits to be reaped).
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QByteArray stat = readFile(u"/proc/"_s + QString::fromLatin1(pid) + u"/stat"_s);
            return stat.isEmpty() || stat.contains(") Z ");
        },
        HangGuardMs));
}

TEST(ChasenLocal, OutputFileLinesOfEveryKind)
{
    TempAppDir dir;
    const QString path = dir.file(u"out.txt"_s);
    // CR LF, LF and CR ends, blank and EOS lines, a line with more than
    // eight fields, and a line far over the length limit whose cut-off rest
    // looks like a line of its own.
    QByteArray bytes = cp932::encode(u"旅館\tリョカン\t旅館\t2 0 0\r\n\r\nEOS\r\n"_s);
    bytes += cp932::encode(u"庭\tニワ\t庭\t2 0 0\n\n宿\tヤド\t宿\t2\tx\tx\tx\tx\tx\tx\r"_s);
    bytes += cp932::encode(u"森\tモリ\t森\t2\t"_s) + QByteArray(50000, 'y') +
             cp932::encode(u"川\tカワ\t川\t2 0 0\r\n"_s);
    bytes += cp932::encode(QString(QString(20000, u'あ') + u"\t\t\t2\r\n"_s));
    bytes += cp932::encode(u"が\tガ\tが\t61 0 0\r\nEOS"_s);
    writeFile(path, bytes);

    KeywordList keywords;
    LocalChasen::ReadKeywordFile(path, keywords);
    EXPECT_EQ(keywords.words(), QStringList({u"旅館"_s, u"庭"_s, u"宿"_s, u"森"_s}));

    KeywordList none;
    LocalChasen::ReadKeywordFile(dir.file(u"missing.txt"_s), none);
    EXPECT_TRUE(none.words().isEmpty());
}

TEST(ChasenScript, MissingProgramExitsWithOneAndWritesNothing)
{
    TempAppDir dir;
    installChasenScript(dir.path());
    writeSjisFile(dir.file(u"in.txt"_s), u"旅館\r\n"_s);
    QProcess script;
    script.start(dir.file(u"chasen.sh"_s), {dir.file(u"no chasen"_s), dir.file(u"in.txt"_s),
                                            dir.file(u"out.txt"_s), u"-c"_s});
    ASSERT_TRUE(script.waitForFinished(HangGuardMs));
    EXPECT_EQ(script.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(script.exitCode(), 1);
    const QString message = QString::fromUtf8(script.readAllStandardError());
    EXPECT_TRUE(message.contains(dir.file(u"no chasen"_s))) << message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file(u"out.txt"_s)));
}

TEST(ChasenScript, ConvertsBothWaysAndFailsWhole)
{
    TempAppDir dir;
    installChasenScript(dir.path());
    // A stand-in that shows what it was given: its options and its input.
    writeScript(dir.file(u"echo-chasen"_s), "printf 'options:%s\\n' \"$*\"\ncat\n");
    writeSjisFile(dir.file(u"in.txt"_s), u"京都の旅館～\r\n2行目\r\n"_s);
    QProcess script;
    script.start(dir.file(u"chasen.sh"_s), {dir.file(u"echo-chasen"_s), dir.file(u"in.txt"_s),
                                            dir.file(u"out.txt"_s), u"-c"_s});
    ASSERT_TRUE(script.waitForFinished(HangGuardMs));
    EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    // The program saw UTF-8 without CR, and -c as ChaSen's request for the
    // names of the classes; the file is code page 932 with CR LF.
    EXPECT_EQ(readFile(dir.file(u"out.txt"_s)),
              cp932::encode(
                  u"options:-F %m\\t%y\\t%M\\t%U(%P-)\\t%t %f\\n\r\n京都の旅館～\r\n2行目\r\n"_s));

    // A failing program leaves no output file behind.
    writeScript(dir.file(u"failing-chasen"_s), "cat >/dev/null\necho partial\nexit 4\n");
    script.start(dir.file(u"chasen.sh"_s), {dir.file(u"failing-chasen"_s), dir.file(u"in.txt"_s),
                                            dir.file(u"new.txt"_s), u"-c"_s});
    ASSERT_TRUE(script.waitForFinished(HangGuardMs));
    EXPECT_EQ(script.exitCode(), 2);
    EXPECT_FALSE(QFileInfo::exists(dir.file(u"new.txt"_s)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).filter(u"new.txt"_s), QStringList());
}
