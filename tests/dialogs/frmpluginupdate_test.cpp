#include "dialogs/frmpluginupdate.h"

#include "searchplugins/plugincatalogue.h"
#include "searchplugins/pluginupdater.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"
#include "testengine/testengine.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

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

QByteArray pluginText(const QString& name, const QString& version, const QString& update)
{
    return (u"[init]\r\nname="_s + name + u"\r\nurl=http://home/\r\nversion="_s + version +
            u"\r\nupdate="_s + update + u"\r\n[search]\r\naction=http://127.0.0.1/s\r\n"_s)
        .toLatin1();
}

class UpdateWindow : public ::testing::Test
{
protected:
    UpdateWindow() { EXPECT_TRUE(engine.listen()) << engine.errorString().toStdString(); }

    QString pluginFile(const QString& name) const
    {
        return paths.PluginPath + u'/' + name + u".ini";
    }
    QString address(const QString& name) const
    {
        return u"http://127.0.0.1:%1/%2.ini"_s.arg(engine.port()).arg(name);
    }
    // An installed plugin at version 1.1 and the copy at newVersion that the
    // engine serves for it (delayed by delayMs before its first byte).
    QByteArray install(const QString& name, const QString& newVersion, int delayMs = 0)
    {
        writeFile(pluginFile(name), pluginText(name, u"1.1"_s, address(name)));
        EnginePage page;
        page.header = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
        page.body = pluginText(name, newVersion, address(name));
        page.delayMs = delayMs;
        engine.setPage(u"/"_s + name + u".ini"_s, page);
        return page.body;
    }

    QLabel* label() const { return window->findChild<QLabel*>(u"Label1"_s); }
    QProgressBar* bar() const { return window->findChild<QProgressBar*>(u"ProgressBar1"_s); }
    QPushButton* stopButton() const { return window->findChild<QPushButton*>(u"Command1"_s); }
    QStringList requestedPaths() const
    {
        QStringList list;
        for (const QByteArray& request : engine.requests())
            list.append(RequestPath(request));
        return list;
    }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    TestEngine engine;
    PluginCatalogue catalogue;
    RecordingMessages messages;
    std::unique_ptr<frmPluginUpdate> window;
};

} // namespace

TEST_F(UpdateWindow, RunsThePassWhenShownAndClosesAfterTheMessage)
{
    const QByteArray alpha = install(u"alpha"_s, u"1.2"_s);
    install(u"beta"_s, u"1.1"_s);
    catalogue.load(paths);
    catalogue.setCheckedByName(u"alpha"_s, true);
    window = std::make_unique<frmPluginUpdate>(paths, catalogue, messages);
    QSignalSpy finished(window.get(), &QDialog::finished);
    EXPECT_EQ(window->windowTitle(), u"プラグイン　アップデート");
    EXPECT_EQ(stopButton()->text(), u"中止");
    // Fixed at 4440 by 2760 twips.
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->minimumWidth(), (4440 * window->logicalDpiX() + 720) / 1440);
    EXPECT_EQ(window->minimumHeight(), (2760 * window->logicalDpiY() + 720) / 1440);
    // Nothing happens before the window is shown.
    QTest::qWait(0);
    EXPECT_FALSE(window->updater().isRunning());
    EXPECT_TRUE(engine.requests().isEmpty());

    // Label1 follows the pass: seen through its text after every change.
    QStringList labels;
    QObject::connect(&window->updater(), &PluginUpdater::statusChanged, window.get(),
                     [&] { labels.append(label()->text()); });
    QList<int> values;
    QObject::connect(&window->updater(), &PluginUpdater::progressChanged, window.get(),
                     [&] { values.append(bar()->value()); });
    window->show();
    ASSERT_TRUE(finished.wait(HangGuardMs));

    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(labels, (QStringList{u"alpha　アップデート処理中"_s, u"beta　アップデート処理中"_s,
                                   u"アップデート完了"_s}));
    EXPECT_EQ(values, (QList<int>{0, 1, 2}));
    EXPECT_EQ(bar()->maximum(), 2);
    ASSERT_EQ(messages.informations.size(), 1);
    EXPECT_EQ(messages.informations.first().text, u"プラグインのアップデートが完了しました。");
    EXPECT_EQ(readFile(pluginFile(u"alpha"_s)), alpha);
    // The catalogue was refreshed by the pass and kept the mark.
    ASSERT_EQ(catalogue.count(), 2);
    EXPECT_EQ(catalogue.at(0).version, u"1.2");
    EXPECT_TRUE(catalogue.at(0).checked);
}

TEST_F(UpdateWindow, StopEndsThePassBeforeTheNextPlugin)
{
    // alpha's copy takes longer than the test runs: the stop drops it.
    install(u"alpha"_s, u"1.2"_s, HangGuardMs * 2);
    const QByteArray alphaBefore = readFile(pluginFile(u"alpha"_s));
    install(u"beta"_s, u"1.2"_s);
    const QByteArray betaBefore = readFile(pluginFile(u"beta"_s));
    QSignalSpy requested(&engine, &TestEngine::requestReceived);
    catalogue.load(paths);
    window = std::make_unique<frmPluginUpdate>(paths, catalogue, messages);
    QSignalSpy finished(window.get(), &QDialog::finished);
    window->show();
    ASSERT_TRUE(requested.wait(HangGuardMs));
    EXPECT_EQ(label()->text(), u"alpha　アップデート処理中");

    QTest::mouseClick(stopButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(HangGuardMs));
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->updater().isRunning());
    EXPECT_TRUE(messages.informations.isEmpty()); // no completion message
    EXPECT_EQ(requestedPaths(), QStringList{u"/alpha.ini"_s});
    EXPECT_EQ(readFile(pluginFile(u"alpha"_s)), alphaBefore);
    EXPECT_EQ(readFile(pluginFile(u"beta"_s)), betaBefore);
    EXPECT_LT(bar()->value(), bar()->maximum());
}

TEST_F(UpdateWindow, ClosingTheWindowDuringThePassStopsIt)
{
    install(u"alpha"_s, u"1.2"_s, HangGuardMs * 2);
    install(u"beta"_s, u"1.2"_s);
    QSignalSpy requested(&engine, &TestEngine::requestReceived);
    catalogue.load(paths);
    window = std::make_unique<frmPluginUpdate>(paths, catalogue, messages);
    QSignalSpy finished(window.get(), &QDialog::finished);
    QSignalSpy passEnded(&window->updater(), &PluginUpdater::finished);
    window->show();
    ASSERT_TRUE(requested.wait(HangGuardMs));

    window->close();
    ASSERT_TRUE(finished.count() == 1 || finished.wait(HangGuardMs));
    ASSERT_EQ(passEnded.count(), 1);
    EXPECT_TRUE(passEnded.first().first().toBool()); // stopped
    EXPECT_EQ(requestedPaths(), QStringList{u"/alpha.ini"_s});
    EXPECT_TRUE(messages.informations.isEmpty());
}

TEST_F(UpdateWindow, APassOverNoPluginsCompletesWithAValidBar)
{
    catalogue.load(paths);
    window = std::make_unique<frmPluginUpdate>(paths, catalogue, messages);
    QSignalSpy finished(window.get(), &QDialog::finished);
    window->show();
    ASSERT_TRUE(finished.wait(HangGuardMs));
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(messages.informations.size(), 1);
    EXPECT_EQ(label()->text(), u"アップデート完了");
    // A range of 0 to 0 would be a busy bar.
    EXPECT_LT(bar()->minimum(), bar()->maximum());
}
