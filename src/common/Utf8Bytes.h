#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// Replaces the bytes of `bytes` by `text` in UTF-8, exactly as QString::toUtf8 writes it (no
// byte-order mark, "?" for a lone surrogate). A buffer that nothing else shares keeps its
// memory from one call to the next, so a page of many megabytes is written into memory that
// is already there instead of a fresh mapping whose every page faults in on first write.
void assignUtf8(QByteArray &bytes, QStringView text);

// The byte order mark a UTF-8 file may begin with.
inline constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF");
