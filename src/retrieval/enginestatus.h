#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

namespace sokuri {

// What one engine of a run is doing, as the status line and the command
// line's progress show it.
struct EngineStatus
{
    enum Kind {
        Waiting,    // ticked, not yet handed to a connection
        Connecting, // the connection is being made
        Receiving,  // the answer is arriving
        Done,       // the engine closed the connection
        Failed,     // refused, unreachable, TLS failure, ...
        Skipped,    // the plugin file names no usable address
    };

    QString plugin;
    Kind kind = Waiting;
    int rows = 0;   // rows found so far
    QString reason; // why it failed or was skipped, in the user's language
    QString hint;   // what the user can do about it, or empty
};

// The status in the user's words: "待機中", "完了 (3 件)", "失敗: 時間切れ", ...
QString DescribeStatus(const EngineStatus& status);

// The line a run ends with: the total of rows and the engines that failed,
// each with its reason ("12 件　失敗: alpha (HTTP 403 アクセス拒否)、beta (時間切れ)").
QString DescribeRunEnd(const QList<EngineStatus>& statuses, int rows);

} // namespace sokuri

Q_DECLARE_METATYPE(sokuri::EngineStatus)
