#include "searchplugins/pluginupdater.h"

#include "searchplugins/plugincatalogue.h"
#include "support/fakeplatform.h"
#include "support/refusingport.h"
#include "support/testfiles.h"
#include "testengine/testengine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::EnginePage;
using sokuri::test::readFile;
using sokuri::test::RecordingMessages;
using sokuri::test::RequestPath;
using sokuri::test::TempAppDir;
using sokuri::test::TestEngine;
using sokuri::test::writeFile;

namespace {

// Generous: only a guard against a hang.
constexpr int HangGuardMs = 120000;

QByteArray pluginText(const QString& name, const QString& version, const QString& update,
                      const QString& url = u"http://home/"_s)
{
    QString text = u"[init]\r\nname="_s + name + u"\r\nurl="_s + url + u"\r\n"_s;
    if (!version.isNull())
        text += u"version="_s + version + u"\r\n"_s;
    if (!update.isNull())
        text += u"update="_s + update + u"\r\n"_s;
    text += u"[search]\r\naction=http://127.0.0.1/s\r\n"_s;
    return text.toLatin1();
}

EnginePage page(const QByteArray& body)
{
    EnginePage p;
    p.header = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
    p.body = body;
    return p;
}

bool runProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

class Updater : public ::testing::Test
{
protected:
    Updater() { EXPECT_TRUE(engine.listen()) << engine.errorString().toStdString(); }

    QString address(const QString& path) const
    {
        return u"http://127.0.0.1:%1%2"_s.arg(engine.port()).arg(path);
    }
    QString pluginFile(const QString& name) const
    {
        return paths.PluginPath + u'/' + name + u".ini";
    }

    // An installed plugin whose update address is the engine's /name.ini.
    void install(const QString& name, const QString& version)
    {
        writeFile(pluginFile(name), pluginText(name, version, address(u"/"_s + name + u".ini"_s)));
    }
    // The copy the engine serves for name.
    QByteArray serve(const QString& name, const QString& declaredName, const QString& version)
    {
        const QByteArray copy =
            pluginText(declaredName, version, address(u"/"_s + name + u".ini"_s), u"http://new/"_s);
        engine.setPage(u"/"_s + name + u".ini"_s, page(copy));
        return copy;
    }

    // Runs one pass to its end.
    void runPass()
    {
        catalogue.load(paths);
        for (const QString& name : checked)
            catalogue.setCheckedByName(name, true);
        QSignalSpy finished(&updater, &PluginUpdater::finished);
        updater.start();
        ASSERT_TRUE(updater.isRunning());
        ASSERT_TRUE(finished.wait(HangGuardMs));
        EXPECT_FALSE(updater.isRunning());
    }

    QMap<QString, PluginUpdateOutcome::Kind> kinds() const
    {
        QMap<QString, PluginUpdateOutcome::Kind> map;
        for (const QList<QVariant>& args : outcomes) {
            const auto outcome = args.first().value<PluginUpdateOutcome>();
            map.insert(outcome.entry, outcome.kind);
        }
        return map;
    }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    TestEngine engine;
    PluginCatalogue catalogue;
    RecordingMessages messages;
    PluginUpdater updater{paths, catalogue, messages};
    QSignalSpy outcomes{&updater, &PluginUpdater::pluginFinished};
    QSignalSpy progress{&updater, &PluginUpdater::progressChanged};
    QSignalSpy status{&updater, &PluginUpdater::statusChanged};
    QStringList checked;
};

} // namespace

TEST_F(Updater, ReplacesWhenTheVersionTextDiffers)
{
    install(u"alpha"_s, u"1.1"_s);
    install(u"beta"_s, u"1.1"_s);
    install(u"gamma"_s, u"1.1"_s);
    install(u"delta"_s, u"1.1"_s);
    const QByteArray alpha = serve(u"alpha"_s, u"alpha"_s, u"1.2"_s);
    const QByteArray beta = serve(u"beta"_s, u"beta"_s, u"1.1"_s);     // same
    const QByteArray gamma = serve(u"gamma"_s, u"gamma"_s, u"1.10"_s); // other text
    serve(u"delta"_s, u"delta"_s, u""_s);                              // empty
    const QByteArray betaBefore = readFile(pluginFile(u"beta"_s));
    const QByteArray deltaBefore = readFile(pluginFile(u"delta"_s));
    checked = {u"alpha"_s}; // beta, gamma, delta unchecked: updated all the same

    runPass();
    EXPECT_EQ(readFile(pluginFile(u"alpha"_s)), alpha);
    EXPECT_EQ(readFile(pluginFile(u"beta"_s)), betaBefore);
    EXPECT_EQ(readFile(pluginFile(u"gamma"_s)), gamma);
    EXPECT_EQ(readFile(pluginFile(u"delta"_s)), deltaBefore);
    EXPECT_EQ(kinds().value(u"alpha"_s), PluginUpdateOutcome::Updated);
    EXPECT_EQ(kinds().value(u"beta"_s), PluginUpdateOutcome::Unchanged);
    EXPECT_EQ(kinds().value(u"gamma"_s), PluginUpdateOutcome::Updated);
    EXPECT_EQ(kinds().value(u"delta"_s), PluginUpdateOutcome::Unchanged);

    // The refreshed catalogue shows the copies and keeps alpha's mark.
    ASSERT_EQ(catalogue.count(), 4);
    EXPECT_EQ(catalogue.at(0).text, u"alpha");
    EXPECT_EQ(catalogue.at(0).version, u"1.2");
    EXPECT_EQ(catalogue.at(0).url, u"http://new/");
    EXPECT_TRUE(catalogue.at(0).checked);
    EXPECT_EQ(catalogue.checkedNames(), QStringList{u"alpha"_s});

    // The download file holds the last copy: gamma's, last in list order.
    EXPECT_EQ(readFile(PluginUpdater::DownloadPath(paths)), gamma);
    ASSERT_EQ(messages.informations.size(), 1);
    EXPECT_EQ(messages.informations.first().text, u"プラグインのアップデートが完了しました。");
    EXPECT_EQ(messages.informations.first().title, u"Plugin Update");
    EXPECT_TRUE(messages.criticals.isEmpty());
    EXPECT_EQ(status.last().first().toString(), u"アップデート完了");
}

TEST_F(Updater, PluginsWithoutAnUpdateAddressAreNotFetched)
{
    writeFile(pluginFile(u"alpha"_s), pluginText(u"alpha"_s, u"1.1"_s, QString()));
    install(u"beta"_s, u"1.1"_s);
    serve(u"beta"_s, u"beta"_s, u"2.0"_s);
    runPass();
    EXPECT_EQ(kinds().value(u"alpha"_s), PluginUpdateOutcome::Skipped);
    EXPECT_EQ(kinds().value(u"beta"_s), PluginUpdateOutcome::Updated);
    // Only beta's copy is asked for (the network layer may repeat a request
    // on a fresh connection, so the count is not fixed).
    ASSERT_FALSE(engine.requests().isEmpty());
    for (const QByteArray& request : engine.requests())
        EXPECT_EQ(RequestPath(request), u"/beta.ini");
}

TEST_F(Updater, ACopyNamingAnotherPluginKeepsTheFileNameAndLosesTheMark)
{
    install(u"alpha"_s, u"1.1"_s);
    const QByteArray copy = serve(u"alpha"_s, u"omega"_s, u"1.2"_s);
    checked = {u"alpha"_s};
    runPass();
    EXPECT_EQ(readFile(pluginFile(u"alpha"_s)), copy);
    EXPECT_FALSE(QFile::exists(pluginFile(u"omega"_s)));
    ASSERT_EQ(catalogue.count(), 1);
    EXPECT_EQ(catalogue.at(0).text, u"omega");
    EXPECT_FALSE(catalogue.at(0).checked);
}

TEST_F(Updater, FailedAndOversizedDownloadsAreSkipped)
{
    // A port where nobody listens.
    const sokuri::test::RefusingPort closed;
    const quint16 closedPort = closed.port();
    for (const QString& name :
         {u"a-missing"_s, u"b-refused"_s, u"c-huge"_s, u"d-announced"_s, u"e-file"_s}) {
        install(name, u"1.1"_s);
    }
    writeFile(pluginFile(u"b-refused"_s),
              pluginText(u"b-refused"_s, u"1.1"_s, u"http://127.0.0.1:%1/b.ini"_s.arg(closedPort)));
    writeFile(pluginFile(u"e-file"_s),
              pluginText(u"e-file"_s, u"1.1"_s, u"file://"_s + pluginFile(u"z-last"_s)));
    // A plugin file that goes on and on, past 1 MiB.
    EnginePage huge = page(pluginText(u"c-huge"_s, u"9.9"_s, QString()));
    huge.repeatBodyUntil = 8 * PluginUpdater::MaxDownloadBytes;
    engine.setPage(u"/c-huge.ini"_s, huge);
    // One that announces more than 1 MiB.
    EnginePage announced = page(pluginText(u"d-announced"_s, u"9.9"_s, QString()));
    announced.header = "HTTP/1.0 200 OK\r\nContent-Length: 5000000\r\n\r\n";
    announced.neverClose = true;
    engine.setPage(u"/d-announced.ini"_s, announced);
    // The pass goes on after them.
    install(u"z-last"_s, u"1.1"_s);
    const QByteArray last = serve(u"z-last"_s, u"z-last"_s, u"1.2"_s);

    QMap<QString, QByteArray> before;
    for (const QString& name : {u"a-missing"_s, u"b-refused"_s, u"c-huge"_s, u"d-announced"_s})
        before.insert(name, readFile(pluginFile(name)));
    runPass();
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        EXPECT_EQ(kinds().value(it.key()), PluginUpdateOutcome::Failed) << it.key().toStdString();
        EXPECT_EQ(readFile(pluginFile(it.key())), it.value()) << it.key().toStdString();
    }
    EXPECT_EQ(kinds().value(u"e-file"_s), PluginUpdateOutcome::Failed);
    EXPECT_EQ(kinds().value(u"z-last"_s), PluginUpdateOutcome::Updated);
    EXPECT_EQ(readFile(PluginUpdater::DownloadPath(paths)), last);
    EXPECT_EQ(messages.informations.size(), 1);
    EXPECT_EQ(catalogue.count(), 6);
}

TEST_F(Updater, ADownloadThatStallsTimesOut)
{
    install(u"alpha"_s, u"1.1"_s);
    EnginePage stalled = page({});
    stalled.header = "HTTP/1.0 200 OK\r\n";
    stalled.neverClose = true;
    engine.setPage(u"/alpha.ini"_s, stalled);
    install(u"beta"_s, u"1.1"_s);
    serve(u"beta"_s, u"beta"_s, u"1.2"_s);
    updater.setTransferTimeout(500);
    runPass();
    EXPECT_EQ(kinds().value(u"alpha"_s), PluginUpdateOutcome::Failed);
    EXPECT_EQ(kinds().value(u"beta"_s), PluginUpdateOutcome::Updated);
}

TEST_F(Updater, StopEndsThePassBetweenPlugins)
{
    for (const QString& name : {u"alpha"_s, u"beta"_s, u"gamma"_s}) {
        install(name, u"1.1"_s);
        serve(name, name, u"1.2"_s);
    }
    const QByteArray betaBefore = readFile(pluginFile(u"beta"_s));
    QObject::connect(&updater, &PluginUpdater::pluginFinished, &updater,
                     [this] { updater.stop(); });
    QSignalSpy finished(&updater, &PluginUpdater::finished);
    runPass();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_TRUE(finished.first().first().toBool());
    EXPECT_EQ(outcomes.count(), 1);
    for (const QByteArray& request : engine.requests())
        EXPECT_EQ(RequestPath(request), u"/alpha.ini");
    EXPECT_EQ(readFile(pluginFile(u"beta"_s)), betaBefore);
    EXPECT_EQ(catalogue.at(0).version, u"1.2"); // refreshed all the same
    EXPECT_TRUE(messages.informations.isEmpty());
}

TEST_F(Updater, StopDropsADownloadUnderWay)
{
    install(u"alpha"_s, u"1.1"_s);
    EnginePage slow = page(pluginText(u"alpha"_s, u"1.2"_s, QString()));
    slow.neverClose = true; // the body never ends
    engine.setPage(u"/alpha.ini"_s, slow);
    install(u"beta"_s, u"1.1"_s);
    serve(u"beta"_s, u"beta"_s, u"1.2"_s);
    const QByteArray alphaBefore = readFile(pluginFile(u"alpha"_s));
    QObject::connect(&engine, &TestEngine::requestReceived, &updater, [this] { updater.stop(); });
    runPass();
    EXPECT_EQ(kinds().value(u"alpha"_s), PluginUpdateOutcome::Stopped);
    EXPECT_FALSE(kinds().contains(u"beta"_s));
    EXPECT_EQ(readFile(pluginFile(u"alpha"_s)), alphaBefore);
}

TEST_F(Updater, ProgressIsReportedAlsoForNoAndOneEntry)
{
    runPass();
    ASSERT_EQ(progress.count(), 1);
    EXPECT_EQ(progress.first(), (QList<QVariant>{0, 0}));
    EXPECT_EQ(messages.informations.size(), 1);

    progress.clear();
    status.clear();
    install(u"alpha"_s, u"1.1"_s);
    serve(u"alpha"_s, u"alpha"_s, u"1.1"_s);
    runPass();
    ASSERT_EQ(progress.count(), 2);
    EXPECT_EQ(progress.at(0), (QList<QVariant>{0, 1}));
    EXPECT_EQ(progress.at(1), (QList<QVariant>{1, 1}));
    ASSERT_EQ(status.count(), 2);
    EXPECT_EQ(status.at(0).first().toString(), u"alpha　アップデート処理中");
    EXPECT_EQ(status.at(1).first().toString(), u"アップデート完了");
}

TEST_F(Updater, APluginFileThatCannotBeReplacedIsReported)
{
    // Root writes through permissions: a read-only file system over the
    // plugin folder is what stops it.
    if (geteuid() != 0 || !runProgram(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=1m"_s,
                                                   u"tmpfs"_s, paths.PluginPath}))
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    struct Unmount
    {
        QString folder;
        ~Unmount() { runProgram(u"umount"_s, {folder}); }
    } unmount{paths.PluginPath};

    install(u"alpha"_s, u"1.1"_s);
    serve(u"alpha"_s, u"alpha"_s, u"1.2"_s);
    const QByteArray before = readFile(pluginFile(u"alpha"_s));
    ASSERT_TRUE(runProgram(u"mount"_s, {u"-o"_s, u"remount,ro"_s, paths.PluginPath}));
    runPass();
    EXPECT_EQ(kinds().value(u"alpha"_s), PluginUpdateOutcome::Failed);
    EXPECT_EQ(readFile(pluginFile(u"alpha"_s)), before);
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_TRUE(messages.criticals.first().text.contains(pluginFile(u"alpha"_s)));
    EXPECT_EQ(messages.informations.size(), 1);
}
