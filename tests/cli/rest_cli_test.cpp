// Resting engines through the programs themselves: sokuri-cli with the
// shipped sokuri.ini against sokuri-test-engine processes that refuse, each
// keeping its own log of the requests it received.

#include "encoding/codepage932.h"
#include "support/engineplugins.h"
#include "support/testfiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 60000;

// One sokuri-test-engine process answering every path the same way.
struct EngineProgram
{
    QProcess process;
    quint16 port = 0;
    QString log;

    bool start(const QString& folder, const QString& name, const QStringList& options,
               const QByteArray& body)
    {
        const QString page = folder + u'/' + name + u".html"_s;
        log = folder + u'/' + name + u".log"_s;
        writeFile(page, body);
        process.start(QStringLiteral(SOKURI_APP_DIR "/sokuri-test-engine"),
                      QStringList{u"--page"_s, u"*="_s + page, u"--record"_s, log} + options);
        QByteArray output;
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                         [&] { output += process.readAllStandardOutput(); });
        if (!QTest::qWaitFor([&] { return output.contains('\n'); }, HangGuardMs))
            return false;
        process.disconnect();
        const auto listening =
            QRegularExpression(u"^listening on (\\d+)\n"_s).match(QString::fromLatin1(output));
        port = listening.captured(1).toUShort();
        return listening.hasMatch();
    }

    // Requests received, by the engine's own log.
    int requests() const { return int(readFile(log).count("GET /s?")); }

    ~EngineProgram()
    {
        process.terminate();
        process.waitForFinished(HangGuardMs);
    }
};

class RestCli : public ::testing::Test
{
protected:
    RestCli()
    {
        paths = InitAppState(dir.path()).paths;
        writeFile(paths.IniPath, readFile(QStringLiteral(SOKURI_APP_DIR "/sokuri.ini")));
    }

    void engine(const QString& name, const QStringList& options, const QByteArray& body)
    {
        auto& e = *engines.emplace_back(std::make_unique<EngineProgram>());
        ASSERT_TRUE(e.start(dir.path(), name, options, body));
        writeEnginePlugin(paths, EnginePlugin(name, e.port));
    }

    struct Run
    {
        int status = -1;
        QString out, err;
    };

    // sokuri-cli in the application folder; this test's loop keeps running.
    Run cli(const QStringList& arguments) const
    {
        QProcess process;
        process.start(QStringLiteral(SOKURI_APP_DIR "/sokuri-cli"),
                      QStringList{u"--app-dir"_s, dir.path()} + arguments);
        QSignalSpy finished(&process, &QProcess::finished);
        EXPECT_TRUE(finished.wait(HangGuardMs)) << arguments.join(u' ').toStdString();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // The "plugins" line of a plugin, split at tabs.
    static QStringList pluginLine(const Run& run, const QString& name)
    {
        for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
            if (line.startsWith(name + u'\t'))
                return line.split(u'\t');
        }
        return {};
    }

    TempAppDir dir;
    AppPaths paths;
    std::vector<std::unique_ptr<EngineProgram>> engines;
};

const QByteArray Captcha = "<html><form id=\"captcha-form\">Are you human?</form></html>";

} // namespace

TEST_F(RestCli, RefusingEnginesRestAcrossRunsAndAreShownAndResumed)
{
    engine(u"captcha"_s, {}, Captcha);
    engine(u"denied"_s, {u"--status"_s, u"403"_s}, "<h1>Forbidden</h1>");
    engine(u"rows"_s, {}, cp932::encode(resultPage({u"京都の寺"_s})));
    engine(u"toomany"_s, {u"--status"_s, u"429"_s, u"--header"_s, u"Retry-After: 120"_s},
           "slow down");

    const Run first = cli({u"search"_s, u"--all"_s, u"--format"_s, u"tsv"_s, u"京都"_s});
    EXPECT_EQ(first.out.count(u'\n'), 1) << first.out.toStdString();
    for (const auto& e : engines)
        EXPECT_EQ(e->requests(), 1);

    const Run listed = cli({u"plugins"_s});
    EXPECT_EQ(listed.status, 0);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const struct
    {
        QString name, cause;
        qint64 seconds;
    } resting[] = {{u"captcha"_s, u"CAPTCHA"_s, 3600},
                   {u"denied"_s, u"HTTP 403"_s, 3600},
                   {u"toomany"_s, u"HTTP 429"_s, 120}};
    for (const auto& r : resting) {
        const QStringList fields = pluginLine(listed, r.name);
        ASSERT_EQ(fields.size(), 6) << listed.out.toStdString();
        EXPECT_EQ(fields[3], u"一時停止中"_s);
        EXPECT_EQ(fields[4], r.cause);
        const QDateTime until = QDateTime::fromString(fields[5], Qt::ISODate);
        EXPECT_TRUE(fields[5].endsWith(u'Z')) << fields[5].toStdString();
        EXPECT_LE(std::abs(now.secsTo(until) - r.seconds), 60) << r.name.toStdString();
    }
    EXPECT_EQ(pluginLine(listed, u"rows"_s).size(), 3)
        << "a line without a rest keeps three fields";

    // The next run asks only the engine that answered.
    const Run second = cli({u"search"_s, u"--all"_s, u"京都"_s});
    EXPECT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_TRUE(second.err.contains(u"captcha: 一時停止中 (CAPTCHA, あと 1 時間)"_s))
        << second.err.toStdString();
    EXPECT_TRUE(second.err.contains(u"denied: 一時停止中 (HTTP 403, あと 1 時間)"_s));
    EXPECT_TRUE(second.err.contains(u"toomany: 一時停止中 (HTTP 429, あと 2 分)"_s));
    EXPECT_TRUE(second.err.contains(u"一時停止中: captcha (CAPTCHA"_s)) << "the summary";
    EXPECT_EQ(engines[0]->requests(), 1);
    EXPECT_EQ(engines[1]->requests(), 1);
    EXPECT_EQ(engines[2]->requests(), 2);
    EXPECT_EQ(engines[3]->requests(), 1);

    // Only resting engines: the run ends at once and says so.
    const Run onlyResting = cli({u"search"_s, u"--plugin"_s, u"denied"_s, u"京都"_s});
    EXPECT_TRUE(onlyResting.err.contains(u"選んだエンジンはすべて一時停止中です"_s))
        << onlyResting.err.toStdString();
    EXPECT_EQ(engines[1]->requests(), 1);

    const Run ignoring =
        cli({u"search"_s, u"--plugin"_s, u"captcha"_s, u"--ignore-rests"_s, u"京都"_s});
    EXPECT_EQ(engines[0]->requests(), 2) << ignoring.err.toStdString();

    const Run resumed = cli({u"plugin"_s, u"resume"_s, u"denied"_s});
    EXPECT_EQ(resumed.status, 0) << resumed.err.toStdString();
    EXPECT_EQ(resumed.out, u"denied\n"_s);
    EXPECT_EQ(pluginLine(cli({u"plugins"_s}), u"denied"_s).size(), 3);
    cli({u"search"_s, u"--plugin"_s, u"denied"_s, u"京都"_s});
    EXPECT_EQ(engines[1]->requests(), 2);

    const Run all = cli({u"plugin"_s, u"resume"_s, u"--all"_s});
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out, u"captcha\ndenied\ntoomany\n"_s);
    EXPECT_EQ(cli({u"plugins"_s}).out.count(u"一時停止中"_s), 0);
}

TEST_F(RestCli, ResumeRefusesWrongUsageAndUnknownPlugins)
{
    engine(u"rows"_s, {}, cp932::encode(resultPage({u"寺"_s})));
    const struct
    {
        QStringList arguments;
        int status;
    } cases[] = {
        {{u"plugin"_s, u"resume"_s}, 2},
        {{u"plugin"_s, u"resume"_s, u"rows"_s, u"--all"_s}, 2},
        {{u"plugin"_s, u"resume"_s, u"nosuch"_s}, 1},
        {{u"plugin"_s, u"resume"_s, u"rows"_s}, 0}, // asked anyway: nothing to do
    };
    for (const auto& c : cases) {
        const Run run = cli(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    }
}

// Two programs that record rests at the same moment both have their say.
TEST_F(RestCli, TwoProgramsRecordingAtOnceLeaveAReadableFileWithBoth)
{
    engine(u"one"_s, {u"--status"_s, u"403"_s}, "no");
    engine(u"two"_s, {u"--status"_s, u"403"_s}, "no");
    QProcess a, b;
    QSignalSpy aDone(&a, &QProcess::finished), bDone(&b, &QProcess::finished);
    for (auto [process, name] : {std::pair{&a, u"one"_s}, std::pair{&b, u"two"_s}})
        process->start(QStringLiteral(SOKURI_APP_DIR "/sokuri-cli"),
                       {u"--app-dir"_s, dir.path(), u"search"_s, u"--plugin"_s, name, u"寺"_s});
    EXPECT_TRUE(aDone.wait(HangGuardMs) || aDone.size() == 1);
    EXPECT_TRUE(bDone.size() == 1 || bDone.wait(HangGuardMs));
    const QJsonObject state =
        QJsonDocument::fromJson(readFile(dir.path() + u"/engine-rests.json"_s)).object();
    EXPECT_EQ(state[u"version"].toInt(), 1);
    EXPECT_TRUE(state[u"engines"].toObject().contains(u"one"));
    EXPECT_TRUE(state[u"engines"].toObject().contains(u"two"));
}
