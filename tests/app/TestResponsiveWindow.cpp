#include "app/ReaderWindow.h"
#include "settings/SettingsKeys.h"
#include "support/LocalHttpServer.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const QByteArray Feed =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><feed><zelton_information><ZELTON_FIRMA>Spolek</ZELTON_FIRMA>"
    "<ZELTON_BACKGROUNG>E8EEF4</ZELTON_BACKGROUNG><ZELTON_TEXT>Turnaj</ZELTON_TEXT></zelton_information>"
    "<zelton_other_information><ZT_INFO_INFORMACE>O n\xc3\xa1s</ZT_INFO_INFORMACE></zelton_other_information></feed>";

} // namespace

// The window while a refresh cycle waits for a slow feed server: it keeps repainting and
// following the window manager, takes no command, and closes only once the cycle is over.
class TestResponsiveWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    std::atomic<bool> m_holdAnswers{false};
    std::atomic<bool> m_requestHeld{false};
    // Answers on its own thread; while held, it sits on the request like a stalled server.
    LocalHttpServer m_server{[this](const QByteArray &) {
        // Bounded, so that a window that never gets to release it still ends the test.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (m_holdAnswers && std::chrono::steady_clock::now() < giveUp) {
            m_requestHeld = true;
            std::this_thread::yield();
        }
        m_requestHeld = false;
        LocalHttpServer::Response response;
        response.body = Feed;
        return response;
    }};

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8()); }

    void shouldStayAliveAndHoldCloseWhileFeedDownloads()
    {
        QTemporaryDir dir;
        SettingsFile(dir.filePath(QStringLiteral("Settings.ini"))).writeString(SettingsKeys::Id, QStringLiteral("demo"));
        ReaderWindow window(ReaderConfig{ReaderPaths(dir.path()), m_server.baseUrl(), {}});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // Runs on the window's own thread while the cycle waits for the held answer.
        bool servedDuringDownload = false;
        bool visibleAfterClose = false;
        QTimer duringDownload;
        duringDownload.setInterval(10);
        connect(&duringDownload, &QTimer::timeout, this, [&] {
            if (!m_requestHeld || servedDuringDownload)
                return;
            servedDuringDownload = window.cycle().isRunning();
            window.close();
            visibleAfterClose = window.isVisible();
            m_holdAnswers = false;
        });
        duringDownload.start();

        m_holdAnswers = true;
        window.reloadNews();
        duringDownload.stop();

        QVERIFY(servedDuringDownload);
        QVERIFY(visibleAfterClose);  // the close waited for the cycle
        QVERIFY(window.view()->currentPageBytes().contains("Turnaj"));
        QTRY_VERIFY(!window.isVisible());  // and came once the cycle had ended
        QCOMPARE(SettingsFile(dir.filePath(QStringLiteral("Settings.ini"))).readInteger(SettingsKeys::Width, -1),
                 window.frameGeometry().width());
    }
};

ZR_WEB_VIEW_TEST_MAIN(TestResponsiveWindow)

#include "TestResponsiveWindow.moc"
