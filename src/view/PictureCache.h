#pragma once

#include "common/IoResult.h"

#include <QByteArray>
#include <QDateTime>
#include <QFileInfoList>
#include <QString>
#include <QUrl>

#include <optional>

// The cards' pictures as the feed server last gave them, in a folder of the reader's own, so
// that a page shown from the offline copy still has its pictures. The folder is bounded in
// bytes and in entries; the pictures stored longest ago go first.
class PictureCache
{
public:
    struct Limits
    {
        qint64 maxBytes = 32LL * 1024 * 1024;
        int maxEntries = 1000;
    };
    struct Picture
    {
        QByteArray contentType;
        QByteArray bytes;
    };

    explicit PictureCache(const QString &folder);
    PictureCache(const QString &folder, Limits limits);

    const QString &folder() const { return m_folder; }
    const Limits &limits() const { return m_limits; }

    // Keeps `picture` as the copy of `url`, replacing an older one, then trims the folder.
    // A picture larger than the whole cache is not kept (and its older copy goes).
    IoResult<> store(const QUrl &url, const Picture &picture);
    // The copy of `url`, if one is kept.
    std::optional<Picture> find(const QUrl &url) const;

private:
    QString fileFor(const QUrl &url) const;
    QFileInfoList entriesNewestFirst() const;
    void trim();
    // The time to give the next picture stored: now, or just after the newest one kept.
    QDateTime nextStamp();

    QString m_folder;
    Limits m_limits;
    QDateTime m_newestStamp;  // the newest picture's time; read from the folder when first needed
};
