#include "render/Colors.h"

#include "common/HexDigit.h"
#include "common/ReaderError.h"
#include "common/Texts.h"

namespace {

// One colour part: characters `from` and `from + 1`, fewer when the text ends sooner.
// The colours come only from feed tags, so a bad one is reported as a bad tag.
quint32 colorPart(const QString &colorText, qsizetype from)
{
    const QStringView piece = QStringView(colorText).mid(from, 2);
    if (piece.isEmpty())
        throw ReaderError(Texts::BadTag);
    quint32 value = 0;
    for (const QChar c : piece) {
        const int digit = hexDigitValue(c.unicode());
        if (digit < 0)
            throw ReaderError(Texts::BadTag);
        value = value * 16 + quint32(digit);
    }
    return value;
}

} // namespace

quint32 colorFromHex(const QString &colorText)
{
    const quint32 red = colorPart(colorText, 0);
    const quint32 green = colorPart(colorText, 2);
    const quint32 blue = colorPart(colorText, 4);
    return red + green * 256 + blue * 65536;
}
