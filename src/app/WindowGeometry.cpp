#include "app/WindowGeometry.h"

#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <climits>

namespace {

// No window is ever larger than the toolkit allows; positions stay as far out, which keeps
// every right and bottom edge inside an int.
constexpr qint64 LargestExtent = QWIDGETSIZE_MAX;

int bounded(qint64 value, qint64 lowest, qint64 highest)
{
    return int(std::clamp(value, lowest, highest));
}

} // namespace

QPoint clampToWorkArea(const OuterRect &window, const QRect &workArea)
{
    // right() + 1 rather than x() + width(): the width of a rectangle can overflow an int.
    const qint64 areaLeft = workArea.x();
    const qint64 areaTop = workArea.y();
    const qint64 areaRight = qint64(workArea.right()) + 1;
    const qint64 areaBottom = qint64(workArea.bottom()) + 1;
    qint64 left = window.left;
    qint64 top = window.top;
    if (left < areaLeft)
        left = areaLeft;
    if (top < areaTop)
        top = areaTop;
    if (left + window.width > areaRight)
        left = areaRight - window.width;
    if (top + window.height > areaBottom)
        top = areaBottom - window.height;
    if (left < 0)
        left = 0;
    if (top < 0)
        top = 0;
    return {bounded(left, 0, INT_MAX), bounded(top, 0, INT_MAX)};
}

QRect openingOuterRect(const OuterRect &stored, const QRect &workArea, const QRect &desktop)
{
    qint64 width = std::max<qint64>(stored.width, MinimumWindowWidth);
    qint64 height = std::max<qint64>(stored.height, MinimumWindowHeight);
    if (!desktop.isEmpty()) {
        width = std::min<qint64>(width, desktop.width());
        height = std::min<qint64>(height, desktop.height());
    }
    // A desktop smaller than the minimum still gets a window of the minimum size.
    width = std::clamp<qint64>(width, MinimumWindowWidth, LargestExtent);
    height = std::clamp<qint64>(height, MinimumWindowHeight, LargestExtent);

    QPoint position;
    if (workArea.isEmpty())
        position = QPoint(bounded(stored.left, -LargestExtent, LargestExtent),
                          bounded(stored.top, -LargestExtent, LargestExtent));
    else
        position = clampToWorkArea({stored.left, stored.top, width, height}, workArea);
    position = QPoint(bounded(position.x(), -LargestExtent, LargestExtent),
                      bounded(position.y(), -LargestExtent, LargestExtent));
    return {position, QSize(int(width), int(height))};
}

QSize clientSizeFor(const QSize &outer, const QMargins &frame)
{
    const qint64 width = qint64(outer.width()) - frame.left() - frame.right();
    const qint64 height = qint64(outer.height()) - frame.top() - frame.bottom();
    return {bounded(width, 0, LargestExtent), bounded(height, 0, LargestExtent)};
}

QSize minimumClientSizeFor(const QMargins &frame)
{
    return clientSizeFor(QSize(MinimumWindowWidth, MinimumWindowHeight), frame);
}

OuterGeometryKeeper::OuterGeometryKeeper(QWidget *window, const QRect &outer)
    : QObject(window)
    , m_window(window)
    , m_outer(outer)
    , m_clientSet(clientSizeFor(outer.size(), QMargins()))
{
    window->installEventFilter(this);
    m_window->setMinimumSize(minimumClientSizeFor(QMargins()));
    m_window->resize(m_clientSet);
    m_window->move(m_outer.topLeft());
}

bool OuterGeometryKeeper::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
        // A size set by the program's own code before the window shows wins over the stored one.
        if (watched == m_window && m_fittedFrame.isNull() && m_window->size() != m_clientSet)
            m_keepOuter = false;
        Q_FALLTHROUGH();
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::WinIdChange:
    case QEvent::Expose:
        if (!m_watchingHandle && m_window->windowHandle()) {
            // The native window reports its exposure, the first moment its frame can be known.
            m_window->windowHandle()->installEventFilter(this);
            m_watchingHandle = true;
        }
        fitToFrame();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void OuterGeometryKeeper::fitToFrame()
{
    const QWindow *handle = m_window->windowHandle();
    if (!handle || m_fitting || !m_window->isVisible() || m_window->windowState() != Qt::WindowNoState)
        return;
    const QMargins frame = handle->frameMargins();
    if (frame == m_fittedFrame)
        return;
    m_fitting = true;
    m_window->setMinimumSize(minimumClientSizeFor(frame));
    if (m_keepOuter) {
        // Once a frame has been fitted, a later change keeps the outer rectangle the window has then.
        if (!m_fittedFrame.isNull())
            m_outer = QRect(m_window->pos(), m_window->size().grownBy(m_fittedFrame));
        m_clientSet = clientSizeFor(m_outer.size(), frame);
        m_window->resize(m_clientSet);
        m_window->move(m_outer.topLeft());
    }
    m_fittedFrame = frame;
    m_fitting = false;
}

QRect openingOuterRectOnScreens(const OuterRect &stored)
{
    QRect workArea;
    QRect desktop;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        workArea = screen->availableGeometry();
    for (const QScreen *screen : QGuiApplication::screens())
        desktop |= screen->geometry();
    return openingOuterRect(stored, workArea, desktop);
}

OuterRect storedOuterRect(const SettingsFile &settings)
{
    return {settings.readInteger(SettingsKeys::Left, SettingsKeys::DefaultLeft),
            settings.readInteger(SettingsKeys::Top, SettingsKeys::DefaultTop),
            settings.readInteger(SettingsKeys::Width, SettingsKeys::DefaultWidth),
            settings.readInteger(SettingsKeys::Height, SettingsKeys::DefaultHeight)};
}
