#include "app/FindBar.h"
#include "app/ReaderToolbar.h"
#include "app/ReaderWindow.h"
#include "app/ToolbarButton.h"
#include "common/Texts.h"
#include "settings/SettingsKeys.h"
#include "support/FeedBuilder.h"
#include "support/LocalHttpServer.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace {

FeedItem item(const QString &group, const QString &text)
{
    return FeedItem::news(QStringLiteral("Spolek"), group, text);
}

const QByteArray Feed = FeedBuilder()
                            .add(item(QStringLiteral("Sport"), QStringLiteral("Turnaj v kuželkách")))
                            .add(item(QStringLiteral("Kultura"), QStringLiteral("Koncert a potom turnaj")))
                            .add(item(QStringLiteral("Sport"), QStringLiteral("Běh")))
                            .add(FeedItem::info(QStringLiteral("Informace spolku"))
                                     .set(QStringLiteral("ZT_INFO_KONTAKT"), QStringLiteral("Kontakty spolku")))
                            .bytes();

} // namespace

// Every command of the toolbar from the keyboard alone, on a real window with a real feed
// server; keys go to the window as the window system delivers them.
class TestKeyboard : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    LocalHttpServer m_server{LocalHttpServer::answering(Feed)};
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReaderWindow> m_window;
    QStringList m_idAnswers;
    int m_asked = 0;

    ReaderToolbar *toolbar() const { return m_window->toolbar(); }
    QString shownPage() const { return QString::fromUtf8(m_window->view()->currentPageBytes()); }
    int requests() const { return int(m_server.requestLines().size()); }
    QWindow *handle() const { return m_window->windowHandle(); }
    SettingsFile settings() const { return SettingsFile(m_dir->filePath(QStringLiteral("Settings.ini"))); }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(handle(), Qt::Key(key), modifiers);
    }

    void type(const char *text)
    {
        for (const char *c = text; *c; ++c)
            QTest::keyClick(handle(), *c);
    }

    bool viewHasFocus() const
    {
        const QWidget *proxy = m_window->view()->focusProxy();
        return m_window->view()->hasFocus() || (proxy && proxy->hasFocus());
    }

    void activate()
    {
        m_window->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isActiveWindow(), 60000);
    }

    void focusView()
    {
        activate();
        m_window->view()->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY_WITH_TIMEOUT(viewHasFocus(), 60000);
    }

    static QAccessibleInterface *findAccessible(QAccessibleInterface *node, QAccessible::Role role, const QString &name)
    {
        if (!node)
            return nullptr;
        if (node->role() == role && node->text(QAccessible::Name) == name)
            return node;
        for (int i = 0; i < node->childCount(); ++i) {
            if (QAccessibleInterface *found = findAccessible(node->child(i), role, name))
                return found;
        }
        return nullptr;
    }

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8()); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        SettingsFile(m_dir->filePath(QStringLiteral("Settings.ini"))).writeString(SettingsKeys::Id, QStringLiteral("demo"));
        m_idAnswers.clear();
        m_asked = 0;
        m_window = std::make_unique<ReaderWindow>(ReaderConfig{ReaderPaths(m_dir->path()), m_server.baseUrl(), [this] {
            ++m_asked;
            return m_idAnswers.isEmpty() ? QString() : m_idAnswers.takeFirst();
        }});
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    // Tab visits the controls in the order they stand, left to right, then the page; each
    // control does its work on Space, Enter or the arrow keys.
    void shouldDriveWholeToolbarByKeysAlone()
    {
        activate();
        ReaderToolbar *bar = toolbar();
        bar->reloadButton()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY_WITH_TIMEOUT(bar->reloadButton()->hasFocus(), 60000);

        int before = requests();
        press(Qt::Key_Space);
        QCOMPARE(requests(), before + 1);
        // The button keeps the focus through the cycle it ran.
        QTRY_VERIFY(bar->reloadButton()->hasFocus());

        press(Qt::Key_Tab);
        QTRY_VERIFY(bar->enterIdButton()->hasFocus());
        m_idAnswers = {QStringLiteral("jiny")};
        press(Qt::Key_Return);
        QCOMPARE(m_asked, 1);
        QCOMPARE(m_window->state().organizationId, QStringLiteral("jiny"));
        QVERIFY(m_server.requestLines().last().startsWith("GET /reader/xml.php?id=jiny&"));

        press(Qt::Key_Tab);
        QTRY_VERIFY(bar->groupList()->hasFocus());
        before = requests();
        press(Qt::Key_Down);
        QCOMPARE(requests(), before + 1);
        QCOMPARE(bar->groupList()->currentIndex(), 1);
        QCOMPARE(settings().readString(SettingsKeys::Group, {}), bar->groupList()->currentText());

        press(Qt::Key_Tab);
        QTRY_VERIFY(bar->fontSizeList()->hasFocus());
        press(Qt::Key_Down);
        QCOMPARE(bar->fontSizeList()->currentText(), QStringLiteral("13"));
        QVERIFY(shownPage().contains(QStringLiteral("font-size: 13px")));

        press(Qt::Key_Tab);
        QTRY_VERIFY(bar->styleList()->hasFocus());
        press(Qt::Key_Down);
        QCOMPARE(settings().readInteger(SettingsKeys::Style, -1), 1);

        press(Qt::Key_Tab);
        QTRY_VERIFY(bar->informationButton()->hasFocus());
        press(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(m_window->state().viewMode, QStringLiteral("I"));
        QVERIFY(shownPage().contains(QStringLiteral("Informace spolku")));

        press(Qt::Key_Tab);
        QTRY_VERIFY(bar->contactsButton()->hasFocus());
        press(Qt::Key_Space);
        QCOMPARE(m_window->state().viewMode, QStringLiteral("K"));
        QVERIFY(shownPage().contains(QStringLiteral("Kontakty spolku")));

        // The hidden find bar is passed over: the page comes next.
        press(Qt::Key_Tab);
        QTRY_VERIFY_WITH_TIMEOUT(viewHasFocus(), 60000);
    }

    // The keys work while the page has the focus, as it has once the window is active.
    void shouldRunCommandOnItsKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("viewMode");
        QTest::addColumn<QString>("fontSize");
        QTest::newRow("F5: news") << int(Qt::Key_F5) << int(Qt::NoModifier) << "S" << "12";
        QTest::newRow("Ctrl+I: information") << int(Qt::Key_I) << int(Qt::ControlModifier) << "I" << "12";
        QTest::newRow("Ctrl+K: contacts") << int(Qt::Key_K) << int(Qt::ControlModifier) << "K" << "12";
        QTest::newRow("Ctrl+plus: larger") << int(Qt::Key_Plus) << int(Qt::ControlModifier) << "K" << "13";
        QTest::newRow("Ctrl+=: larger") << int(Qt::Key_Equal) << int(Qt::ControlModifier) << "K" << "13";
        QTest::newRow("Ctrl+minus: smaller") << int(Qt::Key_Minus) << int(Qt::ControlModifier) << "K" << "11";
    }
    void shouldRunCommandOnItsKey()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, viewMode);
        QFETCH(QString, fontSize);
        // Starts on the contacts page, so that the news key shows a change too.
        m_window->showContacts();
        focusView();
        const int before = requests();
        press(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(requests(), before + 1);
        QCOMPARE(m_window->state().viewMode, viewMode);
        QCOMPARE(toolbar()->fontSizeList()->currentText(), fontSize);
        QVERIFY(shownPage().contains(QStringLiteral("font-size: %1px").arg(fontSize)));
        QCOMPARE(settings().readInteger(SettingsKeys::FontSize, -1), toolbar()->fontSizeList()->currentIndex());
    }

    void shouldAskForIdOnCtrlL()
    {
        focusView();
        m_idAnswers = {QStringLiteral("druhy")};
        press(Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(m_asked, 1);
        QCOMPARE(settings().readString(SettingsKeys::Id, {}), QStringLiteral("druhy"));
    }

    // The text size keys stop at the ends of the list; Ctrl+0 goes back to "12". A key that
    // changes nothing fetches nothing.
    void shouldMoveFontSizeWithinListByKeys()
    {
        QComboBox *sizes = toolbar()->fontSizeList();
        sizes->setCurrentIndex(sizes->count() - 2);
        emit sizes->activated(sizes->currentIndex());
        focusView();
        int before = requests();
        press(Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(sizes->currentText(), QStringLiteral("40"));
        press(Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(sizes->currentText(), QStringLiteral("40"));
        QCOMPARE(requests(), before + 1);

        press(Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(sizes->currentIndex(), SettingsKeys::DefaultFontSize);
        QCOMPARE(sizes->currentText(), QStringLiteral("12"));
        QVERIFY(shownPage().contains(QStringLiteral("font-size: 12px")));
        QCOMPARE(requests(), before + 2);
        press(Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(requests(), before + 2);

        for (int i = 0; i < SettingsKeys::DefaultFontSize + 1; ++i)
            press(Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(sizes->currentText(), QStringLiteral("8"));
        QCOMPARE(requests(), before + 2 + SettingsKeys::DefaultFontSize);
    }

    // Ctrl+F opens the bar with the focus in its field; the matches are counted as the user
    // types, Enter and F3 go forward, Shift back, and Esc gives the page the focus again.
    void shouldFindTextInShownPage()
    {
        focusView();
        FindBar *find = m_window->findBar();
        QVERIFY(find->isHidden());
        press(Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(find->isVisible());
        QTRY_VERIFY(find->searchField()->hasFocus());

        type("turnaj");
        QCOMPARE(find->searchField()->text(), QStringLiteral("turnaj"));
        QTRY_COMPARE_WITH_TIMEOUT(find->statusLabel()->text(), Texts::findMatch(1, 2), 60000);
        press(Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(find->statusLabel()->text(), Texts::findMatch(2, 2), 60000);
        press(Qt::Key_Return, Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(find->statusLabel()->text(), Texts::findMatch(1, 2), 60000);
        press(Qt::Key_F3);
        QTRY_COMPARE_WITH_TIMEOUT(find->statusLabel()->text(), Texts::findMatch(2, 2), 60000);
        press(Qt::Key_F3, Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(find->statusLabel()->text(), Texts::findMatch(1, 2), 60000);

        type("xyz");
        QTRY_COMPARE_WITH_TIMEOUT(find->statusLabel()->text(), Texts::FindNotFound, 60000);

        press(Qt::Key_Escape);
        QTRY_VERIFY(find->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(viewHasFocus(), 60000);
        // The keys of the page work again at once.
        const int before = requests();
        press(Qt::Key_F5);
        QCOMPARE(requests(), before + 1);
    }

    // Assistive technology sees four buttons named by their hints, where it saw pictures.
    void shouldExposeFourButtonsNamedByHints()
    {
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_window.get());
        QVERIFY(window);
        for (const QString &hint : {Texts::HintReload, Texts::HintEnterId, Texts::HintInformation, Texts::HintContacts}) {
            QAccessibleInterface *button = findAccessible(window, QAccessible::Button, hint);
            QVERIFY2(button, qPrintable(hint));
            QVERIFY(button->state().focusable);
            QVERIFY(button->actionInterface());
            QVERIFY(button->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
        }
    }

    // The button's own press action runs the command, as a screen reader does it.
    void shouldRunCommandFromAccessiblePress()
    {
        QAccessibleInterface *button = QAccessible::queryAccessibleInterface(toolbar()->informationButton());
        QVERIFY(button && button->actionInterface());
        // The press is animated: the button shows down for a moment, then runs.
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE_WITH_TIMEOUT(m_window->state().viewMode, QStringLiteral("I"), 60000);
    }

    // The focused button shows a ring around its picture; without the focus it is the picture
    // alone, pixel for pixel.
    void shouldShowFocusRingOnFocusedButtonOnly()
    {
        activate();
        ToolbarButton *button = toolbar()->informationButton();
        m_window->view()->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(!button->hasFocus());
        const QImage plain = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(plain, button->pixmap().toImage().convertToFormat(QImage::Format_RGB32));
        button->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(button->hasFocus());
        const QImage focused = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(focused != plain);
        QVERIFY(QColor(focused.pixel(0, 0)) != QColor(plain.pixel(0, 0)));
        QCOMPARE(focused.pixel(14, 14), plain.pixel(14, 14));
    }

    // A click takes no focus, so the mouse never shows the ring.
    void shouldKeepFocusWhereItWasOnClick()
    {
        activate();
        ToolbarButton *button = toolbar()->contactsButton();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(m_window->state().viewMode, QStringLiteral("K"));
        QVERIFY(!button->hasFocus());
    }
};

ZR_WEB_VIEW_TEST_MAIN(TestKeyboard)

#include "TestKeyboard.moc"
