#pragma once

#include "common/ReaderPaths.h"

#include <QDateTime>
#include <QString>

#include <optional>

struct DownloadLimits;

// The request of one refresh cycle: base address + "xml.php?id=" + ID + the fixed user,
// application and version pieces, nothing escaped.
QString buildFeedUrl(const QString &baseUrl, const QString &organizationId, const QString &version);

// "<9-digit number>_<yyyy_mm_dd_hh_nn_ss_zzz>.xml": always 37 characters.
QString tempFeedName(int number, const QDateTime &localTime);
// A fresh temporary feed path in the working folder. The number, 1 to 10000000, comes
// from a generator seeded once per process from a time source.
QString makeTempFeedPath(const ReaderPaths &paths);

// Creates the working folder when it is missing; false when it cannot be made.
bool ensureWorkFolder(const ReaderPaths &paths);

// True only for an existing file (a link counts when its target is a file).
bool fileExists(const QString &path);

// Where a cycle's feed came from.
enum class FeedSource {
    Server,       // downloaded just now
    OfflineCopy,  // the download failed; the last good feed stands in
};

// Makes `tempFeedPath`, downloads the feed into it or falls back to the offline copy.
// Throws ReaderError with the message for the user when there is no feed to read.
FeedSource obtainFeedFile(const ReaderPaths &paths, const QString &feedUrl, QString &tempFeedPath,
                    const DownloadLimits &limits);

// Replaces the offline copy by the temporary file atomically, so the last good feed is
// never lost or half-written: a second name of the (committed, whole) temporary file is
// renamed over the copy, or where the file system cannot link, a copy written beside it is.
// The temporary file stays. A failure is only logged: the feed is shown all the same and the
// copy keeps the last feed that was stored.
void refreshOfflineCopy(const ReaderPaths &paths, const QString &tempFeedPath);

// Deletes the temporary file. When it stays, returns the message for the user:
// "Chyba při odstraňování souboru <path>.".
std::optional<QString> deleteTempFeed(const QString &tempFeedPath);
