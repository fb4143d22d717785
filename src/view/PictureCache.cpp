#include "view/PictureCache.h"

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

IoResult<> PictureCache::store(const QUrl &url, const Picture &picture)
{
    const QString path = fileFor(url);
    const QByteArray contentType = picture.contentType.simplified();
    if (contentType.size() + 1 + picture.bytes.size() > m_limits.maxBytes || m_limits.maxEntries < 1) {
        // Not kept on purpose: it would push every other picture out. An older copy would
        // show the offline page a picture the server no longer gives, so it goes as well.
        QFile::remove(path);
        return {};
    }
    if (!QDir().mkpath(m_folder))
        return ioError(m_folder, QStringLiteral("the folder cannot be made"));
    const QDateTime stamp = nextStamp();

    // A picture kept already with these very bytes is only marked as recent: every page
    // brings the same pictures again, and writing each anew would sync it to disk again.
    const auto kept = find(url);
    const bool unchanged = kept && kept->contentType == contentType && kept->bytes == picture.bytes;
    if (!unchanged) {
        // Replaced atomically, so a crash never leaves half a picture to be shown offline.
        AtomicSaveFile file(path);
        IoResult<> saved = file.open();
        if (saved)
            saved = file.write(contentType + '\n');
        if (saved)
            saved = file.write(picture.bytes);
        if (saved)
            saved = file.commit();
        if (!saved)
            return saved;
    }
    QFile stored(path);
    if (!stored.open(QIODevice::Append) || !stored.setFileTime(stamp, QFileDevice::FileModificationTime))
        return ioError(path, QStringLiteral("its time was not set: ") + stored.errorString());
    m_newestStamp = stamp;
    if (!unchanged)
        trim();
    return {};
}

QDateTime PictureCache::nextStamp()
{
    // The file's time says how recently it was stored; it must be later than every other's,
    // even when two pictures arrive within the clock's resolution. The folder is read once;
    // after that the reader knows the newest time, since only it writes there.
    if (!m_newestStamp.isValid()) {
        const QFileInfoList kept = entriesNewestFirst();
        m_newestStamp = kept.isEmpty() ? QDateTime::fromMSecsSinceEpoch(0, Qt::UTC)
                                       : kept.first().lastModified().toUTC();
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return now > m_newestStamp ? now : m_newestStamp.addMSecs(1);
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
        // An entry that cannot be removed stays over the bound until a later trim removes it.
        if (bytes > m_limits.maxBytes || count > m_limits.maxEntries)
            QFile::remove(entry.filePath());
    }
}
