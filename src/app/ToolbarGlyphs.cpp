#include "app/ToolbarGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>

namespace {

// Logical edge of a toolbar picture; the glyphs below are drawn in these units.
constexpr int GlyphSize = 28;

const QColor Background(0, 64, 128);
const QColor Ink(Qt::white);

// The shapes are filled outlines rather than font text, so the pictures look the same on
// every machine whatever fonts it has. Edges that can sit on whole pixels do, so the 1x
// pictures stay sharp.

void paintReload(QPainter &p)
{
    // An arrow pointing right, turned to point up and to the right.
    const QPolygonF arrow{{-11.0, -2.5}, {1.5, -2.5}, {1.5, -7.5}, {10.5, 0.0},
                          {1.5, 7.5},    {1.5, 2.5},  {-11.0, 2.5}};
    p.save();
    p.translate(14.0, 14.0);
    p.rotate(-45.0);
    p.drawPolygon(arrow);
    p.restore();
}

void paintEnterId(QPainter &p)
{
    p.drawRect(QRectF(6, 7, 3, 14)); // I

    // D: a stem with a half-ellipse bowl, hollowed by a smaller bowl of the same shape.
    QPainterPath d;
    d.setFillRule(Qt::OddEvenFill);
    d.moveTo(12, 7);
    d.lineTo(16, 7);
    d.arcTo(QRectF(10, 7, 12, 14), 90, -180);
    d.lineTo(12, 21);
    d.closeSubpath();
    d.moveTo(15, 10);
    d.lineTo(16, 10);
    d.arcTo(QRectF(13, 10, 6, 8), 90, -180);
    d.lineTo(15, 18);
    d.closeSubpath();
    p.drawPath(d);
}

void paintInformation(QPainter &p)
{
    // A serif lower-case i: the dot, a stem with a flag on its left and a foot.
    p.drawEllipse(QPointF(14.0, 7.5), 2.5, 2.5);
    p.drawRect(QRectF(12.5, 12, 3, 9));
    p.drawRect(QRectF(10, 12, 5.5, 2));
    p.drawRect(QRectF(10, 20, 8, 2));
}

void paintContacts(QPainter &p)
{
    // The handset: a grip with an ear piece and a mouth piece hanging from its ends.
    p.drawRoundedRect(QRectF(6, 4, 16, 4), 2, 2);
    p.drawRoundedRect(QRectF(3, 5.5, 7, 5.5), 2.5, 2.5);
    p.drawRoundedRect(QRectF(18, 5.5, 7, 5.5), 2.5, 2.5);

    // The body widens towards its base; a round-joined outline softens its corners.
    p.save();
    p.setPen(QPen(Ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(QPolygonF{{9, 14}, {19, 14}, {23.5, 23}, {4.5, 23}});
    p.restore();

    // The rotary dial: a dark disc with a ring of finger holes, open at the finger stop.
    const QPointF centre(14.0, 18.5);
    p.setBrush(Background);
    p.drawEllipse(centre, 4.4, 4.4);
    p.setBrush(Ink);
    p.drawEllipse(centre, 1.2, 1.2);
    constexpr int Holes = 8;
    for (int i = 0; i < Holes; ++i) {
        const double angle = (110.0 + i * 36.0) * std::numbers::pi / 180.0;
        p.drawEllipse(centre + QPointF(2.95 * std::cos(angle), -2.95 * std::sin(angle)), 0.8, 0.8);
    }
}

// A bold white Z on a rounded square of the toolbar's blue; drawn in a 256-unit square.
QPixmap iconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    p.setPen(Qt::NoPen);
    p.setBrush(Background);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
    p.setBrush(Ink);
    p.drawPolygon(QPolygonF{{64, 56},
                            {192, 56},
                            {192, 90},
                            {108, 166},
                            {192, 166},
                            {192, 200},
                            {64, 200},
                            {64, 166},
                            {148, 90},
                            {64, 90}});
    return pixmap;
}

} // namespace

QPixmap toolbarGlyph(ToolbarGlyph glyph, qreal devicePixelRatio)
{
    const int edge = qRound(GlyphSize * devicePixelRatio);
    QPixmap pixmap(edge, edge);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Background);

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    switch (glyph) {
    case ToolbarGlyph::Reload:
        paintReload(p);
        break;
    case ToolbarGlyph::EnterId:
        paintEnterId(p);
        break;
    case ToolbarGlyph::Information:
        paintInformation(p);
        break;
    case ToolbarGlyph::Contacts:
        paintContacts(p);
        break;
    }
    return pixmap;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(iconPixmap(size));
    return icon;
}
