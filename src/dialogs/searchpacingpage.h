#pragma once

#include "common/appstate.h"
#include "common/searchsettings.h"

#include <QWidget>

class QSpinBox;

namespace sokuri {

// The part of the Options dialog's search page that says how a run asks its
// engines: how many at the same time (searchConnections, 1 to 16) and the
// wait before each request (searchInterval, 0 to 5000 ms), the keys
// "connections" and "interval" of the section "search" of sokuri.ini.
class SearchPacingPage : public QWidget
{
    Q_OBJECT

public:
    explicit SearchPacingPage(QWidget* parent = nullptr);

    // Shows the values of sokuri.ini (a settings file without them shows
    // the pacing it runs with: 3 and 1000).
    void load(const AppPaths& paths);
    // Writes the values that differ from the ones loaded, in one whole write
    // of the file, so a settings file keeps running as before until a value
    // is changed. False with the reason when the file cannot be written.
    bool apply(const AppPaths& paths, QString* errorText);

private:
    QSpinBox* m_connections = nullptr;
    QSpinBox* m_interval = nullptr;
    SearchSettings m_loaded;
};

} // namespace sokuri
