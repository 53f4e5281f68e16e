// The plugin manager's key and 「テスト」 controls on real widgets: the key
// saved to the user's keys and never shown again, the self-test run in the
// core against a local test engine and its report shown.

#include "common/userkeys.h"
#include "dialogs/frmpluginmanager.h"
#include "dialogs/pluginkeytestpanel.h"
#include "encoding/codepage932.h"
#include "searchplugins/plugincatalogue.h"
#include "support/engineplugins.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 60000;

class KeyAndTestControls : public ::testing::Test
{
protected:
    KeyAndTestControls()
    {
        paths = InitAppState(dir.path()).paths;
        writeFile(paths.IniPath, "[chasen]\r\ntype=0\r\n[search]\r\ninterval=0\r\n");
        EXPECT_TRUE(engine.listen());
        EnginePlugin file(u"alpha"_s, engine.port());
        file.resultCharset = u"x-euc-jp"_s;
        writeEnginePlugin(paths, file);
        const QString path = paths.PluginPath + u"/alpha.ini"_s;
        writeSjisFile(path, cp932::decode(readFile(path))
                                .replace(u"[search]\r\n"_s,
                                         u"userkey=token\r\nuserkeyfield=token\r\n[search]\r\n"_s));
        EnginePage page;
        page.body = EncodePage(resultPage({u"京都の寺"_s}), u"x-euc-jp"_s);
        engine.setPage(u"/s"_s, page);
        catalogue.load(paths);
        manager = std::make_unique<frmPluginManager>(paths, catalogue, messages, dialogs);
        manager->show();
    }

    template <typename T> T* control(const QString& name) const
    {
        T* found = manager->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    void select(const QString& plugin)
    {
        auto* list = control<QTreeWidget>(u"PluginList"_s);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(0) == plugin)
                list->setCurrentItem(list->topLevelItem(i));
        }
    }

    TempAppDir dir;
    AppPaths paths;
    TestEngine engine;
    PluginCatalogue catalogue;
    RecordingMessages messages;
    FakeFileDialogs dialogs;
    std::unique_ptr<frmPluginManager> manager;
};

} // namespace

TEST_F(KeyAndTestControls, TheKeyIsSavedAndNeverShownAgain)
{
    auto* key = control<QLineEdit>(u"txtUserKey"_s);
    auto* save = control<QPushButton>(u"cmdSaveKey"_s);
    EXPECT_FALSE(key->isEnabled()) << "no plugin selected";
    select(u"alpha"_s);
    EXPECT_TRUE(control<QLabel>(u"lblUserKey"_s)->text().contains(u"token"_s));
    ASSERT_TRUE(key->isEnabled());
    EXPECT_EQ(key->echoMode(), QLineEdit::Password);
    QTest::keyClicks(key, u"tok-123"_s);
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(LoadUserKey(paths, u"alpha"_s), u"tok-123");
    EXPECT_TRUE(key->text().isEmpty());
    EXPECT_TRUE(key->placeholderText().contains(u"設定済み"_s));
    EXPECT_FALSE(control<QPlainTextEdit>(u"txtTestReport"_s)->toPlainText().contains(u"tok-123"_s));

    auto* clear = control<QPushButton>(u"cmdClearKey"_s);
    ASSERT_TRUE(clear->isEnabled());
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_TRUE(LoadUserKey(paths, u"alpha"_s).isEmpty());
    EXPECT_FALSE(clear->isEnabled());
}

TEST_F(KeyAndTestControls, TestShowsTheCoresReport)
{
    select(u"alpha"_s);
    ASSERT_TRUE(SaveUserKey(paths, u"alpha"_s, u"tok-9"_s));
    auto* test = control<QPushButton>(u"cmdTest"_s);
    ASSERT_TRUE(test->isEnabled());
    QSignalSpy finished(manager->findChild<PluginKeyTestPanel*>(),
                        &PluginKeyTestPanel::testFinished);
    QTest::mouseClick(test, Qt::LeftButton);
    EXPECT_FALSE(test->isEnabled()) << "one test at a time";
    ASSERT_TRUE(finished.wait(HangGuardMs));
    const QString report = control<QPlainTextEdit>(u"txtTestReport"_s)->toPlainText();
    EXPECT_TRUE(report.contains(u"alpha: 合格"_s)) << report.toStdString();
    EXPECT_TRUE(report.contains(u"件数: 1"_s));
    EXPECT_TRUE(report.contains(u"最初のタイトル: 京都の寺"_s));
    EXPECT_FALSE(report.contains(u"tok-9"_s));
    ASSERT_EQ(engine.requests().size(), 1);
    EXPECT_TRUE(engine.requests().constFirst().contains("&token=tok-9 "));
    EXPECT_TRUE(test->isEnabled());
}
