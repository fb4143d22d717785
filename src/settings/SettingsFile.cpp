#include "settings/SettingsFile.h"

#include "common/ReaderError.h"
#include "common/Texts.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

#include <QDir>
#include <QFileInfo>

#include <cstdint>
#include <utility>

namespace {

// Values have always been read back at most this long; longer ones are cut.
constexpr qsizetype MaxValueLength = 2047;

int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return c - u'A' + 10;
}

std::optional<int> hexValue(QStringView digits)
{
    while (digits.startsWith(u'0'))
        digits = digits.sliced(1);
    if (digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (const QChar c : digits)
        value = value * 16 + static_cast<std::uint32_t>(hexDigitValue(c.unicode()));
    // Eight digits are a 32-bit pattern, so "FFFFFFFF" is -1.
    return static_cast<int>(value);
}

std::optional<int> decimalValue(QStringView digits, bool negative)
{
    constexpr std::int64_t limit = std::int64_t(INT32_MAX) + 1;
    std::int64_t value = 0;
    for (const QChar c : digits) {
        value = value * 10 + (c.unicode() - u'0');
        if (value > limit)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

// True for a non-empty text made only of accepted characters.
bool allOf(QStringView text, bool (*accept)(char16_t))
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!accept(c.unicode()))
            return false;
    }
    return true;
}

bool isDecimalDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(char16_t c)
{
    return isDecimalDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

std::optional<int> parseSettingsInteger(const QString &text)
{
    QStringView rest(text);
    while (rest.startsWith(u' ') || rest.startsWith(u'\t'))
        rest = rest.sliced(1);

    bool negative = false;
    if (rest.startsWith(u'+') || rest.startsWith(u'-')) {
        negative = rest.front() == u'-';
        rest = rest.sliced(1);
    }

    qsizetype prefix = 0;
    if (rest.startsWith(u'$') || rest.startsWith(u'x', Qt::CaseInsensitive))
        prefix = 1;
    else if (rest.startsWith(u"0x", Qt::CaseInsensitive))
        prefix = 2;

    if (prefix > 0) {
        const QStringView digits = rest.sliced(prefix);
        if (!allOf(digits, isHexDigit))
            return std::nullopt;
        const auto value = hexValue(digits);
        if (!value)
            return std::nullopt;
        // Negating in unsigned arithmetic keeps "-$80000000" defined: it stays the lowest value.
        return negative ? static_cast<int>(0u - static_cast<std::uint32_t>(*value)) : *value;
    }

    if (!allOf(rest, isDecimalDigit))
        return std::nullopt;
    return decimalValue(rest, negative);
}

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{
}

QString SettingsFile::ReadString(const QString &key, const QString &fallback) const
{
    const auto value = IniFile(m_path).value(SettingsKeys::Section, key);
    if (!value)
        return fallback;
    qsizetype length = qMin(value->size(), MaxValueLength);
    // Never leave half of a character that needs two UTF-16 units.
    if (length < value->size() && length > 0 && value->at(length - 1).isHighSurrogate())
        --length;
    return value->first(length);
}

void SettingsFile::WriteString(const QString &key, const QString &value)
{
    if (!IniFile(m_path).setValue(SettingsKeys::Section, key, value)) {
        const QString fullPath = QDir::toNativeSeparators(QFileInfo(m_path).absoluteFilePath());
        throw ReaderError(Texts::unableToWrite(fullPath));
    }
}

int SettingsFile::ReadInteger(const QString &key, int fallback) const
{
    return parseSettingsInteger(ReadString(key, QString())).value_or(fallback);
}

void SettingsFile::WriteInteger(const QString &key, int value)
{
    WriteString(key, QString::number(value));
}
