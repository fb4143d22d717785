#include "support/LocalHttpServer.h"
#include "support/PageScript.h"
#include "support/PictureBytes.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"
#include "view/PictureSchemeHandler.h"
#include "view/RequestPolicy.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QtTest>

using Info = QWebEngineUrlRequestInfo;
using Verdict = RequestPolicy::Verdict;

namespace {

// The feed server: its one picture, a picture that moves to another place, and one that
// trickles in at 1 KiB a second; anything else is missing.
LocalHttpServer::Handler feedServerHandler(const QByteArray &elsewhere)
{
    return [elsewhere](const QByteArray &line) {
        LocalHttpServer::Response response;
        response.contentType = "image/png";
        if (line.startsWith("GET /reader/five.png ")) {
            response.body = pngBytes(5, 4);
        } else if (line.startsWith("GET /reader/moved-away.png ")) {
            response.status = 302;
            response.headers = {{"Location", elsewhere}};
        } else if (line.startsWith("GET /reader/moved-within.png ")) {
            response.status = 302;
            response.headers = {{"Location", "/reader/five.png"}};
        } else if (line.startsWith("GET /reader/slow.png ")) {
            response.mode = LocalHttpServer::Response::Mode::Trickle;
            response.streamBytes = 1024 * 1024;
        } else {
            response.status = 404;
        }
        return response;
    };
}

// Stands in for another host: it answers everything, so whatever reaches it would show.
LocalHttpServer::Response answerEverything(const QByteArray &line)
{
    LocalHttpServer::Response response;
    if (line.contains(".png")) {
        response.contentType = "image/png";
        response.body = pngBytes(7, 3);
    } else {
        response.contentType = "text/css";
        response.body = "body { background: url(/reader/from-style.png) }";
    }
    return response;
}

QString pageWith(const QString &body)
{
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>%1</body></html>")
        .arg(body);
}

int naturalWidth(HtmlView &view, const QString &id)
{
    return runPageScript(&view, QStringLiteral("document.getElementById('%1').naturalWidth").arg(id)).toInt();
}

bool isComplete(HtmlView &view, const QString &id)
{
    return runPageScript(&view, QStringLiteral("document.getElementById('%1').complete").arg(id)).toBool();
}

} // namespace

// The shown page fetches pictures and nothing else, never anything of the member's own
// machine or network but the feed server's pictures, and those only through the reader.
class TestPageReach : public QObject
{
    Q_OBJECT

private slots:
    void shouldTellLocalNetworkAddresses_data();
    void shouldTellLocalNetworkAddresses();
    void shouldJudgeRequests_data();
    void shouldJudgeRequests();
    void shouldKeepFeedPicturesUnderBase_data();
    void shouldKeepFeedPicturesUnderBase();
    void shouldReachNothingButFeedPictures_data();
    void shouldReachNothingButFeedPictures();
    void shouldGiveEveryPageTheReadersContentPolicy();
    void shouldFollowNoRedirectOutOfBase();
    void shouldEndTricklingPictureWhileOthersLoad();
};

void TestPageReach::shouldTellLocalNetworkAddresses_data()
{
    // Addresses as a feed writes them; the URL parser brings each to its normal form first.
    // Nothing here is ever connected to.
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("local");

    const std::pair<const char *, bool> cases[] = {
        {"http://127.0.0.1/", true},          {"http://127.0.0.2:8080/", true},
        {"http://2130706433/", true},         {"http://0x7f.1/", true},
        {"http://0177.0.0.1/", true},         {"http://127.1/", true},
        {"http://0x7f000001/", true},         {"http://localhost/", true},
        {"http://LOCALHOST./", true},         {"http://admin.localhost/", true},
        {"http://[::1]/", true},              {"http://[0:0:0:0:0:0:0:1]/", true},
        {"http://[::]/", true},               {"http://0.0.0.0/", true},
        {"http://0/", true},                  {"http://[::ffff:127.0.0.1]/", true},
        {"http://[::ffff:7f00:1]/", true},    {"http://[::ffff:192.168.1.1]/", true},
        {"http://[::ffff:10.0.0.1]/", true},  {"http://[64:ff9b::a00:1]/", true},
        {"http://10.1.2.3/", true},           {"http://167772161/", true},
        {"http://172.16.0.1/", true},         {"http://172.31.255.254/", true},
        {"http://192.168.0.1/", true},        {"http://0xc0.0xa8.1.1/", true},
        {"http://169.254.169.254/", true},    {"http://100.64.0.1/", true},
        {"http://224.0.0.1/", true},          {"http://255.255.255.255/", true},
        {"http://[fd00::1]/", true},          {"http://[fc12:3456::1]/", true},
        {"http://[fe80::1]/", true},          {"http://[ff02::1]/", true},
        {"http://8.8.8.8/", false},           {"http://172.32.0.1/", false},
        {"http://11.0.0.1/", false},          {"http://192.169.0.1/", false},
        {"http://100.128.0.1/", false},       {"http://[2a00:1450:4001::1]/", false},
        {"http://[::ffff:8.8.8.8]/", false},  {"http://www.example.org/", false},
        {"http://localhost.example.org/", false},
    };
    for (const auto &[url, local] : cases)
        QTest::newRow(url) << QString::fromLatin1(url) << local;
}

void TestPageReach::shouldTellLocalNetworkAddresses()
{
    QFETCH(QString, url);
    QFETCH(bool, local);
    QCOMPARE(RequestPolicy::isLocalNetworkHost(QUrl(url).host()), local);
}

void TestPageReach::shouldJudgeRequests_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("url");
    QTest::addColumn<Verdict>("verdict");

    const QString feed = QStringLiteral("http://192.168.5.5:8080/reader/");
    const std::tuple<const char *, Info::ResourceType, QString, Verdict> cases[] = {
        {"the page", Info::ResourceTypeMainFrame, QStringLiteral("zelton-reader://page/3"), Verdict::Allow},
        {"the page in a frame", Info::ResourceTypeSubFrame, QStringLiteral("zelton-reader://page/3"), Verdict::Block},
        {"feed picture", Info::ResourceTypeImage, feed + QStringLiteral("a.png"), Verdict::FetchAsPicture},
        {"feed picture, dots within base", Info::ResourceTypeImage, feed + QStringLiteral("x/../a.png"), Verdict::FetchAsPicture},
        {"feed file outside base", Info::ResourceTypeImage, QStringLiteral("http://192.168.5.5:8080/Settings.ini"), Verdict::Block},
        {"feed picture, dots past base", Info::ResourceTypeImage, feed + QStringLiteral("../a.png"), Verdict::Block},
        {"feed host, other port", Info::ResourceTypeImage, QStringLiteral("http://192.168.5.5:9222/json"), Verdict::Block},
        {"feed host, other scheme", Info::ResourceTypeImage, QStringLiteral("https://192.168.5.5:8080/reader/a.png"), Verdict::Block},
        {"picture scheme", Info::ResourceTypeImage, QStringLiteral("zelton-picture:aGVsbG8"), Verdict::Allow},
        {"inline picture", Info::ResourceTypeImage, QStringLiteral("data:image/png;base64,AAAA"), Verdict::Allow},
        {"public picture", Info::ResourceTypeImage, QStringLiteral("https://www.example.org/logo.png"), Verdict::Allow},
        {"public picture, http", Info::ResourceTypeImage, QStringLiteral("http://www.example.org/logo.png"), Verdict::Allow},
        {"loopback picture", Info::ResourceTypeImage, QStringLiteral("http://127.0.0.1:9222/json"), Verdict::Block},
        {"local name picture", Info::ResourceTypeImage, QStringLiteral("http://localhost/x.png"), Verdict::Block},
        {"private picture", Info::ResourceTypeImage, QStringLiteral("http://10.0.0.1/x.png"), Verdict::Block},
        {"file picture", Info::ResourceTypeImage, QStringLiteral("file:///etc/passwd"), Verdict::Block},
        {"ftp picture", Info::ResourceTypeImage, QStringLiteral("ftp://www.example.org/x.png"), Verdict::Block},
        {"style sheet", Info::ResourceTypeStylesheet, QStringLiteral("https://www.example.org/a.css"), Verdict::Block},
        {"feed style sheet", Info::ResourceTypeStylesheet, feed + QStringLiteral("a.css"), Verdict::Block},
        {"font", Info::ResourceTypeFontResource, QStringLiteral("https://www.example.org/a.woff"), Verdict::Block},
        {"frame", Info::ResourceTypeSubFrame, QStringLiteral("https://www.example.org/"), Verdict::Block},
        {"media", Info::ResourceTypeMedia, QStringLiteral("https://www.example.org/a.mp4"), Verdict::Block},
        {"prefetch", Info::ResourceTypePrefetch, QStringLiteral("https://www.example.org/"), Verdict::Block},
        {"object", Info::ResourceTypeObject, QStringLiteral("https://www.example.org/a.swf"), Verdict::Block},
        {"other", Info::ResourceTypeSubResource, QStringLiteral("https://www.example.org/"), Verdict::Block},
        {"ping", Info::ResourceTypePing, QStringLiteral("https://www.example.org/"), Verdict::Block},
        {"favicon", Info::ResourceTypeFavicon, QStringLiteral("https://www.example.org/favicon.ico"), Verdict::Block},
        {"unknown", Info::ResourceTypeUnknown, QStringLiteral("https://www.example.org/"), Verdict::Block},
    };
    for (const auto &[name, type, url, verdict] : cases)
        QTest::newRow(name) << int(type) << url << verdict;
}

void TestPageReach::shouldJudgeRequests()
{
    QFETCH(int, type);
    QFETCH(QString, url);
    QFETCH(Verdict, verdict);
    QCOMPARE(RequestPolicy::judge(Info::ResourceType(type), QUrl(url),
                                  QUrl(QStringLiteral("http://192.168.5.5:8080/reader/"))),
             verdict);
}

void TestPageReach::shouldKeepFeedPicturesUnderBase_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("fetched");  // empty: refused

    const QString base = QStringLiteral("http://127.0.0.1:19100/reader/");
    QTest::newRow("plain") << base + QStringLiteral("a.png") << base + QStringLiteral("a.png");
    QTest::newRow("dots within") << base + QStringLiteral("x/./y/../a.png") << base + QStringLiteral("x/a.png");
    QTest::newRow("dots to base") << base + QStringLiteral("x/../a.png") << base + QStringLiteral("a.png");
    QTest::newRow("dots past root") << base + QStringLiteral("x/../../../a.png") << QString();
    QTest::newRow("dots past base") << base + QStringLiteral("../x.png") << QString();
    QTest::newRow("encoded dots") << base + QStringLiteral("%2e%2e/x.png") << QString();
    QTest::newRow("encoded slash") << base + QStringLiteral("..%2Fx.png") << QString();
    QTest::newRow("encoded backslash") << base + QStringLiteral("..%5Cx.png") << QString();
    QTest::newRow("base without slash") << QStringLiteral("http://127.0.0.1:19100/reader") << QString();
    QTest::newRow("longer name") << QStringLiteral("http://127.0.0.1:19100/readers/a.png") << QString();
    QTest::newRow("user info") << QStringLiteral("http://me@127.0.0.1:19100/reader/a.png") << QString();
    QTest::newRow("other port") << QStringLiteral("http://127.0.0.1:19101/reader/a.png") << QString();
    QTest::newRow("other host") << QStringLiteral("http://127.0.0.2:19100/reader/a.png") << QString();
}

void TestPageReach::shouldKeepFeedPicturesUnderBase()
{
    QFETCH(QString, url);
    QFETCH(QString, fetched);
    QCOMPARE(RequestPolicy::underBase(QUrl(url), QUrl(QStringLiteral("http://127.0.0.1:19100/reader/"))),
             fetched.isEmpty() ? QUrl() : QUrl(fetched));
}

void TestPageReach::shouldReachNothingButFeedPictures_data()
{
    // {other} is the other host's base, {feed} the feed server's root, {madeUp} a picture
    // address of the reader's own made up by the feed.
    QTest::addColumn<QString>("markup");

    QTest::newRow("picture") << QStringLiteral("<img src=\"{other}a.png\">");
    QTest::newRow("style sheet link") << QStringLiteral("<link rel=\"stylesheet\" href=\"{other}a.css\">");
    QTest::newRow("style sheet import") << QStringLiteral("<style>@import url(\"{other}a.css\");</style>");
    QTest::newRow("css background")
        << QStringLiteral("<div style=\"width:20px;height:20px;background:url('{other}a.png')\"></div>");
    QTest::newRow("srcset") << QStringLiteral("<img srcset=\"{other}a.png 1x, {other}b.png 2x\">");
    QTest::newRow("video poster") << QStringLiteral("<video poster=\"{other}a.png\" src=\"{other}a.mp4\"></video>");
    QTest::newRow("audio") << QStringLiteral("<audio src=\"{other}a.mp3\" autoplay preload=\"auto\"></audio>");
    QTest::newRow("prefetch") << QStringLiteral("<link rel=\"prefetch\" href=\"{other}a.png\">");
    QTest::newRow("srcdoc frame picture") << QStringLiteral("<iframe srcdoc=\"<img src='{other}a.png'>\"></iframe>");
    QTest::newRow("font")
        << QStringLiteral("<style>@font-face{font-family:f;src:url('{other}a.woff')}</style><p style=\"font-family:f\">a</p>");
    QTest::newRow("feed file outside base") << QStringLiteral("<img src=\"{feed}Settings.ini\">");
    QTest::newRow("feed style sheet") << QStringLiteral("<link rel=\"stylesheet\" href=\"{feed}reader/a.css\">");
    QTest::newRow("dots past base") << QStringLiteral("<img src=\"{madeUp}\">");
}

void TestPageReach::shouldReachNothingButFeedPictures()
{
    QFETCH(QString, markup);
    LocalHttpServer otherHost(answerEverything);
    LocalHttpServer feedServer(feedServerHandler({}));
    const QString feedRoot = QStringLiteral("http://127.0.0.1:%1/").arg(feedServer.port());
    const QUrl madeUp = PictureSchemeHandler::localUrl(QUrl(feedServer.baseUrl() + QStringLiteral("../five.png")));
    QVERIFY(madeUp.toString().size() > 20);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    HtmlView view;
    view.setPictureSource(feedServer.baseUrl(), dir.filePath(QStringLiteral("pictures")));
    QSignalSpy loaded(view.page(), &QWebEnginePage::loadFinished);
    markup.replace(QStringLiteral("{other}"), otherHost.baseUrl())
        .replace(QStringLiteral("{feed}"), feedRoot)
        .replace(QStringLiteral("{madeUp}"), madeUp.toString());
    view.showHtml(pageWith(markup + QStringLiteral("<img id=\"five\" src=\"%1five.png\">").arg(feedServer.baseUrl())));
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 60000);

    // The feed server's picture still shows, fetched by the reader, and nothing else was asked.
    QTRY_COMPARE_WITH_TIMEOUT(naturalWidth(view, QStringLiteral("five")), 5, 60000);
    QCOMPARE(otherHost.requestLines(), QList<QByteArray>());
    QCOMPARE(feedServer.requestLines(), QList<QByteArray>{"GET /reader/five.png HTTP/1.1"});
}

void TestPageReach::shouldGiveEveryPageTheReadersContentPolicy()
{
    LocalHttpServer otherHost(answerEverything);
    HtmlView view;
    // Collects, in the program's world, what the page's policy refused.
    QWebEngineScript recorder;
    recorder.setInjectionPoint(QWebEngineScript::DocumentCreation);
    recorder.setWorldId(QWebEngineScript::ApplicationWorld);
    recorder.setSourceCode(QStringLiteral(
        "window.refused = [];"
        "document.addEventListener('securitypolicyviolation', e => window.refused.push(e.blockedURI));"));
    view.page()->scripts().insert(recorder);
    QSignalSpy loaded(view.page(), &QWebEnginePage::loadFinished);

    const QString html = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><link rel=\"stylesheet\" href=\"%1head.css\">"
        "</head><body><p>text</p><link rel=\"stylesheet\" href=\"%1body.css\">"
        "<p style=\"color: red\" id=\"styled\">styled</p></body></html>").arg(otherHost.baseUrl());
    view.showHtml(html);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 60000);

    // Both style sheets were refused by the policy already, the one in the head included...
    QTRY_COMPARE_WITH_TIMEOUT(runPageScript(&view, QStringLiteral("window.refused.sort().join()")).toString(),
                              otherHost.baseUrl() + QStringLiteral("body.css,") + otherHost.baseUrl()
                                  + QStringLiteral("head.css"),
                              60000);
    // ...while the page's own styles apply, and its document is the page's text alone.
    QCOMPARE(runPageScript(&view, QStringLiteral("getComputedStyle(document.getElementById('styled')).color"))
                 .toString(),
             QStringLiteral("rgb(255, 0, 0)"));
    QCOMPARE(runPageScript(&view, QStringLiteral("document.head.querySelectorAll('meta').length")).toInt(), 1);
    QCOMPARE(otherHost.requestLines(), QList<QByteArray>());
}

void TestPageReach::shouldFollowNoRedirectOutOfBase()
{
    LocalHttpServer otherHost(answerEverything);
    LocalHttpServer feedServer(feedServerHandler((otherHost.baseUrl() + QStringLiteral("a.png")).toLatin1()));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString cacheFolder = dir.filePath(QStringLiteral("pictures"));

    HtmlView view;
    view.setPictureSource(feedServer.baseUrl(), cacheFolder);
    view.showHtml(pageWith(QStringLiteral("<img id=\"away\" src=\"%1moved-away.png\">"
                                            "<img id=\"within\" src=\"%1moved-within.png\">")
                                 .arg(feedServer.baseUrl())));
    QTRY_VERIFY_WITH_TIMEOUT(isComplete(view, QStringLiteral("away")) && isComplete(view, QStringLiteral("within")),
                             60000);

    // A move within the base is followed; one to another host is not, and nothing is kept
    // under the name that moved away.
    QCOMPARE(naturalWidth(view, QStringLiteral("within")), 5);
    QCOMPARE(naturalWidth(view, QStringLiteral("away")), 0);
    QCOMPARE(otherHost.requestLines(), QList<QByteArray>());
    QCOMPARE(QDir(cacheFolder).entryList(QDir::Files).size(), 1);
}

void TestPageReach::shouldEndTricklingPictureWhileOthersLoad()
{
    LocalHttpServer feedServer(feedServerHandler({}));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    HtmlView view;
    view.setPictureSource(feedServer.baseUrl(), dir.filePath(QStringLiteral("pictures")));
    // Long enough that the other picture is there well before, short enough for a test.
    view.setPictureTimeLimit(15'000);
    view.showHtml(pageWith(QStringLiteral("<img id=\"slow\" src=\"%1slow.png\"><img id=\"five\" src=\"%1five.png\">")
                                 .arg(feedServer.baseUrl())));

    // The other picture does not wait for the slow one.
    QTRY_COMPARE_WITH_TIMEOUT(naturalWidth(view, QStringLiteral("five")), 5, 60000);
    QVERIFY(!isComplete(view, QStringLiteral("slow")));
    QVERIFY(feedServer.requestLines().contains("GET /reader/slow.png HTTP/1.1"));

    // The slow one, still trickling, is ended and shows as missing.
    QTRY_VERIFY_WITH_TIMEOUT(isComplete(view, QStringLiteral("slow")), 60000);
    QCOMPARE(naturalWidth(view, QStringLiteral("slow")), 0);
    QVERIFY(feedServer.streamedBytes() < 1024 * 1024);
}

ZR_WEB_VIEW_TEST_MAIN(TestPageReach)

#include "TestPageReach.moc"
