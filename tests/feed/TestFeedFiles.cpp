#include "common/ReaderError.h"
#include "common/Texts.h"
#include "feed/FeedDownload.h"
#include "feed/FeedFiles.h"
#include "support/FileBytes.h"
#include "support/FileInode.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray ServedFeed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><served/>";
const QByteArray OfflineFeed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><offline/>";

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

LocalHttpServer::Response feedAnswer(int status)
{
    LocalHttpServer::Response response;
    response.status = status;
    response.body = status == 200 ? ServedFeed : QByteArray("<error/>");
    return response;
}

} // namespace

class TestFeedFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void shouldBuildFeedUrlWithNothingEscaped();
    void shouldNameTempFeed_data();
    void shouldNameTempFeed();
    void shouldMakeDistinctTempPathsInWorkFolder();

    void shouldEnsureWorkFolder_data();
    void shouldEnsureWorkFolder();
    void shouldTestOnlyFilesForExistence_data();
    void shouldTestOnlyFilesForExistence();

    void shouldUseDownloadedFeed();
    void shouldFallBackToOfflineCopy();
    void shouldReportNoConnectionWithoutOfflineCopy();
    void shouldReportMissingTempFeedWhenCopyFails();
    void shouldReportAsDocumentedWhenTmpIsAFile_data();
    void shouldReportAsDocumentedWhenTmpIsAFile();

    void shouldReplaceOfflineCopy_data();
    void shouldReplaceOfflineCopy();
    void shouldKeepOfflineCopyWhenTempFeedIsMissing();

    void shouldDeleteTempFeedSilently_data();
    void shouldDeleteTempFeedSilently();
    void shouldReportFailedDeletion();

private:
    struct FetchResult
    {
        bool ok = false;
        bool offline = false;
    };

    // Runs obtainFeedFile against `server`, collecting the message of its failure.
    FetchResult obtain(const LocalHttpServer &server, QString &tempFeedPath, QStringList &messages) const
    {
        DownloadLimits limits;
        limits.idleTimeoutMs = 5'000;
        try {
            const FeedSource source = obtainFeedFile(*m_paths, buildFeedUrl(server.baseUrl(), u"1"_s, Texts::Version),
                                                     tempFeedPath, limits);
            return {true, source == FeedSource::OfflineCopy};
        } catch (const ReaderError &error) {
            messages << error.message();
            return {};
        }
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReaderPaths> m_paths;
};

void TestFeedFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_paths = std::make_unique<ReaderPaths>(m_dir->path());
}

void TestFeedFiles::shouldBuildFeedUrlWithNothingEscaped()
{
    QCOMPARE(buildFeedUrl(u"http://feeds.example.org/reader/"_s, u"a b&c#d"_s, u"1.50"_s),
             u"http://feeds.example.org/reader/xml.php?id=a b&c#d"
             u"&user=DELPHI - Vymazano&aplikace=DELPHI&verze=1.50"_s);
}

void TestFeedFiles::shouldNameTempFeed_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("name");
    const QDateTime march(QDate(2024, 3, 5), QTime(14, 7, 9, 42));
    QTest::newRow("smallest number") << 1 << march << u"000000001_2024_03_05_14_07_09_042.xml"_s;
    QTest::newRow("largest number") << 10'000'000 << march << u"010000000_2024_03_05_14_07_09_042.xml"_s;
    QTest::newRow("midnight, zero milliseconds")
        << 4711 << QDateTime(QDate(1999, 12, 31), QTime(0, 0, 0, 0))
        << u"000004711_1999_12_31_00_00_00_000.xml"_s;
    QTest::newRow("last millisecond of a day")
        << 123'456 << QDateTime(QDate(2025, 11, 30), QTime(23, 59, 59, 999))
        << u"000123456_2025_11_30_23_59_59_999.xml"_s;
}

void TestFeedFiles::shouldNameTempFeed()
{
    QFETCH(int, number);
    QFETCH(QDateTime, time);
    QFETCH(QString, name);
    QCOMPARE(tempFeedName(number, time), name);
    QCOMPARE(tempFeedName(number, time).size(), 37);
}

void TestFeedFiles::shouldMakeDistinctTempPathsInWorkFolder()
{
    static const QRegularExpression pattern(
        u"^(\\d{9})_\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d{3}\\.xml$"_s);
    QSet<QString> paths;
    for (int i = 0; i < 200; ++i) {
        const QString path = makeTempFeedPath(*m_paths);
        QVERIFY2(path.startsWith(m_paths->workFolder() + u'/'), qPrintable(path));
        const QString name = path.mid(m_paths->workFolder().size() + 1);
        const QRegularExpressionMatch match = pattern.match(name);
        QVERIFY2(match.hasMatch(), qPrintable(name));
        const int number = match.captured(1).toInt();
        QVERIFY2(number >= 1 && number <= 10'000'000, qPrintable(name));
        paths.insert(path);
    }
    // Calls within one millisecond differ by their random number.
    QCOMPARE(paths.size(), 200);
}

void TestFeedFiles::shouldEnsureWorkFolder_data()
{
    QTest::addColumn<QString>("existing");  // what stands at "tmp" before the call
    QTest::addColumn<bool>("ok");
    QTest::newRow("nothing") << u"none"_s << true;
    QTest::newRow("folder with a feed") << u"folder"_s << true;
    QTest::newRow("file named tmp") << u"file"_s << false;
    QTest::newRow("link to a folder") << u"folderLink"_s << true;
    QTest::newRow("dangling link") << u"danglingLink"_s << false;
}

void TestFeedFiles::shouldEnsureWorkFolder()
{
    QFETCH(QString, existing);
    QFETCH(bool, ok);
    const QString tmp = m_paths->workFolder();
    const QString elsewhere = m_dir->filePath(u"elsewhere"_s);
    if (existing == u"folder") {
        QVERIFY(QDir().mkdir(tmp));
        QVERIFY(writeFile(tmp + u"/kept.xml"_s, "<a/>"));
    } else if (existing == u"file") {
        QVERIFY(writeFile(tmp, "not a folder"));
    } else if (existing == u"folderLink") {
        QVERIFY(QDir().mkdir(elsewhere));
        QVERIFY(QFile::link(elsewhere, tmp));
    } else if (existing == u"danglingLink") {
        QVERIFY(QFile::link(elsewhere, tmp));
    }

    QCOMPARE(ensureWorkFolder(*m_paths), ok);
    QCOMPARE(QFileInfo(tmp).isDir(), ok);
    if (existing == u"folder")
        QCOMPARE(fileBytes(tmp + u"/kept.xml"_s), QByteArray("<a/>"));
    if (existing == u"file")
        QCOMPARE(fileBytes(tmp), QByteArray("not a folder"));
}

void TestFeedFiles::shouldTestOnlyFilesForExistence_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("file") << u"file.xml"_s << true;
    QTest::newRow("empty file") << u"empty.xml"_s << true;
    QTest::newRow("folder") << u"folder"_s << false;
    QTest::newRow("link to a file") << u"fileLink"_s << true;
    QTest::newRow("link to a folder") << u"folderLink"_s << false;
    QTest::newRow("dangling link") << u"danglingLink"_s << false;
    QTest::newRow("nothing") << u"missing.xml"_s << false;
}

void TestFeedFiles::shouldTestOnlyFilesForExistence()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    const QDir dir(m_dir->path());
    QVERIFY(writeFile(dir.filePath(u"file.xml"_s), "<a/>"));
    QVERIFY(writeFile(dir.filePath(u"empty.xml"_s), {}));
    QVERIFY(dir.mkdir(u"folder"_s));
    QVERIFY(QFile::link(dir.filePath(u"file.xml"_s), dir.filePath(u"fileLink"_s)));
    QVERIFY(QFile::link(dir.filePath(u"folder"_s), dir.filePath(u"folderLink"_s)));
    QVERIFY(QFile::link(dir.filePath(u"gone.xml"_s), dir.filePath(u"danglingLink"_s)));

    QCOMPARE(fileExists(dir.filePath(name)), exists);
}

void TestFeedFiles::shouldUseDownloadedFeed()
{
    QVERIFY(ensureWorkFolder(*m_paths));
    QVERIFY(writeFile(m_paths->offlineCopy(), OfflineFeed));
    LocalHttpServer server([](const QByteArray &) { return feedAnswer(200); });
    QString tempFeedPath;
    QStringList messages;

    const FetchResult result = obtain(server, tempFeedPath, messages);
    QVERIFY(result.ok);
    QVERIFY(!result.offline);
    QVERIFY(messages.isEmpty());
    QVERIFY(tempFeedPath.startsWith(m_paths->workFolder() + u'/'));
    QCOMPARE(fileBytes(tempFeedPath), ServedFeed);
    QCOMPARE(fileBytes(m_paths->offlineCopy()), OfflineFeed);
}

void TestFeedFiles::shouldFallBackToOfflineCopy()
{
    QVERIFY(ensureWorkFolder(*m_paths));
    QVERIFY(writeFile(m_paths->offlineCopy(), OfflineFeed));
    LocalHttpServer server([](const QByteArray &) { return feedAnswer(500); });
    QString tempFeedPath;
    QStringList messages;

    const FetchResult result = obtain(server, tempFeedPath, messages);
    QVERIFY(result.ok);
    QVERIFY(result.offline);
    QVERIFY(messages.isEmpty());
    QCOMPARE(fileBytes(tempFeedPath), OfflineFeed);
    QCOMPARE(fileBytes(m_paths->offlineCopy()), OfflineFeed);
}

void TestFeedFiles::shouldReportNoConnectionWithoutOfflineCopy()
{
    QVERIFY(ensureWorkFolder(*m_paths));
    LocalHttpServer server([](const QByteArray &) { return feedAnswer(200); });
    server.stop();
    QString tempFeedPath;
    QStringList messages;

    const FetchResult result = obtain(server, tempFeedPath, messages);
    QVERIFY(!result.ok);
    QVERIFY(!result.offline);
    QCOMPARE(messages, QStringList{Texts::NoConnection});
    QVERIFY(!tempFeedPath.isEmpty());
    QVERIFY(QDir(m_paths->workFolder()).isEmpty());
}

void TestFeedFiles::shouldReportMissingTempFeedWhenCopyFails()
{
    // The working folder is gone, so neither the download nor the copy can write the file.
    QVERIFY(writeFile(m_paths->offlineCopy(), OfflineFeed));
    LocalHttpServer server([](const QByteArray &) { return feedAnswer(404); });
    QString tempFeedPath;
    QStringList messages;

    // The download failed, so this message means the copy was tried and left no file.
    const FetchResult result = obtain(server, tempFeedPath, messages);
    QVERIFY(!result.ok);
    QCOMPARE(messages, QStringList{Texts::NoTempFeed});
    QVERIFY(!QFile::exists(tempFeedPath));
}

void TestFeedFiles::shouldReportAsDocumentedWhenTmpIsAFile_data()
{
    QTest::addColumn<bool>("offlineCopy");
    QTest::addColumn<QString>("message");
    QTest::newRow("with offline copy") << true << Texts::NoTempFeed;
    QTest::newRow("without offline copy") << false << Texts::NoConnection;
}

void TestFeedFiles::shouldReportAsDocumentedWhenTmpIsAFile()
{
    QFETCH(bool, offlineCopy);
    QFETCH(QString, message);
    QVERIFY(writeFile(m_paths->workFolder(), "in the way"));
    QVERIFY(!ensureWorkFolder(*m_paths));
    if (offlineCopy)
        QVERIFY(writeFile(m_paths->offlineCopy(), OfflineFeed));
    // The server is fine: only the file system is in the way.
    LocalHttpServer server([](const QByteArray &) { return feedAnswer(200); });
    QString tempFeedPath;
    QStringList messages;

    QVERIFY(!obtain(server, tempFeedPath, messages).ok);
    QCOMPARE(messages, QStringList{message});
    QCOMPARE(fileBytes(m_paths->workFolder()), QByteArray("in the way"));
}

void TestFeedFiles::shouldReplaceOfflineCopy_data()
{
    QTest::addColumn<QByteArray>("oldCopy");  // null: there is none yet
    QTest::addColumn<QByteArray>("feed");
    QTest::newRow("first copy") << QByteArray() << ServedFeed;
    QTest::newRow("longer old copy is replaced whole") << OfflineFeed.repeated(100) << ServedFeed;
    QTest::newRow("copied back onto itself") << OfflineFeed << OfflineFeed;
    QTest::newRow("large feed") << OfflineFeed << ServedFeed.repeated(20'000);
}

void TestFeedFiles::shouldReplaceOfflineCopy()
{
    QFETCH(QByteArray, oldCopy);
    QFETCH(QByteArray, feed);
    QVERIFY(ensureWorkFolder(*m_paths));
    if (!oldCopy.isNull())
        QVERIFY(writeFile(m_paths->offlineCopy(), oldCopy));
    const QString tempFeedPath = makeTempFeedPath(*m_paths);
    QVERIFY(writeFile(tempFeedPath, feed));

    refreshOfflineCopy(*m_paths, tempFeedPath);
    QCOMPARE(fileBytes(m_paths->offlineCopy()), feed);
    QCOMPARE(fileBytes(tempFeedPath), feed);
    // The committed temporary feed took the copy's place under a second name: no byte of
    // it was written again.
    QCOMPARE(inodeOf(m_paths->offlineCopy()), inodeOf(tempFeedPath));
    // Replacing the copy by itself changes nothing.
    refreshOfflineCopy(*m_paths, tempFeedPath);
    QCOMPARE(fileBytes(m_paths->offlineCopy()), feed);
    // Nothing half-written is left beside the copy.
    const QStringList entries = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(entries, QStringList{u"Offline_ZeltonReader.xml"_s});
}

void TestFeedFiles::shouldKeepOfflineCopyWhenTempFeedIsMissing()
{
    QVERIFY(ensureWorkFolder(*m_paths));
    QVERIFY(writeFile(m_paths->offlineCopy(), OfflineFeed));

    refreshOfflineCopy(*m_paths, makeTempFeedPath(*m_paths));
    QCOMPARE(fileBytes(m_paths->offlineCopy()), OfflineFeed);

    // A folder standing at the temporary path is no feed either.
    const QString folder = makeTempFeedPath(*m_paths);
    QVERIFY(QDir().mkdir(folder));
    refreshOfflineCopy(*m_paths, folder);
    QCOMPARE(fileBytes(m_paths->offlineCopy()), OfflineFeed);
}

void TestFeedFiles::shouldDeleteTempFeedSilently_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<bool>("remains");
    QTest::newRow("file") << u"file"_s << false;
    QTest::newRow("already gone") << u"none"_s << false;
    QTest::newRow("folder of that name") << u"folder"_s << true;
}

void TestFeedFiles::shouldDeleteTempFeedSilently()
{
    QFETCH(QString, existing);
    QFETCH(bool, remains);
    QVERIFY(ensureWorkFolder(*m_paths));
    const QString path = makeTempFeedPath(*m_paths);
    if (existing == u"file")
        QVERIFY(writeFile(path, ServedFeed));
    else if (existing == u"folder")
        QVERIFY(QDir().mkdir(path));
    QVERIFY(!deleteTempFeed(path));
    QCOMPARE(QFileInfo::exists(path), remains);
}

void TestFeedFiles::shouldReportFailedDeletion()
{
    // Permissions do not stop root, but no one can unlink a file of /proc: a real file
    // that cannot be deleted, whoever runs the test.
    const QString path = u"/proc/version"_s;
    if (!fileExists(path))
        QSKIP("needs the Linux /proc file system");
    QCOMPARE(deleteTempFeed(path).value_or(QString()), u"Chyba při odstraňování souboru /proc/version."_s);
    QVERIFY(fileExists(path));
}

QTEST_GUILESS_MAIN(TestFeedFiles)
#include "TestFeedFiles.moc"
