#include "PictureCache.h"

#include "common/AtomicSave.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Each entry is one file: the content type, a line break, then the picture's bytes.
constexpr char EntrySuffix[] = ".picture";

} // namespace

PictureCache::PictureCache(const QString &folder) : PictureCache(folder, Limits{}) {}

PictureCache::PictureCache(const QString &folder, Limits limits)
    : m_folder(folder), m_limits(limits)
{
}

QString PictureCache::fileFor(const QUrl &url) const
{
    // A hash of the address: any address gives a plain file name inside the folder.
    const QByteArray hash = QCryptographicHash::hash(url.toEncoded(), QCryptographicHash::Sha256);
    return m_folder + u'/' + QString::fromLatin1(hash.toHex()) + QLatin1String(EntrySuffix);
}

void PictureCache::store(const QUrl &url, const Picture &picture)
{
    const QString path = fileFor(url);
    const QByteArray contentType = picture.contentType.simplified();
    if (contentType.size() + 1 + picture.bytes.size() > m_limits.maxBytes || m_limits.maxEntries < 1) {
        QFile::remove(path);
        return;
    }
    if (!QDir().mkpath(m_folder))
        return;
    // The file's time says how recently it was stored; it must be later than every other's,
    // even when two pictures arrive within the clock's resolution.
    QDateTime stamp = QDateTime::currentDateTimeUtc();
    const QFileInfoList kept = entriesNewestFirst();
    if (!kept.isEmpty() && kept.first().lastModified() >= stamp)
        stamp = kept.first().lastModified().addMSecs(1);

    // Replaced atomically, so a crash never leaves half a picture to be shown offline.
    AtomicSaveFile file(path);
    if (!file.open() || !file.write(contentType + '\n') || !file.write(picture.bytes) || !file.commit())
        return;
    QFile stored(path);
    if (stored.open(QIODevice::Append))
        stored.setFileTime(stamp, QFileDevice::FileModificationTime);
    stored.close();
    trim();
}

std::optional<PictureCache::Picture> PictureCache::find(const QUrl &url) const
{
    QFile file(fileFor(url));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray entry = file.readAll();
    const qsizetype lineEnd = entry.indexOf('\n');
    if (lineEnd < 0)
        return std::nullopt;
    return Picture{entry.left(lineEnd), entry.mid(lineEnd + 1)};
}

QFileInfoList PictureCache::entriesNewestFirst() const
{
    return QDir(m_folder).entryInfoList({u'*' + QLatin1String(EntrySuffix)}, QDir::Files, QDir::Time);
}

void PictureCache::trim()
{
    // What is kept is the longest run of recent pictures within both bounds.
    qint64 bytes = 0;
    int count = 0;
    for (const QFileInfo &entry : entriesNewestFirst()) {
        bytes += entry.size();
        ++count;
        if (bytes > m_limits.maxBytes || count > m_limits.maxEntries)
            QFile::remove(entry.filePath());
    }
}
