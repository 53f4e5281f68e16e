#include "app/frmsokuri.h"
#include "app/startup.h"

#include "dialogs/frmpluginmanager.h"
#include "searchplugins/plugininstaller.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"
#include "testengine/testengine.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUuid>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 60000;

// The main window in a temporary application folder with fake message
// boxes, file dialogs and browser, and alpha and beta installed.
class PluginManagerWindow : public ::testing::Test
{
protected:
    PluginManagerWindow()
    {
        paths = ResolveAppPaths(dir.path());
        writeSjisFile(paths.IniPath, u"[chasen]\r\ntype=0\r\n"_s);
        writeFile(paths.PluginPath + u"/alpha.ini"_s, examplePluginBytes(u"alpha"_s));
        writeFile(paths.PluginPath + u"/beta.ini"_s, examplePluginBytes(u"beta"_s));
        QDir().mkpath(dir.file(u"data"_s));
        qputenv("XDG_DATA_HOME", dir.file(u"data"_s).toLocal8Bit());
        EXPECT_TRUE(engine.listen());
        startUp = std::make_unique<StartUp>();
        const QString key = u"sokuri-test-"_s + QUuid::createUuid().toString(QUuid::Id128);
        EXPECT_EQ(
            startUp->start(
                {dir.path(), QStringLiteral(SOKURI_APP_DIR), key, {&messages, &dialogs, &browser}}),
            StartUp::Outcome::Running);
        window()->catalogue().setCheckedByName(u"alpha"_s, true);
    }

    frmSokuri* window() const { return startUp->window(); }
    template <typename T> T* control(QWidget* parent, const QString& name) const
    {
        T* found = parent->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QStringList listed() const
    {
        QStringList names;
        for (const CatalogueEntry& entry : window()->catalogue().entries())
            names.append(entry.text + (entry.checked ? u"*"_s : u""_s));
        return names;
    }
    QStringList pluginFiles() const { return QDir(paths.PluginPath).entryList(QDir::Files); }

    // Opens the plugin manager from the View menu, runs steps in it and
    // closes it.
    void inManager(const std::function<void(frmPluginManager*)>& steps)
    {
        bool ran = false;
        QTimer::singleShot(0, window(), [&] {
            auto* manager = qobject_cast<frmPluginManager*>(QApplication::activeModalWidget());
            ASSERT_NE(manager, nullptr);
            ran = true;
            steps(manager);
            manager->accept();
        });
        control<QAction>(window(), u"mnuDispPluginManager"_s)->trigger();
        EXPECT_TRUE(ran);
    }
    // Clicks a button of the manager and waits for the installation.
    static void clickAndWait(frmPluginManager* manager, const QString& name)
    {
        QSignalSpy finished(&manager->installer(), &PluginInstaller::finished);
        QTest::mouseClick(manager->findChild<QPushButton*>(name), Qt::LeftButton);
        EXPECT_TRUE(finished.wait(HangGuardMs));
    }
    static QStringList rows(frmPluginManager* manager)
    {
        QStringList texts;
        auto* list = manager->findChild<QTreeWidget*>(u"PluginList"_s);
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            QStringList columns;
            for (int column = 0; column < 4; ++column)
                columns.append(list->topLevelItem(row)->text(column));
            texts.append(columns.join(u' '));
        }
        return texts;
    }

    TempAppDir dir;
    AppPaths paths;
    RecordingMessages messages;
    FakeFileDialogs dialogs;
    FakeBrowser browser;
    TestEngine engine;
    std::unique_ptr<StartUp> startUp;
};

} // namespace

TEST_F(PluginManagerWindow, DialogInstallsImportsAndRemovesWithQuestionsAndReasons)
{
    writeFile(dir.file(u"in/gamma.ini"_s), examplePluginBytes(u"gamma"_s));
    writeFile(dir.file(u"in/feeds.xml"_s),
              "<OpenSearchDescription><ShortName>feeds</ShortName><Url "
              "type=\"application/rss+xml\" template=\"https://f.example/q?s={searchTerms}\"/>"
              "</OpenSearchDescription>");
    EnginePage page;
    page.body = examplePluginBytes(u"delta"_s);
    engine.setPage(u"/delta.ini"_s, page);
    const QString address = u"http://127.0.0.1:%1"_s.arg(engine.port());

    inManager([&](frmPluginManager* manager) {
        EXPECT_EQ(rows(manager), QStringList({u"alpha 2 https://alpha.example/ alpha.ini"_s,
                                              u"beta 2 https://beta.example/ beta.ini"_s}));
        auto* addressLine = manager->findChild<QLineEdit*>(u"txtAddress"_s);

        dialogs.answers = {dir.file(u"in/gamma.ini"_s)};
        clickAndWait(manager, u"cmdInstallFile"_s);
        addressLine->setText(address + u"/delta.ini"_s);
        clickAndWait(manager, u"cmdInstallAddress"_s);
        dialogs.answers = {dir.file(u"in/feeds.xml"_s)};
        clickAndWait(manager, u"cmdImportOpenSearch"_s);
        EXPECT_EQ(rows(manager).size(), 5);
        EXPECT_TRUE(messages.criticals.isEmpty());

        // A failure shows its reason in a message box.
        addressLine->setText(address + u"/missing.ini"_s);
        clickAndWait(manager, u"cmdInstallAddress"_s);
        ASSERT_EQ(messages.criticals.size(), 1);
        EXPECT_TRUE(messages.criticals[0].text.contains(u"Not Found"));
        EXPECT_EQ(messages.criticals[0].title, u"プラグインのインストール");

        // Remove the selected plugin after asking.
        auto* list = manager->findChild<QTreeWidget*>(u"PluginList"_s);
        list->setCurrentItem(list->findItems(u"beta"_s, Qt::MatchExactly).first());
        messages.answers = {true};
        QTest::mouseClick(manager->findChild<QPushButton*>(u"cmdRemove"_s), Qt::LeftButton);
        EXPECT_EQ(rows(manager).size(), 4);
    });
    EXPECT_EQ(pluginFiles(),
              QStringList({u"alpha.ini"_s, u"delta.ini"_s, u"feeds.ini"_s, u"gamma.ini"_s}));
    EXPECT_EQ(listed(), QStringList({u"alpha*"_s, u"delta"_s, u"feeds"_s, u"gamma"_s}));
    EXPECT_EQ(control<QTreeView>(window(), u"ListView1"_s)->model()->rowCount(), 4);
}

TEST_F(PluginManagerWindow, PopupRemoveDeletesTheEntryUnderThePointer)
{
    QTreeView* view = control<QTreeView>(window(), u"ListView1"_s);
    auto* popup = control<QMenu>(window(), u"ListView1PopupMenu"_s);
    const QPoint beta = view->visualRect(view->model()->index(1, 0)).center();
    for (const bool answer : {false, true}) {
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, beta);
        ASSERT_TRUE(popup->isVisible());
        messages.answers = {answer};
        control<QAction>(window(), u"popListView1Remove"_s)->trigger();
        popup->hide();
    }
    ASSERT_EQ(messages.questions.size(), 2);
    EXPECT_EQ(messages.questions[1].text, u"プラグイン「beta」を削除しますか?");
    EXPECT_EQ(pluginFiles(), QStringList{u"alpha.ini"_s});
    EXPECT_EQ(listed(), QStringList{u"alpha*"_s});
}
