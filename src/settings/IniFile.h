#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

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
    // The file is replaced in one step and is on disk when this returns true; on false
    // the old file is left untouched.
    bool setValue(const QString &section, const QString &key, const QString &text);
    // Several keys of one section in one replacement of the file, as setValue stores each.
    // A file that would come out byte for byte as it is stays untouched (and true is returned).
    bool setValues(const QString &section, const QList<std::pair<QString, QString>> &values);

private:
    // The file's bytes: empty for a missing file, nothing when it exists but cannot be read.
    std::optional<QByteArray> readAll() const;

    QString m_path;
};
