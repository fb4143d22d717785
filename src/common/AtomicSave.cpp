#include "common/AtomicSave.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// What follows the file's name in a copy's: the reader's marker, then the random part.
constexpr QLatin1StringView CopyMarker(".zr-save-");
constexpr int RandomLetters = 6;
constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

QString copyNamePattern(const QString &escapedTargetName)
{
    return QStringLiteral("\\.") + escapedTargetName + QRegularExpression::escape(CopyMarker)
           + QStringLiteral("[A-Za-z0-9]{%1}").arg(RandomLetters);
}

// The file a save of `path` replaces: the path itself, or where a link there leads.
QString savedFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.symLinkTarget() : resolved;
}

// Puts what the system holds of the file on the disk. Only a failure to write counts: a file
// system that cannot sync (EINVAL) has nothing to put there.
bool syncToDisk(QFile &file)
{
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0 || errno != EIO;
#else
    return ::fsync(file.handle()) == 0 || (errno != EIO && errno != ENOSPC && errno != EDQUOT);
#endif
}

// A path for the standard library: UTF-16 on Windows, where a narrow path is in the ANSI
// code page and would lose letters outside it.
std::filesystem::path systemPath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

int removeMatching(const QString &folder, const QRegularExpression &copyName)
{
    int removed = 0;
    // Only plain files: a folder or a link of that name is somebody else's.
    QDirIterator entries(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    while (entries.hasNext()) {
        const QFileInfo entry = entries.nextFileInfo();
        if (copyName.match(entry.fileName()).hasMatch() && QFile::remove(entry.filePath()))
            ++removed;
    }
    return removed;
}

} // namespace

AtomicSaveFile::AtomicSaveFile(const QString &path) : m_target(savedFile(path)) {}

AtomicSaveFile::~AtomicSaveFile()
{
    cancel();
}

IoResult<> AtomicSaveFile::open()
{
    cancel();
    m_writeError.clear();
    const QFileInfo target(m_target);
    if (target.exists() && !target.isWritable())
        return ioError(m_target, QStringLiteral("the file is read-only"));
    // NewOnly never opens a file that is there already, whoever made it.
    for (int attempt = 0; attempt < 16; ++attempt) {
        m_copy.setFileName(saveCopyPath(m_target));
        if (m_copy.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (!QFileInfo::exists(m_copy.fileName()))
            return ioError(m_copy.fileName(), m_copy.errorString());
    }
    if (!m_copy.isOpen())
        return ioError(m_target, QStringLiteral("no free name for a copy beside it"));
    // Without the file's permissions the copy keeps the usual ones: the save still succeeds.
    if (target.exists())
        m_copy.setPermissions(target.permissions());
    return {};
}

IoResult<> AtomicSaveFile::write(QByteArrayView bytes)
{
    if (!m_copy.isOpen())
        return ioError(m_target, QStringLiteral("written before it was opened"));
    if (m_writeError.isEmpty() && m_copy.write(bytes.data(), bytes.size()) != bytes.size())
        m_writeError = m_copy.errorString();
    if (!m_writeError.isEmpty())
        return ioError(m_copy.fileName(), m_writeError);
    return {};
}

IoResult<> AtomicSaveFile::commit()
{
    if (!m_copy.isOpen())
        return ioError(m_target, QStringLiteral("committed before it was opened"));
    QString failure = m_writeError;
    if (failure.isEmpty() && !(m_copy.flush() && syncToDisk(m_copy)))
        failure = QStringLiteral("not synced to disk: ") + m_copy.errorString();
    m_copy.close();
    if (failure.isEmpty() && m_copy.error() != QFileDevice::NoError)
        failure = m_copy.errorString();
    if (failure.isEmpty()) {
        // One rename, over the old file (on Windows too), is what makes the save atomic.
        std::error_code error;
        std::filesystem::rename(systemPath(m_copy.fileName()), systemPath(m_target), error);
        if (!error)
            return {};
        failure = QStringLiteral("not renamed into place: ") + QString::fromStdString(error.message());
    }
    // A copy that cannot be removed either is removed at the next start.
    QFile::remove(m_copy.fileName());
    return ioError(m_target, failure);
}

void AtomicSaveFile::cancel()
{
    if (!m_copy.isOpen())
        return;
    m_copy.close();
    // A copy that cannot be removed is removed at the next start.
    QFile::remove(m_copy.fileName());
}

IoResult<> saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    AtomicSaveFile file(path);
    if (auto opened = file.open(); !opened)
        return opened;
    if (auto written = file.write(bytes); !written)
        return written;
    return file.commit();
}

IoResult<> copyFileAtomically(const QString &source, const QString &target)
{
    QFile from(source);
    if (!from.open(QIODevice::ReadOnly))
        return ioError(source, from.errorString());
    AtomicSaveFile to(target);
    if (auto opened = to.open(); !opened)
        return opened;
    char buffer[64 * 1024];
    qint64 count = 0;
    while ((count = from.read(buffer, sizeof buffer)) > 0) {
        if (auto written = to.write(QByteArrayView(buffer, count)); !written)
            return written;
    }
    if (count < 0)
        return ioError(source, from.errorString());
    return to.commit();
}

QString saveCopyPath(const QString &path)
{
    const QFileInfo target(path);
    QString name = u'.' + target.fileName() + CopyMarker;
    for (int i = 0; i < RandomLetters; ++i)
        name += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters) - 1)]);
    return QDir(target.path()).filePath(name);
}

bool isSaveCopyName(const QString &fileName, const QString &targetName)
{
    const QRegularExpression copyName(
        QRegularExpression::anchoredPattern(copyNamePattern(QRegularExpression::escape(targetName))));
    return copyName.match(fileName).hasMatch();
}

int removeStaleSaveCopies(const QString &path)
{
    const QFileInfo target(path);
    return removeMatching(target.absolutePath(),
                          QRegularExpression(QRegularExpression::anchoredPattern(
                              copyNamePattern(QRegularExpression::escape(target.fileName())))));
}

int removeStaleSaveCopiesIn(const QString &folder)
{
    return removeMatching(folder, QRegularExpression(QRegularExpression::anchoredPattern(
                                      copyNamePattern(QStringLiteral(".+")))));
}
