#include "app/documentdropfilter.h"

#include "documents/documentlocation.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

namespace sokuri {

bool DocumentDropFilter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event); // drag enter and move are drop events
    const QMimeData* data = drop->mimeData();
    const QString path = data && data->hasUrls() ? DroppedDocumentPath(data->urls()) : QString();
    if (path.isEmpty())
        return QObject::eventFilter(watched, event);
    drop->acceptProposedAction();
    if (type == QEvent::Drop)
        m_open(path);
    return true;
}

} // namespace sokuri
