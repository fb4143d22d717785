#pragma once

#include <QByteArray>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

// Serves the reader's current page to its web view. The page travels as UTF-8 bytes under
// an address of the reader's own scheme, so its size has no limit and its encoding is
// never guessed.
class PageSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    explicit PageSchemeHandler(QObject *parent = nullptr);

    static QByteArray schemeName();
    // A fresh address for the load numbered `serial` ("zelton-reader://page/7"); no cache can
    // hold an older page under it.
    static QUrl pageUrl(quint64 serial);
    static bool isPageUrl(const QUrl &url);

    // From now on `url` answers with `html`; earlier addresses answer nothing.
    void setPage(const QUrl &url, const QByteArray &html);

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    QUrl m_url;
    QByteArray m_html;
};
