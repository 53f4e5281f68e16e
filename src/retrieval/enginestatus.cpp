#include "retrieval/enginestatus.h"

#include <QStringList>

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
        return QStringLiteral("失敗: ") + status.reason +
               (status.hint.isEmpty() ? QString() : QStringLiteral("（") + status.hint + u'）');
    case EngineStatus::Skipped:
        return QStringLiteral("スキップ: ") + status.reason;
    }
    return {};
}

QString DescribeRunEnd(const QList<EngineStatus>& statuses, int rows)
{
    QStringList failed;
    for (const EngineStatus& status : statuses) {
        if (status.kind == EngineStatus::Failed || status.kind == EngineStatus::Skipped)
            failed.append(status.plugin + QStringLiteral(" (") + status.reason + u')');
    }
    QString line = QStringLiteral("%1 件").arg(rows);
    if (!failed.isEmpty())
        line += QStringLiteral("　失敗: ") + failed.join(u'、');
    return line;
}

} // namespace sokuri
