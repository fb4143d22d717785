#pragma once

#include <QUrl>
#include <QWebEnginePage>

#include <functional>

class QWebEngineNewWindowRequest;

// The page of the reader's view. Feed texts arrive over plain http and are rendered as
// markup, so the page must never be taken elsewhere by them: it loads only the reader's
// current page, and a link the user follows opens in the user's own browser instead.
class ReaderPage : public QWebEnginePage
{
    Q_OBJECT

public:
    using LinkOpener = std::function<void(const QUrl &)>;

    ReaderPage(QWebEngineProfile *profile, QObject *parent = nullptr);

    // Where followed links go; the default hands them to the desktop's browser.
    void setLinkOpener(LinkOpener opener);
    // The address of the page the reader is loading or showing; the only one let in.
    void setReaderPageUrl(const QUrl &url);
    QUrl readerPageUrl() const;

    // Public, so the navigation rules can be checked without a mouse.
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

    // The line the reader's own script (see HtmlView) logs, followed by the page's address,
    // once a page's document has been parsed. Feed texts run no script, so no page can say it.
    static QString documentReadyMark();

signals:
    // The document of the page at `url` has been parsed (DOMContentLoaded).
    void documentReady(const QUrl &url);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceId) override;

private:
    static bool isExternalLink(const QUrl &url);
    void onNewWindowRequested(QWebEngineNewWindowRequest &request);

    LinkOpener m_openLink;
    QUrl m_readerPageUrl;
};
