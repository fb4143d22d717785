#pragma once

#include <QWebEngineView>

class PageSchemeHandler;
class QWebEngineProfile;
class ReaderPage;

// The reader's HTML view (WebBrowser1). Pages reach it through a URL scheme of the
// reader's own as UTF-8 bytes, so a page of any size shows. It renders the feed's markup
// and pictures but runs no script from it, reads no local file, never navigates away
// from the reader's page, and opens a clicked link in the user's default browser.
class HtmlView : public QWebEngineView
{
    Q_OBJECT

public:
    explicit HtmlView(QWidget *parent = nullptr);
    ~HtmlView() override;

    // Must run before the application object is made.
    static void registerScheme();

    // Replaces the shown page by `html` and waits (pumping events, with a bound) until the
    // view has taken it.
    void WBLoadHTML(const QString &html);

    // Whether the view holds a page.
    bool hasDocument() const;

    // The bytes of the page last handed to the view.
    QByteArray currentPageBytes() const;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void applySafetySettings();
    void waitForDocument(const QUrl &url);

    QWebEngineProfile *m_profile = nullptr;
    PageSchemeHandler *m_schemeHandler = nullptr;
    ReaderPage *m_page = nullptr;
    QByteArray m_pageBytes;
    quint64 m_loadSerial = 0;
    bool m_hasDocument = false;
};
