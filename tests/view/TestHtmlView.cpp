#include "support/LocalHttpServer.h"
#include "support/PictureBytes.h"
#include "support/WebViewTestMain.h"
#include "common/Texts.h"
#include "view/HtmlView.h"
#include "view/ReaderPage.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSet>
#include <QTemporaryDir>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

const QString CzechWords = QStringLiteral("Vše, žluťoučký kůň");
const QString PageHead = QStringLiteral(
    "<!DOCTYPE html><html><head>"
    "<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">"
    "<title>clean</title></head><body>");
const QString PageTail = QStringLiteral("</body></html>");
// A page of a server that is not the reader's, which the view must never show.
const QByteArray ElsewherePage = "<html><body><p id=\"text\">elsewhere</p></body></html>";

QString page(const QString &body)
{
    return PageHead + body + PageTail;
}

// Runs `script` in the program's own world, as the reader itself would, and returns its
// result; nothing when the page never answered.
std::optional<QVariant> evaluate(HtmlView &view, const QString &script)
{
    auto answer = std::make_shared<std::optional<QVariant>>();
    view.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                               [answer](const QVariant &result) { *answer = result; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, 60000))
        return std::nullopt;
    return *answer;
}

QString evaluateText(HtmlView &view, const QString &script)
{
    const std::optional<QVariant> result = evaluate(view, script);
    return result ? result->toString() : QStringLiteral("<no answer>");
}

ReaderPage *readerPage(HtmlView &view)
{
    return qobject_cast<ReaderPage *>(view.page());
}

// Where the page's element `id` sits in the view, for clicks of a real mouse.
QPoint centreOf(HtmlView &view, const QString &id)
{
    const QVariantList box =
        evaluate(view, QStringLiteral("(function(){var r=document.getElementById('%1')"
                                      ".getBoundingClientRect();"
                                      "return [r.left + r.width / 2, r.top + r.height / 2];})()")
                           .arg(id))
            .value_or(QVariant())
            .toList();
    if (box.size() != 2)
        return {};
    return QPoint(qRound(box.at(0).toDouble()), qRound(box.at(1).toDouble()));
}

// Texts of the menu's actions, separators left out.
QStringList actionTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    return texts;
}

QAction *findAction(const QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class TestHtmlView : public QObject
{
    Q_OBJECT

private slots:
    void shouldHaveNoDocumentBeforeFirstLoad();
    void shouldShowLargeCzechPageWhole_data();
    void shouldShowLargeCzechPageWhole();
    void shouldHandOverUtf8WithoutByteOrderMark_data();
    void shouldHandOverUtf8WithoutByteOrderMark();
    void shouldReplacePageAndForgetOlderOnes();
    void shouldShowNewestPageWhenLoadStartsDuringWait();
    void shouldKeepRendererFromPageToPage();
    void shouldFindNothingUnderOtherAddresses_data();
    void shouldFindNothingUnderOtherAddresses();
    void shouldLoadHttpPicturesButNotLocalFiles();
    void shouldNotWaitForPicturesThatNeverArrive();
    void shouldRunNoScriptFromThePage_data();
    void shouldRunNoScriptFromThePage();
    void shouldRunProgramScriptsInItsOwnWorld();
    void shouldStayOnPageWhenMetaRefreshPointsElsewhere();
    void shouldDecideNavigation_data();
    void shouldDecideNavigation();
    void shouldOpenClickedLinkInBrowser_data();
    void shouldOpenClickedLinkInBrowser();
    void shouldOfferOnlyReaderActionsInContextMenu_data();
    void shouldOfferOnlyReaderActionsInContextMenu();
    void shouldCopySelectionFromContextMenu();

private:
    // Shows the view on the (offscreen) screen, so a mouse can click into it.
    static void showForMouse(HtmlView &view);
    static QMenu *rightClick(HtmlView &view, const QPoint &at);
};

void TestHtmlView::showForMouse(HtmlView &view)
{
    view.resize(640, 480);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTRY_VERIFY_WITH_TIMEOUT(view.focusProxy() != nullptr, 60000);
}

QMenu *TestHtmlView::rightClick(HtmlView &view, const QPoint &at)
{
    QTest::mouseClick(view.focusProxy(), Qt::RightButton, {}, at);
    QMenu *menu = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        menu = view.findChild<QMenu *>();
        return menu && menu->isVisible();
    }, 60000);
    return shown ? menu : nullptr;
}

void TestHtmlView::shouldHaveNoDocumentBeforeFirstLoad()
{
    HtmlView view;
    QVERIFY(!view.hasDocument());
    QVERIFY(view.currentPageBytes().isEmpty());

    view.showHtml(page(QStringLiteral("<p>first</p>")));
    QVERIFY(view.hasDocument());
}

void TestHtmlView::shouldShowLargeCzechPageWhole_data()
{
    QTest::addColumn<QString>("head");

    QTest::newRow("page declares its charset") << PageHead;
    // The charset then comes from the view's answer alone; without it the bytes would be
    // read as windows-1252.
    QTest::newRow("page declares nothing") << QStringLiteral("<html><body>");
}

void TestHtmlView::shouldShowLargeCzechPageWhole()
{
    QFETCH(QString, head);

    const QString paragraph =
        QStringLiteral("<p>") + CzechWords + QStringLiteral(" úpěl ďábelské ódy. ")
        + QString(200, u'ř')
        + QStringLiteral("</p>");
    QString html = head;
    while (html.size() < 3000000)  // past 5 MB once most letters take two bytes
        html += paragraph;
    html += QStringLiteral("<div id=\"end\">") + CzechWords + QStringLiteral("</div>") + PageTail;
    QVERIFY(html.toUtf8().size() > 5 * 1024 * 1024);

    HtmlView view;
    view.showHtml(html);

    // On a loaded machine a page this large can outlast the view's own bounded wait, so the
    // test waits for the parsed document itself; smaller pages check that the call waits.
    QTRY_VERIFY_WITH_TIMEOUT(evaluateText(view, QStringLiteral("document.readyState")) == QStringLiteral("complete"),
                             60000);
    QCOMPARE(evaluateText(view, QStringLiteral("document.getElementById('end').textContent")),
             CzechWords);
    QCOMPARE(evaluateText(view, QStringLiteral("document.characterSet")), QStringLiteral("UTF-8"));
    QCOMPARE(evaluateText(view, QStringLiteral("String(document.getElementsByTagName('p').length)")),
             QString::number((html.size() - head.size()) / paragraph.size()));
    QCOMPARE(view.currentPageBytes(), html.toUtf8());
}

void TestHtmlView::shouldHandOverUtf8WithoutByteOrderMark_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QByteArray>("expectedStart");

    QTest::newRow("doctype first") << page(CzechWords) << QByteArray("<!DOCTYPE html>");
    QTest::newRow("Czech letter first")
        << QStringLiteral("Žluť<p>") + CzechWords << QByteArray("\xC5\xBD" "lu\xC5\xA5");
    QTest::newRow("empty text") << QString() << QByteArray();
}

void TestHtmlView::shouldHandOverUtf8WithoutByteOrderMark()
{
    QFETCH(QString, html);
    QFETCH(QByteArray, expectedStart);

    HtmlView view;
    view.showHtml(html);

    const QByteArray bytes = view.currentPageBytes();
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.startsWith(expectedStart));
    if (html.isEmpty()) {
        QVERIFY(bytes.isEmpty());
        QCOMPARE(evaluateText(view, QStringLiteral("document.body.textContent")), QString());
    } else {
        QVERIFY(bytes.contains("V\xC5\xA1" "e, \xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88"));
        QVERIFY(evaluateText(view, QStringLiteral("document.body.textContent")).contains(CzechWords));
    }
}

void TestHtmlView::shouldReplacePageAndForgetOlderOnes()
{
    HtmlView view;
    view.showHtml(page(QStringLiteral("<p id=\"text\">first page</p>")));
    QCOMPARE(evaluateText(view, QStringLiteral("document.getElementById('text').textContent")),
             QStringLiteral("first page"));

    view.showHtml(page(QStringLiteral("<p id=\"text\">second page</p>")));
    QCOMPARE(evaluateText(view, QStringLiteral("document.getElementById('text').textContent")),
             QStringLiteral("second page"));
    QVERIFY(view.hasDocument());
    QVERIFY(!view.history()->canGoBack());

    // Back, asked for anyway, must not bring the first page back.
    view.back();
    QTest::qWait(300);
    QCOMPARE(evaluateText(view, QStringLiteral("document.getElementById('text').textContent")),
             QStringLiteral("second page"));
}

void TestHtmlView::shouldShowNewestPageWhenLoadStartsDuringWait()
{
    // The wait pumps events, so a refresh (a timer tick, say) can load the next page while
    // the previous one is still on its way; the newer page must win and both calls return.
    HtmlView view;
    bool innerDone = false;
    QTimer::singleShot(0, &view, [&] {
        view.showHtml(page(QStringLiteral("<p id=\"text\">newer</p>")));
        innerDone = true;
    });
    view.showHtml(page(QStringLiteral("<p id=\"text\">older</p>")));

    QVERIFY(innerDone);
    QVERIFY(view.hasDocument());
    QCOMPARE(evaluateText(view, QStringLiteral("document.getElementById('text').textContent")),
             QStringLiteral("newer"));
    QVERIFY(view.currentPageBytes().contains("newer"));
    QVERIFY(!view.history()->canGoBack());
}

void TestHtmlView::shouldKeepRendererFromPageToPage()
{
    // Starting a renderer for every page would cost each reload a process.
    HtmlView view;
    QList<qint64> renderers;
    QList<QUrl> urls;
    for (const QString &text : {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}) {
        view.showHtml(page(QStringLiteral("<p id=\"text\">%1</p>").arg(text)));
        QCOMPARE(evaluateText(view, QStringLiteral("document.getElementById('text').textContent")), text);
        renderers << view.page()->renderProcessPid();
        urls << view.url();
    }
    QVERIFY(renderers.first() > 0);
    QCOMPARE(renderers, QList<qint64>(3, renderers.first()));
    // Every page has an address of its own all the same.
    QCOMPARE(QSet<QUrl>(urls.cbegin(), urls.cend()).size(), 3);
    QVERIFY(!view.history()->canGoBack());
}

void TestHtmlView::shouldFindNothingUnderOtherAddresses_data()
{
    QTest::addColumn<QString>("address");  // "older": the page shown before the current one
    QTest::newRow("older page") << QStringLiteral("older");
    QTest::newRow("made-up page") << QStringLiteral("zelton-reader://page/999999");
    QTest::newRow("other host") << QStringLiteral("zelton-reader://other/1");
}

void TestHtmlView::shouldFindNothingUnderOtherAddresses()
{
    QFETCH(QString, address);
    HtmlView view;
    view.showHtml(page(QStringLiteral("<p>older</p>")));
    const QUrl older = view.url();
    view.showHtml(page(QStringLiteral("<p>current</p>")));
    const QUrl current = view.url();
    const QUrl url = address == QLatin1String("older") ? older : QUrl(address);
    QVERIFY(url.isValid());

    // The current page's own load may still be ending; only the new address's end counts.
    std::optional<QWebEngineLoadingInfo::LoadStatus> end;
    connect(view.page(), &QWebEnginePage::loadingChanged, &view, [&](const QWebEngineLoadingInfo &info) {
        if (!end && info.url() != current && info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            end = info.status();
    });
    // Let the page go there, so that only the scheme's answer decides.
    readerPage(view)->setReaderPageUrl(url);
    view.page()->load(url);
    QTRY_VERIFY_WITH_TIMEOUT(end.has_value(), 60000);
    QCOMPARE(*end, QWebEngineLoadingInfo::LoadFailedStatus);
}

void TestHtmlView::shouldLoadHttpPicturesButNotLocalFiles()
{
    const QByteArray png = pngBytes(3, 2);
    LocalHttpServer server(LocalHttpServer::answering(png, "image/png"));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile local(dir.filePath(QStringLiteral("local.png")));
    QVERIFY(local.open(QIODevice::WriteOnly));
    local.write(png);
    local.close();

    // The server stands for the feed server: no other server on this machine is reached.
    HtmlView view;
    view.setPictureSource(server.baseUrl(), dir.filePath(QStringLiteral("pictures")));
    view.showHtml(page(
        QStringLiteral("<img id=\"web\" src=\"%1\"><img id=\"local\" src=\"%2\">")
            .arg(server.baseUrl() + QStringLiteral("picture.png"),
                 QUrl::fromLocalFile(local.fileName()).toString())));

    QTRY_VERIFY_WITH_TIMEOUT(server.requestLines().contains("GET /reader/picture.png HTTP/1.1"), 60000);
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluateText(view, QStringLiteral("String(document.getElementById('web').naturalWidth)")),
        QStringLiteral("3"), 60000);
    // The local picture is settled (complete) and yet empty: it was refused, not slow.
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluateText(view, QStringLiteral("String(document.getElementById('local').complete)")),
        QStringLiteral("true"), 60000);
    QCOMPARE(evaluateText(view, QStringLiteral("String(document.getElementById('local').naturalWidth)")),
             QStringLiteral("0"));
}

void TestHtmlView::shouldNotWaitForPicturesThatNeverArrive()
{
    LocalHttpServer server([](const QByteArray &) {
        LocalHttpServer::Response response;
        response.mode = LocalHttpServer::Response::Mode::Silent;
        return response;
    });
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    HtmlView view;
    view.setPictureSource(server.baseUrl(), dir.filePath(QStringLiteral("pictures")));
    view.showHtml(page(QStringLiteral("<img src=\"%1never.png\"><p id=\"end\">%2</p>")
                             .arg(server.baseUrl(), CzechWords)));

    QVERIFY(view.hasDocument());
    QCOMPARE(evaluateText(view, QStringLiteral("document.getElementById('end').textContent")),
             CzechWords);
    // The picture is still on its way: the call came back before the whole load ended.
    QCOMPARE(evaluateText(view, QStringLiteral("document.readyState")), QStringLiteral("interactive"));
    server.stop();
}

void TestHtmlView::shouldRunNoScriptFromThePage_data()
{
    QTest::addColumn<QString>("body");

    QTest::newRow("script element") << QStringLiteral("<script>document.title = 'script';</script>");
    QTest::newRow("inline error handler")
        << QStringLiteral("<img src=\"zelton-reader:missing\" onerror=\"document.title = 'onerror'\">");
    QTest::newRow("load handler") << QStringLiteral("<svg onload=\"document.title = 'onload'\"></svg>");
    QTest::newRow("script in a frame")
        << QStringLiteral("<iframe srcdoc=\"<script>parent.document.title = 'frame'</script>\"></iframe>");
}

void TestHtmlView::shouldRunNoScriptFromThePage()
{
    QFETCH(QString, body);

    HtmlView view;
    view.showHtml(page(body + QStringLiteral("<p>after</p>")));

    // Once the whole load is over every handler that could have run has run.
    QTRY_COMPARE_WITH_TIMEOUT(evaluateText(view, QStringLiteral("document.readyState")),
                              QStringLiteral("complete"), 60000);
    QCOMPARE(evaluateText(view, QStringLiteral("document.title")), QStringLiteral("clean"));
    QCOMPARE(view.title(), QStringLiteral("clean"));
}

void TestHtmlView::shouldRunProgramScriptsInItsOwnWorld()
{
    HtmlView view;
    view.showHtml(page(QStringLiteral("<p id=\"text\">page</p>")));

    QCOMPARE(evaluateText(view, QStringLiteral("document.getElementById('text').textContent = 'set'; "
                                               "document.getElementById('text').textContent")),
             QStringLiteral("set"));
    QCOMPARE(evaluateText(view, QStringLiteral("document.body.innerText.trim()")), QStringLiteral("set"));
}

void TestHtmlView::shouldStayOnPageWhenMetaRefreshPointsElsewhere()
{
    LocalHttpServer server(LocalHttpServer::answering(ElsewherePage, "text/html"));
    QList<QUrl> opened;

    HtmlView view;
    readerPage(view)->setLinkOpener([&opened](const QUrl &url) { opened << url; });
    view.showHtml(QStringLiteral("<!DOCTYPE html><html><head>"
                                   "<meta http-equiv=\"refresh\" content=\"0; url=%1elsewhere\">"
                                   "</head><body><p id=\"text\">reader</p></body></html>")
                        .arg(server.baseUrl()));
    const QUrl readerUrl = view.url();

    QTRY_COMPARE_WITH_TIMEOUT(evaluateText(view, QStringLiteral("document.readyState")),
                              QStringLiteral("complete"), 60000);
    // A refresh of no delay falls due at once; give it time to try.
    QTest::qWait(1000);
    QCOMPARE(evaluateText(view, QStringLiteral("document.getElementById('text').textContent")),
             QStringLiteral("reader"));
    QCOMPARE(view.url(), readerUrl);
    QVERIFY(server.requestLines().isEmpty());
    QVERIFY(opened.isEmpty());
}

void TestHtmlView::shouldDecideNavigation_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("mainFrame");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("opened");

    const QUrl readerUrl(QStringLiteral("zelton-reader://page/7"));
    const QUrl http(QStringLiteral("http://127.0.0.1:8080/reader/news.html"));
    using P = QWebEnginePage;

    QTest::newRow("reader page loaded") << readerUrl << int(P::NavigationTypeTyped) << true << true << false;
    QTest::newRow("reader page reloaded")
        << readerUrl << int(P::NavigationTypeReload) << true << true << false;
    QTest::newRow("anchor of reader page")
        << QUrl(QStringLiteral("zelton-reader://page/7#kontakty")) << int(P::NavigationTypeLinkClicked)
        << true << true << false;
    QTest::newRow("older reader page")
        << QUrl(QStringLiteral("zelton-reader://page/6")) << int(P::NavigationTypeLinkClicked) << true
        << false << false;
    QTest::newRow("reader page in a frame")
        << readerUrl << int(P::NavigationTypeTyped) << false << false << false;

    QTest::newRow("http link clicked") << http << int(P::NavigationTypeLinkClicked) << true << false << true;
    QTest::newRow("https link clicked")
        << QUrl(QStringLiteral("https://127.0.0.1/reader/")) << int(P::NavigationTypeLinkClicked) << true
        << false << true;
    QTest::newRow("mail link clicked")
        << QUrl(QStringLiteral("mailto:info@127.0.0.1")) << int(P::NavigationTypeLinkClicked) << true
        << false << true;
    QTest::newRow("file link clicked")
        << QUrl(QStringLiteral("file:///etc/passwd")) << int(P::NavigationTypeLinkClicked) << true << false
        << false;
    QTest::newRow("script link clicked")
        << QUrl(QStringLiteral("javascript:alert(1)")) << int(P::NavigationTypeLinkClicked) << true << false
        << false;
    QTest::newRow("link clicked in a frame")
        << http << int(P::NavigationTypeLinkClicked) << false << false << false;

    QTest::newRow("typed") << http << int(P::NavigationTypeTyped) << true << false << false;
    QTest::newRow("form submitted") << http << int(P::NavigationTypeFormSubmitted) << true << false << false;
    QTest::newRow("back or forward") << http << int(P::NavigationTypeBackForward) << true << false << false;
    QTest::newRow("reload") << http << int(P::NavigationTypeReload) << true << false << false;
    QTest::newRow("meta refresh") << http << int(P::NavigationTypeOther) << true << false << false;
    QTest::newRow("redirect") << http << int(P::NavigationTypeRedirect) << true << false << false;
    QTest::newRow("blank page") << QUrl(QStringLiteral("about:blank")) << int(P::NavigationTypeOther) << true
                                << false << false;
    QTest::newRow("data page")
        << QUrl(QStringLiteral("data:text/html,<p>x</p>")) << int(P::NavigationTypeOther) << true << false
        << false;
}

void TestHtmlView::shouldDecideNavigation()
{
    QFETCH(QUrl, url);
    QFETCH(int, type);
    QFETCH(bool, mainFrame);
    QFETCH(bool, accepted);
    QFETCH(bool, opened);

    HtmlView view;
    ReaderPage *page = readerPage(view);
    QVERIFY(page);
    page->setReaderPageUrl(QUrl(QStringLiteral("zelton-reader://page/7")));
    QList<QUrl> openedUrls;
    page->setLinkOpener([&openedUrls](const QUrl &link) { openedUrls << link; });

    QCOMPARE(page->acceptNavigationRequest(url, QWebEnginePage::NavigationType(type), mainFrame), accepted);
    QCOMPARE(openedUrls, opened ? QList<QUrl>{url} : QList<QUrl>{});
}

void TestHtmlView::shouldOpenClickedLinkInBrowser_data()
{
    QTest::addColumn<QString>("target");

    QTest::newRow("same window") << QString();
    QTest::newRow("new window") << QStringLiteral("_blank");
}

void TestHtmlView::shouldOpenClickedLinkInBrowser()
{
    QFETCH(QString, target);

    LocalHttpServer server(LocalHttpServer::answering(ElsewherePage, "text/html"));
    const QUrl link(server.baseUrl() + QStringLiteral("article?id=5"));
    QList<QUrl> opened;

    HtmlView view;
    readerPage(view)->setLinkOpener([&opened](const QUrl &url) { opened << url; });
    showForMouse(view);
    view.showHtml(page(QStringLiteral("<p id=\"text\">reader</p>"
                                        "<a id=\"link\" target=\"%1\" href=\"%2\" style=\"display:block;"
                                        "width:300px;height:60px\">článek</a>")
                             .arg(target, link.toString())));
    const QUrl readerUrl = view.url();
    const QPoint at = centreOf(view, QStringLiteral("link"));
    QVERIFY(!at.isNull());

    QTest::mouseClick(view.focusProxy(), Qt::LeftButton, {}, at);

    QTRY_COMPARE_WITH_TIMEOUT(opened, QList<QUrl>{link}, 60000);
    QCOMPARE(view.url(), readerUrl);
    QCOMPARE(evaluateText(view, QStringLiteral("document.getElementById('text').textContent")),
             QStringLiteral("reader"));
    QVERIFY(server.requestLines().isEmpty());
}

void TestHtmlView::shouldOfferOnlyReaderActionsInContextMenu_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QStringList>("actions");

    QTest::newRow("on text") << QStringLiteral("text") << QStringList{Texts::MenuCopy, Texts::MenuSelectAll};
    QTest::newRow("on a link") << QStringLiteral("link")
                               << QStringList{Texts::MenuCopyLink, Texts::MenuCopy, Texts::MenuSelectAll};
}

void TestHtmlView::shouldOfferOnlyReaderActionsInContextMenu()
{
    QFETCH(QString, element);
    QFETCH(QStringList, actions);

    HtmlView view;
    showForMouse(view);
    view.showHtml(page(QStringLiteral("<p id=\"text\" style=\"height:60px\">") + CzechWords
                         + QStringLiteral("</p><a id=\"link\" href=\"http://127.0.0.1:1/reader/\" "
                                          "style=\"display:block;width:300px;height:60px\">odkaz</a>")));
    const QPoint at = centreOf(view, element);
    QVERIFY(!at.isNull());

    QMenu *menu = rightClick(view, at);
    QVERIFY(menu);
    QCOMPARE(actionTexts(menu), actions);
    menu->close();
}

void TestHtmlView::shouldCopySelectionFromContextMenu()
{
    HtmlView view;
    showForMouse(view);
    view.showHtml(page(QStringLiteral("<p id=\"text\" style=\"height:60px\">") + CzechWords
                         + QStringLiteral("</p>")));
    const QPoint at = centreOf(view, QStringLiteral("text"));
    QVERIFY(!at.isNull());
    QApplication::clipboard()->clear();

    // Nothing selected yet: copying has nothing to take.
    QMenu *menu = rightClick(view, at);
    QVERIFY(menu);
    QAction *copy = findAction(menu, Texts::MenuCopy);
    QAction *selectAll = findAction(menu, Texts::MenuSelectAll);
    QVERIFY(copy && selectAll);
    QVERIFY(!copy->isEnabled());
    selectAll->trigger();
    menu->close();
    QTRY_COMPARE_WITH_TIMEOUT(evaluateText(view, QStringLiteral("window.getSelection().toString().trim()")),
                              CzechWords, 60000);

    QTRY_VERIFY_WITH_TIMEOUT(!view.findChild<QMenu *>(), 60000);
    menu = rightClick(view, at);
    QVERIFY(menu);
    copy = findAction(menu, Texts::MenuCopy);
    QVERIFY(copy && copy->isEnabled());
    copy->trigger();
    menu->close();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::clipboard()->text().trimmed(), CzechWords, 60000);
}

ZR_WEB_VIEW_TEST_MAIN(TestHtmlView)

#include "TestHtmlView.moc"
