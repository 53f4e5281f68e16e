// Resting engines in the real window: the plugin list's tooltip and pop-up
// entries, and the plugin manager's buttons.

#include "app/frmsokuri.h"
#include "app/startup.h"
#include "dialogs/frmpluginmanager.h"
#include "retrieval/enginerests.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QTreeWidget>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

const QString Refused = u"http://127.0.0.1:9/s?lang=ja&q=%8B%9E%93s"_s;

// The window over alpha, which answered with a CAPTCHA, and beta.
class RestingPlugins : public ::testing::Test
{
protected:
    RestingPlugins()
    {
        paths = ResolveAppPaths(dir.path());
        writeSjisFile(paths.IniPath, u"[chasen]\r\ntype=0\r\n[rest]\r\nchallenge=3600\r\n"_s);
        writeFile(paths.PluginPath + u"/alpha.ini"_s, examplePluginBytes(u"alpha"_s));
        writeFile(paths.PluginPath + u"/beta.ini"_s, examplePluginBytes(u"beta"_s));
        EngineStatus captcha;
        captcha.plugin = u"alpha"_s;
        captcha.kind = EngineStatus::Failed;
        captcha.challenge = true;
        captcha.address = Refused;
        EXPECT_TRUE(EngineRests(paths).record(captcha));

        QDir().mkpath(dir.file(u"data"_s));
        qputenv("XDG_DATA_HOME", dir.file(u"data"_s).toLocal8Bit());
        startUp = std::make_unique<StartUp>();
        const QString key = u"sokuri-test-"_s + QUuid::createUuid().toString(QUuid::Id128);
        EXPECT_EQ(
            startUp->start(
                {dir.path(), QStringLiteral(SOKURI_APP_DIR), key, {&messages, &dialogs, &browser}}),
            StartUp::Outcome::Running);
    }

    frmSokuri* window() const { return startUp->window(); }
    bool alphaRests() const { return EngineRests(paths).restOf(u"alpha"_s).has_value(); }

    TempAppDir dir;
    AppPaths paths;
    RecordingMessages messages;
    FakeFileDialogs dialogs;
    FakeBrowser browser;
    std::unique_ptr<StartUp> startUp;
};

} // namespace

TEST_F(RestingPlugins, PluginListTellsTheRestAndItsPopupOpensTheRefusedPageAndResumes)
{
    auto* view = window()->findChild<QTreeView*>(u"ListView1"_s);
    auto* popup = window()->findChild<QMenu*>(u"ListView1PopupMenu"_s);
    auto* resume = window()->findChild<QAction*>(u"popListView1Resume"_s);
    auto* openRefused = window()->findChild<QAction*>(u"popListView1OpenRefused"_s);
    ASSERT_TRUE(view && popup && resume && openRefused);
    const QPoint alpha = view->visualRect(view->model()->index(0, 0)).center();
    const QPoint beta = view->visualRect(view->model()->index(1, 0)).center();

    QHelpEvent help(QEvent::ToolTip, alpha, view->viewport()->mapToGlobal(alpha));
    QApplication::sendEvent(view->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), u"Version 2\n一時停止中 (CAPTCHA, あと 1 時間)"_s);

    const struct
    {
        QPoint at;
        bool resting;
    } entries[] = {{beta, false}, {alpha, true}};
    for (const auto& entry : entries) {
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, entry.at);
        ASSERT_TRUE(popup->isVisible());
        EXPECT_EQ(resume->isVisible(), entry.resting);
        EXPECT_EQ(openRefused->isVisible(), entry.resting);
        popup->hide();
    }
    openRefused->trigger();
    EXPECT_EQ(browser.opened, QStringList{Refused + u" _blank"_s});
    resume->trigger();
    EXPECT_FALSE(alphaRests());
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, alpha);
    EXPECT_FALSE(resume->isVisible());
    popup->hide();
}

TEST_F(RestingPlugins, PluginManagerResumesTheSelectedRestingEngine)
{
    bool ran = false;
    QTimer::singleShot(0, window(), [&] {
        auto* manager = qobject_cast<frmPluginManager*>(QApplication::activeModalWidget());
        ASSERT_NE(manager, nullptr);
        ran = true;
        auto* list = manager->findChild<QTreeWidget*>(u"PluginList"_s);
        auto* resume = manager->findChild<QPushButton*>(u"cmdResume"_s);
        auto* open = manager->findChild<QPushButton*>(u"cmdOpenRefused"_s);
        ASSERT_TRUE(list && resume && open);
        QTreeWidgetItem* alpha = list->findItems(u"alpha"_s, Qt::MatchExactly).first();
        EXPECT_TRUE(alpha->toolTip(0).endsWith(u"一時停止中 (CAPTCHA, あと 1 時間)"_s))
            << alpha->toolTip(0).toStdString();
        list->setCurrentItem(list->findItems(u"beta"_s, Qt::MatchExactly).first());
        EXPECT_FALSE(resume->isEnabled());
        EXPECT_FALSE(open->isEnabled());
        list->setCurrentItem(alpha);
        EXPECT_TRUE(resume->isEnabled());
        QTest::mouseClick(open, Qt::LeftButton);
        EXPECT_EQ(browser.opened, QStringList{Refused + u" _blank"_s});
        QTest::mouseClick(resume, Qt::LeftButton);
        EXPECT_FALSE(alphaRests());
        EXPECT_FALSE(resume->isEnabled());
        EXPECT_FALSE(alpha->toolTip(0).contains(u"一時停止中"_s));
        manager->accept();
    });
    window()->findChild<QAction*>(u"mnuDispPluginManager"_s)->trigger();
    EXPECT_TRUE(ran);
}
