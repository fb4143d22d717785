// The settings file's text as any bytes: every key is read as text and as a whole number,
// one key is written, and then the written value must come back while every other line of
// the text stays as it was, byte for byte. So no write can add or remove another key.
// The INI layer works on the bytes in memory, as the settings file uses it on the file's
// bytes; reading and replacing the file itself is left to the settings tests, so a run
// costs no file system calls.
//
// Input: one byte choosing the key, one byte giving the value's length n, n bytes of value
// (UTF-8), then the bytes of Settings.ini.

#include "FuzzCheck.h"

#include "common/WholeNumber.h"
#include "settings/IniFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"

#include <QList>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

const QList<QString> Keys{SettingsKeys::Id,    SettingsKeys::Left,  SettingsKeys::Top,
                          SettingsKeys::Width, SettingsKeys::Height, SettingsKeys::Group,
                          SettingsKeys::FontSize, SettingsKeys::Style};

// A line as the reference reads it: its text and the end it had.
struct Line
{
    QByteArray text;
    QByteArray end;
    bool operator==(const Line &) const = default;
};

// Written apart from the settings layer on purpose: CR LF, LF or CR each end a line.
QList<Line> linesOf(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QList<Line> lines;
    Line current;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            current.end = "\r\n";
            ++i;
        } else if (c == '\r' || c == '\n') {
            current.end = QByteArray(1, c);
        } else {
            current.text += c;
            continue;
        }
        lines.append(current);
        current = {};
    }
    if (!current.text.isEmpty())
        lines.append(current);
    return lines;
}

QString withoutBlanksAround(QString text)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove(0, 1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}

// What a read of the written value must give back.
QString expectedReadBack(const QString &written)
{
    QString flat = written;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    flat = withoutBlanksAround(flat);
    qsizetype length = qMin<qsizetype>(flat.size(), 2047);
    if (length < flat.size() && length > 0 && flat.at(length - 1).isHighSurrogate())
        --length;
    return flat.first(length);
}

// A line "key=..." for this key, blanks around the key allowed, any letter case.
bool isLineOfKey(const Line &line, const QString &key)
{
    const QString text = QString::fromUtf8(line.text);
    const qsizetype equals = text.indexOf(u'=');
    return equals >= 0 && withoutBlanksAround(text.first(equals)).compare(key, Qt::CaseInsensitive) == 0;
}

// The write changed exactly one line (the key's, same end) or inserted the key's line, or
// the section's header and the key's line, with nothing else touched except a line end
// given to a last line that had none.
void checkOnlyTheKeyChanged(const QList<Line> &before, const QList<Line> &after, const QString &key)
{
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix
           && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;

    const qsizetype removed = before.size() - prefix - suffix;
    const qsizetype added = after.size() - prefix - suffix;
    if (removed == 0 && added == 0)
        return; // the key's line written again as it was

    if (removed == 1 && added == 1) {
        // The key's line rewritten in place: same key, same end.
        FUZZ_CHECK(isLineOfKey(before[prefix], key));
        FUZZ_CHECK(isLineOfKey(after[prefix], key));
        FUZZ_CHECK(before[prefix].end == after[prefix].end);
        return;
    }

    // Otherwise lines were only inserted. A last line without an end shows up as "removed"
    // and comes back with an end, just before the inserted ones.
    qsizetype at = prefix;
    if (removed == 1) {
        FUZZ_CHECK(before[prefix].end.isEmpty());
        FUZZ_CHECK(after[prefix].text == before[prefix].text);
        FUZZ_CHECK(!after[prefix].end.isEmpty());
        ++at;
        FUZZ_CHECK(added == 2 || added == 3);
    } else {
        FUZZ_CHECK(removed == 0);
        FUZZ_CHECK(added == 1 || added == 2);
    }
    const qsizetype inserted = after.size() - suffix - at;
    if (inserted == 2)
        FUZZ_CHECK(after[at].text == "[" + SettingsKeys::Section.toUtf8() + "]");
    FUZZ_CHECK(inserted == 1 || inserted == 2);
    FUZZ_CHECK(after[after.size() - suffix - 1].text.startsWith(key.toUtf8() + '='));
    for (qsizetype i = at; i < after.size() - suffix; ++i)
        FUZZ_CHECK(!after[i].end.isEmpty());
}

// A key as SettingsFile::readString reads it from these bytes.
QString readString(const IniText &text, const QString &key, const QString &fallback)
{
    const std::optional<QString> stored = text.value(SettingsKeys::Section, key);
    return stored ? SettingsFile::asRead(*stored) : fallback;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const QString &key = Keys[data[0] % Keys.size()];
    const std::size_t valueLength = qMin<std::size_t>(data[1], size - 2);
    const QString value = QString::fromUtf8(reinterpret_cast<const char *>(data + 2), qsizetype(valueLength));
    const QByteArray before(reinterpret_cast<const char *>(data + 2 + valueLength),
                            qsizetype(size - 2 - valueLength));

    IniText text(before);
    const QString missing = QStringLiteral("\x01missing");
    QList<QString> textsBefore;
    for (const QString &other : Keys) {
        const QString read = readString(text, other, missing);
        FUZZ_CHECK(read.size() <= 2047);
        FUZZ_CHECK(!read.contains(u'\r') && !read.contains(u'\n'));
        // As readInteger reads it; a number read must read the same once written back.
        if (const std::optional<int> number = parseWholeNumber(read == missing ? QString() : read))
            FUZZ_CHECK(parseWholeNumber(QString::number(*number)) == number);
        textsBefore.append(read);
    }

    text.setValues(SettingsKeys::Section, {{key, value}});

    FUZZ_CHECK(readString(text, key, missing) == expectedReadBack(value));
    for (qsizetype i = 0; i < Keys.size(); ++i) {
        if (Keys[i] != key)
            FUZZ_CHECK(readString(text, Keys[i], missing) == textsBefore[i]);
    }
    checkOnlyTheKeyChanged(linesOf(before), linesOf(text.bytes()), key);
    return 0;
}
