#pragma once

#include <QFile>
#include <QString>

#include <sys/stat.h>

// The inode of the file at `path`, 0 when there is none: two names of one inode are one file,
// so a rename keeps it and a copy does not.
inline ino_t inodeOf(const QString &path)
{
    struct stat info{};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : ino_t(0);
}
