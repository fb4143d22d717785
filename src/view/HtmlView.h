#pragma once

#include <QList>
#include <QTimer>
#include <QWebEngineView>

class PageSchemeHandler;
class PictureInterceptor;
class PictureSchemeHandler;
class QLabel;
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
    void showHtml(const QString &html, Place place = Place::Top);

    // What finds the news cards in the pages: a CSS selector that matches every card's box
    // and nothing else. The view lays out the cards out of sight only when they are needed
    // (see PageHints) and marks new ones (see NewsMarks) by it; without it, every card is
    // laid out and none is marked. Pages shown from now on follow it.
    void setCardSelector(const QString &selector);
    QString cardSelector() const { return m_cardSelector; }

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
    // How long the reader's fetch of one picture may take in all (30 s unless set).
    void setPictureTimeLimit(int milliseconds);

    // How many times the view brought its page back after its renderer ended.
    int rendererRecoveries() const { return m_rendererRecoveries; }

    // The pauses before the tries to bring the page back after its renderer ended, in order;
    // the last one repeats. They start over once a page has stayed up for `steadyMs`.
    void setRecoveryPauses(const QList<int> &pausesMs, int steadyMs);
    // The pause before the next try, should the renderer end now.
    int nextRecoveryPauseMs() const;
    // The pause of the try that is waiting, or 0 when none is.
    int pendingRecoveryPauseMs() const;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applySafetySettings();
    // Tells the page when a document has been parsed (see waitForDocument).
    void installReadyScript();
    // Gives every page the reader's Content-Security-Policy (see RequestPolicy).
    void installContentPolicy();
    // Hands the current page to the engine under a fresh address of the reader's scheme.
    QUrl startLoad();
    // The reader's place in the shown page (see PagePlace); invalid when the page did not tell.
    QVariant readPlace();
    void waitForDocument(const QUrl &url);
    void onRendererEnded(QWebEnginePage::RenderProcessTerminationStatus status);
    void onPageShown();
    void setRendererNoticeShown(bool shown);

    QWebEngineProfile *m_profile = nullptr;
    PageSchemeHandler *m_schemeHandler = nullptr;
    PictureSchemeHandler *m_pictureHandler = nullptr;
    PictureInterceptor *m_pictureInterceptor = nullptr;
    ReaderPage *m_page = nullptr;
    QByteArray m_pageBytes;
    QString m_cardSelector;
    quint64 m_loadSerial = 0;
    bool m_hasDocument = false;
    // A page that brings its renderer down at every load must not restart it in a loop:
    // each try waits longer than the last, up to the last pause, which then repeats.
    QList<int> m_recoveryPausesMs;
    int m_recoveryStep = 0;
    QTimer m_recoveryTimer;
    // Runs while a page is up after a recovery; when it fires the pauses start over.
    QTimer m_steadyTimer;
    int m_rendererRecoveries = 0;
    QLabel *m_rendererNotice = nullptr;
};
