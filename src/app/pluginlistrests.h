#pragma once

#include "common/appstate.h"
#include "common/clock.h"
#include "retrieval/reststore.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class QAbstractItemView;
class QAction;
class QMenu;

namespace sokuri {

// The engines' rests in the plugin list ListView1: a resting engine is drawn
// greyed with a pause icon, its cause and time left in the tooltip; the
// list's pop-up menu gets 「再開」 (popListView1Resume) for a resting engine
// and 「ブラウザで開く」 (popListView1OpenRefused) for one that answered with
// a CAPTCHA, which opens the refused search page. The rests are read again
// on refresh() and once a minute.
class PluginListRests : public QObject
{
    Q_OBJECT

public:
    using OpenUrl = std::function<void(const QString& url)>;

    PluginListRests(const AppPaths& paths, QAbstractItemView& view, QMenu& popup, OpenUrl openUrl,
                    Clock clock = {});

    void refresh();
    std::optional<EngineRest> restOf(const QString& plugin) const;
    // The tooltip line of a resting engine: "一時停止中 (CAPTCHA, あと 52 分)".
    QString restLine(const QString& plugin) const;

signals:
    void resumed(const QString& plugin);

private:
    QString currentPlugin() const;
    void updateActions();
    void resumeCurrent();
    void openRefused();

    AppPaths m_paths;
    QAbstractItemView& m_view;
    OpenUrl m_openUrl;
    Clock m_clock;
    RestTable m_resting;
    QAction* m_resume = nullptr;
    QAction* m_openRefused = nullptr;
    QTimer m_tick;
};

} // namespace sokuri
