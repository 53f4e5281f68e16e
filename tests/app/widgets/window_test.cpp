// What the main window shows a newcomer: the marks of a sentence search, the
// status bar (cut with "…", every engine in the tool tip, Stop, New), the
// help in a window of its own, a browser that fails, engines ticked by kind.

#include "app/elidedlabel.h"
#include "app/frmsokuri.h"
#include "app/searchrun.h"
#include "app/startup.h"

#include "dialogs/frmhelp.h"
#include "encoding/codepage932.h"
#include "retrieval/keywordmarks.h"
#include "retrieval/resultpage.h"
#include "support/engineplugins.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
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

constexpr int HangGuardMs = 60000;

const QString SearchedSentence = u"夏目漱石の小説を東京の書店で購入した。"_s;

EnginePage pageOf(const QStringList& titles)
{
    EnginePage page;
    page.body = EncodePage(resultPage(titles), u"x-sjis"_s);
    return page;
}

class Window : public ::testing::Test
{
protected:
    explicit Window(const QString& analyser = u"/usr/bin/chasen"_s)
    {
        paths = ResolveAppPaths(dir.path());
        // The analyser's command file, as the application folder holds it.
        EXPECT_TRUE(
            QFile::copy(QStringLiteral(SOKURI_APP_DIR "/chasen.sh"), dir.file(u"chasen.sh"_s)));
        QFile::setPermissions(dir.file(u"chasen.sh"_s),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeSjisFile(paths.IniPath,
                      u"[chasen]\r\ntype=0\r\nfilename="_s + analyser +
                          u"\r\nhost=localhost\r\nport=31000\r\n[help]\r\nwindow=1\r\n"_s);
    }

    void start()
    {
        startUp = std::make_unique<StartUp>();
        const QString key = u"sokuri-test-"_s + QUuid::createUuid().toString(QUuid::Id128);
        ASSERT_EQ(
            startUp->start(
                {dir.path(), QStringLiteral(SOKURI_APP_DIR), key, {&messages, &dialogs, &browser}}),
            StartUp::Outcome::Running);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    }

    frmSokuri* window() const { return startUp->window(); }
    template <typename T> T* control(const QString& name) const
    {
        T* found = window()->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QTreeView* list(const char* name) const
    {
        return control<QTreeView>(QString::fromLatin1(name));
    }
    ElidedLabel* status(const char* name) const
    {
        return control<ElidedLabel>(QString::fromLatin1(name));
    }

    TestEngine& engine(const EnginePage& page, const QString& plugin, const QString& moreInit = {})
    {
        engines.push_back(std::make_unique<TestEngine>());
        EXPECT_TRUE(engines.back()->listen());
        engines.back()->setPage(u"*"_s, page);
        EnginePlugin file(plugin, engines.back()->port());
        file.moreInit = moreInit;
        writeEnginePlugin(paths, file);
        return *engines.back();
    }

    // Ticks every plugin, chooses the mode, types text and presses Search;
    // true when the run has ended.
    bool search(QRadioButton* mode, const QString& text, bool wait = true)
    {
        for (int row = 0; row < window()->catalogue().count(); ++row)
            window()->catalogue().setChecked(row, true);
        QTest::mouseClick(mode, Qt::LeftButton);
        control<QLineEdit>(u"Text1"_s)->setText(text);
        QSignalSpy finished(window()->searchRun(), &SearchRun::finished);
        QTest::mouseClick(control<QPushButton>(u"Exec"_s), Qt::LeftButton);
        return !wait || finished.wait(HangGuardMs);
    }

    void clickRow(QTreeView* view, int row)
    {
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // The result page the viewer was given, as the program wrote it.
    QString resultPage() const { return cp932::decode(readFile(ResultPagePath(paths.TmpPath))); }

    TempAppDir dir;
    AppPaths paths;
    RecordingMessages messages;
    FakeFileDialogs dialogs;
    FakeBrowser browser;
    std::vector<std::unique_ptr<TestEngine>> engines;
    std::unique_ptr<StartUp> startUp;
};

// Both analysers the program knows.
class SentenceMarks : public Window, public ::testing::WithParamInterface<const char*>
{
protected:
    SentenceMarks()
        : Window(QString::fromLatin1(GetParam()))
    {}
};

} // namespace

TEST_P(SentenceMarks, TheAnalysedKeywordsAreMarkedInTheEntry)
{
    engine(pageOf({u"東京の古書店めぐり"_s}), u"alpha"_s);
    start();
    ASSERT_TRUE(search(control<QRadioButton>(u"Option1"_s), SearchedSentence))
        << (messages.criticals.isEmpty() ? std::string()
                                         : messages.criticals[0].text.toStdString());
    ASSERT_EQ(window()->searchRun()->searchedKeywords(),
              (QStringList{u"夏目"_s, u"漱石"_s, u"小説"_s, u"東京"_s, u"書店"_s, u"購入"_s}));
    ASSERT_EQ(list("ListView2")->model()->rowCount(), 1);

    clickRow(list("ListView2"), 0);
    const QString page = resultPage();
    EXPECT_TRUE(page.contains(QStringView(KeywordMarkStart) + u"東京</span>"_s))
        << page.toStdString();
    EXPECT_TRUE(page.contains(QStringView(KeywordMarkStart) + u"書店</span>"_s))
        << page.toStdString();
    EXPECT_TRUE(messages.criticals.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(ChasenAndMecab, SentenceMarks,
                         ::testing::Values("/usr/bin/chasen", "/usr/bin/mecab"),
                         [](const auto& info) {
                             return QString::fromLatin1(info.param).section(u'/', -1).toStdString();
                         });

TEST_F(Window, TheStatusBarCutsWithAnEllipsisAndTheToolTipHoldsEveryLine)
{
    engine(pageOf({u"京都の宿"_s, u"嵐山の宿"_s}), u"alpha"_s);
    EnginePage slow = pageOf({u"遅い宿"_s});
    slow.delayMs = 200;
    engine(slow, u"slow"_s);
    start();
    QStringList words;
    for (int i = 0; i < 40; ++i)
        words.append(u"京都旅館案内%1"_s.arg(i));
    ASSERT_TRUE(search(control<QRadioButton>(u"Option2"_s), words.join(u' '), false));

    // While the run goes, every engine is a line of the tool tip.
    ElidedLabel* keywords = status("searchedKeywords");
    ElidedLabel* engines = status("engineStatus");
    QStringList tip = engines->toolTip().split(u'\n');
    ASSERT_EQ(tip.size(), 3) << engines->toolTip().toStdString();
    EXPECT_EQ(tip[0], u"検索語: "_s + words.join(u' '));
    EXPECT_TRUE(tip[1].startsWith(u"alpha: "_s));
    EXPECT_TRUE(tip[2].startsWith(u"slow: "_s));

    QSignalSpy finished(window()->searchRun(), &SearchRun::finished);
    ASSERT_TRUE(finished.wait(HangGuardMs));
    EXPECT_EQ(keywords->text(), u"検索語: "_s + words.join(u' '));
    EXPECT_TRUE(keywords->shownText().endsWith(u"…"_s)) << keywords->shownText().toStdString();
    EXPECT_LT(keywords->shownText().size(), keywords->text().size());
    EXPECT_EQ(engines->text(), u"3 件"_s);
    EXPECT_EQ(engines->shownText(), u"3 件"_s);
    EXPECT_EQ(keywords->toolTip(), engines->toolTip());
    tip = engines->toolTip().split(u'\n');
    EXPECT_EQ(tip, (QStringList{u"検索語: "_s + words.join(u' '), u"alpha: 完了 (2 件)"_s,
                                u"slow: 完了 (1 件)"_s}));

    // New and opening a document start without the last run's words.
    window()->findChild<QAction*>(u"mnuFileNew"_s)->trigger();
    EXPECT_TRUE(keywords->text().isEmpty());
    EXPECT_TRUE(engines->text().isEmpty());
    EXPECT_TRUE(engines->toolTip().isEmpty());
}

TEST_F(Window, StopIsReportedWithTheRowsSoFar)
{
    EnginePage never = pageOf({u"京都の宿"_s});
    never.neverClose = true;
    TestEngine& slow = engine(never, u"slow"_s);
    start();
    ASSERT_TRUE(search(control<QRadioButton>(u"Option2"_s), u"京都"_s, false));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window()->results().rowCount() == 1; }, HangGuardMs));
    ASSERT_EQ(slow.requests().size(), 1);

    QSignalSpy finished(window()->searchRun(), &SearchRun::finished);
    QTest::mouseClick(control<QPushButton>(u"Cancel"_s), Qt::LeftButton);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(HangGuardMs));
    EXPECT_EQ(status("engineStatus")->text(), u"中止しました　1 件"_s);
    EXPECT_EQ(status("engineStatus")->toolTip(), u"検索語: 京都\nslow: 中止 (1 件)"_s);
}

TEST_F(Window, HelpOpensInItsOwnWindowAndFollowsItsLinks)
{
    writeFile(dir.file(u"help/index.html"_s),
              "<html><body><h1>Help</h1><a href=\"second.html\">next</a></body></html>");
    writeFile(dir.file(u"help/second.html"_s), "<html><body><h1>Second</h1></body></html>");
    start();
    window()->findChild<QAction*>(u"mnuHelpSokuri"_s)->trigger();
    auto* help = window()->findChild<frmHelp*>(u"frmHelp"_s);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->source(), QUrl::fromLocalFile(dir.file(u"help/index.html"_s)));
    auto* page = help->findChild<QTextBrowser*>(u"helpBrowser"_s);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->toPlainText().contains(u"Help"_s));

    // A link among the pages stays in the window; a web address goes to the
    // desktop's browser.
    emit page->anchorClicked(QUrl(u"second.html"_s));
    EXPECT_EQ(help->source(), QUrl::fromLocalFile(dir.file(u"help/second.html"_s)));
    EXPECT_TRUE(page->toPlainText().contains(u"Second"_s));
    EXPECT_TRUE(browser.opened.isEmpty());
    emit page->anchorClicked(QUrl(u"https://example.org/"_s));
    EXPECT_EQ(browser.opened, QStringList{u"https://example.org/ _blank"_s});

    // F1 again shows the same window.
    window()->findChild<QAction*>(u"mnuHelpSokuri"_s)->trigger();
    EXPECT_EQ(window()->findChildren<frmHelp*>().size(), 1);
    EXPECT_EQ(browser.opened.size(), 1);
}

TEST_F(Window, WithoutTheHelpWindowSettingABrowserThatFailsLeavesTheHelpWindow)
{
    writeSjisFile(paths.IniPath, u"[chasen]\r\ntype=0\r\n"_s);
    writeFile(dir.file(u"help/index.html"_s), "<html><body><h1>Help</h1></body></html>");
    start();
    browser.fail = true;
    window()->findChild<QAction*>(u"mnuHelpSokuri"_s)->trigger();
    EXPECT_EQ(
        browser.opened,
        QStringList{QUrl::fromLocalFile(dir.file(u"help/index.html"_s)).toString() + u" _blank"_s});
    auto* help = window()->findChild<frmHelp*>(u"frmHelp"_s);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(messages.criticals.isEmpty());
}

TEST_F(Window, ABrowserThatFailsIsToldAndTheResultsStay)
{
    engine(pageOf({u"京都の宿"_s, u"嵐山の宿"_s}), u"alpha"_s);
    start();
    ASSERT_TRUE(search(control<QRadioButton>(u"Option2"_s), u"京都"_s));
    browser.fail = true;
    QTreeView* results = list("ListView2");
    const QPoint row = results->visualRect(results->model()->index(0, 0)).center();
    // A double click: the first click's press and release, then the second.
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(results->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(browser.opened.size(), 1);
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(results->model()->rowCount(), 2);
    EXPECT_EQ(window()->windowTitle(), u"無題 - Sokuri"_s);
}

TEST_F(Window, ThePopUpMenuTicksAndClearsTheEnginesOfOneKind)
{
    const std::pair<QString, QString> plugins[] = {{u"arxiv"_s, u"論文"_s},
                                                   {u"bing"_s, u"ウェブ"_s},
                                                   {u"crossref"_s, u"論文"_s},
                                                   {u"demo"_s, {}}};
    for (const auto& [name, kind] : plugins) {
        EnginePlugin file(name, 9);
        if (!kind.isEmpty())
            file.moreInit = u"category="_s + kind + u"\r\n"_s;
        writeEnginePlugin(paths, file);
    }
    start();
    QTreeView* view = list("ListView1");
    auto* kinds = control<QMenu>(u"popListView1Kinds"_s);
    const auto chooseKind = [&](const QString& kind) {
        const QRect row = view->visualRect(view->model()->index(1, 0));
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, row.center());
        QAction* found = nullptr;
        for (QAction* action : kinds->actions())
            found = action->text() == kind ? action : found;
        EXPECT_EQ(kinds->actions().size(), 2);
        control<QMenu>(u"ListView1PopupMenu"_s)->hide();
        if (found)
            found->trigger();
        return found != nullptr;
    };

    ASSERT_TRUE(chooseKind(u"論文"_s));
    EXPECT_EQ(window()->catalogue().checkedNames(), (QStringList{u"arxiv"_s, u"crossref"_s}));
    EXPECT_TRUE(chooseKind(u"ウェブ"_s));
    EXPECT_EQ(window()->catalogue().checkedNames(),
              (QStringList{u"arxiv"_s, u"bing"_s, u"crossref"_s}));
    // A kind all ticked is cleared by the same entry.
    EXPECT_TRUE(chooseKind(u"論文"_s));
    EXPECT_EQ(window()->catalogue().checkedNames(), QStringList{u"bing"_s});
}
