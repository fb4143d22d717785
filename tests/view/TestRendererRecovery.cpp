#include "support/PageScript.h"
#include "support/WebViewTestMain.h"
#include "common/Texts.h"
#include "view/HtmlView.h"

#include <QApplication>
#include <QLabel>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QtTest>

#include <csignal>

namespace {

const QString Page = QStringLiteral(
    "<!DOCTYPE html><html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">"
    "</head><body><p id=\"text\">Žluťoučký kůň</p></body></html>");
const QString PageText = QStringLiteral("Žluťoučký kůň");
// Long enough that a test never sees the pauses start over by themselves.
constexpr int NeverSteadyMs = 600'000;

// Puts `view` on screen and shows the test's page in it, with `pausesMs` and `steadyMs` as
// its recovery pauses (the view's own when empty).
void showPage(HtmlView &view, const QList<int> &pausesMs = {}, int steadyMs = NeverSteadyMs)
{
    view.resize(400, 300);
    view.show();
    if (!pausesMs.isEmpty())
        view.setRecoveryPauses(pausesMs, steadyMs);
    view.showHtml(Page);
}

QString shownText(HtmlView &view)
{
    return runPageScript(&view, QStringLiteral("document.getElementById('text').textContent"), 2000)
        .toString();
}

// Ends the view's renderer the hard way, as a crash or the out-of-memory killer would.
qint64 killRenderer(HtmlView &view)
{
    const qint64 pid = view.page()->renderProcessPid();
    if (pid > 0)
        ::kill(pid_t(pid), SIGKILL);
    return pid;
}

QLabel *rendererNotice(HtmlView &view)
{
    return view.findChild<QLabel *>(QStringLiteral("rendererNotice"));
}

// Whether the notice was on screen at the moment each renderer ended (the view handles the
// end before any slot connected after it). Only ends that take the page away count: the engine
// also ends a renderer of its own accord when it hands the page to another one.
struct NoticeWatch
{
    explicit NoticeWatch(HtmlView &view)
    {
        QObject::connect(view.page(), &QWebEnginePage::renderProcessTerminated, view.page(),
                         [this, &view](QWebEnginePage::RenderProcessTerminationStatus status) {
            if (status == QWebEnginePage::NormalTerminationStatus)
                return;
            ++ends;
            const QLabel *notice = rendererNotice(view);
            shownAtEnd.append(notice && notice->isVisible() && notice->geometry() == view.rect()
                              && notice->text() == Texts::RendererEnded);
            pauses.append(view.pendingRecoveryPauseMs());
        });
    }
    int ends = 0;
    QList<bool> shownAtEnd;
    QList<int> pauses;  // the pause the view took after each end
};

} // namespace

// The web engine's renderer is a process of its own; when it ends, the view brings its page
// back by itself, however often that happens.
class TestRendererRecovery : public QObject
{
    Q_OBJECT

private slots:
    void shouldShowPageAgainWhenRendererEnds()
    {
        HtmlView view;
        showPage(view);
        QCOMPARE(shownText(view), PageText);

        QSignalSpy ended(view.page(), &QWebEnginePage::renderProcessTerminated);
        const qint64 first = killRenderer(view);
        QVERIFY(first > 0);
        QTRY_COMPARE(ended.size(), 1);

        // The same page, from the bytes the view holds, in a new renderer.
        QTRY_COMPARE_WITH_TIMEOUT(shownText(view), PageText, 10000);
        QCOMPARE(view.rendererRecoveries(), 1);
        QVERIFY(view.hasDocument());
        QVERIFY(view.page()->renderProcessPid() != first);
        QVERIFY(!view.page()->history()->canGoBack());
    }

    void shouldBringPageBackEveryTimeWithGrowingPauses()
    {
        HtmlView view;
        showPage(view, {50, 200, 800});
        NoticeWatch watch(view);
        QSignalSpy ended(view.page(), &QWebEnginePage::renderProcessTerminated);

        // Each time the page is back, its renderer ends again at once.
        for (int end = 1; end <= 4; ++end) {
            QVERIFY(killRenderer(view) > 0);
            QTRY_COMPARE_WITH_TIMEOUT(ended.size(), end, 30000);
            QVERIFY(!view.hasDocument());
            QTRY_COMPARE_WITH_TIMEOUT(shownText(view), PageText, 30000);
            QTRY_VERIFY_WITH_TIMEOUT(!rendererNotice(view)->isVisible(), 30000);
            QCOMPARE(view.rendererRecoveries(), end);
        }
        QCOMPARE(watch.shownAtEnd, QList<bool>({true, true, true, true}));
        QCOMPARE(watch.pauses, QList<int>({50, 200, 800, 800}));
        QVERIFY(view.hasDocument());
    }

    void shouldTryOncePerLongestPauseWhenEveryLoadEndsRenderer()
    {
        HtmlView view;
        showPage(view, {20, 40, 80});
        NoticeWatch watch(view);

        // A renderer that ends as soon as the view's try has brought it up, as with a page
        // that brings it down. (The engine may start a renderer of its own before the try;
        // ending that one would only stand for the same end twice.)
        qint64 last = 0;
        for (int end = 1; end <= 6; ++end) {
            QTRY_VERIFY_WITH_TIMEOUT(view.rendererRecoveries() == end - 1 && view.page()->renderProcessPid() > 0
                                         && view.page()->renderProcessPid() != last, 30000);
            last = killRenderer(view);
            QTRY_COMPARE_WITH_TIMEOUT(watch.ends, end, 30000);
        }
        QCOMPARE(watch.pauses, QList<int>({20, 40, 80, 80, 80, 80}));
        QVERIFY(rendererNotice(view)->isVisible());

        // Left alone, the page comes back and the notice goes.
        QTRY_COMPARE_WITH_TIMEOUT(shownText(view), PageText, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!rendererNotice(view)->isVisible(), 30000);
        QCOMPARE(view.rendererRecoveries(), 6);
    }

    void shouldStartPausesOverOnceThePageStayedUp()
    {
        HtmlView view;
        showPage(view, {50, 600'000}, 300);
        QSignalSpy ended(view.page(), &QWebEnginePage::renderProcessTerminated);
        // The pause the view would take next, read the moment the recovered page is back (the
        // view handles the load before this slot); read later, it may be past the 300 ms. The
        // first page's own load may also end only now, before any recovery.
        QList<int> pauseWhenBack;
        connect(view.page(), &QWebEnginePage::loadingChanged, &view, [&](const QWebEngineLoadingInfo &info) {
            if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && view.rendererRecoveries() == 1)
                pauseWhenBack << view.nextRecoveryPauseMs();
        });

        killRenderer(view);
        QTRY_COMPARE_WITH_TIMEOUT(pauseWhenBack.size(), 1, 30000);
        QCOMPARE(pauseWhenBack.first(), 600'000);
        QTRY_COMPARE_WITH_TIMEOUT(shownText(view), PageText, 30000);
        // The page stays up long enough to count as healthy again...
        QTRY_COMPARE_WITH_TIMEOUT(view.nextRecoveryPauseMs(), 50, 30000);

        // ...so a later end is again met by the shortest pause, not the longest.
        killRenderer(view);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(shownText(view), PageText, 30000);
        QCOMPARE(view.rendererRecoveries(), 2);
    }

    void shouldShowNewPageWhileRecoveryWaits()
    {
        HtmlView view;
        showPage(view, {600'000});
        QSignalSpy ended(view.page(), &QWebEnginePage::renderProcessTerminated);

        killRenderer(view);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 30000);
        QVERIFY(rendererNotice(view)->isVisible());

        // F5 or the next refresh does not wait for the pause.
        view.showHtml(Page);
        QVERIFY(view.hasDocument());
        QCOMPARE(shownText(view), PageText);
        QVERIFY(!rendererNotice(view)->isVisible());
        QCOMPARE(view.rendererRecoveries(), 0);
    }
};

ZR_WEB_VIEW_TEST_MAIN(TestRendererRecovery)

#include "TestRendererRecovery.moc"
