#include "dialogs/frmoptions.h"

#include "encoding/codepage932.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "common/proxysettings.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::FakeFileDialogs;
using sokuri::test::readFile;
using sokuri::test::RecordingMessages;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;
using sokuri::test::writeSjisFile;

namespace {

constexpr int HangGuardMs = 60000;

// Types text into a line edit one key at a time; Japanese characters arrive
// as key events with text, as an input method commits them.
void typeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), {});
}

class Options : public ::testing::Test
{
protected:
    // The settings file as the installation has it, with a section of its
    // own that the dialog must leave alone.
    void writeSettings(const QString& type)
    {
        writeSjisFile(paths.IniPath, u"[chasen]\r\ntype="_s + type +
                                         u"\r\nfilename=/usr/bin/chasen\r\nhost=localhost\r\n"
                                         u"port=31000\r\n[search]\r\ntimeout=20\r\n"_s);
    }

    // Opens the dialog on screen, with the fakes in place.
    void open()
    {
        dialog = std::make_unique<frmOptions>(paths);
        dialog->setFileDialogs(&fileDialogs);
        dialog->setMessageSink(&messages);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <typename T> T* control(const char* name) const
    {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void click(const char* name)
    {
        QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton);
    }

    QString text(const char* name) const { return control<QLineEdit>(name)->text(); }
    bool enabled(const char* frame) const { return control<QGroupBox>(frame)->isEnabled(); }
    bool selected(const char* choice) const { return control<QRadioButton>(choice)->isChecked(); }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    FakeFileDialogs fileDialogs;
    RecordingMessages messages;
    std::unique_ptr<frmOptions> dialog;
};

} // namespace

TEST_F(Options, ShowsTheStoredSettingsAndEnablesTheChosenFrame)
{
    writeSettings(u"1"_s);
    open();
    EXPECT_EQ(dialog->windowTitle(), u"設定");
    EXPECT_TRUE(selected("chasenType1"));
    EXPECT_FALSE(selected("chasenType0"));
    EXPECT_TRUE(enabled("chasenFrame3"));
    EXPECT_FALSE(enabled("chasenFrame2"));
    EXPECT_FALSE(control<QLineEdit>("chasenFname")->isEnabled());
    EXPECT_EQ(text("chasenFname"), u"/usr/bin/chasen");
    EXPECT_EQ(text("chasenHost"), u"localhost");
    EXPECT_EQ(text("chasenPort"), u"31000");

    // The choices switch the frames over.
    click("chasenType0");
    EXPECT_TRUE(selected("chasenType0"));
    EXPECT_FALSE(selected("chasenType1"));
    EXPECT_TRUE(enabled("chasenFrame2"));
    EXPECT_FALSE(enabled("chasenFrame3"));
    click("chasenType1");
    EXPECT_FALSE(enabled("chasenFrame2"));
    EXPECT_TRUE(enabled("chasenFrame3"));
    EXPECT_TRUE(messages.criticals.isEmpty());

    // Two tabs; Ctrl+Tab goes to the dialog, which turns to the next one
    // and round to the first again.
    auto* tabs = control<QTabWidget>("tbsOptions");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), u"茶筅");
    EXPECT_EQ(tabs->tabToolTip(0), u"茶筅の設定");
    EXPECT_EQ(tabs->tabText(1), u"検索");
    QLineEdit* host = control<QLineEdit>("chasenHost");
    host->setFocus();
    QTest::keyClick(host, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(control<QWidget>("picOptions1")->isVisible());
    QTest::keyClick(tabs->currentWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(tabs->tabText(2), u"プロキシ");
    QTest::keyClick(tabs->currentWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(control<QWidget>("picOptions0")->isVisible());
    EXPECT_EQ(text("chasenHost"), u"localhost");
}

TEST_F(Options, ApplyWritesTheControlsAsTypedAndCancelKeepsWhatWasApplied)
{
    writeSettings(u"1"_s);
    open();
    click("chasenType0");
    typeInto(control<QLineEdit>("chasenFname"), u"/opt/茶筅/bin/chasen"_s);
    // The remote frame is disabled now; its texts are written all the same.
    control<QLineEdit>("chasenPort")->setText(u" 8080 "_s);
    click("cmdApply");
    EXPECT_TRUE(dialog->isVisible());
    const QByteArray applied =
        cp932::encode(u"[chasen]\r\ntype=0\r\nfilename=/opt/茶筅/bin/chasen\r\nhost=localhost\r\n"
                      u"port= 8080 \r\n[search]\r\ntimeout=20\r\n");
    EXPECT_EQ(readFile(paths.IniPath), applied);

    // Cancel writes nothing: what "更新" wrote stays, later edits are lost.
    typeInto(control<QLineEdit>("chasenHost"), u"elsewhere"_s);
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    click("cmdCancel");
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(readFile(paths.IniPath), applied);

    ChasenSettings settings;
    ASSERT_TRUE(LoadSettings(paths, settings));
    EXPECT_EQ(settings.type, 0);
    EXPECT_EQ(settings.filename, u"/opt/茶筅/bin/chasen");
    EXPECT_EQ(settings.port, u"8080");
}

TEST_F(Options, OkWritesAndCloses)
{
    writeSettings(u"0"_s);
    open();
    click("chasenType1");
    typeInto(control<QLineEdit>("chasenHost"), u"chasen.example"_s);
    typeInto(control<QLineEdit>("chasenPort"), u"31001"_s);
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    click("cmdOK");
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(readFile(paths.IniPath),
              cp932::encode(u"[chasen]\r\ntype=1\r\nfilename=/usr/bin/chasen\r\n"
                            u"host=chasen.example\r\nport=31001\r\n[search]\r\ntimeout=20\r\n"));
}

TEST_F(Options, AStoredTypeOtherThanTheTwoChoicesIsLeftAsItIs)
{
    writeSettings(u"7"_s);
    open();
    EXPECT_FALSE(selected("chasenType0"));
    EXPECT_FALSE(selected("chasenType1"));
    EXPECT_FALSE(enabled("chasenFrame2"));
    EXPECT_FALSE(enabled("chasenFrame3"));
    control<QLineEdit>("chasenHost")->setText(u"other"_s);
    click("cmdApply");
    EXPECT_EQ(readFile(paths.IniPath),
              cp932::encode(u"[chasen]\r\ntype=7\r\nfilename=/usr/bin/chasen\r\nhost=other\r\n"
                            u"port=31000\r\n[search]\r\ntimeout=20\r\n"));
}

TEST_F(Options, BrowseProposesThePathAndCancellingKeepsIt)
{
    writeSettings(u"0"_s);
    open();
    fileDialogs.answers = {QString(), u"/usr/local/bin/chasen"_s};

    click("chasenCommand");
    ASSERT_EQ(fileDialogs.shown, QStringList{u"open"_s});
    const FileDialogRequest& request = fileDialogs.requests.first();
    EXPECT_EQ(request.fileName, u"/usr/bin/chasen");
    EXPECT_EQ(request.folder, u"/usr/bin");
    ASSERT_EQ(request.filters.size(), 2);
    EXPECT_TRUE(request.filters.at(0).startsWith(u"ﾃｷｽﾄﾌｧｲﾙ(*.exe"));
    EXPECT_TRUE(request.filters.at(1).startsWith(u"すべてのﾌｧｲﾙ"));
    EXPECT_EQ(text("chasenFname"), u"/usr/bin/chasen"); // cancelled
    EXPECT_TRUE(control<QLineEdit>("chasenFname")->hasFocus());

    click("chasenCommand");
    EXPECT_EQ(text("chasenFname"), u"/usr/local/bin/chasen");
    EXPECT_EQ(fileDialogs.requests.size(), 2);
}

TEST_F(Options, AMissingSettingsFileIsReportedAndApplyMakesIt)
{
    open();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !messages.criticals.isEmpty(); }, HangGuardMs));
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_EQ(messages.criticals.first().text, paths.IniPath + u" がありません。");
    EXPECT_EQ(messages.criticals.first().title, u"File not found");
    EXPECT_TRUE(dialog->isVisible());

    control<QLineEdit>("chasenHost")->setText(u"localhost"_s);
    click("cmdOK");
    EXPECT_FALSE(dialog->isVisible());
    ChasenSettings settings;
    ASSERT_TRUE(LoadSettings(paths, settings));
    EXPECT_EQ(settings.host, u"localhost");
    EXPECT_EQ(messages.criticals.size(), 1);
}

TEST_F(Options, AFailedWriteIsReportedAndOkKeepsTheDialogOpen)
{
    // A settings file in a folder that does not exist cannot be written.
    paths.IniPath = dir.file(u"missing/sokuri.ini"_s);
    open();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !messages.criticals.isEmpty(); }, HangGuardMs));
    messages.criticals.clear();

    click("cmdOK");
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_TRUE(messages.criticals.first().text.contains(paths.IniPath));
    EXPECT_FALSE(QFile::exists(paths.IniPath));
}

TEST_F(Options, TheSearchTabSetsTheDefaultTimeout)
{
    writeSettings(u"0"_s);
    open();
    auto* timeout = control<QSpinBox>("searchTimeout");
    EXPECT_EQ(timeout->value(), 20);
    timeout->setValue(45);
    click("cmdApply");
    EXPECT_EQ(readFile(paths.IniPath),
              cp932::encode(u"[chasen]\r\ntype=0\r\nfilename=/usr/bin/chasen\r\n"
                            u"host=localhost\r\nport=31000\r\n[search]\r\ntimeout=45\r\n"));

    // A settings file without a time-out gets none written unless one is set.
    const QByteArray plain = "[chasen]\r\ntype=0\r\nfilename=\r\nhost=\r\nport=\r\n";
    writeFile(paths.IniPath, plain);
    open();
    EXPECT_EQ(control<QSpinBox>("searchTimeout")->value(), 0);
    EXPECT_EQ(control<QSpinBox>("searchTimeout")->text(), u"なし");
    click("cmdApply");
    EXPECT_EQ(readFile(paths.IniPath), plain);
}

TEST_F(Options, TheSearchTabSetsConnectionsAndIntervalOnlyWhenChanged)
{
    const QByteArray plain = "[chasen]\r\ntype=0\r\nfilename=\r\nhost=\r\nport=\r\n";
    writeFile(paths.IniPath, plain);
    open();
    EXPECT_EQ(control<QSpinBox>("searchConnections")->value(), 3);
    EXPECT_EQ(control<QSpinBox>("searchInterval")->value(), 1000);
    click("cmdApply");
    EXPECT_EQ(readFile(paths.IniPath), plain);
    control<QSpinBox>("searchConnections")->setValue(8);
    control<QSpinBox>("searchInterval")->setValue(0);
    click("cmdApply");
    EXPECT_EQ(readFile(paths.IniPath), plain + "[search]\r\nconnections=8\r\ninterval=0\r\n");
}

TEST_F(Options, TheProxyTabShowsAndWritesTheProxySection)
{
    // Untouched, a file without the section keeps the desktop's proxy.
    writeSettings(u"0"_s);
    open();
    EXPECT_TRUE(selected("proxyDesktop"));
    EXPECT_FALSE(enabled("proxyFrame"));
    click("cmdApply");
    EXPECT_FALSE(QString::fromLatin1(readFile(paths.IniPath)).contains(u"[proxy]"_s));

    click("proxyOwn");
    EXPECT_TRUE(enabled("proxyFrame"));
    control<QLineEdit>("proxyHost")->setText(u"proxy.example"_s);
    control<QLineEdit>("proxyPort")->setText(u"3128"_s);
    control<QLineEdit>("proxyUser")->setText(u"u"_s);
    click("cmdApply");
    ProxySettings expected{ProxySettings::Own, u"proxy.example"_s, u"3128"_s, u"u"_s, {}};
    EXPECT_EQ(LoadProxySettings(paths), expected);

    // Reopened, the dialog shows what was written; none turns the proxy off.
    open();
    EXPECT_TRUE(selected("proxyOwn"));
    EXPECT_EQ(text("proxyHost"), u"proxy.example"_s);
    click("proxyNone");
    click("cmdApply");
    expected.type = ProxySettings::None;
    EXPECT_EQ(LoadProxySettings(paths), expected);
    EXPECT_TRUE(messages.criticals.isEmpty());
}

TEST_F(Options, TheChasenPageSetsCompoundTermsAndTheMaximumOnlyWhenChanged)
{
    const QByteArray plain = "[chasen]\r\ntype=0\r\nfilename=\r\nhost=\r\nport=\r\n";
    writeFile(paths.IniPath, plain);
    open();
    EXPECT_FALSE(control<QCheckBox>("keywordCompound")->isChecked());
    EXPECT_EQ(control<QSpinBox>("keywordMax")->text(), u"すべて");
    click("cmdApply");
    EXPECT_EQ(readFile(paths.IniPath), plain);
    control<QCheckBox>("keywordCompound")->setChecked(true);
    control<QSpinBox>("keywordMax")->setValue(5);
    click("cmdOK");
    EXPECT_EQ(readFile(paths.IniPath), plain + "[keywords]\r\ncompound=1\r\nmax=5\r\n");
    open();
    EXPECT_TRUE(control<QCheckBox>("keywordCompound")->isChecked());
    EXPECT_EQ(control<QSpinBox>("keywordMax")->value(), 5);
}
