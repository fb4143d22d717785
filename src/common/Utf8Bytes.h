#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <functional>

// Replaces the bytes of `bytes` by `text` in UTF-8, exactly as QString::toUtf8 writes it (no
// byte-order mark, "?" for a lone surrogate). A buffer that nothing else shares keeps its
// memory from one call to the next, so a page of many megabytes is written into memory that
// is already there instead of a fresh mapping whose every page faults in on first write.
void assignUtf8(QByteArray &bytes, QStringView text);

// The byte order mark a UTF-8 file may begin with.
inline constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF");

// assignUtf8, unless `bytes` holds the UTF-8 of `text` already: then nothing is written and it
// returns false. The text is compared piece by piece as it is encoded, without a second copy of
// the page; from the first piece that differs on, it is written in place, so a changed text
// costs no more than assignUtf8. `beforeWrite` runs once, before the first byte is written
// (to let go of other holders of the bytes, which would otherwise be copied).
bool assignChangedUtf8(QByteArray &bytes, QStringView text, const std::function<void()> &beforeWrite);
