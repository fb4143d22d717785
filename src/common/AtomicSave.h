#pragma once

#include <QByteArray>
#include <QString>

class QSaveFile;

// Puts a QSaveFile's content in place of its target. commit() of Qt 6.4 ignores a failed
// flush of its buffer and would rename a cut-short file over the target, so the flush is
// checked first; on false the target is untouched and the copy is thrown away.
bool commitSaveFile(QSaveFile &file);

// Replaces the file at `path` by `bytes` in one step, through commitSaveFile.
bool saveFileAtomically(const QString &path, const QByteArray &bytes);

// Removes what interrupted saves of `path` left beside it: plain files named like the copies
// QSaveFile writes ("<name>.XXXXXX", six letters or digits). A save is only ever interrupted by
// the end of the process, so at start-up every such copy is stale. Returns how many went.
int removeStaleSaveCopies(const QString &path);
