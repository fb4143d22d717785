#pragma once

#include "common/IoResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

// A file replaced in one step: the new content is written to a copy beside the file, synced
// to disk, then renamed over it, so a crash at any moment leaves the old file or the new one,
// whole. The copy's name is one only the reader makes, ".<name>.zr-save-" and six letters or
// digits, hidden and marked as ours, so that start-up can remove copies that an ended process
// left without ever touching a file of the user's such as "Settings.ini.backup".
//
// The copy gets the file's permissions (a new file gets the usual ones, the umask applied).
// A link is followed: the file it leads to is replaced, the link stays.
class AtomicSaveFile
{
public:
    explicit AtomicSaveFile(const QString &path);
    // A copy that was not committed is removed; the file stays as it was.
    ~AtomicSaveFile();
    AtomicSaveFile(const AtomicSaveFile &) = delete;
    AtomicSaveFile &operator=(const AtomicSaveFile &) = delete;

    // Creates the copy; fails when it cannot be made, or the file exists and is read-only.
    IoResult<> open();
    // Once a write failed, every later one fails too and commit() puts nothing in place.
    IoResult<> write(QByteArrayView bytes);
    // Puts the copy in place of the file. Fails when anything was not written, or the copy
    // could not be synced or renamed: the file is then untouched and the copy is gone.
    IoResult<> commit();
    // Throws the copy away.
    void cancel();

    // The copy being written; empty before open() and after commit() or cancel().
    QString copyPath() const { return m_copy.isOpen() ? m_copy.fileName() : QString(); }

private:
    QString m_target;
    QFile m_copy;
    QString m_writeError;  // the first write's failure; empty while every write succeeded
};

// Replaces the file at `path` by `bytes` in one step, through AtomicSaveFile.
IoResult<> saveFileAtomically(const QString &path, const QByteArray &bytes);

// Copies the file at `source` over `target` in one step, through AtomicSaveFile: `target` is
// the old file or a whole copy, never a part. On failure `target` is untouched.
IoResult<> copyFileAtomically(const QString &source, const QString &target);

// A fresh name for a copy of the file at `path`, beside it: ".<name>.zr-save-XXXXXX" with six
// random letters or digits. Nothing is created; a caller that finds the name taken asks again.
QString saveCopyPath(const QString &path);

// Whether `fileName` is the name of a copy that saves of the file named `targetName` make.
bool isSaveCopyName(const QString &fileName, const QString &targetName);

// Removes the copies that interrupted saves of `path` left beside it: plain files named as
// saveCopyPath names them, nothing else. A save is only ever interrupted by the end of the
// process, so at start-up every such copy is stale. Returns how many went.
int removeStaleSaveCopies(const QString &path);

// The same for every file of a folder that only the reader writes in (the picture cache, the
// temporary feed files): removes each copy of a save of any file there, and nothing else.
int removeStaleSaveCopiesIn(const QString &folder);
