#include "app/ToolbarPicture.h"

#include <QMouseEvent>

ToolbarPicture::ToolbarPicture(const QPixmap &pixmap, const QString &hint, QWidget *parent)
    : QLabel(parent)
{
    setPixmap(pixmap);
    setToolTip(hint);
    setAccessibleName(hint);
    setCursor(Qt::PointingHandCursor);
}

void ToolbarPicture::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    // The glyph sinks by a pixel while the button is held, like a pressed button.
    if (m_pressed)
        setContentsMargins(1, 1, 0, 0);
    event->accept();
}

void ToolbarPicture::mouseReleaseEvent(QMouseEvent *event)
{
    // A click counts when the button is let go over the picture, as with any button.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    setContentsMargins(0, 0, 0, 0);
    event->accept();
    if (click)
        emit clicked();
}
