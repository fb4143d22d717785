#pragma once

#include <QElapsedTimer>
#include <QWebEngineView>

class PageSchemeHandler;
class PictureInterceptor;
class PictureSchemeHandler;
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

    // Where a page that replaces another starts.
    enum class Place {
        Top,   // at its top: another page than the one shown
        Keep,  // where the reader was in the page it replaces: a newer version of that page
    };

    // Replaces the shown page by `html` and waits (pumping events, with a bound) until the
    // view has taken it. A page that is the shown one byte for byte is not loaded again: the
    // view keeps its scroll offset, its selection and an open search.
    void WBLoadHTML(const QString &html, Place place = Place::Top);

    // Runs one of the program's own scripts (never the page's) in the shown page.
    void runProgramScript(const QString &script);

    // Whether the view holds a page.
    bool hasDocument() const;

    // The bytes of the page last handed to the view.
    QByteArray currentPageBytes() const;

    // Pictures under `baseUrl` (the feed server's) are fetched by the reader itself and kept
    // in `cacheFolder`, so that the offline page shows them as well. Without this call the
    // view loads them like any other picture, and nothing is kept.
    void setPictureSource(const QString &baseUrl, const QString &cacheFolder);

    // How many times the view brought its page back after its renderer ended.
    int rendererRecoveries() const { return m_rendererRecoveries; }

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void applySafetySettings();
    // Tells the page when a document has been parsed (see waitForDocument).
    void installReadyScript();
    // Hands the current page to the engine under a fresh address of the reader's scheme.
    QUrl startLoad();
    // The reader's place in the shown page (see PagePlace); invalid when the page did not tell.
    QVariant readPlace();
    void waitForDocument(const QUrl &url);
    void onRendererEnded(QWebEnginePage::RenderProcessTerminationStatus status);

    QWebEngineProfile *m_profile = nullptr;
    PageSchemeHandler *m_schemeHandler = nullptr;
    PictureSchemeHandler *m_pictureHandler = nullptr;
    PictureInterceptor *m_pictureInterceptor = nullptr;
    ReaderPage *m_page = nullptr;
    QByteArray m_pageBytes;
    quint64 m_loadSerial = 0;
    bool m_hasDocument = false;
    // When the page was last brought back after its renderer ended; a renderer that ends
    // again soon after is not restarted until the next page is loaded.
    QElapsedTimer m_sinceRecovery;
    bool m_recoveryHeld = false;
    int m_rendererRecoveries = 0;
};
