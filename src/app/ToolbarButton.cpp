#include "app/ToolbarButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

namespace {

// Drawn inside the picture, whose edge is always the glyphs' dark blue, so the ring shows
// whatever colour the feed gives the toolbar.
const QColor FocusRing(255, 196, 0);
constexpr int FocusRingWidth = 2;

} // namespace

ToolbarButton::ToolbarButton(const QPixmap &pixmap, const QString &hint, QWidget *parent)
    : QAbstractButton(parent)
    , m_pixmap(pixmap)
{
    setToolTip(hint);
    setAccessibleName(hint);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

QSize ToolbarButton::sizeHint() const
{
    return m_pixmap.deviceIndependentSize().toSize();
}

void ToolbarButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Held down, the glyph is drawn into the area one pixel in from the top left, aligned as
    // before: it moves right by a pixel and loses its top row, the pressed look users know.
    const QRect area = isDown() ? rect().adjusted(1, 1, 0, 0) : rect();
    style()->drawItemPixmap(&painter, area, Qt::AlignLeft | Qt::AlignVCenter, m_pixmap);
    if (hasFocus()) {
        painter.setPen(QPen(FocusRing, FocusRingWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        const qreal inset = FocusRingWidth / 2.0;
        painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }
}

void ToolbarButton::keyPressEvent(QKeyEvent *event)
{
    // Space is the button's own key; Enter runs the command as well, as on a push button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        event->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void ToolbarButton::mouseMoveEvent(QMouseEvent *event)
{
    // The glyph stays down while the button is held, even off the picture; letting go there
    // runs nothing.
    event->accept();
}
