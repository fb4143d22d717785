#include "feed/FeedFiles.h"

#include "common/AtomicSave.h"
#include "common/ReaderError.h"
#include "common/Texts.h"
#include "feed/FeedDownload.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <filesystem>
#include <random>

QString buildFeedUrl(const QString &baseUrl, const QString &organizationId, const QString &version)
{
    return baseUrl + QStringLiteral("xml.php?id=") + organizationId
           + QStringLiteral("&user=DELPHI - Vymazano&aplikace=DELPHI&verze=") + version;
}

QString tempFeedName(int number, const QDateTime &localTime)
{
    return QStringLiteral("%1_").arg(number, 9, 10, QLatin1Char('0'))
           + localTime.toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss_zzz")) + QStringLiteral(".xml");
}

QString makeTempFeedPath(const ReaderPaths &paths)
{
    // Seeded once, on first use, so two cycles in the same millisecond still differ.
    static std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> numbers(1, 10'000'000);
    return paths.workFolder() + u'/' + tempFeedName(numbers(generator), QDateTime::currentDateTime());
}

bool ensureWorkFolder(const ReaderPaths &paths)
{
    const QString folder = paths.workFolder();
    // QFileInfo follows links, so a link counts only when it leads to a folder.
    if (QFileInfo(folder).isDir())
        return true;
    return QDir().mkdir(folder);
}

bool fileExists(const QString &path)
{
    return QFileInfo(path).isFile();
}

FeedSource obtainFeedFile(const ReaderPaths &paths, const QString &feedUrl, QString &tempFeedPath,
                          const DownloadLimits &limits)
{
    tempFeedPath = makeTempFeedPath(paths);
    FeedSource source = FeedSource::Server;

    if (const auto downloaded = downloadFeed(feedUrl, tempFeedPath, limits); !downloaded) {
        // The user sees the offline copy or the message that there is no connection; the
        // reason stays in the log.
        qWarning().noquote() << "Feed not downloaded:" << downloaded.error();
        const QString offlineCopy = paths.offlineCopy();
        if (!fileExists(offlineCopy))
            throw ReaderError(Texts::NoConnection);
        // Nothing is there after a failed download; the copy below replaces whatever is.
        QFile::remove(tempFeedPath);
        // A copy that fails is told to the user by the file test below.
        if (const auto copied = copyFileAtomically(offlineCopy, tempFeedPath); !copied)
            qWarning().noquote() << "Offline copy not read:" << copied.error();
        source = FeedSource::OfflineCopy;
    }

    if (!fileExists(tempFeedPath))
        throw ReaderError(Texts::NoTempFeed);
    return source;
}

namespace {

// A second name for the temporary feed beside the offline copy, renamed over the copy: the
// copy is replaced in one step without a byte of the feed written again. The temporary
// feed was on disk whole before this (its download was committed). False when the file
// system allows no such link; the copy is then as it was.
bool replaceByLink(const QString &tempFeedPath, const QString &offlineCopy)
{
    namespace fs = std::filesystem;
    const fs::path source = QFile::encodeName(tempFeedPath).toStdString();
    const fs::path target = QFile::encodeName(offlineCopy).toStdString();
    std::error_code error;
    // Already one file (a feed replaced by itself): nothing to do.
    if (fs::equivalent(source, target, error))
        return true;
    // Named like the copies of an atomic save, so one left by an interrupted save goes at start-up.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const fs::path link = QFile::encodeName(saveCopyPath(offlineCopy)).toStdString();
        fs::create_hard_link(source, link, error);
        if (error == std::errc::file_exists)
            continue;
        if (error)
            return false;
        fs::rename(link, target, error);
        if (!error)
            return true;
        fs::remove(link, error);
        return false;
    }
    return false;
}

} // namespace

void refreshOfflineCopy(const ReaderPaths &paths, const QString &tempFeedPath)
{
    if (!fileExists(tempFeedPath))
        return;
    // Otherwise the copy is written anew beside itself and renamed into place only when
    // everything was written, so a failed or interrupted copy keeps the last good feed.
    if (replaceByLink(tempFeedPath, paths.offlineCopy()))
        return;
    if (const auto copied = copyFileAtomically(tempFeedPath, paths.offlineCopy()); !copied)
        qWarning().noquote() << "Offline copy not replaced:" << copied.error();
}

std::optional<QString> deleteTempFeed(const QString &tempFeedPath)
{
    if (fileExists(tempFeedPath) && !QFile::remove(tempFeedPath))
        return Texts::deleteFailed(QDir::toNativeSeparators(tempFeedPath));
    return std::nullopt;
}
