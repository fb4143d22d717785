#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;
class SettingsFile;

// The smallest outer size of the main window, frame included.
inline constexpr int MinimumWindowWidth = 460;
inline constexpr int MinimumWindowHeight = 300;

// A window's outer rectangle, frame included, in 64 bits: stored values are any 32-bit
// number, and their sums must not overflow on the way to a rectangle that fits a screen.
struct OuterRect
{
    qint64 left = 0;
    qint64 top = 0;
    qint64 width = 0;
    qint64 height = 0;
};

// Moves a window of the given outer position and size into the work area of the screen
// without changing its size. Edges are compared in the way of the desktop's own rectangles:
// the right edge is left + width. The last two tests keep the window off negative
// coordinates even when it is larger than the work area.
QPoint clampToWorkArea(const OuterRect &window, const QRect &workArea);

// The outer rectangle the window opens with, from the stored "Left", "Top", "Width" and
// "Height": the minimum size first, then no larger than the whole desktop (so a stored
// size of millions of pixels cannot open a window the graphics stack cannot hold), then
// moved into the work area. An empty desktop (no screen known) leaves the size alone but
// within what a window can have.
QRect openingOuterRect(const OuterRect &stored, const QRect &workArea, const QRect &desktop);
// The outer rectangle stored in `settings`, frame included.
OuterRect storedOuterRect(const SettingsFile &settings);

// The same on this machine's screens: the primary screen's work area, all screens' desktop.
QRect openingOuterRectOnScreens(const OuterRect &stored);

// The client size that gives the outer size under the given frame.
QSize clientSizeFor(const QSize &outer, const QMargins &frame);

// The smallest client size that keeps the outer size at least the minimum under the frame.
QSize minimumClientSizeFor(const QMargins &frame);

// Keeps a top-level window's outer rectangle where it was asked to be while its frame
// becomes known. On X11 the window manager frames a window only after it is shown, so the
// client size set before then would grow the window by its frame; this fits the client to
// the frame each time the frame's margins change (a user's resize never changes them). The
// minimum size is fitted the same way, so the smallest outer size stays the minimum.
class OuterGeometryKeeper : public QObject
{
public:
    OuterGeometryKeeper(QWidget *window, const QRect &outer);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitToFrame();

    QWidget *m_window;
    QRect m_outer;
    QSize m_clientSet;
    QMargins m_fittedFrame;
    bool m_keepOuter = true;
    bool m_watchingHandle = false;
    bool m_fitting = false;
};
