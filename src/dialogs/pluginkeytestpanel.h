#pragma once

#include "common/appstate.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sokuri {

class PluginSelfTest;
struct PluginTestReport;

// The part of the plugin manager for the selected plugin's key and its
// self-test: the key the plugin declares (typed hidden, saved to the user's
// keys, never shown again: a set key only reads "設定済み"), and 「テスト」,
// which runs the plugin's self-test in the core and shows its report.
//
// Controls by object name: lblUserKey, txtUserKey, cmdSaveKey, cmdClearKey,
// cmdTest, txtTestReport.
class PluginKeyTestPanel : public QWidget
{
    Q_OBJECT

public:
    explicit PluginKeyTestPanel(const AppPaths& paths, QWidget* parent = nullptr);
    ~PluginKeyTestPanel() override;

    // The plugin the panel is for; empty: none selected.
    void setPlugin(const QString& plugin);
    PluginSelfTest& selfTest() { return *m_test; }

signals:
    void testFinished();

private:
    void saveKey();
    void clearKey();
    void startTest();
    void showReport(const PluginTestReport& report);
    void updateControls();

    AppPaths m_paths;
    QString m_plugin;
    bool m_takesKey = false;
    PluginSelfTest* m_test = nullptr;
    QLabel* m_keyLabel = nullptr;
    QLineEdit* m_key = nullptr;
    QPushButton* m_saveKey = nullptr;
    QPushButton* m_clearKey = nullptr;
    QPushButton* m_testButton = nullptr;
    QPlainTextEdit* m_report = nullptr;
};

} // namespace sokuri
