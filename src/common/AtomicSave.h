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
