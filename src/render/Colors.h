#pragma once

#include <QColor>
#include <QString>

// "RRGGBB" (one or two hexadecimal digits a piece, characters after the sixth ignored) as a
// window colour value: red in bits 0-7, green in 8-15, blue in 16-23.
// Throws ReaderError on a text it cannot convert.
quint32 colorFromHex(const QString &colorText);

// A window colour value as a QColor.
inline QColor toQColor(quint32 tcolor)
{
    return QColor(int(tcolor & 0xFF), int((tcolor >> 8) & 0xFF), int((tcolor >> 16) & 0xFF));
}
