#include "platform/qtfiledialogs.h"
#include "platform/qtmessagesink.h"
#include "platform/qttranslation.h"

#include "support/testfiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;

namespace {

// Answers the next modal window with answer, from inside its own event loop,
// as soon as it is on screen.
template <typename Dialog> void whenShown(QObject* context, std::function<void(Dialog*)> answer)
{
    auto* timer = new QTimer(context);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, context, [timer, answer] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}

const QStringList Filters = {u"Sokuri ﾌｧｲﾙ(*.skr)"_s, u"すべてのﾌｧｲﾙ (*)"_s};

class QtPlatform : public ::testing::Test
{
protected:
    TempAppDir dir;
    QWidget window;
    QtFileDialogs dialogs{&window};
};

} // namespace

TEST_F(QtPlatform, TheOpenDialogStartsFromTheRequestAndTakesExistingFilesOnly)
{
    writeFile(dir.file(u"saved.skr"_s), "x");
    bool seen = false;
    whenShown<QFileDialog>(&window, [&](QFileDialog* dialog) {
        seen = true;
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->nameFilters(), Filters);
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog checks the choice
    });
    const QString chosen = dialogs.openFileName({dir.path(), u"saved.skr"_s, Filters, u"skr"_s});
    EXPECT_TRUE(seen);
    EXPECT_EQ(QFileInfo(chosen).canonicalFilePath(),
              QFileInfo(dir.file(u"saved.skr"_s)).canonicalFilePath());

    // A cancelled dialog answers the empty text.
    whenShown<QFileDialog>(&window, [](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_TRUE(dialogs.openFileName({dir.path(), QString(), Filters, QString()}).isEmpty());
}

TEST_F(QtPlatform, TheSaveDialogAddsTheSuffixAndAsksBeforeOverwriting)
{
    whenShown<QFileDialog>(&window, [](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog->defaultSuffix(), u"skr");
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog checks the choice
    });
    const QString chosen = dialogs.saveFileName({dir.path(), u"new"_s, Filters, u"skr"_s});
    EXPECT_EQ(QFileInfo(chosen).fileName(), u"new.skr");
    EXPECT_EQ(QFileInfo(chosen).dir().canonicalPath(), QDir(dir.path()).canonicalPath());
}

TEST_F(QtPlatform, MessagesShowTheirTitleTextAndIcon)
{
    QtMessageSink sink(&window);
    QList<QMessageBox::Icon> icons;
    QStringList shown;
    const auto answer = [&](QMessageBox* box) {
        icons.append(box->icon());
        shown.append(box->windowTitle() + u'|' + box->text());
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    };
    whenShown<QMessageBox>(&window, answer);
    sink.critical({u"/app/sokuri.ini がありません。"_s, u"File not found"_s});
    whenShown<QMessageBox>(&window, answer);
    sink.information({u"プラグインのアップデートが完了しました。"_s, u"Plugin Update"_s});
    EXPECT_EQ(icons, (QList<QMessageBox::Icon>{QMessageBox::Critical, QMessageBox::Information}));
    EXPECT_EQ(shown, (QStringList{u"File not found|/app/sokuri.ini がありません。"_s,
                                  u"Plugin Update|プラグインのアップデートが完了しました。"_s}));
}

// With Qt's Japanese translation, the remove confirmation's buttons and the
// file dialog's captions are Japanese like the rest of the window.
TEST_F(QtPlatform, QtsOwnDialogsSpeakJapanese)
{
    QTranslator* translator = InstallQtJapaneseTranslation();
    ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is not installed";
    QStringList buttons;
    whenShown<QMessageBox>(&window, [&buttons](QMessageBox* box) {
        buttons = {box->button(QMessageBox::Yes)->text(), box->button(QMessageBox::No)->text()};
        box->button(QMessageBox::No)->click();
    });
    QtMessageSink sink(&window);
    EXPECT_FALSE(sink.question({u"プラグイン「alpha」を削除しますか?"_s, u"Sokuri"_s}));

    QStringList captions;
    whenShown<QFileDialog>(&window, [&captions](QFileDialog* dialog) {
        for (const QFileDialog::DialogLabel label :
             {QFileDialog::LookIn, QFileDialog::FileName, QFileDialog::Accept, QFileDialog::Reject})
            captions.append(dialog->labelText(label));
        dialog->reject();
    });
    dialogs.saveFileName({dir.path(), u"new"_s, Filters, u"skr"_s});
    QCoreApplication::removeTranslator(translator);
    delete translator;

    EXPECT_EQ(buttons, (QStringList{u"はい(&Y)"_s, u"いいえ(&N)"_s}))
        << buttons.join(u'|').toStdString();
    ASSERT_EQ(captions.size(), 4);
    for (const QString& caption : captions) {
        EXPECT_FALSE(caption.isEmpty() || caption.contains(QRegularExpression(u"[A-Za-z]{3}"_s)))
            << caption.toStdString();
    }
}

// The file list follows the Japanese locale (sizes, kinds, dates), and the
// analyser's dialog opens on a filter that shows the programs of Linux.
TEST_F(QtPlatform, TheFileListIsJapaneseAndProgramsAreShown)
{
    writeFile(dir.file(u"mecab"_s), QByteArray(2048, 'x'));
    ASSERT_TRUE(QFile::setPermissions(dir.file(u"mecab"_s),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    writeFile(dir.file(u"notes.txt"_s), "abc");
    ASSERT_TRUE(QDir().mkpath(dir.file(u"sub"_s)));
    const QStringList filters = {u"ﾃｷｽﾄﾌｧｲﾙ(*.exe *.com)"_s, u"すべてのﾌｧｲﾙ (*)"_s};
    FileDialogRequest request{dir.path(), dir.file(u"mecab"_s), filters, {}};
    request.selectedFilter = 1;

    QFileDialog dialog(&window);
    SetUpFileDialog(dialog, request, QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.selectedNameFilter(), filters[1]);
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    dialog.show();
    auto* list = dialog.findChild<QTreeView*>(u"treeView"_s);
    ASSERT_NE(list, nullptr);
    QAbstractItemModel* model = list->model();
    const auto row = [&](const QString& name) {
        const QModelIndex root = list->rootIndex();
        for (int r = 0; r < model->rowCount(root); ++r) {
            if (model->index(r, 0, root).data().toString() == name)
                return r;
        }
        return -1;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return row(u"sub"_s) >= 0 && row(u"mecab"_s) >= 0; }, 60000));
    const auto cell = [&](const QString& name, int column) {
        return model->index(row(name), column, list->rootIndex()).data().toString();
    };
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), u"種類");
    EXPECT_EQ(cell(u"sub"_s, 2), u"フォルダー");
    EXPECT_EQ(cell(u"notes.txt"_s, 2), u"txt ファイル");
    EXPECT_EQ(cell(u"notes.txt"_s, 1), u"3 バイト");
    EXPECT_EQ(cell(u"mecab"_s, 1), u"2.0 KB");
    EXPECT_TRUE(QRegularExpression(u"^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d$"_s)
                    .match(cell(u"mecab"_s, 3))
                    .hasMatch())
        << cell(u"mecab"_s, 3).toStdString();
    dialog.reject();
}
