#include "view/ReaderPage.h"

#include <QDesktopServices>
#include <QWebEngineNewWindowRequest>

ReaderPage::ReaderPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
    , m_openLink([](const QUrl &url) { QDesktopServices::openUrl(url); })
{
    // Not handling the request (no openIn) makes the engine drop the new window.
    connect(this, &QWebEnginePage::newWindowRequested, this, &ReaderPage::onNewWindowRequested);
}

void ReaderPage::setLinkOpener(LinkOpener opener)
{
    m_openLink = std::move(opener);
}

void ReaderPage::setReaderPageUrl(const QUrl &url)
{
    m_readerPageUrl = url;
}

QUrl ReaderPage::readerPageUrl() const
{
    return m_readerPageUrl;
}

bool ReaderPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // The current page itself, also with a fragment, so links to anchors of the page work.
    if (isMainFrame && !m_readerPageUrl.isEmpty()
        && url.adjusted(QUrl::RemoveFragment) == m_readerPageUrl) {
        return true;
    }
    // Only a click of the user leaves the reader, and then into the user's browser; refresh
    // tags, forms, redirects and frames of a feed text go nowhere.
    if (type == NavigationTypeLinkClicked && isMainFrame && isExternalLink(url) && m_openLink)
        m_openLink(url);
    return false;
}

QString ReaderPage::documentReadyMark()
{
    return QStringLiteral("zelton-reader document ready: ");
}

void ReaderPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message, int,
                                          const QString &)
{
    if (message.startsWith(documentReadyMark()))
        emit documentReady(QUrl(message.mid(documentReadyMark().size())));
}

bool ReaderPage::isExternalLink(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("mailto");
}

void ReaderPage::onNewWindowRequested(QWebEngineNewWindowRequest &request)
{
    // A link with target="_blank" (or a middle click) asks for a window; the reader has
    // one view only, so the link goes to the browser like any other.
    const QUrl url = request.requestedUrl();
    if (request.isUserInitiated() && isExternalLink(url) && m_openLink)
        m_openLink(url);
}
