#pragma once

#include "app/windowlayout.h"

class QTreeView;
class QWidget;

namespace sokuri {

// The layout of a window and its list as WindowLayout keeps it: the normal
// (not maximised) geometry, the maximised state and the column widths.
WindowLayout CaptureWindowLayout(const QWidget& window, const QTreeView& list);

// Applies the parts of layout that are present, after the design layout:
// the geometry brought onto the screens, the maximised state (shown so when
// the window is shown), the column widths.
void ApplyWindowLayout(QWidget& window, QTreeView& list, const WindowLayout& layout);

} // namespace sokuri
