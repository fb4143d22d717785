#pragma once

#include "common/IoResult.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The INI text of a settings file, held in memory and split into lines once. IniFile is this
// layer on a file on disk; both follow the rules below.
class IniText
{
public:
    // One line as it was read, its end kept apart so that an untouched line is written back
    // with exactly the bytes it came with.
    struct Line
    {
        QByteArray text;
        QByteArray end; // "\r\n", "\n", "\r", or empty for a last line without one
    };

    explicit IniText(const QByteArray &bytes = {});

    // The text as it is written: every line with its end. A UTF-8 byte order mark at the
    // start is not kept, unless the first line itself starts with one.
    QByteArray bytes() const;

    // The value of `key` in the first section named `section`; nothing when the section or
    // the key is missing.
    std::optional<QString> value(const QString &section, const QString &key) const;

    // Stores each text as written, but on one line: each line break (CR LF, LF or CR) becomes
    // a blank. Adds the key or the section when missing.
    void setValues(const QString &section, const QList<std::pair<QString, QString>> &values);

private:
    QList<Line> m_lines;
};

// A plain INI file read and written by ourselves rather than through QSettings, which
// would split "a, b" into a list and escape what it writes, so texts would not come back
// as the user or the program put them there.
//
// Sections and keys are matched ignoring letter case, blanks around a key and its value
// are dropped when reading, CR LF, LF and a lone CR each end a line, and every line a
// write does not touch stays byte for byte as it was, its line end included. Nothing is
// held in memory between calls.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    // The value of `key` in the first section named `section`; nothing when the file,
    // the section or the key is missing or the file cannot be read.
    std::optional<QString> value(const QString &section, const QString &key) const;

    // Stores `text` as written, but on one line: each line break (CR LF, LF or CR) becomes
    // a blank. Adds the key, the section or the file when missing.
    // The file is replaced in one step and is on disk when this succeeds; on failure the old
    // file is left untouched.
    IoResult<> setValue(const QString &section, const QString &key, const QString &text);
    // Several keys of one section in one replacement of the file, as setValue stores each.
    // A file that would come out byte for byte as it is stays untouched (and that succeeds).
    IoResult<> setValues(const QString &section, const QList<std::pair<QString, QString>> &values);

private:
    // The file's bytes: empty for a missing file; fails when it exists but cannot be read.
    IoResult<QByteArray> readAll() const;

    QString m_path;
};
