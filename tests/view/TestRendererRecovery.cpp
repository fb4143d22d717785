#include "support/PageScript.h"
#include "view/HtmlView.h"

#include <QApplication>
#include <QWebEngineHistory>
#include <QtTest>

#include <csignal>

namespace {

const QString Page = QStringLiteral(
    "<!DOCTYPE html><html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">"
    "</head><body><p id=\"text\">Žluťoučký kůň</p></body></html>");

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

} // namespace

// The web engine's renderer is a process of its own; when it ends, the view brings its page
// back by itself.
class TestRendererRecovery : public QObject
{
    Q_OBJECT

private slots:
    void shouldShowPageAgainWhenRendererEnds()
    {
        HtmlView view;
        view.resize(400, 300);
        view.show();
        view.WBLoadHTML(Page);
        QCOMPARE(shownText(view), QStringLiteral("Žluťoučký kůň"));

        QSignalSpy ended(view.page(), &QWebEnginePage::renderProcessTerminated);
        const qint64 first = killRenderer(view);
        QVERIFY(first > 0);
        QTRY_COMPARE(ended.size(), 1);

        // The same page, from the bytes the view holds, in a new renderer.
        QTRY_COMPARE_WITH_TIMEOUT(shownText(view), QStringLiteral("Žluťoučký kůň"), 10000);
        QCOMPARE(view.rendererRecoveries(), 1);
        QVERIFY(view.hasDocument());
        QVERIFY(view.page()->renderProcessPid() != first);
        QVERIFY(!view.page()->history()->canGoBack());
    }

    void shouldStopRetryingWhenRendererEndsAgainAtOnce()
    {
        HtmlView view;
        view.show();
        view.WBLoadHTML(Page);
        QSignalSpy ended(view.page(), &QWebEnginePage::renderProcessTerminated);

        killRenderer(view);
        QTRY_COMPARE_WITH_TIMEOUT(shownText(view), QStringLiteral("Žluťoučký kůň"), 10000);
        killRenderer(view);
        QTRY_COMPARE(ended.size(), 2);

        // No second restart: the view stays empty rather than crash in a loop.
        QVERIFY(!view.hasDocument());
        QCOMPARE(view.rendererRecoveries(), 1);
        QVERIFY(!QTest::qWaitFor([&] { return view.rendererRecoveries() > 1; }, 2000));

        // The next page that comes shows as usual.
        view.WBLoadHTML(Page);
        QVERIFY(view.hasDocument());
        QCOMPARE(shownText(view), QStringLiteral("Žluťoučký kůň"));
    }
};

int main(int argc, char *argv[])
{
    HtmlView::registerScheme();
    QApplication app(argc, argv);
    TestRendererRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestRendererRecovery.moc"
