#include "feed/FeedDownload.h"

#include "common/AtomicSave.h"
#include "common/HexDigit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

// The request goes out as its text reads. Only what cannot stand on the wire is
// percent-encoded: a space, "#" (it would cut off the rest of the query), control
// characters, the UTF-8 bytes of non-ASCII letters and a "%" that starts no escape (left
// alone, it would make QUrl re-encode every "%" of the text, the %20s of the request too).
QUrl wireUrl(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const auto isHex = [&](qsizetype i) {
        return i < utf8.size() && hexDigitValue(static_cast<unsigned char>(utf8[i])) >= 0;
    };
    QByteArray encoded;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const bool loosePercent = byte == '%' && !(isHex(i + 1) && isHex(i + 2));
        if (byte <= ' ' || byte == '#' || byte >= 0x7f || loosePercent)
            encoded += '%' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
        else
            encoded += utf8[i];
    }
    return QUrl::fromEncoded(encoded, QUrl::TolerantMode);
}

constexpr qint64 ReadBufferBytes = 256 * 1024;

bool isSuccessStatus(const QNetworkReply &reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() && status.toInt() >= 200 && status.toInt() < 300;
}

// The network manager of the application's thread, made once and kept, so a cycle does
// not start a manager (and its HTTP thread) of its own. Other threads get one per download.
QNetworkAccessManager *sharedManager()
{
    static QPointer<QNetworkAccessManager> shared;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread())
        return nullptr;
    if (!shared)
        shared = new QNetworkAccessManager(application);
    return shared;
}

// One download on the calling thread; the network manager moves the bytes on a thread of
// its own, and the wait processes every event but the user's input.
class DownloadJob
{
public:
    DownloadJob(const QString &url, const QString &targetPath, const DownloadLimits &limits)
        : m_url(url), m_file(targetPath), m_limits(limits)
    {
    }

    bool run()
    {
        // Written to a hidden copy beside the target (AtomicSaveFile); only commit() makes the
        // file appear, so a failure never leaves a partial feed at the target path.
        if (!m_file.open())
            return false;

        std::unique_ptr<QNetworkAccessManager> ownManager;
        QNetworkAccessManager *manager = sharedManager();
        if (!manager) {
            ownManager = std::make_unique<QNetworkAccessManager>();
            manager = ownManager.get();
        }
        QNetworkRequest request(wireUrl(m_url));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(m_limits.maxRedirects);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        // The kept manager must not carry a cookie from one cycle's answer into the next request.
        request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
        request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);

        QEventLoop loop;
        QTimer idle;
        QTimer total;
        idle.setSingleShot(true);
        total.setSingleShot(true);

        const std::unique_ptr<QNetworkReply> reply(manager->get(request));
        m_reply = reply.get();
        // Without a bound the network thread reads the whole body ahead of us, whatever
        // its size; bounded, it waits until store() has taken what it holds.
        m_reply->setReadBufferSize(ReadBufferBytes);
        const auto fail = [this] {
            m_failed = true;
            m_reply->abort();
        };
        QObject::connect(&idle, &QTimer::timeout, fail);
        QObject::connect(&total, &QTimer::timeout, fail);
        QObject::connect(m_reply, &QNetworkReply::metaDataChanged, [&] {
            idle.start();
            if (!acceptSize())
                fail();
        });
        QObject::connect(m_reply, &QNetworkReply::redirected, [&] { idle.start(); });
        // A certificate the system's store does not vouch for (or one for another host) fails
        // the download like an unreachable server; nothing here ever ignores it.
        QObject::connect(m_reply, &QNetworkReply::sslErrors, fail);
        QObject::connect(m_reply, &QNetworkReply::readyRead, [&] {
            idle.start();
            if (!m_failed && !store())
                fail();
        });
        QObject::connect(m_reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

        idle.start(m_limits.idleTimeoutMs);
        total.start(m_limits.totalTimeoutMs);
        // While the download runs the window goes on repainting and following the window
        // manager, so a slow or stalled server never freezes it. The user's input (and a
        // close request) waits in the queue until the refresh cycle pumps it next.
        if (!m_reply->isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);

        const bool ok = !m_failed && store() && m_reply->error() == QNetworkReply::NoError
                        && isSuccessStatus(*m_reply) && m_file.commit();
        m_reply = nullptr;
        return ok;
    }

private:
    // A declared length over the limit fails before the body is read.
    bool acceptSize() const
    {
        if (!isSuccessStatus(*m_reply))
            return true;
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        return !length.isValid() || length.toLongLong() <= m_limits.maxBytes;
    }

    // Moves what has arrived into the file. Bodies of error answers are read and dropped.
    bool store()
    {
        const QByteArray data = m_reply->readAll();
        if (!isSuccessStatus(*m_reply))
            return true;
        m_received += data.size();
        if (m_received > m_limits.maxBytes)
            return false;
        return m_file.write(data);
    }

    QString m_url;
    AtomicSaveFile m_file;
    DownloadLimits m_limits;
    QNetworkReply *m_reply = nullptr;
    qint64 m_received = 0;
    bool m_failed = false;
};

} // namespace

bool downloadFeed(const QString &url, const QString &targetPath, const DownloadLimits &limits)
{
    return DownloadJob(url, targetPath, limits).run();
}
