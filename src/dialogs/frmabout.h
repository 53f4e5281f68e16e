#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class QLabel;
class QPlainTextEdit;

namespace sokuri {

class MessageSink;

// What the About box tells of this installation, given by the main window.
struct AboutFacts
{
    QString licence;               // the licence the program is given under
    QString helpPath;              // the help page
    QString pluginPath;            // the plugin folder
    QString settingsPath;          // sokuri.ini
    QString analyser;              // the analyser the settings choose, in words
    QString analyserProgram;       // the local analyser program, empty for a server
    QString analyserVersionOption; // the option that makes it print its version
};

// The About box: the program's title, version and author, and a button that
// starts the desktop's system information viewer.
//
// Controls by object name: picIcon, lblTitle, lblVersion, lblDescription,
// cmdOK, cmdSysInfo.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    // Where "system information is not available" goes; message boxes unless
    // replaced. The object given must outlive the dialog.
    void setMessageSink(MessageSink* messages);
    // The installation's facts: the description names the licence and where
    // the help, plugins and settings are, and ｼｽﾃﾑ情報 shows the versions of
    // the program, its libraries, the analyser and the system in a box that
    // can be copied, instead of starting a viewer of the desktop.
    void setFacts(const AboutFacts& facts);

    // The versions box's text as far as it is known (the analyser's own
    // version follows when the program has answered).
    QString systemInfoText() const { return m_systemInfo; }

    // The viewers looked for on PATH, the first one found is started.
    static QStringList SystemInfoViewers();

signals:
    // The versions box has its whole text (the analyser has answered or
    // could not be asked).
    void systemInfoComplete();

private:
    void StartSysInfo();
    void showSystemInfo();
    void askAnalyserVersion();

    std::unique_ptr<MessageSink> m_ownMessages;
    MessageSink* m_messages = nullptr;
    bool m_hasFacts = false;
    AboutFacts m_facts;
    QString m_systemInfo;
    QLabel* m_description = nullptr;
    QPlainTextEdit* m_systemInfoBox = nullptr;
};

} // namespace sokuri
