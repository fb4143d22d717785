#include "common/WholeNumber.h"

#include "common/HexDigit.h"

#include <cstdint>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (base == 10)
        return u >= u'0' && u <= u'9' ? u - u'0' : -1;
    return hexDigitValue(u);
}

} // namespace

std::optional<int> parseWholeNumber(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);

    bool negative = false;
    if (text.startsWith(u'+') || text.startsWith(u'-')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }

    int base = 10;
    if (text.startsWith(u'$') || text.startsWith(u'x', Qt::CaseInsensitive)) {
        base = 16;
        text = text.sliced(1);
    } else if (text.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        text = text.sliced(2);
    }
    if (text.isEmpty())
        return std::nullopt;

    // Leading zeros never overflow, so a limit on the value is a limit on the significant
    // digits: eight for hexadecimal, the signed range for decimal.
    const std::uint64_t limit = base == 16 ? std::uint64_t(UINT32_MAX)
                                           : std::uint64_t(INT32_MAX) + (negative ? 1 : 0);
    std::uint64_t value = 0;
    for (const QChar c : text) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * std::uint64_t(base) + std::uint64_t(digit);
        if (value > limit)
            return std::nullopt;
    }
    // Negating in unsigned arithmetic keeps "-$80000000" defined: it stays the lowest value.
    const std::uint32_t bits = negative ? 0u - std::uint32_t(value) : std::uint32_t(value);
    return static_cast<int>(static_cast<std::int32_t>(bits));
}
