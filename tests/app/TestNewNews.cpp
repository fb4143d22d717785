#include "app/NewsWatch.h"
#include "app/ReaderWindow.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"
#include "support/FeedBuilder.h"
#include "support/LocalHttpServer.h"
#include "support/PageScript.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString DesktopId = QStringLiteral("cz.zelton.ZeltonReader");

// What a desktop's notification service does for the reader, with every call recorded.
class NotificationStandIn : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call
    {
        QString appName;
        uint replacesId = 0;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        uint id = 0;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int)
    {
        const uint id = replacesId ? replacesId : ++m_lastId;
        calls.append({appName, replacesId, icon, summary, body, actions, hints, id});
        return id;
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }

private:
    uint m_lastId = 40;
};

FeedItem item(const QString &group, const QString &text)
{
    return FeedItem::news(QStringLiteral("Spolek"), group, text);
}

QByteArray feedOf(const QList<FeedItem> &items)
{
    FeedBuilder feed;
    for (const FeedItem &news : items)
        feed.add(news);
    return feed.add(FeedItem::info(QStringLiteral("Informace spolku"))).bytes();
}

const FeedItem Tournament = item(QStringLiteral("Sport"), QStringLiteral("Turnaj"));
const FeedItem Concert = item(QStringLiteral("Kultura"), QStringLiteral("Koncert"));
const FeedItem Exhibition = item(QStringLiteral("Kultura"), QStringLiteral("<b>Výstava</b> obrazů<br>v sále"));
const FeedItem Run = item(QStringLiteral("Sport"), QStringLiteral("Běh"));
const FeedItem Meeting = item(QStringLiteral("Sport"), QStringLiteral("Schůze"));

// The texts of the cards that show the "Nové" mark.
const QString MarkedCardsScript = QStringLiteral(R"JS(Array.from(document.body.children)
  .filter((box) => getComputedStyle(box, '::before').content.includes('Nové'))
  .map((box) => box.textContent).join('|'))JS");

} // namespace

// News that a refresh brings, told to a user who works in another window, on a session bus of
// the test's own with a stand-in notification service.
class TestNewNews : public QObject
{
    Q_OBJECT

public:
    explicit TestNewNews(QString busAddress) : m_busAddress(std::move(busAddress)) {}

private:
    QString m_busAddress;
    QTemporaryDir m_config;
    QMutex m_feedLock;
    QByteArray m_feed;
    QByteArray m_otherFeed;  // the feed of the organization "jina"
    LocalHttpServer m_server{[this](const QByteArray &request) {
        QMutexLocker lock(&m_feedLock);
        LocalHttpServer::Response response;
        response.body = request.contains("id=jina") ? m_otherFeed : m_feed;
        return response;
    }};
    NotificationStandIn m_standIn;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReaderWindow> m_window;
    std::unique_ptr<QWidget> m_otherWindow;
    QStringList m_idAnswers;

    void serve(const QList<FeedItem> &items)
    {
        QMutexLocker lock(&m_feedLock);
        m_feed = feedOf(items);
    }
    void serveOther(const QList<FeedItem> &items)
    {
        QMutexLocker lock(&m_feedLock);
        m_otherFeed = feedOf(items);
    }
    void openWindow()
    {
        m_window = std::make_unique<ReaderWindow>(ReaderConfig{ReaderPaths(m_dir->path()), m_server.baseUrl(), [this] {
            return m_idAnswers.isEmpty() ? QString() : m_idAnswers.takeFirst();
        }});
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    // The user works in another program's window.
    void workElsewhere()
    {
        m_otherWindow = std::make_unique<QWidget>();
        m_otherWindow->resize(200, 100);
        m_otherWindow->show();
        m_otherWindow->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(m_otherWindow->isActiveWindow(), 60000);
        QVERIFY(!m_window->isActiveWindow());
    }
    QString markedCards() { return runPageScript(m_window->view(), MarkedCardsScript).toString(); }
    QDBusConnection standInBus() const { return QDBusConnection(QStringLiteral("stand-in")); }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QGuiApplication::setDesktopFileName(DesktopId);
        QCoreApplication::setApplicationName(QStringLiteral("ZeltonReader"));
        QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("stand-in"));
        QVERIFY(bus.isConnected());
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_standIn,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void init()
    {
        QVERIFY(standInBus().registerService(QStringLiteral("org.freedesktop.Notifications")));
        m_standIn.calls.clear();
        m_dir = std::make_unique<QTemporaryDir>();
        SettingsFile(m_dir->filePath(QStringLiteral("Settings.ini"))).writeString(SettingsKeys::Id, QStringLiteral("demo"));
    }

    void cleanup()
    {
        m_window.reset();
        m_otherWindow.reset();
        standInBus().unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    }

    void newNewsIsToldOnceAndMarkedUntilSeen()
    {
        serve({Tournament, Concert});
        openWindow();
        // The first feed is the user's starting point: nothing in it is new.
        QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("SeenNews.txt"))));
        QCOMPARE(markedCards(), QString());
        workElsewhere();

        serve({Exhibition, Tournament, Concert, Run});
        m_window->refreshTimerFired();
        QTRY_COMPARE_WITH_TIMEOUT(m_standIn.calls.size(), 1, 60000);
        const NotificationStandIn::Call first = m_standIn.calls.at(0);
        QCOMPARE(first.summary, QStringLiteral("2 nové zprávy"));
        QCOMPARE(first.body, QStringLiteral("Výstava obrazů"));
        QCOMPARE(first.icon, DesktopId);
        QCOMPARE(first.appName, QStringLiteral("ZeltonReader"));
        QCOMPARE(first.hints.value(QStringLiteral("desktop-entry")).toString(), DesktopId);
        QVERIFY(first.actions.contains(QStringLiteral("default")));
        QCOMPARE(first.replacesId, 0u);
        QVERIFY(markedCards().contains(QStringLiteral("Výstava")));
        QVERIFY(markedCards().contains(QStringLiteral("Běh")));
        QCOMPARE(markedCards().count(u'|'), 1);

        // The same news again: no second notification, the marks stay. The next notification
        // is the one of the next new item alone.
        m_window->refreshTimerFired();
        QCOMPARE(markedCards().count(u'|'), 1);
        serve({Exhibition, Tournament, Concert, Run, Meeting});
        m_window->refreshTimerFired();
        QTRY_COMPARE_WITH_TIMEOUT(m_standIn.calls.size(), 2, 60000);
        QCOMPARE(m_standIn.calls.at(1).summary, QStringLiteral("1 nová zpráva"));
        QCOMPARE(m_standIn.calls.at(1).body, QStringLiteral("Schůze"));
        QCOMPARE(m_standIn.calls.at(1).replacesId, first.id);
        QTRY_COMPARE_WITH_TIMEOUT(markedCards().count(u'|'), 2, 60000);

        // A click on the notification brings the window up; once the user has had the news in
        // front of them a while, the marks go, for good.
        QDBusMessage click = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                        QStringLiteral("org.freedesktop.Notifications"),
                                                        QStringLiteral("ActionInvoked"));
        click << m_standIn.calls.at(1).id << QStringLiteral("default");
        QVERIFY(standInBus().send(click));
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isActiveWindow(), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(markedCards(), QString(), 60000);
        QVERIFY(m_window->newsWatch().markedCards().isEmpty());

        m_window.reset();
        openWindow();
        QCOMPARE(markedCards(), QString());
        QCOMPARE(m_standIn.calls.size(), 2);
        // Settings.ini keeps its own keys only.
        QFile settings(m_dir->filePath(QStringLiteral("Settings.ini")));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(!settings.readAll().contains("seen"));
    }

    void activeWindowIsNotNotified()
    {
        serve({Tournament});
        openWindow();
        m_window->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isActiveWindow(), 60000);
        serve({Run, Tournament});
        m_window->refreshTimerFired();
        QVERIFY(markedCards().contains(QStringLiteral("Běh")));
        // Told by its mark: working elsewhere later brings no notification for it.
        workElsewhere();
        serve({Meeting, Run, Tournament});
        m_window->refreshTimerFired();
        QTRY_COMPARE_WITH_TIMEOUT(m_standIn.calls.size(), 1, 60000);
        QCOMPARE(m_standIn.calls.at(0).body, QStringLiteral("Schůze"));
    }

    void newsOfAHiddenGroupIsNewWithoutNotification()
    {
        SettingsFile(m_dir->filePath(QStringLiteral("Settings.ini"))).writeString(SettingsKeys::Group, QStringLiteral("Sport"));
        serve({Tournament, Concert});
        openWindow();
        workElsewhere();
        serve({Exhibition, Tournament, Concert});
        m_window->refreshTimerFired();
        QCOMPARE(markedCards(), QString());
        serve({Exhibition, Tournament, Concert, Run});
        m_window->refreshTimerFired();
        QTRY_COMPARE_WITH_TIMEOUT(m_standIn.calls.size(), 1, 60000);
        QCOMPARE(m_standIn.calls.at(0).summary, QStringLiteral("1 nová zpráva"));
        QCOMPARE(m_standIn.calls.at(0).body, QStringLiteral("Běh"));
        // Shown with every group, the hidden item is new as well.
        auto *groups = m_window->findChild<QComboBox *>(QStringLiteral("ComboBox2"));
        groups->setCurrentIndex(0);
        m_window->groupChosen();
        QVERIFY(markedCards().contains(QStringLiteral("Výstava")));
        QVERIFY(markedCards().contains(QStringLiteral("Běh")));
    }

    void anotherOrganizationStartsAsSeen()
    {
        serve({Tournament});
        serveOther({Concert, Exhibition});
        openWindow();
        workElsewhere();
        m_idAnswers << QStringLiteral("jina");
        m_window->askForId();
        QVERIFY(m_window->view()->currentPageBytes().contains("Koncert"));
        QCOMPARE(markedCards(), QString());
        serveOther({Meeting, Concert, Exhibition});
        m_window->refreshTimerFired();
        QTRY_COMPARE_WITH_TIMEOUT(m_standIn.calls.size(), 1, 60000);
        QCOMPARE(m_standIn.calls.at(0).summary, QStringLiteral("1 nová zpráva"));
    }

    void withoutServiceNothingFails()
    {
        standInBus().unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        serve({Tournament});
        openWindow();
        workElsewhere();
        serve({Run, Tournament});
        m_window->refreshTimerFired();  // a box would hold this call until the test's time ran out
        QVERIFY(m_window->view()->currentPageBytes().contains("Běh"));
        QVERIFY(markedCards().contains(QStringLiteral("Běh")));
        QCOMPARE(m_standIn.calls.size(), 0);
    }
};

int main(int argc, char *argv[])
{
    // A session bus of the test's own, started before the application object reads its address.
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                              QStringLiteral("--print-address")});
    if (!bus.waitForStarted(60000) || !bus.waitForReadyRead(60000)) {
        qCritical("dbus-daemon did not start");
        return 1;
    }
    const QByteArray address = bus.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    const int status = runWebViewTest(argc, argv, [&address] {
        return std::make_unique<TestNewNews>(QString::fromUtf8(address));
    });
    bus.kill();
    bus.waitForFinished();
    return status;
}

#include "TestNewNews.moc"
