#include "app/WindowGeometry.h"

QPoint clampToWorkArea(const QRect &window, const QRect &workArea)
{
    const int areaRight = workArea.x() + workArea.width();
    const int areaBottom = workArea.y() + workArea.height();
    int left = window.x();
    int top = window.y();
    if (left < workArea.x())
        left = workArea.x();
    if (top < workArea.y())
        top = workArea.y();
    if (left + window.width() > areaRight)
        left = areaRight - window.width();
    if (top + window.height() > areaBottom)
        top = areaBottom - window.height();
    if (left < 0)
        left = 0;
    if (top < 0)
        top = 0;
    return {left, top};
}
