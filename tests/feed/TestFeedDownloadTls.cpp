#include "feed/FeedDownload.h"
#include "support/FileBytes.h"
#include "support/LocalHttpServer.h"
#include "support/LocalHttpsServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Response = LocalHttpServer::Response;

namespace {

const QByteArray Feed = "<?xml version=\"1.0\"?><zelton_informations/>";

} // namespace

// Downloads over https: the server's certificate is verified, and whatever fails the
// verification fails the download, leaving no file behind.
class TestFeedDownloadTls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void shouldVerifyServerCertificate_data();
    void shouldVerifyServerCertificate();
    void shouldNotFollowRedirectFromHttpsToHttp();

private:
    QStringList folderEntries() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    TestCertificateAuthority m_trusted;
    TestCertificateAuthority m_stranger;  // an authority this process never trusts
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_target;
};

void TestFeedDownloadTls::initTestCase()
{
    QVERIFY2(m_trusted.isValid(), qPrintable(m_trusted.error()));
    QVERIFY2(m_stranger.isValid(), qPrintable(m_stranger.error()));
    m_trusted.trustInThisProcess();
}

void TestFeedDownloadTls::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_target = m_dir->filePath(QStringLiteral("feed.xml"));
}

void TestFeedDownloadTls::shouldVerifyServerCertificate_data()
{
    QTest::addColumn<bool>("fromTrustedAuthority");
    QTest::addColumn<QString>("certifiedHost");
    QTest::addColumn<bool>("expectedOk");

    QTest::newRow("trusted, for 127.0.0.1") << true << QStringLiteral("127.0.0.1") << true;
    QTest::newRow("trusted, for another host name") << true << QStringLiteral("feeds.example.org") << false;
    QTest::newRow("trusted, for localhost only") << true << QStringLiteral("localhost") << false;
    QTest::newRow("untrusted authority, for 127.0.0.1") << false << QStringLiteral("127.0.0.1") << false;
}

void TestFeedDownloadTls::shouldVerifyServerCertificate()
{
    QFETCH(bool, fromTrustedAuthority);
    QFETCH(QString, certifiedHost);
    QFETCH(bool, expectedOk);

    const auto identity = (fromTrustedAuthority ? m_trusted : m_stranger).issue(certifiedHost);
    QVERIFY(!identity.certificate.isNull() && !identity.key.isNull());
    LocalHttpsServer server(identity, LocalHttpServer::answering(Feed));
    QVERIFY(server.baseUrl().startsWith(QStringLiteral("https://127.0.0.1:")));

    QCOMPARE(downloadFeed(server.baseUrl() + QStringLiteral("xml.php?id=demo"), m_target).ok(), expectedOk);
    if (expectedOk) {
        QCOMPARE(fileBytes(m_target), Feed);
        QCOMPARE(server.requestLines(), QList<QByteArray>{"GET /reader/xml.php?id=demo HTTP/1.1"});
    } else {
        QVERIFY(folderEntries().isEmpty());
        // The handshake failed: no request ever reached the server.
        QVERIFY(server.requestLines().isEmpty());
    }
}

void TestFeedDownloadTls::shouldNotFollowRedirectFromHttpsToHttp()
{
    LocalHttpServer plain(LocalHttpServer::answering(Feed));
    LocalHttpsServer secure(m_trusted.issue(QStringLiteral("127.0.0.1")), [&](const QByteArray &) {
        Response response;
        response.status = 302;
        response.headers = {{"Location", (plain.baseUrl() + QStringLiteral("xml.php?id=demo")).toUtf8()}};
        return response;
    });

    QVERIFY(!downloadFeed(secure.baseUrl() + QStringLiteral("xml.php?id=demo"), m_target));
    QVERIFY(folderEntries().isEmpty());
    QCOMPARE(secure.requestLines().size(), 1);
    QVERIFY(plain.requestLines().isEmpty());
}

QTEST_GUILESS_MAIN(TestFeedDownloadTls)
#include "TestFeedDownloadTls.moc"
