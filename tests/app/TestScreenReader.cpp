#include "FarCardsFeed.h"

#include "app/AssistiveTechnology.h"
#include "app/ReaderWindow.h"
#include "settings/SettingsKeys.h"
#include "support/LocalHttpServer.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QAccessible>
#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>

namespace {

// Every name and value in the accessible tree under `node`, one a line.
void collectTexts(QAccessibleInterface *node, QString &out, int depth = 0)
{
    if (!node || depth > 200)
        return;
    for (QAccessible::Text kind : {QAccessible::Name, QAccessible::Value}) {
        const QString text = node->text(kind);
        if (!text.isEmpty())
            out += text + u'\n';
    }
    for (int i = 0; i < node->childCount(); ++i)
        collectTexts(node->child(i), out, depth + 1);
}

QString accessibleTexts(QWidget *widget)
{
    QString out;
    collectTexts(QAccessible::queryAccessibleInterface(widget), out);
    return out;
}

} // namespace

// Stands in for the desktop's accessibility status: what a desktop says while a screen reader
// runs. It lives on a thread of its own, since the program asks while its
// own thread waits for the answer.
class AccessibilityStatus : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Status")
    Q_PROPERTY(bool IsEnabled READ isEnabled)
    Q_PROPERTY(bool ScreenReaderEnabled READ isScreenReaderEnabled)

public:
    bool isEnabled() const { return false; }
    bool isScreenReaderEnabled() const { return screenReaderEnabled; }

    std::atomic<bool> screenReaderEnabled{false};
};

// The news reaches a screen reader: assistive technology turns the page's accessibility on
// before the first page, and the shown page's accessible tree then holds the cards' texts,
// the last of many thousand cards included.
class TestScreenReader : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    QByteArray m_feed;
    LocalHttpServer m_server{[this](const QByteArray &) {
        LocalHttpServer::Response response;
        response.body = m_feed;
        return response;
    }};
    QProcess m_bus;
    QThread m_statusThread;
    AccessibilityStatus *m_status = nullptr;

    std::unique_ptr<ReaderWindow> showReader()
    {
        auto window = std::make_unique<ReaderWindow>(ReaderConfig{ReaderPaths(m_dir.path()), m_server.baseUrl(), {}});
        window->resize(600, 500);
        window->show();
        // The screen reader's bridge activates the toolkit's accessibility, which the engine
        // follows once its first page exists; on the test's screen nothing else would.
        QAccessible::setActive(true);
        return window;
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        qunsetenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY");
        SettingsFile(m_dir.filePath(QStringLiteral("Settings.ini"))).writeString(SettingsKeys::Id, QStringLiteral("demo"));

        // A session bus of the test's own, with the stand-in accessibility status on it.
        m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                    QStringLiteral("--print-address")});
        QVERIFY(m_bus.waitForStarted(60000));
        QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 60000);
        const QByteArray address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection statusBus = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("status"));
        QVERIFY(statusBus.isConnected());
        m_status = new AccessibilityStatus;
        m_status->moveToThread(&m_statusThread);
        connect(&m_statusThread, &QThread::finished, m_status, &QObject::deleteLater);
        m_statusThread.start();
        QVERIFY(statusBus.registerObject(QStringLiteral("/org/a11y/bus"), m_status, QDBusConnection::ExportAllProperties));
        QVERIFY(statusBus.registerService(QStringLiteral("org.a11y.Bus")));
    }

    void cleanupTestCase()
    {
        m_statusThread.quit();
        m_statusThread.wait();
        m_bus.terminate();
        m_bus.waitForFinished();
    }

    // Runs before any page exists, as in the program's start.
    void shouldTurnPageAccessibilityOnOnlyForAssistiveTechnology()
    {
        QVERIFY(!QAccessible::isActive());
        QVERIFY(!assistiveTechnologyActive());
        enablePageAccessibilityWhenNeeded();
        QVERIFY(qEnvironmentVariableIsEmpty("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"));

        // A screen reader starts: the desktop says so on its accessibility bus.
        m_status->screenReaderEnabled = true;
        QVERIFY(assistiveTechnologyActive());
        enablePageAccessibilityWhenNeeded();
        QCOMPARE(qgetenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"), QByteArray("1"));
    }

    void shouldExposeCardsTexts()
    {
        m_feed = FeedBuilder()
                     .add(FeedItem::news(QStringLiteral("Spolek"), QStringLiteral("Sport"), QStringLiteral("Turnaj v kuželkách"))
                              .set(QStringLiteral("ZELTON_DATE"), QStringLiteral("2026-12-24")))
                     .add(FeedItem::news(QStringLiteral("Spolek"), QStringLiteral("Kultura"), QStringLiteral("Koncert na návsi")))
                     .add(FeedItem::info(QStringLiteral("Informace spolku")))
                     .bytes();
        const auto window = showReader();
        QTRY_VERIFY_WITH_TIMEOUT(accessibleTexts(window->view()).contains(QStringLiteral("Koncert na návsi")), 60000);
        const QString texts = accessibleTexts(window->view());
        QVERIFY2(texts.contains(QStringLiteral("Turnaj v kuželkách")), qPrintable(texts));
        QVERIFY2(texts.contains(QStringLiteral("Kultura")), qPrintable(texts));
        QVERIFY2(texts.contains(QStringLiteral("2026-12-24")), qPrintable(texts));
    }

    void shouldExposeLastOfManyCards()
    {
        m_feed = FarCardsFeed::bytes();
        const auto window = showReader();
        QVERIFY(window->view()->hasDocument());
        QTRY_VERIFY_WITH_TIMEOUT(accessibleTexts(window->view()).contains(FarCardsFeed::LastWords), 120000);
    }
};

ZR_WEB_VIEW_TEST_MAIN(TestScreenReader)

#include "TestScreenReader.moc"
