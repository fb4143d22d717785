#include "common/AtomicSave.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

bool commitSaveFile(QSaveFile &file)
{
    if (!file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return commitSaveFile(file);
}

int removeStaleSaveCopies(const QString &path)
{
    const QFileInfo target(path);
    const QRegularExpression copyName(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(target.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    int removed = 0;
    // Only plain files: a folder or a link of that name is somebody else's.
    QDirIterator entries(target.absolutePath(), {target.fileName() + QStringLiteral(".*")},
                         QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    while (entries.hasNext()) {
        const QFileInfo entry = entries.nextFileInfo();
        if (copyName.match(entry.fileName()).hasMatch() && QFile::remove(entry.filePath()))
            ++removed;
    }
    return removed;
}
