#include "common/AtomicSave.h"
#include "feed/FeedDownload.h"
#include "feed/FeedFiles.h"
#include "support/FileBytes.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

using Response = LocalHttpServer::Response;

namespace {

Response answer(int status, const QByteArray &body)
{
    Response response;
    response.status = status;
    response.body = body;
    return response;
}

// The process's peak resident size (VmHWM), in bytes; -1 when it cannot be read.
qint64 peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

} // namespace

class TestFeedDownload : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void shouldWriteBodyIntoTarget();
    void shouldFailWithoutFileOnErrorStatus_data();
    void shouldFailWithoutFileOnErrorStatus();
    void shouldFailWhenServerRefusesConnection();
    void shouldFailWhenServerNeverAnswers_data();
    void shouldFailWhenServerNeverAnswers();
    void shouldFollowRedirect();
    void shouldFailOnEndlessRedirects();
    void shouldEnforceBodyLimit_data();
    void shouldEnforceBodyLimit();
    void shouldStopLongStreamAtLimitWithoutHoldingIt();
    void shouldFailWhenTargetFolderIsMissing();
    void shouldSendRequestTextAsGiven_data();
    void shouldSendRequestTextAsGiven();
    void shouldKeepCallerResponsiveWhileWaiting();
    void shouldWriteUnderACopyNameOfItsOwnWhileDownloading();

private:
    // Only the target may be left in the folder: no partial or temporary file.
    QStringList folderEntries() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_target;
};

void TestFeedDownload::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_target = m_dir->filePath(QStringLiteral("feed.xml"));
}

void TestFeedDownload::shouldWriteBodyIntoTarget()
{
    // Bytes a text conversion would damage: a NUL, CR LF and UTF-8 letters.
    const QByteArray body = QByteArray("<?xml version=\"1.0\"?>\r\n<a>\0ř</a>", 30).repeated(5000);
    LocalHttpServer server([&](const QByteArray &) { return answer(200, body); });

    QVERIFY(downloadFeed(server.baseUrl() + QStringLiteral("xml.php?id=1"), m_target));
    QCOMPARE(fileBytes(m_target), body);
    QCOMPARE(folderEntries(), QStringList{QStringLiteral("feed.xml")});
}

void TestFeedDownload::shouldFailWithoutFileOnErrorStatus_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("not found") << 404;
    QTest::newRow("server error") << 500;
    QTest::newRow("gone") << 410;
}

void TestFeedDownload::shouldFailWithoutFileOnErrorStatus()
{
    QFETCH(int, status);
    LocalHttpServer server([&](const QByteArray &) { return answer(status, "<error page/>"); });

    const auto result = downloadFeed(server.baseUrl() + QStringLiteral("xml.php?id=1"), m_target);
    QVERIFY(!result);
    // The failure says what the server answered, for the log.
    QVERIFY2(result.error().endsWith(QStringLiteral("HTTP status %1").arg(status)), qPrintable(result.error()));
    QCOMPARE(folderEntries(), QStringList());
    QCOMPARE(server.requestLines().size(), 1);
}

void TestFeedDownload::shouldFailWhenServerRefusesConnection()
{
    LocalHttpServer server([](const QByteArray &) { return answer(200, "<a/>"); });
    server.stop();

    QVERIFY(!downloadFeed(server.baseUrl() + QStringLiteral("xml.php?id=1"), m_target));
    QCOMPARE(folderEntries(), QStringList());
    QVERIFY(server.requestLines().isEmpty());
}

void TestFeedDownload::shouldFailWhenServerNeverAnswers_data()
{
    QTest::addColumn<int>("idleMs");
    QTest::addColumn<int>("totalMs");
    QTest::newRow("idle limit") << 1000 << 60'000;
    QTest::newRow("total limit") << 60'000 << 1000;
}

void TestFeedDownload::shouldFailWhenServerNeverAnswers()
{
    QFETCH(int, idleMs);
    QFETCH(int, totalMs);
    LocalHttpServer server([](const QByteArray &) {
        Response response;
        response.mode = Response::Mode::Silent;
        return response;
    });
    DownloadLimits limits;
    limits.idleTimeoutMs = idleMs;
    limits.totalTimeoutMs = totalMs;

    const auto result = downloadFeed(server.baseUrl() + QStringLiteral("xml.php?id=1"), m_target, limits);
    QVERIFY(!result);
    QVERIFY2(result.error().contains(QStringLiteral(" ms")), qPrintable(result.error()));
    QCOMPARE(folderEntries(), QStringList());
    // Never tried twice. On a loaded machine the limit may end the request before the
    // server thread has even read it, so its arrival is not asserted.
    QVERIFY(server.requestLines().size() <= 1);
}

void TestFeedDownload::shouldFollowRedirect()
{
    LocalHttpServer server([](const QByteArray &line) {
        if (line.startsWith("GET /reader/old")) {
            Response response = answer(302, "moved");
            response.headers = {{"Location", "/reader/new.xml"}};
            return response;
        }
        return answer(200, "<feed/>");
    });

    QVERIFY(downloadFeed(server.baseUrl() + QStringLiteral("old.xml"), m_target));
    QCOMPARE(fileBytes(m_target), QByteArray("<feed/>"));
    const QList<QByteArray> expected{"GET /reader/old.xml HTTP/1.1", "GET /reader/new.xml HTTP/1.1"};
    QCOMPARE(server.requestLines(), expected);
}

void TestFeedDownload::shouldFailOnEndlessRedirects()
{
    LocalHttpServer server([](const QByteArray &) {
        Response response = answer(302, {});
        response.headers = {{"Location", "/reader/loop.xml"}};
        return response;
    });
    DownloadLimits limits;
    limits.maxRedirects = 3;

    QVERIFY(!downloadFeed(server.baseUrl() + QStringLiteral("loop.xml"), m_target, limits));
    QCOMPARE(folderEntries(), QStringList());
    // Followed up to the limit; Qt may still have one more request on its way when it
    // gives up, so only the lower bound is exact.
    QVERIFY(server.requestLines().size() >= limits.maxRedirects + 1);
}

void TestFeedDownload::shouldEnforceBodyLimit_data()
{
    QTest::addColumn<int>("bodySize");
    QTest::addColumn<bool>("streamed");  // without Content-Length, ended by closing
    QTest::addColumn<bool>("accepted");
    QTest::newRow("exactly the limit") << 1000 << false << true;
    QTest::newRow("one byte over") << 1001 << false << false;
    QTest::newRow("far over") << 500'000 << false << false;
    QTest::newRow("streamed, exactly the limit") << 1000 << true << true;
    QTest::newRow("streamed, one byte over") << 1001 << true << false;
    QTest::newRow("streamed, far over") << 500'000 << true << false;
}

void TestFeedDownload::shouldEnforceBodyLimit()
{
    QFETCH(int, bodySize);
    QFETCH(bool, streamed);
    QFETCH(bool, accepted);
    Response response = answer(200, QByteArray(bodySize, 'x'));
    if (streamed) {
        response.mode = Response::Mode::Stream;
        response.body = QByteArray(100, 'x');
        response.streamBytes = bodySize;
    }
    LocalHttpServer server([&](const QByteArray &) { return response; });
    DownloadLimits limits;
    limits.maxBytes = 1000;

    const auto result = downloadFeed(server.baseUrl() + QStringLiteral("xml.php?id=1"), m_target, limits);
    QCOMPARE(result.ok(), accepted);
    if (!accepted)
        QVERIFY2(result.error().endsWith(QStringLiteral("larger than 1000 bytes")), qPrintable(result.error()));
    QCOMPARE(QFile::exists(m_target), accepted);
    QCOMPARE(folderEntries().size(), accepted ? 1 : 0);
    if (accepted)
        QCOMPARE(fileBytes(m_target), QByteArray(bodySize, 'x'));
}

void TestFeedDownload::shouldStopLongStreamAtLimitWithoutHoldingIt()
{
#ifdef Q_OS_LINUX
    constexpr qint64 MiB = 1024 * 1024;
    Response response;
    response.mode = Response::Mode::Stream;
    response.streamBytes = 100 * MiB;
    LocalHttpServer server([&](const QByteArray &) { return response; });
    const DownloadLimits limits;  // the reader's own 64 MiB
    QCOMPARE(limits.maxBytes, 64 * MiB);

    // Writing 5 to clear_refs starts the peak resident size afresh from the current one.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    QVERIFY(clear.open(QIODevice::WriteOnly));
    QCOMPARE(clear.write("5"), 1);
    clear.close();
    const qint64 before = peakResidentBytes();
    QVERIFY(before > 0);

    QVERIFY(!downloadFeed(server.baseUrl() + QStringLiteral("xml.php?id=1"), m_target, limits));

    const qint64 growth = peakResidentBytes() - before;
    qInfo("peak grew by %lld KiB, %lld KiB sent", growth / 1024, server.streamedBytes() / 1024);
    QVERIFY2(growth < 16 * MiB, qPrintable(QStringLiteral("peak grew by %1 MiB").arg(growth / MiB)));
    // The transfer was cut off soon after the limit, not read to its end.
    QVERIFY2(server.streamedBytes() < 90 * MiB,
             qPrintable(QStringLiteral("%1 MiB sent").arg(server.streamedBytes() / MiB)));
    QVERIFY(folderEntries().isEmpty());
#else
    QSKIP("The peak resident size is read from Linux's /proc");
#endif
}

void TestFeedDownload::shouldFailWhenTargetFolderIsMissing()
{
    LocalHttpServer server([](const QByteArray &) { return answer(200, "<a/>"); });
    const QString target = m_dir->filePath(QStringLiteral("missing/feed.xml"));

    QVERIFY(!downloadFeed(server.baseUrl() + QStringLiteral("xml.php?id=1"), target));
    QVERIFY(!QFile::exists(target));
}

void TestFeedDownload::shouldSendRequestTextAsGiven_data()
{
    QTest::addColumn<QString>("organizationId");
    QTest::addColumn<QByteArray>("requestLine");
    const QByteArray tail = "&user=DELPHI%20-%20Vymazano&aplikace=DELPHI&verze=1.50 HTTP/1.1";
    QTest::newRow("plain") << QStringLiteral("1234") << "GET /reader/xml.php?id=1234" + tail;
    QTest::newRow("space, ampersand and hash")
        << QStringLiteral("a b&c#d") << "GET /reader/xml.php?id=a%20b&c%23d" + tail;
    QTest::newRow("non-ASCII letters")
        << QStringLiteral("Žďár") << "GET /reader/xml.php?id=%C5%BD%C4%8F%C3%A1r" + tail;
    QTest::newRow("already encoded text stays")
        << QStringLiteral("x%2Fy%26") << "GET /reader/xml.php?id=x%2Fy%26" + tail;
    // A "%" that starts no escape must not turn the request's own %20s into %2520.
    QTest::newRow("lone percent")
        << QStringLiteral("50%") << "GET /reader/xml.php?id=50%25" + tail;
    QTest::newRow("reserved characters stay")
        << QStringLiteral("a'()*+,;=:@!$/?b") << "GET /reader/xml.php?id=a'()*+,;=:@!$/?b" + tail;
}

void TestFeedDownload::shouldSendRequestTextAsGiven()
{
    QFETCH(QString, organizationId);
    QFETCH(QByteArray, requestLine);
    LocalHttpServer server([](const QByteArray &) { return answer(200, "<a/>"); });

    const QString url = buildFeedUrl(server.baseUrl(), organizationId, QStringLiteral("1.50"));
    QVERIFY(downloadFeed(url, m_target));
    QCOMPARE(server.requestLines(), QList<QByteArray>{requestLine});
}

void TestFeedDownload::shouldKeepCallerResponsiveWhileWaiting()
{
    // The server answers only once the caller's timer has run, as a slow server would.
    std::atomic<bool> timerFired = false;
    LocalHttpServer server([&](const QByteArray &) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!timerFired && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::yield();
        return answer(200, "<a/>");
    });
    QTimer::singleShot(0, this, [&] { timerFired = true; });

    QVERIFY(downloadFeed(server.baseUrl() + QStringLiteral("xml.php?id=1"), m_target));
    QVERIFY(timerFired);
}

void TestFeedDownload::shouldWriteUnderACopyNameOfItsOwnWhileDownloading()
{
    // The server answers only once the caller has looked at the folder, mid-download.
    std::atomic<bool> looked = false;
    QStringList during;
    LocalHttpServer server([&](const QByteArray &) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!looked && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::yield();
        return answer(200, "<a/>");
    });
    QTimer::singleShot(0, this, [&] {
        during = folderEntries();
        looked = true;
    });

    QVERIFY(downloadFeed(server.baseUrl() + QStringLiteral("xml.php?id=1"), m_target));
    QVERIFY(looked);
    // A start-up after a kill at that moment would know the copy by its name, and only it.
    QCOMPARE(during.size(), 1);
    QVERIFY2(isSaveCopyName(during.first(), QStringLiteral("feed.xml")), qPrintable(during.first()));
    QCOMPARE(folderEntries(), QStringList{QStringLiteral("feed.xml")});
    QCOMPARE(fileBytes(m_target), QByteArray("<a/>"));
}

QTEST_GUILESS_MAIN(TestFeedDownload)
#include "TestFeedDownload.moc"
