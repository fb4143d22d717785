#include "common/Utf8Bytes.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Whether the UTF-8 of U+FFFD (EF BF BD) occurs. EF leads only characters from U+F000 up,
// rare in a page, so looking for that byte alone skips nearly everything.
bool holdsReplacementCharacter(const QByteArray &bytes)
{
    const char *at = bytes.constData();
    const char *const end = at + bytes.size();
    while (const void *found = std::memchr(at, 0xEF, std::size_t(end - at))) {
        at = static_cast<const char *>(found);
        if (end - at >= 3 && uchar(at[1]) == 0xBF && uchar(at[2]) == 0xBD)
            return true;
        ++at;
    }
    return false;
}

// The UTF-16 units compared at a time: small enough for their UTF-8 to stay in the cache.
constexpr qsizetype ComparedUnits = 8192;

// The units of the next piece from `from`: never ends between the halves of a surrogate pair,
// so each piece is encoded as it would be within the whole text.
qsizetype pieceLength(QStringView text, qsizetype from)
{
    qsizetype length = std::min(ComparedUnits, text.size() - from);
    if (from + length < text.size() && text[from + length - 1].isHighSurrogate())
        --length;
    return length;
}

} // namespace

bool assignChangedUtf8(QByteArray &bytes, QStringView text, const std::function<void()> &beforeWrite)
{
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    char piece[3 * ComparedUnits];
    qsizetype units = 0;  // compared and equal so far
    qsizetype equalBytes = 0;
    while (units < text.size()) {
        const QStringView next = text.sliced(units, pieceLength(text, units));
        const qsizetype length = encoder.appendToBuffer(piece, next) - piece;
        if (bytes.size() - equalBytes < length || std::memcmp(bytes.constData() + equalBytes, piece, std::size_t(length)) != 0)
            break;
        units += next.size();
        equalBytes += length;
    }
    if (units == text.size() && equalBytes == bytes.size() && !holdsReplacementCharacter(bytes))
        return false;

    beforeWrite();
    const QStringView rest = text.sliced(units);
    const qsizetype size = equalBytes + encoder.requiredSpace(rest.size());
    if (!bytes.isDetached()) {
        // Someone still holds the old bytes: the equal start goes into memory of its own.
        QByteArray own(size, Qt::Uninitialized);
        std::memcpy(own.data(), bytes.constData(), std::size_t(equalBytes));
        bytes = std::move(own);
    } else {
        bytes.resize(size);
    }
    char *const start = bytes.data();
    bytes.resize(encoder.appendToBuffer(start + equalBytes, rest) - start);
    if (holdsReplacementCharacter(bytes))
        bytes = text.toUtf8();
    return true;
}

void assignUtf8(QByteArray &bytes, QStringView text)
{
    // Shared bytes would be copied on the way, only to be overwritten.
    if (!bytes.isDetached())
        bytes = QByteArray();
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    bytes.resize(encoder.requiredSpace(text.size()));
    char *const start = bytes.data();
    bytes.resize(encoder.appendToBuffer(start, text) - start);
    // The encoder writes U+FFFD for a lone surrogate where toUtf8 writes "?". Its bytes can
    // only come from such a surrogate or from a U+FFFD of the text, so the rare text that
    // shows them is converted the library's way.
    if (holdsReplacementCharacter(bytes))
        bytes = text.toUtf8();
}
