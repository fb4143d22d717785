#pragma once

#include "view/PictureCache.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

#include <memory>
#include <optional>

class QNetworkReply;

// Serves the feed server's pictures to the view under a scheme of the reader's own. Each
// picture is fetched from the server (certificates verified as for the feed) and kept in the
// picture cache; when the server cannot be reached the kept copy is served instead, so the
// offline page shows the pictures the cards had when the server was last reached.
//
// Within one page every picture is fetched once, however many cards show it: requests for a
// picture on its way wait for it, and a later one gets the answer already given, a missing
// picture included (the engine itself asks again for a picture that failed, card after
// card). A new page fetches its pictures afresh.
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

    // Pictures are served only from under `base` (see RequestPolicy::underBase); `cache` may
    // be null (nothing kept).
    void setSource(const QUrl &base, std::unique_ptr<PictureCache> cache);
    QUrl base() const { return m_base; }
    // How long one picture may take in all (30 s unless set).
    void setTimeLimit(int milliseconds);

    // The view shows a new page: the answers given for the last one are forgotten.
    void beginPage();

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    // What a request for a picture gets: its bytes, or nothing (shown as missing).
    using Answer = std::optional<PictureCache::Picture>;
    struct Download
    {
        QNetworkReply *reply = nullptr;
        QList<QWebEngineUrlRequestJob *> jobs;  // every request waiting for it
        quint64 page = 0;                       // the page it was started for
    };

    void startDownload(const QUrl &remote, QWebEngineUrlRequestJob *job);
    void waitFor(const QUrl &remote, QWebEngineUrlRequestJob *job);
    void onJobGone(const QUrl &remote, QObject *job);
    void onDownloadFinished(QNetworkReply *reply, const QUrl &remote);
    Answer answerFromReply(QNetworkReply &reply, const QUrl &remote);
    void remember(const QUrl &remote, const Answer &answer);

    // Declared before the network, so no download can outlive the cache it writes to.
    std::unique_ptr<PictureCache> m_cache;
    QUrl m_base;
    QHash<QUrl, Download> m_downloads;
    QHash<QUrl, Answer> m_pageAnswers;  // the answers given for the current page
    qint64 m_pageAnswerBytes = 0;
    quint64 m_page = 0;
    int m_timeLimitMs;
    QNetworkAccessManager m_network;
};
