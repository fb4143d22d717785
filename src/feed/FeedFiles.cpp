#include "feed/FeedFiles.h"

#include "common/AtomicSave.h"
#include "common/ReaderError.h"
#include "common/Texts.h"
#include "feed/FeedDownload.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <chrono>
#include <random>

QString BuildFeedUrl(const QString &baseUrl, const QString &organizationId, const QString &version)
{
    return baseUrl + QStringLiteral("xml.php?id=") + organizationId
           + QStringLiteral("&user=DELPHI - Vymazano&aplikace=DELPHI&verze=") + version;
}

QString tempFeedName(int number, const QDateTime &localTime)
{
    return QStringLiteral("%1_").arg(number, 9, 10, QLatin1Char('0'))
           + localTime.toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss_zzz")) + QStringLiteral(".xml");
}

QString MakeTempFeedPath(const ReaderPaths &paths)
{
    // Seeded once, on first use, so two cycles in the same millisecond still differ.
    static std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> numbers(1, 10'000'000);
    return paths.workFolder() + u'/' + tempFeedName(numbers(generator), QDateTime::currentDateTime());
}

bool EnsureWorkFolder(const ReaderPaths &paths)
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

bool ObtainFeedFile(const ReaderPaths &paths, const QString &feedUrl, QString &tempFeedPath,
                    const DownloadLimits &limits)
{
    tempFeedPath = MakeTempFeedPath(paths);
    bool offline = false;

    if (!DownloadFeed(feedUrl, tempFeedPath, limits)) {
        const QString offlineCopy = paths.offlineCopy();
        if (!fileExists(offlineCopy))
            throw ReaderError(Texts::NoConnection);
        // The outcome of the copy is judged only by the file test below.
        QFile::remove(tempFeedPath);
        QFile::copy(offlineCopy, tempFeedPath);
        offline = true;
    }

    if (!fileExists(tempFeedPath))
        throw ReaderError(Texts::NoTempFeed);
    return offline;
}

void RefreshOfflineCopy(const ReaderPaths &paths, const QString &tempFeedPath)
{
    if (!fileExists(tempFeedPath))
        return;
    QFile source(tempFeedPath);
    if (!source.open(QIODevice::ReadOnly))
        return;

    // QSaveFile writes beside the offline copy and renames only after everything was
    // written, so a failed or interrupted copy keeps the last good feed.
    QSaveFile target(paths.offlineCopy());
    if (!target.open(QIODevice::WriteOnly))
        return;
    char buffer[64 * 1024];
    qint64 count = 0;
    while ((count = source.read(buffer, sizeof buffer)) > 0) {
        if (target.write(buffer, count) != count)
            return;  // the unfinished copy is discarded with `target`
    }
    if (count == 0)
        commitSaveFile(target);
}

std::optional<QString> DeleteTempFeed(const QString &tempFeedPath)
{
    if (fileExists(tempFeedPath) && !QFile::remove(tempFeedPath))
        return Texts::deleteFailed(QDir::toNativeSeparators(tempFeedPath));
    return std::nullopt;
}
