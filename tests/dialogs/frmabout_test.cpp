#include "dialogs/frmabout.h"

#include "support/fakeplatform.h"
#include "support/testfiles.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::RecordingMessages;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;

namespace {

constexpr int HangGuardMs = 60000;

// Points PATH at one folder for the life of the object.
class PathOverride
{
public:
    explicit PathOverride(const QString& folder)
        : m_saved(qgetenv("PATH"))
    {
        qputenv("PATH", QFile::encodeName(folder));
    }
    ~PathOverride() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};

class About : public ::testing::Test
{
protected:
    About()
    {
        dialog.setMessageSink(&messages);
        dialog.show();
    }

    QString label(const char* name) const
    {
        auto* widget = dialog.findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget ? widget->text() : QString();
    }
    void click(const char* name)
    {
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    TempAppDir dir;
    RecordingMessages messages;
    frmAbout dialog;
};

} // namespace

TEST_F(About, NamesTheProgramItsVersionAndItsAuthor)
{
    EXPECT_EQ(dialog.windowTitle(), u"Sokuriのﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(label("lblTitle"), u"Sokuri");
    EXPECT_EQ(label("lblVersion"), u"ﾊﾞｰｼﾞｮﾝ 0.9.3");
    EXPECT_EQ(label("lblDescription"), u"Author : "_s + QString::fromUtf8(SOKURI_AUTHOR_LINE1) +
                                           u"\nE-Mail : "_s +
                                           QString::fromUtf8(SOKURI_AUTHOR_LINE2) + u"\nWWW : "_s +
                                           QString::fromUtf8(SOKURI_AUTHOR_LINE3));
    auto* sysInfo = dialog.findChild<QPushButton*>(u"cmdSysInfo"_s);
    ASSERT_NE(sysInfo, nullptr);
    EXPECT_EQ(sysInfo->text(), u"ｼｽﾃﾑ情報(&S)...");

    QSignalSpy finished(&dialog, &QDialog::finished);
    click("cmdOK");
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(About, WithoutAViewerSystemInformationIsNotAvailable)
{
    const PathOverride path(dir.path()); // an empty folder
    click("cmdSysInfo");
    ASSERT_EQ(messages.informations.size(), 1);
    EXPECT_EQ(messages.informations.first().text, u"現時点ではｼｽﾃﾑ情報を使用できません");
    EXPECT_EQ(messages.informations.first().title, u"Sokuri");
    EXPECT_TRUE(dialog.isVisible()); // the box stays open
}

TEST_F(About, AViewerOnThePathIsStarted)
{
    // A viewer of the list that leaves a mark when it runs.
    const QString marker = dir.file(u"started"_s);
    const QString viewer = dir.file(u"bin/"_s + frmAbout::SystemInfoViewers().last());
    writeFile(viewer, "#!/bin/sh\necho started > '" + QFile::encodeName(marker) + "'\n");
    ASSERT_TRUE(
        QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const PathOverride path(dir.file(u"bin"_s));
    click("cmdSysInfo");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, HangGuardMs));
    EXPECT_TRUE(messages.informations.isEmpty());
}

TEST_F(About, TheFactsOfTheInstallationAndTheVersionsOfEverything)
{
    AboutFacts facts;
    facts.licence = u"GPL-3.0-or-later"_s;
    facts.helpPath = u"/opt/sokuri/help/index.html"_s;
    facts.pluginPath = u"/home/u/.local/share/sokuri/plugins"_s;
    facts.settingsPath = u"/home/u/.local/share/sokuri/sokuri.ini"_s;
    facts.analyser = u"MeCab (/usr/bin/mecab)"_s;
    facts.analyserProgram = u"/usr/bin/mecab"_s;
    facts.analyserVersionOption = u"-v"_s;
    dialog.setFacts(facts);
    const QStringList lines = label("lblDescription").split(u'\n');
    for (const QString& expected :
         {u"ライセンス : GPL-3.0-or-later"_s, u"ヘルプ : /opt/sokuri/help/index.html"_s,
          u"プラグイン : /home/u/.local/share/sokuri/plugins"_s,
          u"設定 : /home/u/.local/share/sokuri/sokuri.ini"_s, u"解析 : MeCab (/usr/bin/mecab)"_s})
        EXPECT_TRUE(lines.contains(expected)) << expected.toStdString();
    // The author lines only where the build names them.
    EXPECT_EQ(lines.size(), 5 + int(*SOKURI_AUTHOR_LINE1 != 0) + int(*SOKURI_AUTHOR_LINE2 != 0) +
                                int(*SOKURI_AUTHOR_LINE3 != 0));
    EXPECT_FALSE(label("lblDescription").contains(u"example.org"_s));

    QSignalSpy complete(&dialog, &frmAbout::systemInfoComplete);
    click("cmdSysInfo");
    EXPECT_TRUE(messages.informations.isEmpty());
    auto* box = dialog.findChild<QPlainTextEdit*>(u"txtSysInfo"_s);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(box->isReadOnly());
    ASSERT_TRUE(complete.count() == 1 || complete.wait(HangGuardMs));
    const QStringList info = box->toPlainText().split(u'\n');
    for (const QString& start :
         {u"Sokuri 0.9.3"_s, u"Qt 6."_s, u"ICU "_s, u"libxml2 2."_s, u"OpenSSL"_s, u"zlib 1."_s,
          u"OS: "_s, u"解析: MeCab (/usr/bin/mecab)"_s, u"解析プログラム: mecab of "_s}) {
        EXPECT_TRUE(std::any_of(info.begin(), info.end(),
                                [&](const QString& line) { return line.startsWith(start); }))
            << start.toStdString() << " not in " << box->toPlainText().toStdString();
    }
}
