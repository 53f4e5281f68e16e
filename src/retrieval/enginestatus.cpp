#include "retrieval/enginestatus.h"

namespace sokuri {

QString DescribeStatus(const EngineStatus& status)
{
    switch (status.kind) {
    case EngineStatus::Waiting:
        return QStringLiteral("待機中");
    case EngineStatus::Connecting:
        // The reason tells where a redirect leads.
        return status.reason.isEmpty() ? QStringLiteral("接続中")
                                       : QStringLiteral("接続中 (") + status.reason + u')';
    case EngineStatus::Receiving:
        return QStringLiteral("受信中 (%1 件)").arg(status.rows);
    case EngineStatus::Done:
        return QStringLiteral("完了 (%1 件)").arg(status.rows);
    case EngineStatus::Failed:
        return QStringLiteral("失敗: ") + status.reason;
    case EngineStatus::Skipped:
        return QStringLiteral("スキップ: ") + status.reason;
    }
    return {};
}

} // namespace sokuri
