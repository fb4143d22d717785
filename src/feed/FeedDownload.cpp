#include "feed/FeedDownload.h"

#include "common/AtomicSave.h"
#include "common/HexDigit.h"
#include "common/HttpStatus.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslError>
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
    return isHttpSuccess(reply.attribute(QNetworkRequest::HttpStatusCodeAttribute));
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

    IoResult<> run()
    {
        // Written to a hidden copy beside the target (AtomicSaveFile); only commit() makes the
        // file appear, so a failure never leaves a partial feed at the target path.
        if (auto opened = m_file.open(); !opened)
            return opened;

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
        const auto fail = [this](const QString &why) {
            if (m_failure.isEmpty())
                m_failure = why;
            m_reply->abort();
        };
        QObject::connect(&idle, &QTimer::timeout, [&] {
            fail(QStringLiteral("no data for %1 ms").arg(m_limits.idleTimeoutMs));
        });
        QObject::connect(&total, &QTimer::timeout, [&] {
            fail(QStringLiteral("not done within %1 ms").arg(m_limits.totalTimeoutMs));
        });
        QObject::connect(m_reply, &QNetworkReply::metaDataChanged, [&] {
            idle.start();
            if (!acceptSize())
                fail(QStringLiteral("larger than %1 bytes").arg(m_limits.maxBytes));
        });
        QObject::connect(m_reply, &QNetworkReply::redirected, [&] { idle.start(); });
        // A certificate the system's store does not vouch for (or one for another host) fails
        // the download like an unreachable server; nothing here ever ignores it.
        QObject::connect(m_reply, &QNetworkReply::sslErrors, [&](const QList<QSslError> &errors) {
            fail(errors.isEmpty() ? QStringLiteral("TLS error") : errors.first().errorString());
        });
        QObject::connect(m_reply, &QNetworkReply::readyRead, [&] {
            idle.start();
            if (!m_failure.isEmpty())
                return;
            if (auto stored = store(); !stored)
                fail(stored.error());
        });
        QObject::connect(m_reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

        idle.start(m_limits.idleTimeoutMs);
        total.start(m_limits.totalTimeoutMs);
        // While the download runs the window goes on repainting and following the window
        // manager, so a slow or stalled server never freezes it. The user's input (and a
        // close request) waits in the queue until the refresh cycle pumps it next.
        if (!m_reply->isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);

        IoResult<> result = finish();
        m_reply = nullptr;
        return result;
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
    IoResult<> store()
    {
        const QByteArray data = m_reply->readAll();
        if (!isSuccessStatus(*m_reply))
            return {};
        m_received += data.size();
        if (m_received > m_limits.maxBytes)
            return ioError(m_url, QStringLiteral("larger than %1 bytes").arg(m_limits.maxBytes));
        return m_file.write(data);
    }

    // The rest of the body into the file, then the file in place when everything succeeded.
    IoResult<> finish()
    {
        if (!m_failure.isEmpty())
            return ioError(m_url, m_failure);
        if (auto stored = store(); !stored)
            return stored;
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && !isSuccessStatus(*m_reply))
            return ioError(m_url, QStringLiteral("HTTP status %1").arg(status.toInt()));
        if (m_reply->error() != QNetworkReply::NoError)
            return ioError(m_url, m_reply->errorString());
        if (!status.isValid())
            return ioError(m_url, QStringLiteral("no HTTP answer"));
        return m_file.commit();
    }

    QString m_url;
    AtomicSaveFile m_file;
    DownloadLimits m_limits;
    QNetworkReply *m_reply = nullptr;
    qint64 m_received = 0;
    QString m_failure;  // why the transfer was ended early; empty while it was not
};

} // namespace

IoResult<> downloadFeed(const QString &url, const QString &targetPath, const DownloadLimits &limits)
{
    return DownloadJob(url, targetPath, limits).run();
}
