#include "app/ReaderToolbar.h"
#include "app/ReaderWindow.h"
#include "common/Texts.h"
#include "settings/SettingsKeys.h"
#include "support/ModalWatcher.h"
#include "support/PageScript.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// The whole reader as its user meets it: the real window and web view, the bundled feed
// server with the demo organization, two runs of the program in one folder.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    QTemporaryDir m_folder;  // the reader's executable folder
    QProcess m_server;
    QString m_baseUrl;
    QByteArray m_feed;

    int cardsShown(ReaderWindow &window)
    {
        return runPageScript(window.view(),
                             QStringLiteral("document.querySelectorAll('body > div[style^=\"position:relative\"]').length"))
            .toInt();
    }
    QString pageText(ReaderWindow &window)
    {
        return runPageScript(window.view(), QStringLiteral("document.body.innerText")).toString();
    }
    int itemsOfGroup(const QByteArray &group) const
    {
        return int(m_feed.count("<ZELTON_SKUPINA_POPIS>" + group + "</ZELTON_SKUPINA_POPIS>"));
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QFile feed(QStringLiteral(ZR_DEMO_ROOT "/feeds/demo.xml"));
        QVERIFY(feed.open(QIODevice::ReadOnly));
        m_feed = feed.readAll();

        m_server.start(QStringLiteral(ZR_FEED_SERVER),
                       {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--root"), QStringLiteral(ZR_DEMO_ROOT)});
        QVERIFY(m_server.waitForStarted());
        QVERIFY(m_server.waitForReadyRead(60000));
        const QString line = QString::fromUtf8(m_server.readLine()).trimmed();
        const auto match = QRegularExpression(QStringLiteral("^Listening on (http://127\\.0\\.0\\.1:\\d+/reader/)$")).match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        m_baseUrl = match.captured(1);
    }

    void cleanupTestCase()
    {
        m_server.kill();
        m_server.waitForFinished();
    }

    void shouldServeUserFromFirstStartToSecondStart()
    {
        const QString settingsPath = m_folder.filePath(QStringLiteral("Settings.ini"));
        QRect closedGeometry;
        {
            // First start: no settings file, so the reader asks for the ID in its own box.
            ModalWatcher boxes;
            boxes.inputAnswers = {QStringLiteral("demo")};
            ReaderWindow window(ReaderConfig{ReaderPaths(m_folder.path()), m_baseUrl, {}});
            QCOMPARE(boxes.inputCaptions, QStringList{QStringLiteral("ID organizace|Zadej ID organizace")});
            QVERIFY(boxes.boxes.isEmpty());
            QCOMPARE(SettingsFile(settingsPath).readString(SettingsKeys::Id, {}), QStringLiteral("demo"));
            QVERIFY(m_server.readAll().contains(
                "GET /reader/xml.php?id=demo&user=DELPHI%20-%20Vymazano&aplikace=DELPHI&verze=1.50"));

            window.show();
            window.activateWindow();
            QTRY_VERIFY_WITH_TIMEOUT(window.isActiveWindow(), 60000);
            QVERIFY(window.findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
            const int allItems = int(m_feed.count("<zelton_information>"));
            QVERIFY(allItems >= 12);
            QCOMPARE(cardsShown(window), allItems);
            QVERIFY(window.windowTitle().endsWith(QStringLiteral(" - 1.50")));
            QCOMPARE(SettingsFile(settingsPath).readString(SettingsKeys::Group, {}), Texts::AllGroups);

            window.showInformation();
            QVERIFY(pageText(window).contains(QStringLiteral("Otevírací doba"), Qt::CaseInsensitive));
            QCOMPARE(cardsShown(window), 1);  // the information block alone
            window.showContacts();
            QVERIFY(runPageScript(window.view(), QStringLiteral("document.body.innerHTML")).toString()
                        .contains(QStringLiteral("@")));

            // A group chosen by the user.
            auto *groups = window.toolbar()->groupList();
            const int sport = groups->findText(QStringLiteral("Sport"));
            QVERIFY(sport > 0);
            groups->setCurrentIndex(sport);
            emit groups->activated(sport);
            QCOMPARE(cardsShown(window), itemsOfGroup("Sport"));
            QVERIFY(itemsOfGroup("Sport") > 0 && itemsOfGroup("Sport") < allItems);

            // The server goes away: the last good feed is shown, marked.
            m_server.kill();
            m_server.waitForFinished();
            window.reloadNews();
            QVERIFY(boxes.boxes.isEmpty());
            QVERIFY(pageText(window).startsWith(Texts::OfflineMark));
            QCOMPARE(cardsShown(window), itemsOfGroup("Sport"));

            window.setGeometry(QRect(30, 40, 640, 480));
            QVERIFY(window.close());
            closedGeometry = window.frameGeometry();
        }
        {
            // Second start: where the first one closed, with its choices, and no question.
            ModalWatcher boxes;
            ReaderWindow window(ReaderConfig{ReaderPaths(m_folder.path()), m_baseUrl, {}});
            QVERIFY(boxes.inputCaptions.isEmpty());
            QCOMPARE(window.toolbar()->groupList()->currentText(), QStringLiteral("Sport"));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            // The outer rectangle, frame included, once the frame is known.
            QTRY_COMPARE_WITH_TIMEOUT(window.frameGeometry(), closedGeometry, 60000);
            QCOMPARE(cardsShown(window), itemsOfGroup("Sport"));
            QVERIFY(pageText(window).startsWith(Texts::OfflineMark));
        }
    }
};

ZR_WEB_VIEW_TEST_MAIN(TestEndToEnd)

#include "TestEndToEnd.moc"
