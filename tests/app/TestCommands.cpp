#include "app/ReaderToolbar.h"
#include "app/ReaderWindow.h"
#include "app/ToolbarButton.h"
#include "common/Texts.h"
#include "settings/SettingsKeys.h"
#include "support/FeedBuilder.h"
#include "support/FileBytes.h"
#include "support/LocalHttpServer.h"
#include "support/ModalWatcher.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QAction>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <atomic>

#include <sys/stat.h>

namespace {

FeedItem item(const QString &group, const QString &text)
{
    return FeedItem::news(QStringLiteral("Spolek"), group, text);
}

const QByteArray Feed = FeedBuilder()
                            .add(item(QStringLiteral("Sport"), QStringLiteral("Turnaj")))
                            .add(item(QStringLiteral("Kultura"), QStringLiteral("Koncert")))
                            .add(item(QStringLiteral("Sport"), QStringLiteral("Běh")))
                            .add(FeedItem::info(QStringLiteral("Informace spolku"))
                                     .set(QStringLiteral("ZT_INFO_KONTAKT"), QStringLiteral("Kontakty spolku")))
                            .bytes();

} // namespace

// The toolbar's commands and the refresh timer on a real window with a real feed server.
class TestCommands : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    std::atomic<int> m_status{200};
    LocalHttpServer m_server{[this](const QByteArray &) {
        LocalHttpServer::Response response;
        response.status = m_status;
        response.body = Feed;
        return response;
    }};
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReaderWindow> m_window;
    QStringList m_idAnswers;

    QString shownPage() const { return QString::fromUtf8(m_window->view()->currentPageBytes()); }
    int requests() const { return int(m_server.requestLines().size()); }
    ReaderToolbar *toolbar() const { return m_window->toolbar(); }
    QTimer *timer() const { return m_window->findChild<QTimer *>(QStringLiteral("Timer1")); }
    SettingsFile settings() const { return SettingsFile(m_dir->filePath(QStringLiteral("Settings.ini"))); }

    // What a user's choice in a list does: the list changes, then reports the choice.
    static void choose(QComboBox *box, int index)
    {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    // Waits for the activation itself rather than for a fixed time, however loaded the machine.
    static void activate(QWidget *window)
    {
        window->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), 60000);
    }
    void activate() { activate(m_window.get()); }

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8()); }

    void init()
    {
        m_status = 200;
        m_dir = std::make_unique<QTemporaryDir>();
        SettingsFile(m_dir->filePath(QStringLiteral("Settings.ini"))).writeString(SettingsKeys::Id, QStringLiteral("demo"));
        m_window = std::make_unique<ReaderWindow>(ReaderConfig{ReaderPaths(m_dir->path()), m_server.baseUrl(), [this] {
            return m_idAnswers.isEmpty() ? QString() : m_idAnswers.takeFirst();
        }});
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void shouldSwitchToContactsThenBackToNews()
    {
        QVERIFY(shownPage().contains(QStringLiteral("Turnaj")));
        const int before = requests();
        m_window->showContacts();
        QCOMPARE(m_window->state().viewMode, QStringLiteral("K"));
        QVERIFY(shownPage().contains(QStringLiteral("Kontakty spolku")));
        m_window->reloadNews();
        QCOMPARE(m_window->state().viewMode, QStringLiteral("S"));
        QVERIFY(shownPage().contains(QStringLiteral("Turnaj")));
        QCOMPARE(requests(), before + 2);  // every command fetches the feed anew
    }

    void shouldShowFilteredNewsWhenGroupChosenOnInformationPage()
    {
        m_window->showInformation();
        QVERIFY(shownPage().contains(QStringLiteral("Informace spolku")));
        QComboBox *groups = toolbar()->groupList();
        const int sport = groups->findText(QStringLiteral("Sport"));
        QVERIFY(sport > 0);
        choose(toolbar()->groupList(), sport);
        QCOMPARE(m_window->state().viewMode, QStringLiteral("S"));
        QVERIFY(shownPage().contains(QStringLiteral("Turnaj")));
        QVERIFY(shownPage().contains(QStringLiteral("Běh")));
        QVERIFY(!shownPage().contains(QStringLiteral("Koncert")));
        QCOMPARE(groups->currentText(), QStringLiteral("Sport"));
        QCOMPARE(settings().readString(SettingsKeys::Group, {}), QStringLiteral("Sport"));
    }

    void shouldKeepContactsPageWhenStyleOrFontSizeChosen()
    {
        m_window->showContacts();
        choose(toolbar()->styleList(), 2);
        QVERIFY(shownPage().contains(QStringLiteral("Kontakty spolku")));
        QVERIFY(shownPage().contains(QStringLiteral("box-shadow")));
        choose(toolbar()->fontSizeList(), 12);  // "20"
        QCOMPARE(m_window->state().viewMode, QStringLiteral("K"));
        QVERIFY(shownPage().contains(QStringLiteral("font-size: 20px")));
        QCOMPARE(settings().readInteger(SettingsKeys::FontSize, -5), 12);
        QCOMPARE(settings().readInteger(SettingsKeys::Style, -5), 2);
    }

    // A reload that changes no choice leaves the settings file alone; a changed choice
    // replaces it once, with every choice in it.
    void shouldRewriteSettingsOnlyWhenAChoiceChanged()
    {
        const QString path = m_dir->filePath(QStringLiteral("Settings.ini"));
        const auto inode = [&path] {
            struct stat info{};
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : ino_t(0);
        };
        const QByteArray stored = fileBytes(path);
        const ino_t before = inode();
        QVERIFY(before != 0);
        m_window->reloadNews();
        m_window->reloadNews();
        QCOMPARE(inode(), before);
        QCOMPARE(fileBytes(path), stored);

        choose(toolbar()->fontSizeList(), 12);  // "20"
        QVERIFY(inode() != before);
        QCOMPARE(settings().readInteger(SettingsKeys::FontSize, -5), 12);
        QCOMPARE(settings().readString(SettingsKeys::Group, {}), Texts::AllGroups);
        QCOMPARE(settings().readString(SettingsKeys::Id, {}), QStringLiteral("demo"));
    }

    void shouldReloadNewsOnF5()
    {
        m_window->showContacts();
        const int before = requests();
        activate();
        // The key arrives at the active window as the window system delivers it; the shortcut
        // belongs to the window, so which of its children holds the focus does not matter.
        QTest::keyClick(m_window->windowHandle(), Qt::Key_F5);
        QCOMPARE(requests(), before + 1);
        QCOMPARE(m_window->state().viewMode, QStringLiteral("S"));
        QVERIFY(shownPage().contains(QStringLiteral("Turnaj")));
    }

    void shouldIgnoreCancelledIdBox()
    {
        const int before = requests();
        m_idAnswers = {QString()};
        m_window->askForId();
        QCOMPARE(requests(), before);
        QCOMPARE(m_window->state().organizationId, QStringLiteral("demo"));
        QCOMPARE(settings().readString(SettingsKeys::Id, {}), QStringLiteral("demo"));
    }

    void shouldStoreNewIdEvenWhenItsCycleFails()
    {
        ModalWatcher boxes;
        m_status = 404;
        m_idAnswers = {QStringLiteral("jiny spolek")};
        m_window->askForId();
        QCOMPARE(settings().readString(SettingsKeys::Id, {}), QStringLiteral("jiny spolek"));
        QCOMPARE(m_window->state().organizationId, QStringLiteral("jiny spolek"));
        QVERIFY(m_server.requestLines().last().startsWith("GET /reader/xml.php?id=jiny%20spolek&"));
        // The offline copy of the first feed stood in for the failed download.
        QVERIFY(boxes.boxes.isEmpty());
        QVERIFY(shownPage().contains(QStringLiteral("<div>Offline</div>")));
    }

    void shouldIgnoreClicksWhileCycleRuns()
    {
        ModalWatcher boxes;
        const int before = requests();
        QWidget *contacts = toolbar()->contactsButton();
        QWidget *panel = toolbar();
        bool clickedDuringCycle = false;
        bool commandsEnabledDuringCycle = true;
        const QList<QAction *> commands = toolbar()->commands();
        const auto enabledCommands = [&] {
            return int(std::count_if(commands.begin(), commands.end(), [](QAction *command) { return command->isEnabled(); }));
        };
        QCOMPARE(enabledCommands(), commands.size());
        // Fires at the cycle's first pump, while the toolbar is locked.
        QTimer::singleShot(0, this, [&] {
            clickedDuringCycle = !panel->isEnabled();
            // F5 and the pictures share the toolbar's lock.
            commandsEnabledDuringCycle = enabledCommands() > 0;
            QTest::mouseClick(contacts, Qt::LeftButton);
            QComboBox *styles = toolbar()->styleList();
            QTest::mouseClick(styles, Qt::LeftButton);
            QTest::keyClick(styles, Qt::Key_Down);
        });
        m_window->reloadNews();
        QVERIFY(clickedDuringCycle);
        QVERIFY(!commandsEnabledDuringCycle);
        QCOMPARE(enabledCommands(), commands.size());
        QCOMPARE(requests(), before + 1);
        QCOMPARE(m_window->state().viewMode, QStringLiteral("S"));
        QCOMPARE(toolbar()->styleList()->currentIndex(), 0);
        QVERIFY(panel->isEnabled());
        // A click once the cycle has ended works again.
        QTest::mouseClick(contacts, Qt::LeftButton);
        QCOMPARE(m_window->state().viewMode, QStringLiteral("K"));
    }

    void shouldReloadShownPageOnTimerTick()
    {
        activate();
        QVERIFY(timer()->isActive());
        QVERIFY(!m_window->state().firstLoad);
        timer()->setInterval(200);
        m_window->showInformation();
        const int before = requests();
        QTRY_VERIFY_WITH_TIMEOUT(requests() > before, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->cycle().isRunning(), 60000);
        QCOMPARE(m_window->state().viewMode, QStringLiteral("I"));
        QVERIFY(shownPage().contains(QStringLiteral("Informace spolku")));
    }

    // After a failed cycle the automatic refresh stays off until the window is activated
    // again; a completed manual reload does not bring it back.
    void shouldStopTicksAfterFailureUntilNextActivation()
    {
        ModalWatcher boxes;
        timer()->setInterval(200);
        activate();
        QVERIFY(timer()->isActive());
        QFile::remove(m_dir->filePath(QStringLiteral("Offline_ZeltonReader.xml")));
        m_status = 500;
        QTRY_COMPARE_WITH_TIMEOUT(boxes.texts(), QStringList{Texts::NoConnection}, 60000);
        QVERIFY(!timer()->isActive());

        m_status = 200;
        m_window->reloadNews();
        QCOMPARE(boxes.boxes.size(), 1);
        QVERIFY(!timer()->isActive());
        const int afterReload = requests();
        // Nothing may happen here, so only a time can be waited for: over two intervals.
        QTest::qWait(500);
        QCOMPARE(requests(), afterReload);

        // Another window of the program takes the focus and gives it back.
        QWidget other;
        other.show();
        activate(&other);
        QVERIFY(!m_window->isActiveWindow());
        activate();
        QVERIFY(timer()->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(requests() > afterReload, 60000);
    }

    void shouldFocusViewWhenActivated()
    {
        activate();
        const auto viewHasFocus = [this] {
            const QWidget *proxy = m_window->view()->focusProxy();
            return m_window->view()->hasFocus() || (proxy && proxy->hasFocus());
        };
        QTRY_VERIFY_WITH_TIMEOUT(viewHasFocus(), 60000);
    }
};

ZR_WEB_VIEW_TEST_MAIN(TestCommands)

#include "TestCommands.moc"
