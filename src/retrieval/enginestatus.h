#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

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
        Resting,    // not asked: the engine rests (reason: cause and time left)
    };

    QString plugin;
    Kind kind = Waiting;
    int rows = 0;   // rows found so far
    QString reason; // why it failed or was skipped, in the user's language
    QString hint;   // what the user can do about it, or empty

    // What a failed answer was, for the rests of refusing engines.
    int httpCode = 0;              // the status of a refusal or server fault (400 and up)
    QStringList retryAfter;        // its Retry-After values as sent, one per header line
    bool challenge = false;        // a CAPTCHA or other bot challenge page
    bool connectionFailed = false; // unreachable, broken off or out of time
    QString address;               // the address asked last (after redirects)
};

// The status in the user's words: "待機中", "完了 (3 件)", "失敗: 時間切れ", ...
QString DescribeStatus(const EngineStatus& status);

// The line a run ends with: the total of rows, the engines that failed, each
// with its reason ("12 件　失敗: alpha (HTTP 403 アクセス拒否)、beta (時間切れ)"),
// and the engines that rested ("　一時停止中: gamma (CAPTCHA, あと 52 分)"). A
// run whose engines all rested says so instead of the total.
QString DescribeRunEnd(const QList<EngineStatus>& statuses, int rows);

} // namespace sokuri

Q_DECLARE_METATYPE(sokuri::EngineStatus)
