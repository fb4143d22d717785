#pragma once

#include <QString>

#include <functional>

// Where the reader keeps its files: Settings.ini, Offline_ZeltonReader.xml and tmp/ lie
// together in one folder, beside the executable for a portable copy, otherwise in the
// user's data folder.
class ReaderPaths
{
public:
    // `folder` is the files folder; a trailing separator is added when missing.
    explicit ReaderPaths(const QString &folder);

    // Tells whether the program may create files in a folder.
    using CanWrite = std::function<bool(const QString &folder)>;

    // The executable's folder when files can be written there, else `userDataFolder`.
    static ReaderPaths choose(const QString &executableFolder, const QString &userDataFolder,
                              const CanWrite &canWrite = holdsPortableCopy);
    // The choice for this process, made once at start-up: its executable's folder or
    // QStandardPaths' AppDataLocation (the application name must be set first). The user's
    // folder is created when it is chosen.
    static ReaderPaths forThisProgram();
    // The running executable's folder, whether or not it can be written.
    static ReaderPaths besideExecutable();

    // A folder the system's packages install programs into (under /usr, /opt, /bin on
    // Unix): never a portable copy, even for root who could write there.
    static bool isSystemFolder(const QString &folder);
    // Not a system folder, and files can be made there.
    static bool holdsPortableCopy(const QString &folder);

    // Tries to create (and removes) a file in the folder: unlike the permission bits,
    // this also tells the truth on read-only mounts and for root.
    static bool folderIsWritable(const QString &folder);

    const QString &folder() const { return m_folder; }     // the files folder, with its trailing "/"
    QString workFolder() const;    // "tmp", where the temporary feed files live
    QString offlineCopy() const;   // the last good feed
    QString settingsFile() const;  // "Settings.ini"
    QString pictureCache() const;
    QString seenNewsFile() const;  // "SeenNews.txt", the news items the user has been shown  // "pictures", the cards' pictures kept for the offline page

private:
    QString m_folder;
};
