#include "common/Utf8Bytes.h"

#include <QStringEncoder>

#include <cstring>

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

} // namespace

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
