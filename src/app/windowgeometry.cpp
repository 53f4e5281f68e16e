#include "app/windowgeometry.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTreeView>
#include <QWidget>

namespace sokuri {

WindowLayout CaptureWindowLayout(const QWidget& window, const QTreeView& list)
{
    const QRect normal =
        window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    WindowLayout layout;
    layout.position = normal.topLeft();
    layout.size = normal.size();
    layout.maximised = window.isMaximized();
    for (int column = 0; column < list.header()->count(); ++column)
        layout.columnWidths.append(list.columnWidth(column));
    return layout;
}

void ApplyWindowLayout(QWidget& window, QTreeView& list, const WindowLayout& layout)
{
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens.append(primary->availableGeometry());
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            screens.append(screen->availableGeometry());
    }
    // The size the window would be shown at, as the base of what is kept.
    if (!window.testAttribute(Qt::WA_Resized))
        window.adjustSize();
    QRect geometry = window.geometry();
    if (layout.size)
        geometry.setSize(layout.size->expandedTo(window.minimumSizeHint()));
    if (layout.position) {
        geometry.moveTopLeft(*layout.position);
        window.setGeometry(FitOnScreens(geometry, screens));
    } else if (layout.size) {
        // The desktop places the window; it only must not be larger than
        // the screen.
        window.resize(screens.isEmpty() ? geometry.size()
                                        : geometry.size().boundedTo(screens.first().size()));
    }
    if (layout.maximised)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    if (layout.columnWidths.size() == list.header()->count()) {
        for (int column = 0; column < layout.columnWidths.size(); ++column)
            list.setColumnWidth(column, layout.columnWidths[column]);
    }
}

} // namespace sokuri
