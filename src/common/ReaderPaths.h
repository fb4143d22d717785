#pragma once

#include <QString>

// Where the reader keeps its files: everything lies beside the executable.
class ReaderPaths
{
public:
    // `folder` is the executable's folder; a trailing separator is added when missing.
    explicit ReaderPaths(const QString &folder);

    // The running executable's folder.
    static ReaderPaths besideExecutable();

    const QString &exeFolder() const { return m_folder; }  // with its trailing "/"
    QString workFolder() const;    // "tmp", where the temporary feed files live
    QString offlineCopy() const;   // the last good feed
    QString settingsFile() const;  // "Settings.ini"
    QString pictureCache() const;  // "pictures", the cards' pictures kept for the offline page

private:
    QString m_folder;
};
