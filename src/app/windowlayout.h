#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace sokuri {

// What the main window keeps of its layout between starts: the section
// "window" of sokuri.ini, in pixels. Each part that is missing or damaged
// reads as absent, and the window keeps its design for it.
struct WindowLayout
{
    std::optional<QPoint> position; // keys "left", "top": the top left inside the frame
    std::optional<QSize> size;      // keys "width", "height": the size inside the frame
    bool maximised = false;         // key "maximized": 1 or 0
    QList<int> columnWidths;        // key "columns": the results list's widths, "w1,w2,..."

    friend bool operator==(const WindowLayout&, const WindowLayout&) = default;
};

// Reads the layout; expectedColumns is how many widths "columns" must give.
WindowLayout LoadWindowLayout(const QString& iniPath, int expectedColumns);
// Writes the layout, whole or not at all. Absent parts write empty values.
bool SaveWindowLayout(const QString& iniPath, const WindowLayout& layout,
                      QString* errorText = nullptr);

// The window's rectangle brought onto the screens: one that overlaps no
// screen's area enough to be grabbed moves onto the first screen, and one
// larger than that screen shrinks to it. Screens are the screens' available
// areas, the first the primary one; with none, the rectangle stays.
QRect FitOnScreens(const QRect& window, const QList<QRect>& screens);

} // namespace sokuri
