#pragma once

#include <QStringView>

#include <optional>

// A whole-number text as the settings file and the feed write it: leading blanks (spaces or
// tabs), an optional "+" or "-", then decimal digits only, or a "$", "x" or "0x" prefix (any
// letter case) with hexadecimal digits only; nothing after. A decimal value must fit a signed
// 32-bit number; a hexadecimal one may have at most eight significant digits and gives the
// 32-bit pattern, so "$FFFFFFFF" is -1. Anything else gives nothing.
std::optional<int> parseWholeNumber(QStringView text);
