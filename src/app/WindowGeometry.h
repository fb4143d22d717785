#pragma once

#include <QRect>

inline constexpr int MinimumWindowWidth = 460;
inline constexpr int MinimumWindowHeight = 300;

// Moves a window of the given position and size into the work area of the screen without
// changing its size. Edges are compared in the way of the desktop's own rectangles: the
// right edge is left + width. The last two tests keep the window off negative
// coordinates even when it is larger than the work area.
QPoint clampToWorkArea(const QRect &window, const QRect &workArea);
