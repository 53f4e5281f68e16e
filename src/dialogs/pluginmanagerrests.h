#pragma once

#include "common/appstate.h"
#include "common/clock.h"

#include <QObject>

class QBoxLayout;
class QPushButton;
class QTreeWidget;

namespace sokuri {

// The engines' rests in the plugin manager: a resting engine's row is greyed
// with a pause icon and its cause and time left in the tooltip; the buttons
// 「再開」 (cmdResume) and 「ブラウザで開く」 (cmdOpenRefused, for a CAPTCHA:
// the refused search page) act on the selected row. Rows are matched by the
// name in column 0.
class PluginManagerRests : public QObject
{
    Q_OBJECT

public:
    PluginManagerRests(const AppPaths& paths, QTreeWidget& list, QBoxLayout& buttons,
                       Clock clock = {});

    // Marks the rows anew from the state file.
    void refresh();

signals:
    // The refused page of a CAPTCHA, to open in the external browser.
    void openRequested(const QString& url);
    void resumed(const QString& plugin);

private:
    QString selectedPlugin() const;
    void updateButtons();

    AppPaths m_paths;
    QTreeWidget& m_list;
    Clock m_clock;
    QPushButton* m_resume = nullptr;
    QPushButton* m_openRefused = nullptr;
};

} // namespace sokuri
