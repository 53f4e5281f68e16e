#pragma once

#include "common/appstate.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace sokuri {

class FileDialogs;
class MessageSink;
class PluginCatalogue;
class PluginInstaller;
class PluginManagerRests;
class PluginKeyTestPanel;
struct PluginInstallResult;

// The plugin manager: the installed plugins (name, version, address, file)
// with commands to install a plugin file from a file or from the address
// typed above the buttons, to make a plugin from an OpenSearch description
// (from the typed address, or from a file when none is typed), and to remove
// the selected plugin after asking. Replacing a plugin of the same name asks
// first; every failure is shown with its reason. The catalogue is refreshed
// after every change, keeping check marks.
//
// Below the list, the selected plugin's own key and its self-test
// (PluginKeyTestPanel).
//
// Controls by object name: PluginList, txtAddress, cmdInstallFile,
// cmdInstallAddress, cmdImportOpenSearch, cmdRemove, cmdClose, and those of
// PluginKeyTestPanel.
class frmPluginManager : public QDialog
{
    Q_OBJECT

public:
    frmPluginManager(const AppPaths& paths, PluginCatalogue& catalogue, MessageSink& messages,
                     FileDialogs& dialogs, QWidget* parent = nullptr);
    ~frmPluginManager() override;

    PluginInstaller& installer() { return *m_installer; }
    // The rests of the listed engines, with 再開 and ブラウザで開く.
    PluginManagerRests& rests() { return *m_rests; }

private:
    void fillList();
    void installFromFile();
    void installFromAddress();
    void importOpenSearch();
    void removeSelected();
    void installFinished(const PluginInstallResult& result);
    void updateButtons();

    AppPaths m_paths;
    PluginCatalogue& m_catalogue;
    MessageSink& m_messages;
    FileDialogs& m_dialogs;
    PluginInstaller* m_installer = nullptr;
    PluginManagerRests* m_rests = nullptr;
    PluginKeyTestPanel* m_keyTest = nullptr;

    QTreeWidget* m_list = nullptr;
    QLineEdit* m_address = nullptr;
    QPushButton* m_installFile = nullptr;
    QPushButton* m_installAddress = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace sokuri
