// The conversions a news card makes from feed texts: the colour (colorFromHex), the whole
// number and the picture box size, each checked against a plain reference written here.
//
// Input: up to three texts separated by line feeds (UTF-8): spacing, width and height.
// Every text is also tried as a colour and as a whole number.

#include "FuzzCheck.h"

#include "common/ReaderError.h"
#include "common/WholeNumber.h"
#include "render/NewsCard.h"
#include "render/Colors.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace {

const std::string HexDigits = "0123456789abcdefABCDEF";

// The whole-number rule spelled out on ASCII text; nothing outside ASCII can be part of it.
std::optional<std::int32_t> referenceNumber(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
    }
    std::string s = text.toStdString();
    const std::size_t start = s.find_first_not_of(" \t");
    s = start == std::string::npos ? std::string() : s.substr(start);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.erase(0, 1);
    }
    bool hex = false;
    if (!s.empty() && (s[0] == '$' || s[0] == 'x' || s[0] == 'X')) {
        hex = true;
        s.erase(0, 1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        hex = true;
        s.erase(0, 2);
    }
    const std::string digits = hex ? HexDigits : "0123456789";
    if (s.empty() || s.find_first_not_of(digits) != std::string::npos)
        return std::nullopt;
    s.erase(0, qMin(s.find_first_not_of('0'), s.size() - 1)); // keep one digit of "000"
    if (hex) {
        if (s.size() > 8)
            return std::nullopt;
        const std::uint32_t bits = std::uint32_t(std::stoul(s, nullptr, 16));
        return std::int32_t(negative ? 0u - bits : bits);
    }
    if (s.size() > 10)
        return std::nullopt;
    const long long value = (negative ? -1 : 1) * std::stoll(s);
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return std::int32_t(value);
}

// "RRGGBB" read two characters a piece, fewer where the text ends; an empty piece or a
// character that is no hexadecimal digit fails.
std::optional<std::uint32_t> referenceColor(const QString &text)
{
    std::uint32_t color = 0;
    for (int part = 0; part < 3; ++part) {
        const QString piece = text.mid(part * 2, 2);
        if (piece.isEmpty())
            return std::nullopt;
        std::uint32_t value = 0;
        for (const QChar c : piece) {
            const std::size_t digit = c.unicode() > 0x7F ? std::string::npos
                                                         : HexDigits.find(char(c.unicode()));
            if (digit == std::string::npos)
                return std::nullopt;
            value = value * 16 + std::uint32_t(digit < 16 ? digit : digit - 6);
        }
        color |= value << (8 * part);
    }
    return color;
}

std::optional<std::uint32_t> actualColor(const QString &text)
{
    try {
        return colorFromHex(text);
    } catch (const ReaderError &) {
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QString> texts;
    for (const QByteArray &part : bytes.split('\n'))
        texts.append(QString::fromUtf8(part));
    while (texts.size() < 3)
        texts.append(QString());

    for (const QString &text : texts) {
        FUZZ_CHECK(parseWholeNumber(text) == referenceNumber(text));
        FUZZ_CHECK(actualColor(text) == referenceColor(text));
    }

    const auto spacing = referenceNumber(texts[0]);
    const auto width = referenceNumber(texts[1]);
    const auto height = referenceNumber(texts[2]);
    QSize expected(110, 110);
    if (spacing && width && height) {
        // The sums wrap like the 32-bit numbers they are.
        expected = QSize(std::int32_t(std::uint32_t(*spacing) + std::uint32_t(*width)),
                         std::int32_t(std::uint32_t(*spacing) + std::uint32_t(*height)));
    }
    FUZZ_CHECK(pictureBoxSize(texts[0], texts[1], texts[2]) == expected);
    return 0;
}
