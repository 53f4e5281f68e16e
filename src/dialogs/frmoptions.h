#pragma once

#include "common/appstate.h"
#include "common/settings.h"
#include "common/usermessage.h"

#include <QDialog>

#include <memory>
#include <optional>

class QGroupBox;
class QLineEdit;
class QSpinBox;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QTabWidget;

namespace sokuri {

class FileDialogs;
class KeywordOptionsPage;
class ProxyOptionsPage;
class SearchPacingPage;
class MessageSink;

// The settings dialog: how the morphological analyser is reached, the local
// program's path and the server's host and port, the section "chasen" of
// sokuri.ini. It reads the file when it is made and writes it with Apply and
// OK; its only output is the file.
//
// Controls by object name: tbsOptions (one tab) with the page picOptions0;
// chasenFrame1 holding the choices chasenType0 (local) and chasenType1
// (server); chasenFrame2 (chasenFname, chasenCommand) and chasenFrame3
// (chasenHost, chasenPort), each enabled exactly when its choice is
// selected; cmdOK, cmdCancel, cmdApply.
class frmOptions : public QDialog
{
    Q_OBJECT

public:
    frmOptions(const AppPaths& paths, QWidget* parent = nullptr);
    ~frmOptions() override;

    // The browse dialog and the message boxes; the desktop's own unless
    // replaced. The objects given must outlive the dialog.
    void setFileDialogs(FileDialogs* dialogs);
    void setMessageSink(MessageSink* messages);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void chasenType_Click(int index);
    void chasenCommand_Click();
    bool cmdApply_Click();
    void cmdOK_Click();
    void selectNextTab();
    void reportLoadFailure();

    AppPaths m_paths;
    ChasenSettings m_settings;
    std::optional<UserMessage> m_loadFailure; // shown once the dialog is on screen

    std::unique_ptr<FileDialogs> m_ownFileDialogs;
    std::unique_ptr<MessageSink> m_ownMessages;
    FileDialogs* m_fileDialogs = nullptr;
    MessageSink* m_messages = nullptr;

    QTabWidget* m_tabs = nullptr;
    QRadioButton* m_local = nullptr;
    QRadioButton* m_remote = nullptr;
    QGroupBox* m_localFrame = nullptr;
    QGroupBox* m_remoteFrame = nullptr;
    QLineEdit* m_fileName = nullptr;
    QLineEdit* m_host = nullptr;
    QLineEdit* m_port = nullptr;
    QSpinBox* m_timeout = nullptr; // sokuri.ini's search/timeout
    int m_loadedTimeout = 0;
    ProxyOptionsPage* m_proxyPage = nullptr;      // the proxy tab
    SearchPacingPage* m_pacing = nullptr;         // on the search page: connections and interval
    KeywordOptionsPage* m_keywordsPage = nullptr; // on the ChaSen page: compound terms, maximum
};

} // namespace sokuri
