#include "app/ReaderWindow.h"
#include "settings/SettingsKeys.h"
#include "support/FileBytes.h"
#include "support/LocalHttpServer.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

} // namespace

// The pages and the stored settings of the demo organization, byte for byte as recorded in
// tests/app/fixtures. Run with ZR_RECORD_FIXTURES=1 to record them anew after a deliberate
// change of the pages.
class TestDemoPages : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    const QByteArray m_feed = fileBytes(QStringLiteral(ZR_DEMO_ROOT "/feeds/demo.xml"));
    LocalHttpServer m_server{[this](const QByteArray &) {
        LocalHttpServer::Response response;
        response.body = m_feed;
        return response;
    }};

    // The server's port changes from run to run; the fixtures hold a mark in its place.
    QByteArray portable(const QString &page) const
    {
        return QString(page).replace(m_server.baseUrl(), QStringLiteral("@BASE@")).toUtf8();
    }

    // The page the window's view was given last.
    QByteArray shownPage(const ReaderWindow &window) const
    {
        return portable(QString::fromUtf8(window.view()->currentPageBytes()));
    }

    static void compareWithFixture(const QByteArray &actual, const QString &name)
    {
        const QString path = QStringLiteral(ZR_FIXTURES "/") + name;
        if (qEnvironmentVariableIsSet("ZR_RECORD_FIXTURES")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(actual), actual.size());
            return;
        }
        const QByteArray expected = fileBytes(path);
        QVERIFY2(!expected.isEmpty(), qPrintable(path));
        QCOMPARE(actual, expected);
    }

    static void choose(ReaderWindow &window, const char *name, int index)
    {
        auto *box = window.findChild<QComboBox *>(QLatin1String(name));
        QVERIFY(box && index >= 0 && index < box->count());
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QVERIFY(!m_feed.isEmpty());
    }

    void shouldBuildDemoPagesAndSettingsAsRecorded()
    {
        QTemporaryDir dir;
        const QString settingsPath = dir.filePath(QStringLiteral("Settings.ini"));
        SettingsFile(settingsPath).writeString(SettingsKeys::Id, QStringLiteral("demo"));
        ReaderWindow window(ReaderConfig{ReaderPaths(dir.path()), m_server.baseUrl(), [] { return QString(); }});

        // The first cycle, with the lists as start-up leaves them, then the other two pages.
        compareWithFixture(shownPage(window), QStringLiteral("demo-news.html"));
        window.showInformation();
        compareWithFixture(shownPage(window), QStringLiteral("demo-information.html"));
        window.showContacts();
        compareWithFixture(shownPage(window), QStringLiteral("demo-contacts.html"));
        compareWithFixture(fileBytes(settingsPath), QStringLiteral("demo-first-Settings.ini"));

        // Once the window was activated, the lists keep the user's choices: another style,
        // another size and one group.
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        choose(window, "ComboBox1", 2);
        choose(window, "ComboBox3", 12);
        auto *groups = window.findChild<QComboBox *>(QStringLiteral("ComboBox2"));
        choose(window, "ComboBox2", groups->findText(QStringLiteral("Pro děti")));
        compareWithFixture(shownPage(window), QStringLiteral("demo-news-children.html"));
        window.showInformation();
        compareWithFixture(shownPage(window), QStringLiteral("demo-information-shadow.html"));
        compareWithFixture(fileBytes(settingsPath), QStringLiteral("demo-Settings.ini"));
        QCOMPARE(groups->currentText(), QStringLiteral("Pro děti"));
    }
};

ZR_WEB_VIEW_TEST_MAIN(TestDemoPages)

#include "TestDemoPages.moc"
