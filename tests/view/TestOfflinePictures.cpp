#include "support/LocalHttpServer.h"
#include "support/LocalHttpsServer.h"
#include "support/PageScript.h"
#include "support/PictureBytes.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"
#include "view/PictureSchemeHandler.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// A server of two pictures, 5x4 and 7x3 pixels; anything else is missing.
LocalHttpServer::Handler pictureServer()
{
    return [](const QByteArray &line) {
        LocalHttpServer::Response response;
        response.contentType = "image/png";
        if (line.startsWith("GET /reader/five.png "))
            response.body = pngBytes(5, 4);
        else if (line.startsWith("GET /reader/seven.png "))
            response.body = pngBytes(7, 3);
        else
            response.status = 404;
        return response;
    };
}

QString cardsPage(const QString &base)
{
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
                          "<p id=\"text\">Žluťoučký kůň</p>"
                          "<img id=\"five\" src=\"%1five.png\"><img id=\"seven\" src=\"%1seven.png\">"
                          "</body></html>")
        .arg(base);
}

QString naturalWidths(HtmlView &view)
{
    return runPageScript(&view, QStringLiteral("[document.getElementById('five').naturalWidth,"
                                               " document.getElementById('seven').naturalWidth].join()"))
        .toString();
}

bool picturesSettled(HtmlView &view)
{
    return runPageScript(&view, QStringLiteral("Array.from(document.images).every(i => i.complete)")).toBool();
}

} // namespace

class TestOfflinePictures : public QObject
{
    Q_OBJECT

private slots:
    void shouldShowKeptPicturesWhenServerIsGone();
    void shouldKeepOnlyTheFeedServersPictures();
    void shouldVerifyCertificatesOfPicturesOverHttps();
    void shouldFetchEachPictureOncePerPage();
};

void TestOfflinePictures::shouldShowKeptPicturesWhenServerIsGone()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString cacheFolder = dir.filePath(QStringLiteral("pictures"));
    auto server = std::make_unique<LocalHttpServer>(pictureServer());
    const QString base = server->baseUrl();
    const QString html = cardsPage(base);

    {
        HtmlView view;
        view.setPictureSource(base, cacheFolder);
        view.showHtml(html);
        QTRY_COMPARE_WITH_TIMEOUT(naturalWidths(view), QStringLiteral("5,7"), 10000);
    }
    QVERIFY(server->requestLines().contains("GET /reader/five.png HTTP/1.1"));
    QCOMPARE(QDir(cacheFolder).entryList(QDir::Files).size(), 2);
    server.reset();  // the server is gone: its port refuses every connection

    // Without the kept copies the pictures stay empty: the server really cannot be reached.
    {
        HtmlView view;
        view.showHtml(html);
        QTRY_VERIFY_WITH_TIMEOUT(picturesSettled(view), 10000);
        QCOMPARE(naturalWidths(view), QStringLiteral("0,0"));
    }

    HtmlView view;
    view.setPictureSource(base, cacheFolder);
    view.showHtml(html);
    QTRY_COMPARE_WITH_TIMEOUT(naturalWidths(view), QStringLiteral("5,7"), 10000);
    // The page is the one given: its pictures still name the feed server.
    QCOMPARE(view.currentPageBytes(), html.toUtf8());
    QCOMPARE(runPageScript(&view, QStringLiteral("document.getElementById('five').getAttribute('src')")).toString(),
             base + QStringLiteral("five.png"));
    QCOMPARE(runPageScript(&view, QStringLiteral("document.getElementById('text').textContent")).toString(),
             QStringLiteral("Žluťoučký kůň"));
}

void TestOfflinePictures::shouldKeepOnlyTheFeedServersPictures()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString cacheFolder = dir.filePath(QStringLiteral("pictures"));
    LocalHttpServer feedServer(pictureServer());
    LocalHttpServer otherServer(pictureServer());
    // An address of the picture scheme that a feed text made up, for a server not the feed's.
    const QUrl madeUp =
        PictureSchemeHandler::localUrl(QUrl(otherServer.baseUrl() + QStringLiteral("five.png")));

    HtmlView view;
    view.setPictureSource(feedServer.baseUrl(), cacheFolder);
    view.showHtml(QStringLiteral("<img id=\"five\" src=\"%1five.png\"><img id=\"seven\" src=\"%2seven.png\">"
                                   "<img id=\"madeUp\" src=\"%3\"><img id=\"missing\" src=\"%1none.png\">")
                        .arg(feedServer.baseUrl(), otherServer.baseUrl(), madeUp.toString()));
    QTRY_VERIFY_WITH_TIMEOUT(picturesSettled(view), 10000);

    // Pictures of other servers are not kept; those of other servers on this machine are
    // not even fetched (public hosts' pictures load as in any browser).
    QCOMPARE(naturalWidths(view), QStringLiteral("5,0"));
    QCOMPARE(runPageScript(&view, QStringLiteral("document.getElementById('madeUp').naturalWidth")).toInt(), 0);
    QCOMPARE(runPageScript(&view, QStringLiteral("document.getElementById('missing').naturalWidth")).toInt(), 0);
    QCOMPARE(otherServer.requestLines(), QList<QByteArray>());
    QVERIFY(feedServer.requestLines().contains("GET /reader/none.png HTTP/1.1"));
    // Only the feed server's picture that arrived is kept; a missing one leaves nothing.
    QCOMPARE(QDir(cacheFolder).entryList(QDir::Files).size(), 1);
}

void TestOfflinePictures::shouldVerifyCertificatesOfPicturesOverHttps()
{
    // This process trusts the authority; the web engine, with a store of its own, does not.
    TestCertificateAuthority authority;
    QVERIFY2(authority.isValid(), qPrintable(authority.error()));
    authority.trustInThisProcess();
    LocalHttpsServer feedServer(authority.issue(QStringLiteral("127.0.0.1")), pictureServer());
    LocalHttpsServer otherServer(authority.issue(QStringLiteral("127.0.0.1")), pictureServer());
    LocalHttpsServer wrongHost(authority.issue(QStringLiteral("feeds.example.org")), pictureServer());
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    HtmlView view;
    view.setPictureSource(feedServer.baseUrl(), dir.filePath(QStringLiteral("pictures")));
    view.showHtml(QStringLiteral("<img id=\"five\" src=\"%1five.png\"><img id=\"seven\" src=\"%2seven.png\">")
                        .arg(feedServer.baseUrl(), otherServer.baseUrl()));
    QTRY_VERIFY_WITH_TIMEOUT(picturesSettled(view), 10000);
    // The feed server's picture is fetched by the reader, which trusts what this process
    // trusts; the other server's is the engine's, and no certificate error is let through.
    QCOMPARE(naturalWidths(view), QStringLiteral("5,0"));
    QVERIFY(otherServer.requestLines().isEmpty());

    // A feed server whose certificate names another host gives no picture.
    HtmlView wrongView;
    wrongView.setPictureSource(wrongHost.baseUrl(), dir.filePath(QStringLiteral("other")));
    wrongView.showHtml(QStringLiteral("<img id=\"five\" src=\"%1five.png\"><img id=\"seven\" src=\"%1seven.png\">")
                             .arg(wrongHost.baseUrl()));
    QTRY_VERIFY_WITH_TIMEOUT(picturesSettled(wrongView), 10000);
    QCOMPARE(naturalWidths(wrongView), QStringLiteral("0,0"));
    QVERIFY(wrongHost.requestLines().isEmpty());
}

void TestOfflinePictures::shouldFetchEachPictureOncePerPage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    LocalHttpServer server(pictureServer());
    const QString base = server.baseUrl();
    const auto requestsFor = [&server](const QByteArray &name) {
        return int(server.requestLines().count("GET /reader/" + name + " HTTP/1.1"));
    };
    const QString page = QStringLiteral("<img class=\"five\" src=\"%1five.png\"><img src=\"%1none.png\">").arg(base);

    HtmlView view;
    view.setPictureSource(base, dir.filePath(QStringLiteral("pictures")));
    view.showHtml(page);
    QTRY_VERIFY_WITH_TIMEOUT(picturesSettled(view), 10000);
    QCOMPARE(requestsFor("five.png"), 1);
    QCOMPARE(requestsFor("none.png"), 1);

    // Cards read later show the same pictures, one that is missing included; the engine
    // asks for that one again each time, the server is not asked again.
    const QString addCard = QStringLiteral(
        "for (const name of ['five', 'none']) { const picture = document.createElement('img');"
        " picture.className = name; picture.src = '%1' + name + '.png'; document.body.append(picture); }")
                                .arg(base);
    constexpr int LaterCards = 5;
    for (int i = 0; i < LaterCards; ++i) {
        runPageScript(&view, addCard);
        QTRY_VERIFY_WITH_TIMEOUT(picturesSettled(view), 10000);
    }
    QCOMPARE(runPageScript(&view, QStringLiteral("[...document.querySelectorAll('img.five')]"
                                                 ".filter(i => i.naturalWidth === 5).length")).toInt(),
             1 + LaterCards);
    QCOMPARE(runPageScript(&view, QStringLiteral("[...document.querySelectorAll('img.none')]"
                                                 ".filter(i => i.complete && i.naturalWidth === 0).length")).toInt(),
             LaterCards);
    QCOMPARE(requestsFor("five.png"), 1);
    QCOMPARE(requestsFor("none.png"), 1);

    // The next page (the next refresh, with a changed page: the same one is not loaded again)
    // asks the server again, once.
    view.showHtml(page + u' ');
    QTRY_VERIFY_WITH_TIMEOUT(picturesSettled(view), 10000);
    QCOMPARE(requestsFor("five.png"), 2);
    QCOMPARE(requestsFor("none.png"), 2);
}

ZR_WEB_VIEW_TEST_MAIN(TestOfflinePictures)

#include "TestOfflinePictures.moc"
