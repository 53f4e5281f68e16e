#pragma once

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
};

// The status in the user's words: "待機中", "完了 (3 件)", "失敗: 時間切れ", ...
QString DescribeStatus(const EngineStatus& status);

} // namespace sokuri

Q_DECLARE_METATYPE(sokuri::EngineStatus)
