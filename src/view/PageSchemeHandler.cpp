#include "view/PageSchemeHandler.h"

#include "view/RequestAnswer.h"

#include <QWebEngineUrlRequestJob>

PageSchemeHandler::PageSchemeHandler(QObject *parent)
    : QWebEngineUrlSchemeHandler(parent)
{
}

QByteArray PageSchemeHandler::schemeName()
{
    return QByteArrayLiteral("zelton-reader");
}

QUrl PageSchemeHandler::pageUrl(quint64 serial)
{
    // Every page under the same host: consecutive pages are one site to the engine, so a
    // new page is laid out by the renderer that showed the last one instead of a new one.
    return QUrl(QString::fromLatin1(schemeName()) + QStringLiteral("://page/")
                + QString::number(serial));
}

bool PageSchemeHandler::isPageUrl(const QUrl &url)
{
    return url.scheme() == QLatin1String(schemeName());
}

void PageSchemeHandler::setPage(const QUrl &url, const QByteArray &html)
{
    m_url = url;
    m_html = html;
}

void PageSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    // Only the page being shown is served: an older or made-up address of the scheme (a
    // link in a feed text, say) finds nothing.
    if (job->requestMethod() != QByteArrayLiteral("GET")
        || job->requestUrl().adjusted(QUrl::RemoveFragment) != m_url) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // Without the charset the engine would read the bytes as windows-1252.
    answerWithBytes(job, QByteArrayLiteral("text/html;charset=utf-8"), m_html);
}
