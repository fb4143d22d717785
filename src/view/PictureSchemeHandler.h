#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

#include <memory>

class PictureCache;
class QNetworkReply;

// Serves the feed server's pictures to the view under a scheme of the reader's own. Each
// picture is fetched from the server (certificates verified as for the feed) and kept in the
// picture cache; when the server cannot be reached the kept copy is served instead, so the
// offline page shows the pictures the cards had when the server was last reached.
class PictureSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    explicit PictureSchemeHandler(QObject *parent = nullptr);
    ~PictureSchemeHandler() override;

    static QByteArray schemeName();
    // The reader's address for the server's picture `remote`, and back (empty when `local`
    // is no such address).
    static QUrl localUrl(const QUrl &remote);
    static QUrl remoteUrl(const QUrl &local);

    // Pictures are served only from under `base`; `cache` may be null (nothing kept).
    void setSource(const QUrl &base, std::unique_ptr<PictureCache> cache);
    bool serves(const QUrl &remote) const;

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    void answerFromReply(QWebEngineUrlRequestJob *job, QNetworkReply &reply, const QUrl &remote);

    // Declared before the network, so no download can outlive the cache it writes to.
    std::unique_ptr<PictureCache> m_cache;
    QUrl m_base;
    QNetworkAccessManager m_network;
};
