#pragma once

#include "common/appstate.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QShowEvent;

namespace sokuri {

class MessageSink;
class PluginCatalogue;
class PluginUpdater;

// The plugin update window: a small window of fixed size that runs the
// update pass as soon as it is shown, with the plugin being dealt with and a
// progress bar. "中止" stops the pass before the next plugin; the window
// closes itself when the pass is over, after the completion message. The pass
// refreshes the catalogue at its end, stopped or not.
//
// Controls by object name: Label1, ProgressBar1, Command1.
class frmPluginUpdate : public QDialog
{
    Q_OBJECT

public:
    // The window's size in twips, width by height.
    static constexpr int WidthTwips = 4440;
    static constexpr int HeightTwips = 2760;

    frmPluginUpdate(const AppPaths& paths, PluginCatalogue& catalogue, MessageSink& messages,
                    QWidget* parent = nullptr);
    ~frmPluginUpdate() override;

    PluginUpdater& updater() { return *m_updater; }

    // Every way of closing the window while the pass runs first stops the
    // pass; the window closes when the pass has ended.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Command1_Click();
    void showProgress(int done, int total);
    void passFinished(bool stopped);

    PluginUpdater* m_updater = nullptr;
    QLabel* m_label = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_stop = nullptr;
    bool m_started = false;
    bool m_closeRequested = false;
    int m_closeResult = Rejected;
};

} // namespace sokuri
