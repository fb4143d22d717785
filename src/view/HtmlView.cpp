#include "view/HtmlView.h"

#include "common/Texts.h"
#include "common/Utf8Bytes.h"
#include "view/PageHints.h"
#include "view/PagePlace.h"
#include "view/PageSchemeHandler.h"
#include "view/PictureCache.h"
#include "view/PictureInterceptor.h"
#include "view/PictureSchemeHandler.h"
#include "view/ProgramScript.h"
#include "view/ReaderPage.h"
#include "view/RequestPolicy.h"

#include <QContextMenuEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlScheme>

#include <memory>
#include <utility>

namespace {

// Longest wait for a page's document; pictures that come later fill in on their own.
constexpr int LoadBoundMs = 8000;
// A renderer that ended is replaced after the first pause, so a crash shows only briefly.
// When it ends again the page itself may be what brings it down, so the tries grow apart
// until one a minute.
const QList<int> RecoveryPausesMs = {250, 1'000, 5'000, 30'000, 60'000};
// A page that stays up this long after it was brought back counts as healthy again: a
// later end of its renderer starts over at the shortest pause.
constexpr int RecoverySteadyMs = 120'000;
// Longest wait for the shown page to tell the reader's place; without it the page starts at the top.
constexpr int PlaceBoundMs = 3000;

} // namespace

HtmlView::HtmlView(QWidget *parent)
    : QWebEngineView(parent)
    , m_profile(new QWebEngineProfile(this))  // no storage name: off the record, nothing on disk
    , m_schemeHandler(new PageSchemeHandler(m_profile))
    , m_pictureHandler(new PictureSchemeHandler(m_profile))
    , m_pictureInterceptor(new PictureInterceptor(m_pictureHandler, m_profile))
    , m_recoveryPausesMs(RecoveryPausesMs)
{
    m_profile->installUrlSchemeHandler(PageSchemeHandler::schemeName(), m_schemeHandler);
    m_profile->installUrlSchemeHandler(PictureSchemeHandler::schemeName(), m_pictureHandler);
    m_profile->setUrlRequestInterceptor(m_pictureInterceptor);
    applySafetySettings();
    installReadyScript();
    installContentPolicy();

    m_page = new ReaderPage(m_profile, this);
    setPage(m_page);
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus
            && PageSchemeHandler::isPageUrl(info.url())) {
            m_hasDocument = true;
            // Back must never bring an older page into view, also after a recovered renderer.
            m_page->history()->clear();
            onPageShown();
        }
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) { onRendererEnded(status); });

    m_recoveryTimer.setSingleShot(true);
    connect(&m_recoveryTimer, &QTimer::timeout, this, [this] {
        ++m_rendererRecoveries;
        startLoad();
    });
    m_steadyTimer.setSingleShot(true);
    m_steadyTimer.setInterval(RecoverySteadyMs);
    connect(&m_steadyTimer, &QTimer::timeout, this, [this] { m_recoveryStep = 0; });

    // Over the view rather than a page of its own: it shows even while no renderer runs.
    m_rendererNotice = new QLabel(Texts::RendererEnded, this);
    m_rendererNotice->setObjectName(QStringLiteral("rendererNotice"));
    m_rendererNotice->setAlignment(Qt::AlignCenter);
    m_rendererNotice->setWordWrap(true);
    m_rendererNotice->setMargin(24);
    m_rendererNotice->setAutoFillBackground(true);
    m_rendererNotice->hide();
}

HtmlView::~HtmlView()
{
    // The page must go before its profile, which is a child of this view as well.
    setPage(nullptr);
    delete m_page;
}

void HtmlView::registerScheme()
{
    // No flags: the page needs no secure context and has no business with local files;
    // its http pictures load all the same, and so do those of the picture scheme. The pages
    // have a host (one site for all of them, so the renderer is kept from page to page);
    // a picture's address is one opaque path.
    const std::pair<QByteArray, QWebEngineUrlScheme::Syntax> schemes[] = {
        {PageSchemeHandler::schemeName(), QWebEngineUrlScheme::Syntax::Host},
        {PictureSchemeHandler::schemeName(), QWebEngineUrlScheme::Syntax::Path}};
    for (const auto &[name, syntax] : schemes) {
        if (QWebEngineUrlScheme::schemeByName(name).name() == name)
            continue;
        QWebEngineUrlScheme scheme(name);
        scheme.setSyntax(syntax);
        scheme.setFlags({});
        QWebEngineUrlScheme::registerScheme(scheme);
    }
}

void HtmlView::setPictureSource(const QString &baseUrl, const QString &cacheFolder)
{
    m_pictureHandler->setSource(QUrl(baseUrl), std::make_unique<PictureCache>(cacheFolder));
}

void HtmlView::setPictureTimeLimit(int milliseconds)
{
    m_pictureHandler->setTimeLimit(milliseconds);
}

void HtmlView::applySafetySettings()
{
    // Feed texts come over plain http and are rendered as markup, so whoever sits on the way
    // could put a script into them. Scripts of the program itself run in their own world
    // and are not affected.
    QWebEngineSettings *settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // The pages have no icon; asking for one would cost every page a request that fails.
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    // Text the pages leave unstyled (the "Offline" mark) matches the sans-serif cards.
    settings->setFontFamily(QWebEngineSettings::StandardFont,
                            settings->fontFamily(QWebEngineSettings::SansSerifFont));
}

void HtmlView::installReadyScript()
{
    // Runs in the program's own world, which the page's disabled scripts do not touch; the
    // page hears of it through its console (ReaderPage::documentReady).
    m_profile->scripts()->insert(programScript(
        QStringLiteral("zelton-reader-ready"), QWebEngineScript::DocumentReady, false,
        QStringLiteral("console.log(%1 + location.href);")
            .arg(QLatin1Char('\'') + ReaderPage::documentReadyMark() + QLatin1Char('\''))));
}

void HtmlView::installContentPolicy()
{
    // The page scheme cannot send a header, and the page's text stays exactly what the cycle
    // built, so the policy arrives as a meta element in a head of its own, put into the
    // document before the parser reads anything and taken out at once: a policy stays in
    // force once it was read, and the finished document holds the page's elements alone.
    const QString source = QStringLiteral("(function () {"
                                          "  var meta = document.createElement('meta');"
                                          "  meta.httpEquiv = 'Content-Security-Policy';"
                                          "  meta.content = %1;"
                                          "  var head = document.createElement('head');"
                                          "  head.appendChild(meta);"
                                          "  (document.documentElement || document).appendChild(head);"
                                          "  head.remove();"
                                          "})();")
                               .arg(QLatin1Char('"') + RequestPolicy::contentSecurityPolicy() + QLatin1Char('"'));
    m_profile->scripts()->insert(programScript(QStringLiteral("zelton-reader-content-policy"),
                                               QWebEngineScript::DocumentCreation, true, source));
}

void HtmlView::showHtml(const QString &html, Place place)
{
    // The new page is compared with the shown one as it is written over it. Once it differs,
    // the page being replaced is served no more, so its bytes are shared by nobody and the rest
    // of the new page goes into the same memory. No byte-order mark: the page declares utf-8.
    const bool changed = assignChangedUtf8(m_pageBytes, html, [this] { m_schemeHandler->setPage({}, {}); });
    if (!changed && m_hasDocument)
        return;
    const QVariant kept = place == Place::Keep && m_hasDocument ? readPlace() : QVariant();
    m_pictureHandler->beginPage();
    m_recoveryTimer.stop();  // the new page brings up a renderer of its own
    const QUrl url = startLoad();
    waitForDocument(url);
    // Back must never bring an older page (or an older feed) into view.
    m_page->history()->clear();
    if (kept.isValid() && m_hasDocument)
        runProgramScript(restorePlaceScript(kept));
}

void HtmlView::setCardSelector(const QString &selector)
{
    m_cardSelector = selector;
    installPageHints(*m_profile, selector);
}

void HtmlView::runProgramScript(const QString &script)
{
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

QVariant HtmlView::readPlace()
{
    // The answer may come after the wait gave up; it then lands in a place nobody reads.
    auto answer = std::make_shared<QVariant>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    bool answered = false;
    m_page->runJavaScript(readPlaceScript(), QWebEngineScript::ApplicationWorld,
                          [answer, waiting, &answered](const QVariant &value) {
        *answer = value;
        if (waiting) {
            answered = true;
            waiting->quit();
        }
    });
    if (!answered) {
        QTimer bound;
        bound.setSingleShot(true);
        connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
        bound.start(PlaceBoundMs);
        loop.exec();
    }
    return answered && answer->typeId() == QMetaType::QVariantMap ? *answer : QVariant();
}

QUrl HtmlView::startLoad()
{
    const QUrl url = PageSchemeHandler::pageUrl(++m_loadSerial);
    m_schemeHandler->setPage(url, m_pageBytes);
    m_page->setReaderPageUrl(url);
    m_page->load(url);
    return url;
}

void HtmlView::setRecoveryPauses(const QList<int> &pausesMs, int steadyMs)
{
    if (!pausesMs.isEmpty()) {
        m_recoveryPausesMs = pausesMs;
        m_recoveryStep = 0;
    }
    m_steadyTimer.setInterval(steadyMs);
}

void HtmlView::onRendererEnded(QWebEnginePage::RenderProcessTerminationStatus status)
{
    // The renderer went away (crash, killed, out of memory): the view is blank until a page
    // is loaded again. The page is still here, so it comes back without a new fetch, every
    // time, after a pause that grows while the renderer keeps ending.
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    m_hasDocument = false;
    m_steadyTimer.stop();
    if (m_pageBytes.isEmpty())
        return;
    setRendererNoticeShown(true);
    m_recoveryTimer.start(nextRecoveryPauseMs());
    m_recoveryStep = qMin(m_recoveryStep + 1, int(m_recoveryPausesMs.size()) - 1);
}

int HtmlView::nextRecoveryPauseMs() const
{
    return m_recoveryPausesMs.at(m_recoveryStep);
}

int HtmlView::pendingRecoveryPauseMs() const
{
    return m_recoveryTimer.isActive() ? m_recoveryTimer.interval() : 0;
}

void HtmlView::onPageShown()
{
    setRendererNoticeShown(false);
    if (m_recoveryStep > 0)
        m_steadyTimer.start();
}

void HtmlView::setRendererNoticeShown(bool shown)
{
    if (shown) {
        m_rendererNotice->setGeometry(rect());
        m_rendererNotice->raise();
    }
    m_rendererNotice->setVisible(shown);
}

void HtmlView::resizeEvent(QResizeEvent *event)
{
    QWebEngineView::resizeEvent(event);
    m_rendererNotice->setGeometry(rect());
}

void HtmlView::waitForDocument(const QUrl &url)
{
    // The document counts as there once it is parsed, like the DOMContentLoaded of a
    // browser (the page's own script says so); slow pictures are not waited for. A load that
    // fails or is stopped, a newer page loaded meanwhile, or the bound ends the wait as well.
    QEventLoop loop;
    bool documentReady = false;
    const quint64 serial = m_loadSerial;
    const auto ready = connect(m_page, &ReaderPage::documentReady, &loop, [&](const QUrl &readyUrl) {
        if (readyUrl == url) {
            documentReady = true;
            loop.quit();
        }
    });
    const auto ended = connect(m_page, &QWebEnginePage::loadingChanged, &loop,
                               [&, serial](const QWebEngineLoadingInfo &info) {
        if ((info.url() == url && info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            || serial != m_loadSerial)
            loop.quit();
    });
    QTimer bound;  // ends with the wait, rather than lingering until it would have fired
    bound.setSingleShot(true);
    connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    bound.start(LoadBoundMs);
    loop.exec();
    disconnect(ready);
    disconnect(ended);

    if (documentReady)
        m_hasDocument = true;
}

bool HtmlView::hasDocument() const
{
    return m_hasDocument;
}

QByteArray HtmlView::currentPageBytes() const
{
    return m_pageBytes;
}

void HtmlView::contextMenuEvent(QContextMenuEvent *event)
{
    // Only what a reader needs: no Back, Reload or View source, which would show the
    // workings of the page instead of the news.
    const QWebEngineContextMenuRequest *request = lastContextMenuRequest();
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);

    if (request && !request->linkUrl().isEmpty()) {
        menu->addAction(Texts::MenuCopyLink, this,
                        [this] { m_page->triggerAction(QWebEnginePage::CopyLinkToClipboard); });
        menu->addSeparator();
    }
    QAction *copy = menu->addAction(Texts::MenuCopy, this,
                                    [this] { m_page->triggerAction(QWebEnginePage::Copy); });
    copy->setEnabled(m_page->hasSelection());
    menu->addAction(Texts::MenuSelectAll, this,
                    [this] { m_page->triggerAction(QWebEnginePage::SelectAll); });

    menu->popup(event->globalPos());
}
