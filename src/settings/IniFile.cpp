#include "settings/IniFile.h"

#include "common/AtomicSave.h"
#include "common/Utf8Bytes.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringView>

#include <utility>

namespace {

#ifdef Q_OS_WIN
const QByteArray NewFileLineEnd = QByteArrayLiteral("\r\n");
#else
const QByteArray NewFileLineEnd = QByteArrayLiteral("\n");
#endif

using Line = IniText::Line;

// CR LF, LF and a lone CR (old Mac files) each end a line.
QList<Line> splitLines(const QByteArray &bytes)
{
    QList<Line> lines;
    qsizetype start = bytes.startsWith(Utf8Bom) ? Utf8Bom.size() : 0;
    const qsizetype size = bytes.size();
    while (start < size) {
        qsizetype textEnd = start;
        while (textEnd < size && bytes.at(textEnd) != '\n' && bytes.at(textEnd) != '\r')
            ++textEnd;
        qsizetype next = textEnd;
        if (next < size)
            next += bytes.at(next) == '\r' && next + 1 < size && bytes.at(next + 1) == '\n' ? 2 : 1;
        lines.append({bytes.mid(start, textEnd - start), bytes.mid(textEnd, next - textEnd)});
        start = next;
    }
    return lines;
}

// A value goes on one line: each line break (CR LF counted once) becomes a blank, so no
// value can start a key or a section of its own.
QByteArray oneLine(const QString &text)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    flat.replace(u'\r', u' ');
    flat.replace(u'\n', u' ');
    return flat.toUtf8();
}

QByteArray joinLines(const QList<Line> &lines)
{
    QByteArray bytes;
    for (const Line &line : lines)
        bytes += line.text + line.end;
    return bytes;
}

// Blanks as hand-edited INI files have them around keys and values.
QStringView trimBlanks(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && (text[first] == u' ' || text[first] == u'\t'))
        ++first;
    while (last > first && (text[last - 1] == u' ' || text[last - 1] == u'\t'))
        --last;
    return text.sliced(first, last - first);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The text of a line without the blanks it starts with.
QByteArrayView afterLeadingBlanks(QByteArrayView text)
{
    qsizetype first = 0;
    while (first < text.size() && (text[first] == ' ' || text[first] == '\t'))
        ++first;
    return text.sliced(first);
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<QString> sectionName(const Line &line)
{
    // Most lines are keys: no need to decode a line whose first non-blank byte is no "[".
    if (!afterLeadingBlanks(line.text).startsWith('['))
        return std::nullopt;
    const QString decoded = QString::fromUtf8(line.text);
    const QStringView text = trimBlanks(decoded);
    if (!text.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = text.lastIndexOf(u']');
    if (close < 0)
        return std::nullopt;
    return trimBlanks(text.sliced(1, close - 1)).toString();
}

// Key and value of a "key=value" line, or nothing for any other line.
std::optional<std::pair<QString, QString>> keyLine(const Line &line)
{
    // No byte of a multi-byte UTF-8 character is "=": a line without one holds no key.
    if (!line.text.contains('='))
        return std::nullopt;
    const QString decoded = QString::fromUtf8(line.text);
    const qsizetype equals = decoded.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    const QStringView view(decoded);
    return std::pair{trimBlanks(view.first(equals)).toString(),
                     trimBlanks(view.sliced(equals + 1)).toString()};
}

// The key of a "key=value" line, or nothing for any other line. Only the bytes before the
// "=" are decoded: finding a key looks at every line of its section.
std::optional<QString> keyOf(const Line &line)
{
    const qsizetype equals = line.text.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return trimBlanks(QString::fromUtf8(QByteArrayView(line.text).first(equals))).toString();
}

struct Found
{
    qsizetype section = -1;     // the section's header line
    qsizetype lastContent = -1; // its last non-blank line, where a new key goes after
    qsizetype key = -1;         // the key's line within it
};

Found find(const QList<Line> &lines, const QString &section, const QString &key)
{
    Found found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i])) {
            if (found.section >= 0)
                break; // only the first section of that name counts
            if (sameName(*name, section))
                found.section = found.lastContent = i;
            continue;
        }
        if (found.section < 0)
            continue;
        if (!afterLeadingBlanks(lines[i].text).isEmpty())
            found.lastContent = i;
        if (const auto name = keyOf(lines[i]); name && sameName(*name, key)) {
            found.key = i;
            break;
        }
    }
    return found;
}

QByteArray lineEndOf(const QList<Line> &lines)
{
    for (const Line &line : lines) {
        if (!line.end.isEmpty())
            return line.end;
    }
    return NewFileLineEnd;
}

void putValue(QList<Line> &lines, const QString &section, const QString &key, const QString &text)
{
    const Found found = find(lines, section, key);

    if (found.key >= 0) {
        // The key keeps the spelling it has in the file; its old line end stays too.
        lines[found.key].text = keyLine(lines[found.key])->first.toUtf8() + '=' + oneLine(text);
        return;
    }
    const qsizetype after = found.section >= 0 ? found.lastContent : lines.size() - 1;
    // New lines end as the line they follow did: with another end, a lone CR put before
    // a line that starts with LF would join the two into one CR LF and swallow that line.
    const QByteArray end = after >= 0 && !lines[after].end.isEmpty() ? lines[after].end
                                                                      : lineEndOf(lines);
    QList<Line> added;
    if (found.section < 0)
        added.append({'[' + oneLine(section) + ']', end});
    added.append({oneLine(key) + '=' + oneLine(text), end});

    if (after >= 0 && lines[after].end.isEmpty())
        lines[after].end = end;
    for (qsizetype i = 0; i < added.size(); ++i)
        lines.insert(after + 1 + i, added[i]);
}

} // namespace

IniText::IniText(const QByteArray &bytes)
    : m_lines(splitLines(bytes))
{
}

QByteArray IniText::bytes() const
{
    QByteArray bytes = joinLines(m_lines);
    // The byte order mark is not written. But a first line that starts with those very bytes
    // (a file with the mark twice) keeps the mark before it: without it, its bytes would become
    // the mark, and the line would read otherwise.
    if (bytes.startsWith(Utf8Bom))
        bytes.prepend(Utf8Bom);
    return bytes;
}

std::optional<QString> IniText::value(const QString &section, const QString &key) const
{
    const Found found = find(m_lines, section, key);
    if (found.key < 0)
        return std::nullopt;
    return keyLine(m_lines[found.key])->second;
}

void IniText::setValues(const QString &section, const QList<std::pair<QString, QString>> &values)
{
    for (const auto &[key, text] : values)
        putValue(m_lines, section, key, text);
}

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

IoResult<QByteArray> IniFile::readAll() const
{
    QFile file(m_path);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return ioError(m_path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return ioError(m_path, file.errorString());
    return bytes;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    // A file that cannot be read holds no value: its keys read as missing, as the reader's
    // defaults are meant for.
    const auto bytes = readAll();
    if (!bytes)
        return std::nullopt;
    return IniText(bytes.value()).value(section, key);
}

IoResult<> IniFile::setValue(const QString &section, const QString &key, const QString &text)
{
    return setValues(section, {{key, text}});
}

IoResult<> IniFile::setValues(const QString &section, const QList<std::pair<QString, QString>> &values)
{
    // A file that exists but cannot be read must not be replaced by one holding these keys only.
    const auto bytes = readAll();
    if (!bytes)
        return IoError{bytes.error()};

    IniText text(bytes.value());
    text.setValues(section, values);
    const QByteArray updated = text.bytes();
    // A file that already reads so is on disk as it is: rewriting it would change nothing.
    if (updated == bytes.value() && QFileInfo(m_path).isFile())
        return {};
    return saveFileAtomically(m_path, updated);
}
