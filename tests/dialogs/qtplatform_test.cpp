#include "platform/qtfiledialogs.h"
#include "platform/qtmessagesink.h"
#include "platform/qttranslation.h"

#include "support/testfiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>

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
