// The main window as a desktop program: documents from the command line,
// another start and a drop, the recent documents, the kept layout and the
// results list's commands.
#include "app/frmsokuri.h"
#include "app/startup.h"
#include "common/inifile.h"

#include "documents/documentformat.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QUrl>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

// Guards against hangs only; every wait ends as soon as its event arrives.
constexpr int HangGuardMs = 60000;

class DesktopWindow : public ::testing::Test
{
protected:
    DesktopWindow()
    {
        paths = ResolveAppPaths(dir.path());
        writeSjisFile(paths.IniPath, u"[chasen]\r\ntype=0\r\nfilename=/usr/bin/chasen\r\n"_s);
        writeSjisFile(paths.PluginPath + u"/alpha.ini",
                      u"[init]\r\nname=alpha\r\nurl=http://alpha.example/\r\n"_s);
    }

    StartUp::Outcome start(const QString& document = {})
    {
        startUp = std::make_unique<StartUp>();
        const StartUp::Outcome outcome =
            startUp->start({dir.path(), {}, key, {&messages, &dialogs, &browser}}, document);
        if (outcome == StartUp::Outcome::Running) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window()));
        }
        return outcome;
    }
    // Closes the window as the user does, then starts again.
    void restart()
    {
        window()->close();
        startUp.reset();
        ASSERT_EQ(start(), StartUp::Outcome::Running);
    }

    frmSokuri* window() const { return startUp->window(); }
    template <typename T> T* control(const QString& name) const
    {
        T* found = window()->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QLineEdit* text1() const { return control<QLineEdit>(u"Text1"_s); }
    QTreeView* listView2() const { return control<QTreeView>(u"ListView2"_s); }

    // A document holding text and one row, written where name says.
    QString document(const QString& name, const QString& text)
    {
        Document doc;
        doc.text = text;
        doc.mode = 2;
        doc.plugins = {{u"alpha"_s, true}};
        doc.rows = {{text, u"alpha"_s, u"100"_s, u"jp.example"_s,
                     u"<a href=\"http://example.jp/\">"_s + text + u"</a>"_s}};
        const QString path = dir.file(name);
        EXPECT_TRUE(WriteDocumentFile(path, doc));
        return path;
    }

    QStringList recentEntries() const
    {
        QStringList tips;
        for (QAction* action : control<QMenu>(u"mnuFileRecent"_s)->actions())
            tips.append(action->toolTip());
        return tips;
    }

    void waitForTitle(const QString& path)
    {
        QTRY_COMPARE_WITH_TIMEOUT(window()->windowTitle(), path + u" - Sokuri", HangGuardMs);
    }

    TempAppDir dir;
    AppPaths paths;
    QString key = u"sokuri-test-"_s + QUuid::createUuid().toString(QUuid::Id128);
    RecordingMessages messages;
    FakeFileDialogs dialogs;
    FakeBrowser browser;
    std::unique_ptr<StartUp> startUp;
};

} // namespace

TEST_F(DesktopWindow, DocumentsFromTheCommandLineAnotherStartAndADrop)
{
    const QString first = document(u"first.skr"_s, u"京都"_s);
    ASSERT_EQ(start(first), StartUp::Outcome::Running);
    EXPECT_EQ(window()->windowTitle(), first + u" - Sokuri");
    EXPECT_EQ(text1()->text(), u"京都");

    // A second start hands its document over and ends.
    const QString second = document(u"second.skr"_s, u"嵐山"_s);
    StartUp other;
    EXPECT_EQ(other.start({dir.path(), {}, key, {&messages, &dialogs, &browser}}, second),
              StartUp::Outcome::HandedOver);
    EXPECT_EQ(other.window(), nullptr);
    waitForTitle(second);
    EXPECT_EQ(text1()->text(), u"嵐山");

    // A dropped document opens; anything else is not taken.
    const QString third = document(u"third.SKR"_s, u"祇園"_s);
    const auto drop = [&](const QString& path, QWidget* on) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        data.setText(QUrl::fromLocalFile(path).toString()); // as file managers give it
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(on, &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(on, &dropped);
        return enter.isAccepted();
    };
    EXPECT_FALSE(drop(dir.file(u"notes.txt"_s), window()));
    EXPECT_TRUE(drop(third, window()));
    waitForTitle(third);
    EXPECT_EQ(text1()->text(), u"祇園");
    // The input line opens a document too, instead of taking its address.
    EXPECT_TRUE(drop(first, text1()));
    waitForTitle(first);
    EXPECT_EQ(text1()->text(), u"京都");

    // A damaged one is reported and changes nothing, whichever way it came.
    const QString bad = dir.file(u"bad.skr"_s);
    writeFile(bad, "not a document");
    window()->openDocumentFile(bad);
    EXPECT_EQ(messages.criticals.size(), 1);
    startUp.reset();
    ASSERT_EQ(start(bad), StartUp::Outcome::Running);
    EXPECT_EQ(messages.criticals.size(), 2);
    EXPECT_TRUE(messages.criticals.last().text.contains(bad));
    EXPECT_EQ(window()->windowTitle(), u"無題 - Sokuri");
    EXPECT_TRUE(text1()->text().isEmpty());
}

TEST_F(DesktopWindow, RecentDocumentsFillOrderAndDropMissingFiles)
{
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    EXPECT_FALSE(control<QMenu>(u"mnuFileRecent"_s)->isEnabled());
    const QString a = document(u"a.skr"_s, u"a"_s);
    const QString b = document(u"b.skr"_s, u"b"_s);
    const QString saved = dir.file(u"saved.skr"_s);
    window()->openDocumentFile(a);
    window()->openDocumentFile(b);
    dialogs.answers = {saved};
    control<QAction>(u"mnuFileSave"_s)->trigger();
    window()->openDocumentFile(a);
    EXPECT_EQ(recentEntries(), QStringList({a, saved, b}));

    // Kept for the next start; an entry opens its document.
    restart();
    EXPECT_EQ(recentEntries(), QStringList({a, saved, b}));
    control<QAction>(u"mnuFileRecent3"_s)->trigger();
    EXPECT_EQ(window()->windowTitle(), b + u" - Sokuri");
    EXPECT_EQ(recentEntries(), QStringList({b, a, saved}));

    // A document that is gone is removed with a message.
    ASSERT_TRUE(QFile::remove(saved));
    control<QAction>(u"mnuFileRecent3"_s)->trigger();
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_TRUE(messages.criticals[0].text.contains(saved));
    EXPECT_EQ(window()->windowTitle(), b + u" - Sokuri");
    EXPECT_EQ(recentEntries(), QStringList({b, a}));
    restart();
    EXPECT_EQ(recentEntries(), QStringList({b, a}));
}

TEST_F(DesktopWindow, SizePositionAndColumnWidthsSurviveARestart)
{
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    QList<int> designColumns;
    for (int column = 0; column < 4; ++column)
        designColumns.append(listView2()->columnWidth(column));
    const QSize designSize = window()->size();

    const QRect wanted(window()->x() + 30, window()->y() + 20, designSize.width() + 120,
                       designSize.height() + 80);
    window()->setGeometry(wanted);
    listView2()->header()->resizeSection(1, designColumns[1] + 70);
    restart();
    EXPECT_EQ(window()->geometry(), wanted);
    EXPECT_EQ(listView2()->columnWidth(1), designColumns[1] + 70);
    EXPECT_EQ(listView2()->columnWidth(0), designColumns[0]);

    // Damaged values give the design; the other settings stay.
    window()->close();
    startUp.reset();
    ASSERT_TRUE(WriteIniStrings(u"window"_s,
                                {{u"width"_s, u"wide"_s},
                                 {u"columns"_s, u"1,2,x,4"_s},
                                 {u"left"_s, u"-90000"_s},
                                 {u"top"_s, u"-90000"_s}},
                                paths.IniPath));
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    EXPECT_EQ(window()->size(), designSize);
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(listView2()->columnWidth(column), designColumns[column]) << column;
    // A position off every screen is brought back onto one.
    EXPECT_GE(window()->x(), 0);
    EXPECT_GE(window()->y(), 0);
    EXPECT_EQ(window()->chasenSettings().filename, u"/usr/bin/chasen");
}

TEST_F(DesktopWindow, ResultsListOpensCopiesAndExportsItsRows)
{
    ASSERT_EQ(start(), StartUp::Outcome::Running);
    window()->results().addRows({
        {u"京都の宿"_s, u"alpha"_s, u"100"_s, u"jp.example"_s,
         u"<a href=\"http://example.jp/kyoto?a=1&amp;b=2\" target=\"_sokuri\">京都の宿</a>"_s},
        {u"嵐山, \"竹林\""_s, u"beta"_s, u" 50"_s, u"com.example"_s,
         u"<a href=\"https://example.com/arashiyama\">嵐山, \"竹林\"</a>"_s},
        {u"奈良"_s, u"beta"_s, u"  5"_s, u""_s, u"<b>奈良</b>"_s},
    });
    QTreeView* list = listView2();
    QAbstractItemModel* model = list->model();
    ASSERT_EQ(model->rowCount(), 3);

    // Enter on a row opens its address in the result window.
    list->setFocus();
    list->setCurrentIndex(model->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(browser.opened, QStringList({u"http://example.jp/kyoto?a=1&b=2 _sokuri"_s}));

    // The pop-up menu acts on the row it was opened on.
    const QPoint at = list->visualRect(model->index(1, 0)).center();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &menuEvent);
    QMenu* popup = control<QMenu>(u"ListView2PopupMenu"_s);
    QTRY_VERIFY_WITH_TIMEOUT(popup->isVisible(), HangGuardMs);
    control<QAction>(u"popListView2Open"_s)->trigger();
    popup->close();
    EXPECT_EQ(browser.opened.last(), u"https://example.com/arashiyama _sokuri");
    control<QAction>(u"popListView2CopyAddress"_s)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), u"https://example.com/arashiyama");
    control<QAction>(u"popListView2CopyTitle"_s)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), u"嵐山, \"竹林\"");

    // Ctrl+C copies the selected rows.
    list->selectAll();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              u"京都の宿\talpha\t100\tjp.example\thttp://example.jp/kyoto?a=1&b=2\n"
              u"嵐山, \"竹林\"\tbeta\t50\tcom.example\thttps://example.com/arashiyama\n"
              u"奈良\tbeta\t5\t\t\n"_s);

    // The export writes the rows the list shows, the filter applied, as CSV
    // that a spreadsheet's reader takes back.
    control<QLineEdit>(u"txtFilter"_s)->setText(u"beta"_s);
    ASSERT_EQ(model->rowCount(), 2);
    const QString csv = dir.file(u"results.csv"_s);
    dialogs.answers = {csv};
    control<QAction>(u"mnuFileExport"_s)->trigger();
    QProcess python;
    python.start(u"/usr/bin/python3"_s,
                 {u"-c"_s,
                  u"import csv, json, sys; print(json.dumps(list(csv.reader("
                  u"open(sys.argv[1], encoding='utf-8-sig', newline='')))))"_s,
                  csv});
    ASSERT_TRUE(python.waitForFinished(HangGuardMs));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QJsonArray read = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    const QJsonArray expected =
        QJsonDocument::fromJson(
            u"[[\"名前\",\"プラグイン\",\"関連\",\"サイト\",\"アドレス\"],"
            u"[\"嵐山, "
            u"\\\"竹林\\\"\",\"beta\",\"50\",\"com.example\",\"https://example.com/arashiyama\"],"
            u"[\"奈良\",\"beta\",\"5\",\"\",\"\"]]"_s.toUtf8())
            .array();
    EXPECT_EQ(read, expected) << QJsonDocument(read).toJson().toStdString();

    const QString html = dir.file(u"results.html"_s);
    dialogs.answers = {html};
    control<QAction>(u"mnuFileExport"_s)->trigger();
    EXPECT_TRUE(readFile(html).contains("<a href=\"https://example.com/arashiyama\">"));
    EXPECT_TRUE(messages.criticals.isEmpty());
}
