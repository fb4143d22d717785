#include "view/PictureSchemeHandler.h"

#include "common/HttpStatus.h"
#include "view/PictureCache.h"
#include "view/RequestAnswer.h"
#include "view/RequestPolicy.h"

#include <QDebug>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QWebEngineUrlRequestJob>

namespace {

// A card's picture larger than this is no picture of a card; the download is dropped.
constexpr qint64 MaxPictureBytes = 16LL * 1024 * 1024;
constexpr int TransferTimeoutMs = 20'000;
// A picture still arriving after this is dropped however steadily it trickles in, so a few
// slow ones cannot keep the connections to the server for themselves.
constexpr int PictureTimeLimitMs = 30'000;
// The bytes of the pictures one page keeps at hand for its further cards; past this a
// picture is fetched again for each request.
constexpr qint64 MaxPageAnswerBytes = 32LL * 1024 * 1024;

// Set on a download whose redirect was refused: the server answered, with no picture.
constexpr char RefusedProperty[] = "zelton-refused";

constexpr auto AddressEncoding = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

void replyWith(QWebEngineUrlRequestJob *job, const PictureCache::Picture &picture)
{
    // The engine wants some type; it tells a picture by its bytes anyway.
    answerWithBytes(job,
                    picture.contentType.isEmpty() ? QByteArrayLiteral("application/octet-stream")
                                                  : picture.contentType,
                    picture.bytes);
}

} // namespace

PictureSchemeHandler::PictureSchemeHandler(QObject *parent)
    : QWebEngineUrlSchemeHandler(parent), m_timeLimitMs(PictureTimeLimitMs)
{
    // No disk cache and no cookies of its own: what is kept offline is the picture cache.
    // Redirects are checked one by one (startDownload): a picture never comes from
    // anywhere but under the base.
    m_network.setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
    m_network.setTransferTimeout(TransferTimeoutMs);
}

PictureSchemeHandler::~PictureSchemeHandler()
{
    // Downloads still running end silently: their jobs are no longer answered.
    const auto replies = m_network.findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies)
        reply->disconnect();
}

QByteArray PictureSchemeHandler::schemeName()
{
    return QByteArrayLiteral("zelton-picture");
}

QUrl PictureSchemeHandler::localUrl(const QUrl &remote)
{
    // The whole address in one opaque path: nothing of it is read as a host or a path here.
    return QUrl(QString::fromLatin1(schemeName() + ':' + remote.toEncoded().toBase64(AddressEncoding)));
}

QUrl PictureSchemeHandler::remoteUrl(const QUrl &local)
{
    if (local.scheme() != QLatin1String(schemeName()))
        return {};
    const auto decoded = QByteArray::fromBase64Encoding(local.path().toLatin1(), AddressEncoding);
    return decoded ? QUrl::fromEncoded(*decoded, QUrl::StrictMode) : QUrl();
}

void PictureSchemeHandler::setTimeLimit(int milliseconds)
{
    m_timeLimitMs = milliseconds;
}

void PictureSchemeHandler::setSource(const QUrl &base, std::unique_ptr<PictureCache> cache)
{
    m_base = base;
    m_cache = std::move(cache);
}

void PictureSchemeHandler::beginPage()
{
    ++m_page;
    m_pageAnswers.clear();
    m_pageAnswerBytes = 0;
}

void PictureSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    // The address fetched is the one checked, its dot segments resolved.
    const QUrl remote = RequestPolicy::underBase(remoteUrl(job->requestUrl()), m_base);
    if (job->requestMethod() != QByteArrayLiteral("GET") || remote.isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    if (const auto known = m_pageAnswers.constFind(remote); known != m_pageAnswers.cend()) {
        if (*known)
            replyWith(job, **known);
        else
            job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    if (m_downloads.contains(remote))
        waitFor(remote, job);
    else
        startDownload(remote, job);
}

void PictureSchemeHandler::startDownload(const QUrl &remote, QWebEngineUrlRequestJob *job)
{
    QNetworkRequest request(remote);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    QNetworkReply *reply = m_network.get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > MaxPictureBytes)
            reply->abort();
    });
    // A redirect elsewhere would fetch a picture of another host, or a file of the server
    // outside the base, and keep it under the feed server's name.
    connect(reply, &QNetworkReply::redirected, reply, [this, reply](const QUrl &target) {
        if (RequestPolicy::underBase(target, m_base).isEmpty()) {
            reply->setProperty(RefusedProperty, true);
            reply->abort();
        } else {
            emit reply->redirectAllowed();
        }
    });
    QTimer::singleShot(m_timeLimitMs, reply, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [this, reply, remote] { onDownloadFinished(reply, remote); });
    m_downloads.insert(remote, Download{reply, {}, m_page});
    waitFor(remote, job);
}

void PictureSchemeHandler::waitFor(const QUrl &remote, QWebEngineUrlRequestJob *job)
{
    m_downloads[remote].jobs.append(job);
    // A job the engine drops (its page replaced) waits no more; a download nobody waits for
    // ends without an answer.
    connect(job, &QObject::destroyed, this, [this, remote](QObject *gone) { onJobGone(remote, gone); });
}

void PictureSchemeHandler::onJobGone(const QUrl &remote, QObject *job)
{
    const auto download = m_downloads.find(remote);
    if (download == m_downloads.end()
        || download->jobs.removeAll(static_cast<QWebEngineUrlRequestJob *>(job)) == 0
        || !download->jobs.isEmpty())
        return;
    QNetworkReply *reply = download->reply;
    m_downloads.erase(download);
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void PictureSchemeHandler::onDownloadFinished(QNetworkReply *reply, const QUrl &remote)
{
    reply->deleteLater();
    const auto download = m_downloads.find(remote);
    if (download == m_downloads.end() || download->reply != reply)
        return;
    const Download finished = *download;
    m_downloads.erase(download);

    const Answer answer = answerFromReply(*reply, remote);
    if (finished.page == m_page)
        remember(remote, answer);
    for (QWebEngineUrlRequestJob *job : finished.jobs) {
        job->disconnect(this);
        if (answer)
            replyWith(job, *answer);
        else
            job->fail(QWebEngineUrlRequestJob::RequestFailed);
    }
}

PictureSchemeHandler::Answer PictureSchemeHandler::answerFromReply(QNetworkReply &reply, const QUrl &remote)
{
    if (reply.property(RefusedProperty).toBool())
        return std::nullopt;
    const QVariant statusCode = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (reply.error() == QNetworkReply::NoError && isHttpSuccess(statusCode)) {
        const PictureCache::Picture picture{
            reply.header(QNetworkRequest::ContentTypeHeader).toByteArray(), reply.readAll()};
        // The page shows the picture either way; only the offline page would miss it.
        if (const auto stored = m_cache ? m_cache->store(remote, picture) : IoResult<>(); !stored)
            qWarning().noquote() << "A picture is not kept for the offline page:" << stored.error();
        return picture;
    }
    // The server answered, but not with the picture: shown as missing, as a browser would.
    if (!statusCode.isValid() && m_cache)
        return m_cache->find(remote);
    return std::nullopt;
}

void PictureSchemeHandler::remember(const QUrl &remote, const Answer &answer)
{
    const qint64 bytes = answer ? answer->bytes.size() : 0;
    if (m_pageAnswerBytes + bytes > MaxPageAnswerBytes)
        return;
    m_pageAnswerBytes += bytes;
    m_pageAnswers.insert(remote, answer);
}
