#include "FeedServer.h"
#include "app/ReaderWindow.h"
#include "common/Texts.h"
#include "support/LocalHttpsServer.h"
#include "support/ModalWatcher.h"
#include "support/PageScript.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The bundled feed server's answers for the demo organization, over the test's own server.
LocalHttpServer::Handler demoServer()
{
    return [](const QByteArray &requestLine) {
        const FeedServerReply reply =
            answerFeedRequest(QStringLiteral(ZR_DEMO_ROOT), "/reader/", requestLine.split(' ').value(1));
        LocalHttpServer::Response response;
        response.status = reply.status;
        response.contentType = reply.contentType;
        response.body = reply.body;
        return response;
    };
}

QString pageText(ReaderWindow &window)
{
    return runPageScript(window.view(), QStringLiteral("document.body.innerText")).toString();
}

QStringList pictureSources(ReaderWindow &window)
{
    return runPageScript(window.view(),
                         QStringLiteral("Array.from(document.images).map(i => i.getAttribute('src'))"))
        .toStringList();
}

// Every picture of the page has arrived and was decoded.
bool picturesShown(ReaderWindow &window)
{
    return runPageScript(window.view(),
                         QStringLiteral("Array.from(document.images).every(i => i.complete && i.naturalWidth > 0)"))
        .toBool();
}

int feedPictures()
{
    QFile feed(QStringLiteral(ZR_DEMO_ROOT "/feeds/demo.xml"));
    return feed.open(QIODevice::ReadOnly) ? int(feed.readAll().count("<ZELTON_OBRAZEK>obrazky/")) : -1;
}

} // namespace

// The reader against a feed server on https, whose certificate comes from an authority
// that only this test process trusts.
class TestSecureFeed : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shouldShowFeedAndPicturesOverHttpsAndKeepPicturesForOffline();
    void shouldFallBackToOfflineOnCertificateForAnotherHost();

private:
    TestCertificateAuthority m_authority;
    QTemporaryDir m_config;
};

void TestSecureFeed::initTestCase()
{
    QVERIFY2(m_authority.isValid(), qPrintable(m_authority.error()));
    m_authority.trustInThisProcess();
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    QVERIFY(feedPictures() >= 10);
}

void TestSecureFeed::shouldShowFeedAndPicturesOverHttpsAndKeepPicturesForOffline()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    auto server = std::make_unique<LocalHttpsServer>(m_authority.issue(QStringLiteral("127.0.0.1")), demoServer());
    const QString base = server->baseUrl();
    QVERIFY(base.startsWith(QStringLiteral("https://127.0.0.1:")));

    QString onlineText;
    QStringList onlineSources;
    {
        ModalWatcher boxes;
        boxes.inputAnswers = {QStringLiteral("demo")};
        ReaderWindow window(ReaderConfig{ReaderPaths(folder.path()), base, {}});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(boxes.boxes.isEmpty());
        onlineText = pageText(window);
        QVERIFY(onlineText.contains(QStringLiteral("Vítejte v novém informačním kanálu!")));
        QVERIFY(!onlineText.startsWith(Texts::OfflineMark));
        onlineSources = pictureSources(window);
        QCOMPARE(onlineSources.size(), feedPictures());
        QVERIFY(onlineSources.first().startsWith(base + QStringLiteral("obrazky/")));
        QTRY_VERIFY_WITH_TIMEOUT(picturesShown(window), 20000);
        QVERIFY(server->requestLines().contains("GET /reader/obrazky/kino.png HTTP/1.1"));
        QCOMPARE(QDir(folder.filePath(QStringLiteral("pictures"))).entryList(QDir::Files).size(),
                 feedPictures());

        // The server goes away; a reload shows the last good feed with its pictures.
        server.reset();
        window.reloadNews();
        QVERIFY(boxes.boxes.isEmpty());
        QVERIFY(pageText(window).startsWith(Texts::OfflineMark));
        QTRY_VERIFY_WITH_TIMEOUT(picturesShown(window), 20000);
        QVERIFY(window.close());
    }
    {
        // A new start with the server still gone: a fresh view, nothing in memory, and yet
        // the cards have their pictures, from the reader's own cache.
        ModalWatcher boxes;
        ReaderWindow window(ReaderConfig{ReaderPaths(folder.path()), base, {}});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(boxes.boxes.isEmpty());
        const QString offlineText = pageText(window);
        QVERIFY(offlineText.startsWith(Texts::OfflineMark));
        QCOMPARE(offlineText.mid(Texts::OfflineMark.size()).trimmed(), onlineText.trimmed());
        QCOMPARE(pictureSources(window), onlineSources);
        QTRY_VERIFY_WITH_TIMEOUT(picturesShown(window), 20000);
    }
}

void TestSecureFeed::shouldFallBackToOfflineOnCertificateForAnotherHost()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // The last good feed, as an earlier run left it.
    QVERIFY(QFile::copy(QStringLiteral(ZR_DEMO_ROOT "/feeds/demo.xml"),
                        folder.filePath(QStringLiteral("Offline_ZeltonReader.xml"))));
    // A certificate the reader's own authority signed, but for another host name.
    LocalHttpsServer server(m_authority.issue(QStringLiteral("feeds.example.org")), demoServer());

    ModalWatcher boxes;
    boxes.inputAnswers = {QStringLiteral("demo")};
    ReaderWindow window(ReaderConfig{ReaderPaths(folder.path()), server.baseUrl(), {}});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(boxes.boxes.isEmpty());
    const QString text = pageText(window);
    QVERIFY(text.startsWith(Texts::OfflineMark));
    QVERIFY(text.contains(QStringLiteral("Vítejte v novém informačním kanálu!")));
    // The handshake failed, so neither the feed nor a picture was ever asked for.
    QVERIFY(server.requestLines().isEmpty());
}

ZR_WEB_VIEW_TEST_MAIN(TestSecureFeed)

#include "TestSecureFeed.moc"
