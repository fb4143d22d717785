#pragma once

#include <QList>
#include <QString>

#include <utility>

// The reader's settings: one section of an INI file beside the executable.
// Nothing is cached: every read looks at the file, and every write has replaced the
// file on disk before it returns (or found it holding the values already).
class SettingsFile
{
public:
    explicit SettingsFile(QString path);

    const QString &path() const { return m_path; }

    // The key's text; `fallback` when the key is missing. A key present with an empty
    // value reads as the empty text. At most 2047 characters are returned.
    QString readString(const QString &key, const QString &fallback) const;
    // A line break in `value` is stored as a blank (see IniFile::setValue).
    // Throws ReaderError("Unable to write to <path>") when the file cannot be written.
    void writeString(const QString &key, const QString &value);
    // Several keys in one replacement of the file; a file that already holds these values
    // is not written at all. Throws like writeString.
    void writeStrings(const QList<std::pair<QString, QString>> &values);

    // Decimal, or hexadecimal behind "$", "x" or "0x"; anything else gives `fallback`.
    int readInteger(const QString &key, int fallback) const;
    void writeInteger(const QString &key, int value);

    // What readString gives for a value as the file holds it: cut to 2047 characters, never
    // inside a character that needs two UTF-16 units.
    static QString asRead(const QString &stored);

private:
    QString m_path;
};
