#include "app/ReaderWindow.h"
#include "settings/SettingsKeys.h"
#include "support/LocalHttpServer.h"
#include "support/ModalWatcher.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <climits>
#include <cstdio>

// The stored geometry is the window's outer rectangle, frame included. Only a real window
// manager draws a frame, so this test runs on its own virtual X screen under openbox.
namespace {

const QByteArray Feed =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><feed><zelton_information><ZELTON_FIRMA>Spolek</ZELTON_FIRMA>"
    "<ZELTON_BACKGROUNG>E8EEF4</ZELTON_BACKGROUNG><ZELTON_SKUPINA_POPIS>Sport</ZELTON_SKUPINA_POPIS>"
    "<ZELTON_TEXT>Turnaj</ZELTON_TEXT></zelton_information><zelton_other_information>"
    "<ZT_INFO_INFORMACE>O nás</ZT_INFO_INFORMACE></zelton_other_information></feed>";

const QSize ScreenSize(1280, 1024);

// An X server of its own (it picks a free display itself, so parallel runs never meet)
// with a window manager on it; both end with the test.
class VirtualDesktop
{
public:
    ~VirtualDesktop()
    {
        for (QProcess *process : {&m_windowManager, &m_server}) {
            process->terminate();
            if (!process->waitForFinished(10000))
                process->kill();
            process->waitForFinished();
        }
    }

    // Returns the display name, or an empty text with the reason on stderr.
    QByteArray start()
    {
        m_server.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("%1x%2x24").arg(ScreenSize.width()).arg(ScreenSize.height())});
        QByteArray number;
        while (!number.endsWith('\n') && m_server.waitForReadyRead(60000))
            number += m_server.readAllStandardOutput();
        if (!number.endsWith('\n')) {
            std::fprintf(stderr, "Xvfb did not start: %s\n", qPrintable(m_server.errorString()));
            return {};
        }
        const QByteArray display = ':' + number.trimmed();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
        m_windowManager.setProcessEnvironment(environment);
        m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Openbox runs its start-up command once it manages the screen: a window shown
        // before then could stay unframed.
        m_windowManager.start(QStringLiteral("openbox"),
                              {QStringLiteral("--sm-disable"), QStringLiteral("--startup"), QStringLiteral("echo managing")});
        QByteArray said;
        while (!said.contains("managing\n") && m_windowManager.waitForReadyRead(60000))
            said += m_windowManager.readAllStandardOutput();
        if (!said.contains("managing\n")) {
            std::fprintf(stderr, "openbox did not start: %s\n", qPrintable(m_windowManager.errorString()));
            return {};
        }
        return display;
    }

private:
    QProcess m_server;
    QProcess m_windowManager;
};

} // namespace

class TestWindowFrame : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    LocalHttpServer m_server{LocalHttpServer::answering(Feed)};

    ModalWatcher m_boxes;  // a box would mean a failed cycle: closed, then reported by cleanup()

    std::unique_ptr<ReaderWindow> openReader(const QTemporaryDir &dir) const
    {
        return std::make_unique<ReaderWindow>(
            ReaderConfig{ReaderPaths(dir.path()), m_server.baseUrl(), [] { return QStringLiteral("demo"); }});
    }

    static void storeGeometry(const QTemporaryDir &dir, int left, int top, int width, int height)
    {
        SettingsFile settings(dir.filePath(QStringLiteral("Settings.ini")));
        settings.writeString(SettingsKeys::Id, QStringLiteral("demo"));
        settings.writeInteger(SettingsKeys::Left, left);
        settings.writeInteger(SettingsKeys::Top, top);
        settings.writeInteger(SettingsKeys::Width, width);
        settings.writeInteger(SettingsKeys::Height, height);
    }
    static void storeGeometry(const QTemporaryDir &dir, const QRect &outer)
    {
        storeGeometry(dir, outer.x(), outer.y(), outer.width(), outer.height());
    }

    static QRect storedGeometry(const QTemporaryDir &dir)
    {
        const SettingsFile settings(dir.filePath(QStringLiteral("Settings.ini")));
        return {settings.readInteger(SettingsKeys::Left, -1), settings.readInteger(SettingsKeys::Top, -1),
                settings.readInteger(SettingsKeys::Width, -1), settings.readInteger(SettingsKeys::Height, -1)};
    }

    // Shows the window and waits until the window manager has framed it where it belongs.
    static void showFramed(ReaderWindow &window, const QRect &outer)
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, 60000));
        QTRY_VERIFY_WITH_TIMEOUT(!window.windowHandle()->frameMargins().isNull(), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(window.frameGeometry(), outer, 60000);
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        // The window manager is ready once it frames a window.
        QWidget probe;
        probe.resize(200, 100);
        probe.show();
        QTRY_VERIFY_WITH_TIMEOUT(!probe.windowHandle()->frameMargins().isNull(), 60000);
    }

    void cleanup() { QCOMPARE(m_boxes.texts(), QStringList()); }

    void shouldShowStoredMinimumAsOuterSize()
    {
        QTemporaryDir dir;
        const QRect outer(100, 120, 460, 300);
        storeGeometry(dir, outer);
        const auto window = openReader(dir);
        showFramed(*window, outer);
        // The frame takes its share: the client area is smaller than the stored size.
        QVERIFY(window->width() < 460);
        QVERIFY(window->height() < 300);
    }

    void shouldKeepStoredRectangleThroughCloseAndRestart_data()
    {
        QTest::addColumn<QRect>("outer");
        QTest::newRow("inside the screen") << QRect(150, 130, 640, 480);
        QTest::newRow("at the corner") << QRect(0, 0, 700, 500);
        QTest::newRow("the whole screen") << QRect(QPoint(0, 0), ScreenSize);
    }
    void shouldKeepStoredRectangleThroughCloseAndRestart()
    {
        QFETCH(QRect, outer);
        QTemporaryDir dir;
        storeGeometry(dir, outer);
        for (int start = 0; start < 2; ++start) {
            const auto window = openReader(dir);
            showFramed(*window, outer);
            QVERIFY(window->close());
            QCOMPARE(storedGeometry(dir), outer);
        }
    }

    // Stored as four numbers: a rectangle of these values would overflow on its own.
    void shouldBringHostileGeometryOntoTheScreen_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("outer");
        const QRect screen(QPoint(0, 0), ScreenSize);
        QTest::newRow("largest everywhere") << INT_MAX << INT_MAX << INT_MAX << INT_MAX << screen;
        QTest::newRow("8000 x 8000") << 10 << 10 << 8000 << 8000 << screen;
        QTest::newRow("left near the largest") << INT_MAX - 5 << 10 << 460 << 300
                                               << QRect(ScreenSize.width() - 460, 10, 460, 300);
        QTest::newRow("least everywhere") << INT_MIN << INT_MIN << INT_MIN << INT_MIN << QRect(0, 0, 460, 300);
    }
    void shouldBringHostileGeometryOntoTheScreen()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, outer);
        QTemporaryDir dir;
        storeGeometry(dir, left, top, width, height);
        const auto window = openReader(dir);
        showFramed(*window, outer);
        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        QCOMPARE(storedGeometry(dir), outer);
    }
};

int main(int argc, char *argv[])
{
    VirtualDesktop desktop;
    const QByteArray display = desktop.start();
    if (display.isEmpty())
        return 1;
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    return runWebViewTest(argc, argv, [] { return std::make_unique<TestWindowFrame>(); });
}

#include "TestWindowFrame.moc"
