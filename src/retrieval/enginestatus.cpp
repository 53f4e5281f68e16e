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
    case EngineStatus::Resting:
        return QStringLiteral("一時停止中 (") + status.reason + u')';
    }
    return {};
}

QString DescribeRunEnd(const QList<EngineStatus>& statuses, int rows)
{
    QStringList failed;
    QStringList resting;
    for (const EngineStatus& status : statuses) {
        const QString named = status.plugin + QStringLiteral(" (") + status.reason + u')';
        if (status.kind == EngineStatus::Failed || status.kind == EngineStatus::Skipped)
            failed.append(named);
        else if (status.kind == EngineStatus::Resting)
            resting.append(named);
    }
    if (!statuses.isEmpty() && resting.size() == statuses.size())
        return QStringLiteral("選んだエンジンはすべて一時停止中です: ") + resting.join(u'、');
    QString line = QStringLiteral("%1 件").arg(rows);
    if (!failed.isEmpty())
        line += QStringLiteral("　失敗: ") + failed.join(u'、');
    if (!resting.isEmpty())
        line += QStringLiteral("　一時停止中: ") + resting.join(u'、');
    return line;
}

} // namespace sokuri
