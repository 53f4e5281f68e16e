#include "app/frmsokuri.h"
#include "app/searchrun.h"
#include "app/startup.h"

#include "documents/documentcommands.h"
#include "documents/documentformat.h"
#include "retrieval/keywordmarks.h"
#include "retrieval/resultsmodel.h"
#include "support/engineplugins.h"
#include "support/fakeplatform.h"
#include "support/refusingport.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QHostAddress>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMenu>
#include <QMovie>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

// Guards against hangs only; every wait ends as soon as its event arrives.
constexpr int HangGuardMs = 60000;

const QStringList AlphaTitles = {u"京都の老舗旅館"_s, u"嵐山の宿"_s};
const QStringList BetaTitles = {u"祇園の町家"_s, u"東山の温泉宿"_s};

EnginePage pageOf(const QStringList& titles, const QList<int>& scores)
{
    EnginePage page;
    page.body = EncodePage(resultPage(titles, scores), u"x-sjis"_s);
    return page;
}

// Types text into the input line one key at a time; Japanese characters
// arrive as key events with text, as an input method commits them.
void typeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), {});
}

// A unique name for the single-instance socket of one test.
QString uniqueKey()
{
    return u"sokuri-test-"_s + QUuid::createUuid().toString(QUuid::Id128);
}

// The main window started in a temporary application folder, with fake
// message boxes, file dialogs and browser.
class MainWindow : public ::testing::Test
{
protected:
    MainWindow()
    {
        paths = ResolveAppPaths(dir.path());
        writeSjisFile(paths.IniPath, u"[chasen]\r\ntype=0\r\nfilename=/usr/bin/chasen\r\n"
                                     u"host=localhost\r\nport=31000\r\n"_s);
    }

    StartUp::Outcome start()
    {
        startUp = std::make_unique<StartUp>();
        const StartUp::Outcome outcome = startUp->start(
            {dir.path(), QStringLiteral(SOKURI_APP_DIR), key, {&messages, &dialogs, &browser}});
        if (outcome == StartUp::Outcome::Running) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(startUp->window()));
        }
        return outcome;
    }

    frmSokuri* window() const { return startUp->window(); }
    template <typename T> T* control(const QString& name) const
    {
        T* found = window()->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QLineEdit* text1() const { return control<QLineEdit>(u"Text1"_s); }
    QRadioButton* option1() const { return control<QRadioButton>(u"Option1"_s); }
    QRadioButton* option2() const { return control<QRadioButton>(u"Option2"_s); }
    QTreeView* listView1() const { return control<QTreeView>(u"ListView1"_s); }
    QTreeView* listView2() const { return control<QTreeView>(u"ListView2"_s); }
    QPushButton* exec() const { return control<QPushButton>(u"Exec"_s); }
    QPushButton* cancel() const { return control<QPushButton>(u"Cancel"_s); }
    QTextBrowser* webBrowser1() const { return control<QTextBrowser>(u"WebBrowser1"_s); }
    QMenu* popup() const { return control<QMenu>(u"ListView1PopupMenu"_s); }
    QAction* action(const QString& name) const { return control<QAction>(name); }

    // An engine on its own port answering every path with page.
    TestEngine& engine(const EnginePage& page)
    {
        auto engine = std::make_unique<TestEngine>();
        EXPECT_TRUE(engine->listen()) << engine->errorString().toStdString();
        engine->setPage(u"*"_s, page);
        engines.push_back(std::move(engine));
        return *engines.back();
    }

    void plugin(const QString& name, quint16 port) { writeEnginePlugin(paths, {name, port}); }

    QStringList listed() const
    {
        QStringList names;
        QAbstractItemModel* model = listView1()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names.append(model->index(row, 0).data().toString());
        return names;
    }

    // Clicks the check box of the plugin list's row, as the user does.
    void clickCheckBox(int row)
    {
        QTreeView* view = listView1();
        const QModelIndex index = view->model()->index(row, 0);
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.rect = view->visualRect(index);
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box =
            view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
    }

    bool isChecked(int row) const
    {
        return listView1()
                   ->model()
                   ->index(row, 0)
                   .data(Qt::CheckStateRole)
                   .value<Qt::CheckState>() == Qt::Checked;
    }

    void clickRow(QTreeView* view, int row)
    {
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void clickHeader(int column)
    {
        QHeaderView* header = listView2()->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    QStringList column(int column) const
    {
        QStringList texts;
        QAbstractItemModel* model = listView2()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row, column).data().toString());
        return texts;
    }

    // Ticks the first plugins of the list, chooses keyword mode and types
    // text: the window ready for Search.
    void prepareKeywordSearch(int plugins, const QString& text)
    {
        for (int row = 0; row < plugins; ++row)
            clickCheckBox(row);
        QTest::mouseClick(option2(), Qt::LeftButton);
        typeInto(text1(), text);
    }

    // Two engines with two entries each, both plugins checked, keyword mode,
    // and a search through the widgets that has ended.
    void searchTwoEngines()
    {
        TestEngine& alpha = engine(pageOf(AlphaTitles, {80, 40}));
        TestEngine& beta = engine(pageOf(BetaTitles, {80, 20}));
        plugin(u"alpha"_s, alpha.port());
        plugin(u"beta"_s, beta.port());
        ASSERT_EQ(start(), StartUp::Outcome::Running);
        prepareKeywordSearch(2, u"京都 旅館"_s);
        ASSERT_TRUE(isChecked(0) && isChecked(1));
        ASSERT_TRUE(exec()->isEnabled());

        QSignalSpy finished(window()->searchRun(), &SearchRun::finished);
        QTest::mouseClick(exec(), Qt::LeftButton);
        ASSERT_TRUE(finished.wait(HangGuardMs)) << "the run did not end";
        ASSERT_EQ(listView2()->model()->rowCount(), 4);
    }

    TempAppDir dir;
    AppPaths paths;
    QString key = uniqueKey();
    RecordingMessages messages;
    FakeFileDialogs dialogs;
    FakeBrowser browser;
    std::vector<std::unique_ptr<TestEngine>> engines;
    std::unique_ptr<StartUp> startUp;
};

} // namespace

TEST_F(MainWindow, StartsInAFolderHoldingOnlyTheSettings)
{
    ASSERT_EQ(start(), StartUp::Outcome::Running);

    EXPECT_TRUE(QFileInfo(dir.file(u"plugins"_s)).isDir());
    EXPECT_TRUE(QFileInfo(dir.file(u"tmp"_s)).isDir());
    EXPECT_EQ(window()->windowTitle(), u"無題 - Sokuri");
    EXPECT_FALSE(exec()->isEnabled());
    EXPECT_FALSE(cancel()->isEnabled());
    EXPECT_TRUE(text1()->isEnabled());
    EXPECT_TRUE(text1()->text().isEmpty());
    EXPECT_FALSE(option1()->isChecked());
    EXPECT_FALSE(option2()->isChecked());
    EXPECT_EQ(listView1()->model()->rowCount(), 0);
    EXPECT_EQ(listView1()->model()->headerData(0, Qt::Horizontal).toString(), u"サイト");
    EXPECT_EQ(window()->chasenSettings().filename, u"/usr/bin/chasen");
    EXPECT_TRUE(messages.criticals.isEmpty());

    // The busy animation stands still on its first frame.
    ASSERT_NE(window()->animation(), nullptr);
    EXPECT_TRUE(window()->animation()->isValid());
    EXPECT_GT(window()->animation()->frameCount(), 1);
    EXPECT_NE(window()->animation()->state(), QMovie::Running);

    // Captions, menus and the label font as the design has them.
    EXPECT_EQ(control<QLabel>(u"Label1"_s)->text(), u"　　語句：");
    EXPECT_TRUE(control<QLabel>(u"Label1"_s)->font().bold());
    EXPECT_TRUE(control<QLabel>(u"Label3"_s)->font().families().contains(u"IPAPGothic"_s));
    EXPECT_EQ(option1()->text(), u"文章（茶筅必須）");
    EXPECT_EQ(exec()->text(), u"検索");
    EXPECT_EQ(cancel()->text(), u"中止");
    EXPECT_EQ(action(u"mnuFileSaveas"_s)->text(), u"上書き保存(&S)");
    EXPECT_EQ(action(u"mnuFileSave"_s)->text(), u"名前を付けて保存(&A)");
    EXPECT_EQ(listView2()->model()->headerData(2, Qt::Horizontal).toString(), u"関連");
}

TEST_F(MainWindow, ListsInstalledPluginsSortedAndUnchecked)
{
    writeSjisFile(paths.PluginPath + u"/gamma.ini",
                  u"[init]\r\nname=gamma\r\nurl=http://gamma.example/\r\nversion=1.2\r\n"_s);
    writeSjisFile(paths.PluginPath + u"/alpha.ini",
                  u"[init]\r\nname=alpha\r\nurl=http://alpha.example/\r\n"_s);
    writeSjisFile(paths.PluginPath + u"/nourl.ini", u"[init]\r\nname=nourl\r\n"_s);
    writeSjisFile(paths.PluginPath + u"/beta.ini",
                  u"[init]\r\nname=beta\r\nurl=http://beta.example/\r\n"_s);
    ASSERT_EQ(start(), StartUp::Outcome::Running);

    EXPECT_EQ(listed(), QStringList({u"alpha"_s, u"beta"_s, u"gamma"_s}));
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(isChecked(row)) << row;
    EXPECT_EQ(listView1()->model()->index(2, 0).data(Qt::ToolTipRole).toString(), u"Version 1.2");
    EXPECT_FALSE(exec()->isEnabled());
}

TEST_F(MainWindow, MissingSettingsEndTheStartWithTheMessage)
{
    ASSERT_TRUE(QFile::remove(paths.IniPath));
    EXPECT_EQ(start(), StartUp::Outcome::SettingsMissing);
    EXPECT_EQ(startUp->window(), nullptr);
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_EQ(messages.criticals[0].text, paths.IniPath + u" がありません。");
    EXPECT_EQ(messages.criticals[0].title, u"File not found");

    // The ended start no longer holds the single instance.
    writeSjisFile(paths.IniPath, u"[chasen]\r\ntype=0\r\n"_s);
    EXPECT_EQ(start(), StartUp::Outcome::Running);
}

TEST_F(MainWindow, SearchButtonNeedsModeTextAndACheckedPlugin)
{
    plugin(u"alpha"_s, 9);
    plugin(u"beta"_s, 9);
    ASSERT_EQ(start(), StartUp::Outcome::Running);

    QTest::keyClicks(text1(), u"kyoto"_s);
    EXPECT_FALSE(exec()->isEnabled());
    clickCheckBox(1);
    ASSERT_TRUE(isChecked(1));
    // Text and a checked plugin, but no mode yet.
    EXPECT_FALSE(exec()->isEnabled());
    QTest::mouseClick(option2(), Qt::LeftButton);
    EXPECT_TRUE(exec()->isEnabled());

    // Every change of the three conditions applies the rule again.
    text1()->setFocus();
    text1()->selectAll();
    QTest::keyClick(text1(), Qt::Key_Delete);
    EXPECT_FALSE(exec()->isEnabled());
    QTest::keyClicks(text1(), u"a"_s);
    EXPECT_TRUE(exec()->isEnabled());
    clickCheckBox(1);
    ASSERT_FALSE(isChecked(1));
    EXPECT_FALSE(exec()->isEnabled());
    clickCheckBox(0);
    QTest::mouseClick(option1(), Qt::LeftButton);
    EXPECT_TRUE(exec()->isEnabled());
}

TEST_F(MainWindow, EnterInTheInputLineSearchesOnlyWhenSearchIsEnabled)
{
    TestEngine& alpha = engine(pageOf(AlphaTitles, {80, 40}));
    plugin(u"alpha"_s, alpha.port());
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    SearchRun* run = window()->searchRun();
    QSignalSpy started(run, &SearchRun::started);

    QTest::keyClicks(text1(), u"kyoto"_s);
    QTest::keyClick(text1(), Qt::Key_Return);
    EXPECT_TRUE(started.isEmpty());

    clickCheckBox(0);
    QTest::mouseClick(option2(), Qt::LeftButton);
    QSignalSpy finished(run, &SearchRun::finished);
    QTest::keyClick(text1(), Qt::Key_Return);
    EXPECT_EQ(started.size(), 1);
    ASSERT_TRUE(finished.wait(HangGuardMs));
    EXPECT_EQ(column(0), AlphaTitles);
}

TEST_F(MainWindow, KeywordSearchThroughTheWidgetsAgainstTwoEngines)
{
    TestEngine& alpha = engine(pageOf(AlphaTitles, {80, 40}));
    TestEngine& beta = engine(pageOf(BetaTitles, {80, 20}));
    plugin(u"alpha"_s, alpha.port());
    plugin(u"beta"_s, beta.port());
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    prepareKeywordSearch(2, u"  京都 旅館 "_s);
    ASSERT_TRUE(exec()->isEnabled());

    SearchRun* run = window()->searchRun();
    QSignalSpy finished(run, &SearchRun::finished);
    QTest::mouseClick(exec(), Qt::LeftButton);

    // During the run the input is frozen and Search stays disabled, also
    // after the trimmed text has been written back.
    ASSERT_TRUE(run->isRunning());
    EXPECT_EQ(text1()->text(), u"京都 旅館");
    EXPECT_FALSE(exec()->isEnabled());
    EXPECT_TRUE(cancel()->isEnabled());
    EXPECT_FALSE(text1()->isEnabled());
    EXPECT_FALSE(control<QGroupBox>(u"Frame1"_s)->isEnabled());
    EXPECT_FALSE(listView1()->isEnabled());
    EXPECT_EQ(window()->animation()->state(), QMovie::Running);

    ASSERT_TRUE(finished.wait(HangGuardMs)) << "the run did not end";
    EXPECT_EQ(alpha.requests().size(), 1);
    EXPECT_EQ(beta.requests().size(), 1);
    ASSERT_EQ(listView2()->model()->rowCount(), 4);
    QStringList titles = column(0);
    titles.sort();
    QStringList expected = AlphaTitles + BetaTitles;
    expected.sort();
    EXPECT_EQ(titles, expected);
    // Best first: each engine's first entry shows 100.
    EXPECT_EQ(column(2).first(), u"100");
    EXPECT_EQ(column(2).last(), u" 25");

    EXPECT_TRUE(exec()->isEnabled());
    EXPECT_FALSE(cancel()->isEnabled());
    EXPECT_TRUE(text1()->isEnabled());
    EXPECT_TRUE(control<QGroupBox>(u"Frame1"_s)->isEnabled());
    EXPECT_TRUE(listView1()->isEnabled());
    EXPECT_NE(window()->animation()->state(), QMovie::Running);
    EXPECT_TRUE(messages.criticals.isEmpty());
}

TEST_F(MainWindow, KeywordsOfAPassageAreEditedAndARowsWordsSearched)
{
    QDir().mkpath(paths.TmpPath);
    QFile::copy(QStringLiteral(SOKURI_APP_DIR "/chasen.sh"), paths.AppPath + u"/chasen.sh"_s);
    writeSjisFile(paths.IniPath, u"[chasen]\r\ntype=0\r\nfilename=/usr/bin/chasen\r\n"
                                 u"[keywords]\r\ncompound=1\r\nmax=5\r\n"_s);
    TestEngine& alpha = engine(pageOf(AlphaTitles, {80, 40}));
    plugin(u"alpha"_s, alpha.port());
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    clickCheckBox(0);
    QTest::mouseClick(option1(), Qt::LeftButton);
    typeInto(text1(),
             u"東京証券取引所は日本最大の証券取引所である。東京証券取引所では株式が売買される。"_s);
    SearchRun* run = window()->searchRun();
    QSignalSpy finished(run, &SearchRun::finished);
    QTest::mouseClick(exec(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(HangGuardMs)) << "the run did not end";
    const QStringList searched = run->searchedKeywords();
    EXPECT_EQ(searched.value(0), u"東京証券取引所");
    EXPECT_LE(searched.size(), 5);

    // 検索語を編集 (Ctrl+K): the keywords in the input line, keyword mode.
    QTest::keyClick(window(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(text1()->text(), searched.join(u' '));
    EXPECT_TRUE(option2()->isChecked());

    // 「この項目の語で検索」 on the first row: its words, searched at once.
    ASSERT_EQ(listView2()->model()->rowCount(), 2);
    const QPoint at = listView2()->visualRect(listView2()->model()->index(0, 0)).center();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at,
                                listView2()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(listView2()->viewport(), &menuEvent);
    QMenu* rowMenu = control<QMenu>(u"ListView2PopupMenu"_s);
    QTRY_VERIFY_WITH_TIMEOUT(rowMenu->isVisible(), HangGuardMs);
    const QString title = listView2()->model()->index(0, 0).data().toString();
    action(u"popListView2SearchWords"_s)->trigger();
    rowMenu->close();
    ASSERT_TRUE(finished.wait(HangGuardMs)) << "the row's search did not end";
    EXPECT_EQ(alpha.requests().size(), 2);
    EXPECT_TRUE(option2()->isChecked());
    EXPECT_FALSE(text1()->text().isEmpty());
    EXPECT_EQ(text1()->text(), run->searchedKeywords().join(u' '));
    EXPECT_TRUE(title.contains(run->searchedKeywords().value(0))) << title.toStdString();
    EXPECT_TRUE(messages.criticals.isEmpty());
}

TEST_F(MainWindow, StopEndsARunWhoseEngineNeverCloses)
{
    EnginePage page = pageOf(AlphaTitles, {80, 40});
    page.neverClose = true;
    TestEngine& alpha = engine(page);
    plugin(u"alpha"_s, alpha.port());
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    prepareKeywordSearch(1, u"kyoto"_s);

    SearchRun* run = window()->searchRun();
    QSignalSpy finished(run, &SearchRun::finished);
    QSignalSpy requested(&alpha, &TestEngine::requestReceived);
    QTest::mouseClick(exec(), Qt::LeftButton);
    ASSERT_TRUE(requested.wait(HangGuardMs));
    // The answer has arrived, but the run goes on until the engine closes.
    QTRY_COMPARE_WITH_TIMEOUT(listView2()->model()->rowCount(), 2, HangGuardMs);
    EXPECT_TRUE(run->isRunning());

    QTest::mouseClick(cancel(), Qt::LeftButton);
    EXPECT_FALSE(cancel()->isEnabled());
    if (finished.isEmpty()) {
        ASSERT_TRUE(finished.wait(HangGuardMs));
    }
    EXPECT_TRUE(exec()->isEnabled());
    EXPECT_TRUE(text1()->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(alpha.openConnections(), 0, HangGuardMs);
    // The rows gathered before the stop stay.
    EXPECT_EQ(listView2()->model()->rowCount(), 2);
}

TEST_F(MainWindow, ClickingARowWritesTheResultPageAndShowsIt)
{
    searchTwoEngines();
    const QString pagePath = paths.TmpPath + u"/sokuri_view.html";
    const QString first = column(0)[0];
    const QString second = column(0)[1];

    clickRow(listView2(), 0);
    ASSERT_TRUE(QFileInfo::exists(pagePath));
    QStringDecoder sjis("windows-31j");
    const QString marked = sjis(readFile(pagePath));
    EXPECT_FALSE(sjis.hasError());
    // The page marks the keywords "京都 旅館" of the search; the row keeps
    // the entry as it came.
    const QString mark = QString::fromUtf16(KeywordMarkStart);
    EXPECT_TRUE(marked.contains(mark + u"京都</span>の老舗"_s + mark + u"旅館</span>"_s))
        << marked.toStdString();
    EXPECT_FALSE(
        listView2()->model()->index(0, 0).data(ResultsModel::HtmlRole).toString().contains(mark));
    const QString written = QString(marked).remove(mark).remove(u"</span>"_s);
    EXPECT_TRUE(written.contains(first)) << written.toStdString();
    EXPECT_TRUE(written.contains(u"target=\"_sokuri\""_s)) << written.toStdString();
    EXPECT_FALSE(written.contains(u"<html"_s));
    EXPECT_TRUE(webBrowser1()->toPlainText().contains(first));

    clickRow(listView2(), 1);
    QStringDecoder again("windows-31j");
    const QString replaced = QString(again(readFile(pagePath))).remove(mark).remove(u"</span>"_s);
    EXPECT_TRUE(replaced.contains(second));
    EXPECT_FALSE(replaced.contains(first));
    EXPECT_TRUE(webBrowser1()->toPlainText().contains(second));
    EXPECT_FALSE(webBrowser1()->toPlainText().contains(first));

    // The entry's link opens in the desktop's browser, in the result window.
    webBrowser1()->setFocus();
    QTest::keyClick(webBrowser1(), Qt::Key_Tab);
    QTest::keyClick(webBrowser1(), Qt::Key_Return);
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_TRUE(browser.opened[0].startsWith(u"http://127.0.0.1:"_s))
        << browser.opened[0].toStdString();
    EXPECT_TRUE(browser.opened[0].endsWith(u" _sokuri"_s));
}

TEST_F(MainWindow, HeaderClicksSortTheResults)
{
    searchTwoEngines();
    QHeaderView* header = listView2()->header();
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    clickHeader(2);
    EXPECT_EQ(column(2), QStringList({u" 25"_s, u" 50"_s, u"100"_s, u"100"_s}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    clickHeader(2);
    EXPECT_EQ(column(2).first(), u"100");
    EXPECT_EQ(column(2).last(), u" 25");
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    clickHeader(0);
    QStringList sorted = column(0);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(column(0), sorted);
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
}

TEST_F(MainWindow, PopupMenuOnAnEntryOnlyAndDoubleClickOpensTheSite)
{
    writeSjisFile(paths.PluginPath + u"/alpha.ini",
                  u"[init]\r\nname=alpha\r\nurl=http://alpha.example/\r\n"_s);
    writeSjisFile(paths.PluginPath + u"/beta.ini",
                  u"[init]\r\nname=beta\r\nurl=http://beta.example/\r\n"_s);
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    QTreeView* view = listView1();

    // Below the last entry: nothing.
    const QRect last = view->visualRect(view->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::RightButton, {},
                      QPoint(last.center().x(), last.bottom() + 10));
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_TRUE(view->selectionModel()->selectedRows().isEmpty());
    // A left click does not open it either.
    clickRow(view, 1);
    EXPECT_FALSE(popup()->isVisible());

    QTest::mouseClick(view->viewport(), Qt::RightButton, {},
                      view->visualRect(view->model()->index(0, 0)).center());
    ASSERT_TRUE(popup()->isVisible());
    ASSERT_EQ(view->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view->selectionModel()->selectedRows()[0].row(), 0);
    action(u"popListView1New"_s)->trigger();
    popup()->hide();
    action(u"popListView1Open"_s)->trigger();
    EXPECT_EQ(browser.opened,
              QStringList({u"http://alpha.example/ _blank"_s, u"http://alpha.example/ _top"_s}));

    browser.opened.clear();
    // A double click: the press and release of the first click, then the
    // second press.
    const QPoint beta = view->visualRect(view->model()->index(1, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, beta);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, beta);
    EXPECT_EQ(browser.opened, QStringList({u"http://beta.example/ _top"_s}));

    // A browser that cannot be reached is reported; the window stays.
    browser.fail = true;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, beta);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, beta);
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_EQ(messages.criticals[0].title, u"Error 429");
    EXPECT_EQ(messages.criticals[0].text, u"browser\rnot running");
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(MainWindow, ResizeSharesTheLowerHalfAndKeepsTheDesignSize)
{
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    if (window()->logicalDpiY() != 96 || window()->logicalDpiX() != 96)
        GTEST_SKIP() << "the design numbers are for 96 DPI";
    QWidget* inner = window()->centralWidget();
    const int menuHeight = window()->height() - inner->height();

    // The design's inner size, 8280 x 5835 twips: 552 x 389 pixels at 15
    // twips a pixel. Half of 5835 - 2400 is 1718 (halves to even); the
    // results list is 1693 twips high (113 px), the viewer starts 50 twips
    // below it (1695 + 2400 + 50 = 4145 twips, 276 px) and takes the rest.
    window()->resize(552, 389 + menuHeight);
    ASSERT_EQ(inner->size(), QSize(552, 389));
    EXPECT_EQ(listView2()->geometry(), QRect(0, 160, 552, 113));
    EXPECT_EQ(webBrowser1()->geometry(), QRect(0, 276, 552, 113));

    // Larger: 900 x 600 px inner, 9000 twips high: half of 6600 is 3300,
    // the list 3275 twips (218 px = 3270 twips), the viewer from 5720
    // twips (381 px) to the bottom.
    window()->resize(900, 600 + menuHeight);
    ASSERT_EQ(inner->size(), QSize(900, 600));
    EXPECT_EQ(listView2()->geometry(), QRect(0, 160, 900, 218));
    EXPECT_EQ(webBrowser1()->geometry(), QRect(0, 381, 900, 219));
    // The upper controls keep their places.
    EXPECT_EQ(listView1()->geometry(), QRect(80, 80, 329, 75));

    // Smaller than the design size: it snaps back.
    window()->resize(300, 200);
    EXPECT_GE(inner->width(), 552);
    EXPECT_GE(inner->height(), 389);
    EXPECT_EQ(listView2()->width(), inner->width());
}

TEST_F(MainWindow, ModeButtonsShowTheirWholeCaptions)
{
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    const auto* frame = control<QGroupBox>(u"Frame1"_s);
    const QRadioButton* option2 = control<QRadioButton>(u"Option2"_s);
    for (const QRadioButton* option : {static_cast<const QRadioButton*>(option1()), option2}) {
        SCOPED_TRACE(option->text().toStdString());
        EXPECT_GE(option->width(), option->sizeHint().width());
        EXPECT_TRUE(frame->rect().contains(option->geometry()));
    }
    EXPECT_LT(option1()->geometry().right(), option2->x());
    // The frame stays beside the labels and below the text, within its width.
    EXPECT_LE(frame->geometry().right(), control<QLineEdit>(u"Text1"_s)->geometry().right());
}

TEST_F(MainWindow, DocumentCommandsWithAnsweredDialogs)
{
    writeSjisFile(paths.PluginPath + u"/alpha.ini",
                  u"[init]\r\nname=alpha\r\nurl=http://alpha.example/\r\n"_s);
    writeSjisFile(paths.PluginPath + u"/beta.ini",
                  u"[init]\r\nname=beta\r\nurl=http://beta.example/\r\n"_s);
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    const QString file = dir.file(u"search.skr"_s);

    // Save on an untitled window asks for a name; cancelled, nothing is written.
    action(u"mnuFileSaveas"_s)->trigger();
    EXPECT_EQ(dialogs.shown, QStringList({u"save"_s}));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(window()->windowTitle(), u"無題 - Sokuri");

    typeInto(text1(), u"京都 旅館"_s);
    QTest::mouseClick(option2(), Qt::LeftButton);
    clickCheckBox(1);
    dialogs.answers = {file};
    action(u"mnuFileSave"_s)->trigger();
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(window()->windowTitle(), file + u" - Sokuri");
    EXPECT_EQ(dialogs.requests.last().folder, dir.path());
    Document saved;
    ASSERT_TRUE(ReadDocumentFile(file, saved));
    EXPECT_EQ(saved.text, u"京都 旅館");
    EXPECT_EQ(saved.mode, 2);

    // Save of a named document writes without a dialog.
    typeInto(text1(), u" 嵐山"_s);
    action(u"mnuFileSaveas"_s)->trigger();
    EXPECT_EQ(dialogs.shown.size(), 2);
    ASSERT_TRUE(ReadDocumentFile(file, saved));
    EXPECT_EQ(saved.text, u"京都 旅館 嵐山");

    action(u"mnuFileNew"_s)->trigger();
    EXPECT_TRUE(text1()->text().isEmpty());
    EXPECT_FALSE(option1()->isChecked());
    EXPECT_FALSE(option2()->isChecked());
    EXPECT_FALSE(isChecked(0));
    EXPECT_FALSE(isChecked(1));
    EXPECT_FALSE(exec()->isEnabled());
    EXPECT_EQ(window()->windowTitle(), u"無題 - Sokuri");

    dialogs.answers = {file};
    action(u"mnuFileOpen"_s)->trigger();
    EXPECT_EQ(dialogs.shown.last(), u"open");
    EXPECT_EQ(text1()->text(), u"京都 旅館 嵐山");
    EXPECT_TRUE(option2()->isChecked());
    EXPECT_FALSE(isChecked(0));
    EXPECT_TRUE(isChecked(1));
    EXPECT_TRUE(exec()->isEnabled());
    EXPECT_EQ(window()->windowTitle(), file + u" - Sokuri");

    // A file that is no document is reported and changes nothing.
    const QString bad = dir.file(u"bad.skr"_s);
    writeFile(bad, "not a document\r\n");
    dialogs.answers = {bad};
    action(u"mnuFileOpen"_s)->trigger();
    EXPECT_EQ(messages.criticals.size(), 1);
    EXPECT_EQ(text1()->text(), u"京都 旅館 嵐山");
    EXPECT_EQ(window()->windowTitle(), file + u" - Sokuri");
}

TEST_F(MainWindow, SettingsAreReloadedAfterTheOptionsDialogAndKeptWhenTheFileIsGone)
{
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    // Closes the dialog with Cancel as soon as it is up.
    const auto cancelNextDialog = [this] {
        QTimer::singleShot(0, window(), [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
    };

    writeSjisFile(paths.IniPath,
                  u"[chasen]\r\ntype=1\r\nhost=analyser.example\r\nport=31001\r\n"_s);
    cancelNextDialog();
    action(u"mnuEditOption"_s)->trigger();
    EXPECT_EQ(window()->chasenSettings().type, 1);
    EXPECT_EQ(window()->chasenSettings().host, u"analyser.example");
    EXPECT_TRUE(messages.criticals.isEmpty());

    ASSERT_TRUE(QFile::remove(paths.IniPath));
    cancelNextDialog();
    action(u"mnuEditOption"_s)->trigger();
    ASSERT_FALSE(messages.criticals.isEmpty());
    EXPECT_EQ(messages.criticals.last().text, paths.IniPath + u" がありません。");
    EXPECT_EQ(window()->chasenSettings().host, u"analyser.example");
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(MainWindow, RefreshKeepsTheMarksOfPluginsListedAgain)
{
    const auto write = [this](const QString& name) {
        writeSjisFile(paths.PluginPath + u'/' + name + u".ini", u"[init]\r\nname="_s + name +
                                                                    u"\r\nurl=http://"_s + name +
                                                                    u".example/\r\n"_s);
    };
    write(u"alpha"_s);
    write(u"beta"_s);
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    prepareKeywordSearch(2, u"kyoto"_s);
    ASSERT_TRUE(exec()->isEnabled());

    ASSERT_TRUE(QFile::remove(paths.PluginPath + u"/alpha.ini"));
    write(u"gamma"_s);
    action(u"mnuDispPlugin"_s)->trigger();
    EXPECT_EQ(listed(), QStringList({u"beta"_s, u"gamma"_s}));
    EXPECT_TRUE(isChecked(0));
    EXPECT_FALSE(isChecked(1));
    EXPECT_TRUE(exec()->isEnabled());

    ASSERT_TRUE(QFile::remove(paths.PluginPath + u"/beta.ini"));
    action(u"mnuDispPlugin"_s)->trigger();
    EXPECT_EQ(listed(), QStringList({u"gamma"_s}));
    EXPECT_FALSE(isChecked(0));
    EXPECT_FALSE(exec()->isEnabled());
}

TEST_F(MainWindow, HelpOpensTheHelpPageBesideTheProgram)
{
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    action(u"mnuHelpSokuri"_s)->trigger();
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened[0],
              QUrl::fromLocalFile(QStringLiteral(SOKURI_APP_DIR) + u"/help/index.html").toString() +
                  u" _blank");
    EXPECT_EQ(action(u"mnuHelpSokuri"_s)->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(MainWindow, ClosingTheWindowDuringARunLeavesNothingBehind)
{
    EnginePage page = pageOf(AlphaTitles, {80, 40});
    page.neverClose = true;
    TestEngine& alpha = engine(page);
    plugin(u"alpha"_s, alpha.port());
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    prepareKeywordSearch(1, u"kyoto"_s);
    QSignalSpy requested(&alpha, &TestEngine::requestReceived);
    QTest::mouseClick(exec(), Qt::LeftButton);
    ASSERT_TRUE(requested.wait(HangGuardMs));
    ASSERT_TRUE(window()->searchRun()->isRunning());

    action(u"mnuFileEnd"_s)->trigger();
    EXPECT_FALSE(window()->isVisible());
    startUp.reset();
    // The connection to the engine went with the window.
    QTRY_COMPARE_WITH_TIMEOUT(alpha.openConnections(), 0, HangGuardMs);
}

TEST_F(MainWindow, SecondStartRaisesTheFirstAndEnds)
{
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    frmSokuri* first = window();
    QSignalSpy activation(startUp->instance(), &SingleInstance::activationRequested);
    first->showMinimized();
    QTRY_VERIFY_WITH_TIMEOUT(first->isMinimized(), HangGuardMs);

    StartUp second;
    EXPECT_EQ(second.start({dir.path(), QString(), key, {&messages, &dialogs, &browser}}),
              StartUp::Outcome::HandedOver);
    EXPECT_EQ(second.window(), nullptr);
    if (activation.isEmpty()) {
        ASSERT_TRUE(activation.wait(HangGuardMs));
    }
    QTRY_VERIFY_WITH_TIMEOUT(!first->isMinimized(), HangGuardMs);
    EXPECT_TRUE(first->isVisible());

    // Another key is another program: it starts as the first.
    StartUp other;
    EXPECT_EQ(other.start({dir.path(), QString(), uniqueKey(), {&messages, &dialogs, &browser}}),
              StartUp::Outcome::Running);
}

TEST(SingleInstanceKey, DependsOnTheApplicationFolder)
{
    TempAppDir a;
    TempAppDir b;
    EXPECT_EQ(SingleInstanceKey(a.path()), SingleInstanceKey(a.path() + u"/."));
    EXPECT_NE(SingleInstanceKey(a.path()), SingleInstanceKey(b.path()));
    EXPECT_FALSE(SingleInstanceKey(a.path()).contains(u'/'));
}

TEST(SingleInstance, IgnoresAStrangerAndTakesOverALeftBehindName)
{
    const QString key = uniqueKey();
    SingleInstance first(key);
    ASSERT_TRUE(first.claim());
    QSignalSpy activation(&first, &SingleInstance::activationRequested);

    // A client that sends something else is dropped without a raise.
    QLocalSocket stranger;
    stranger.connectToServer(key);
    ASSERT_TRUE(stranger.waitForConnected(HangGuardMs));
    stranger.write("hello\n");
    QSignalSpy dropped(&stranger, &QLocalSocket::disconnected);
    ASSERT_TRUE(dropped.wait(HangGuardMs));
    EXPECT_TRUE(activation.isEmpty());

    // After the first has gone, the next start is the first again.
    first.release();
    SingleInstance next(key);
    EXPECT_TRUE(next.claim());
    EXPECT_TRUE(next.isListening());
}

TEST_F(MainWindow, StatusBarTellsEveryEnginesFateAndKeepsItAfterTheRun)
{
    TestEngine& alpha = engine(pageOf(AlphaTitles, {80, 40}));
    plugin(u"alpha"_s, alpha.port());
    const sokuri::test::RefusingPort unused;
    const quint16 deadPort = unused.port();
    plugin(u"dead"_s, deadPort);
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    prepareKeywordSearch(2, u"京都"_s);
    auto* status = control<QLabel>(u"engineStatus"_s);

    QSignalSpy finished(window()->searchRun(), &SearchRun::finished);
    QTest::mouseClick(exec(), Qt::LeftButton);
    // While the run goes, the engine not yet asked is shown waiting.
    EXPECT_TRUE(status->text().contains(u"dead: 待機中"_s)) << status->text().toStdString();
    ASSERT_TRUE(finished.wait(HangGuardMs));
    // At the end: the total and the engines that failed; every engine's
    // fate in the tool tip.
    EXPECT_EQ(status->text(), u"2 件　失敗: dead (接続を拒否されました)"_s);
    EXPECT_TRUE(status->toolTip().contains(u"alpha: 完了 (2 件)"_s));
    EXPECT_TRUE(status->isVisible());
}

TEST_F(MainWindow, FilterNarrowsTheRowsAndSaveKeepsThemAll)
{
    plugin(u"alpha"_s, engine(pageOf({u"ホテル京都"_s, u"旅館あらしやま"_s}, {80, 40})).port());
    plugin(u"beta"_s, engine(pageOf({u"カフェ祇園"_s, u"ゲストハウス東山"_s}, {80, 20})).port());
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    prepareKeywordSearch(2, u"京都"_s);
    QSignalSpy finished(window()->searchRun(), &SearchRun::finished);
    QTest::mouseClick(exec(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(HangGuardMs));
    ASSERT_EQ(listView2()->model()->rowCount(), 4);

    auto* filter = control<QLineEdit>(u"txtFilter"_s);
    // Ctrl+F moves to the filter; half-width katakana typed find the
    // full-width title.
    QTest::keySequence(window(), QKeySequence::Find);
    EXPECT_TRUE(filter->hasFocus());
    typeInto(filter, u"ｹﾞｽﾄ"_s);
    EXPECT_EQ(column(0), QStringList{u"ゲストハウス東山"_s});
    // A click on the one row shown shows that row's entry.
    clickRow(listView2(), 0);
    EXPECT_TRUE(webBrowser1()->toPlainText().contains(u"ゲストハウス東山"_s));

    // Saved while filtered and merged: the document holds every row.
    action(u"mnuDispMerge"_s)->trigger();
    EXPECT_EQ(listView2()->model()->rowCount(), 1);
    const QString file = dir.file(u"filtered.skr"_s);
    dialogs.answers = {file};
    action(u"mnuFileSave"_s)->trigger();
    Document saved;
    ASSERT_TRUE(ReadDocumentFile(file, saved));
    EXPECT_EQ(saved.rows.size(), 4);

    // Escape clears the filter and every row shows again.
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_TRUE(filter->text().isEmpty());
    EXPECT_EQ(listView2()->model()->rowCount(), 4);
}

TEST_F(MainWindow, MergingShowsOnePageOnceAndUnmergingEveryRow)
{
    // Both engines list the same two pages.
    QString text = resultPage({u"金閣寺"_s, u"銀閣寺"_s});
    text.replace(u"href=\"/doc/"_s, u"href=\"http://temples.example.jp/doc/"_s);
    EnginePage page;
    page.body = EncodePage(text, u"x-sjis"_s);
    plugin(u"alpha"_s, engine(page).port());
    plugin(u"beta"_s, engine(page).port());
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    clickCheckBox(0);
    clickCheckBox(1);
    QTest::mouseClick(option2(), Qt::LeftButton);
    typeInto(text1(), u"寺"_s);
    QSignalSpy finished(window()->searchRun(), &SearchRun::finished);
    QTest::mouseClick(exec(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(HangGuardMs));
    ASSERT_EQ(listView2()->model()->rowCount(), 4);

    QAction* merge = action(u"mnuDispMerge"_s);
    EXPECT_FALSE(merge->isChecked()); // off by default
    merge->trigger();
    EXPECT_EQ(column(0), QStringList({u"金閣寺"_s, u"銀閣寺"_s}));
    EXPECT_EQ(column(1), QStringList({u"alpha, beta"_s, u"alpha, beta"_s}));
    merge->trigger();
    EXPECT_EQ(listView2()->model()->rowCount(), 4);
    EXPECT_EQ(window()->results().rowCount(), 4);
}
