#include "FarCardsFeed.h"

#include "app/FindBar.h"
#include "app/ReaderWindow.h"
#include "common/Texts.h"
#include "settings/SettingsKeys.h"
#include "support/LocalHttpServer.h"
#include "support/PageScript.h"
#include "support/WebViewTestMain.h"
#include "view/HtmlView.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

// Find and select-all-and-copy on a page of many thousand cards reach the last card too,
// although the engine skips the layout of the cards out of sight.
class TestFarCards : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    LocalHttpServer m_server{LocalHttpServer::answering(FarCardsFeed::bytes())};
    std::unique_ptr<ReaderWindow> m_window;

    QWindow *handle() const { return m_window->windowHandle(); }

    bool viewHasFocus() const
    {
        const QWidget *proxy = m_window->view()->focusProxy();
        return m_window->view()->hasFocus() || (proxy && proxy->hasFocus());
    }

    // Whether the program's hints let the engine skip the cards out of sight.
    bool cardsSkippedOutOfSight() const
    {
        return runPageScript(m_window->view(), QStringLiteral(
            "document.adoptedStyleSheets.some((sheet) =>"
            " [...sheet.cssRules].some((rule) => rule.cssText.includes('content-visibility')))")).toBool();
    }

    void focusView()
    {
        m_window->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isActiveWindow(), 60000);
        m_window->view()->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY_WITH_TIMEOUT(viewHasFocus(), 60000);
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        SettingsFile(m_dir.filePath(QStringLiteral("Settings.ini"))).writeString(SettingsKeys::Id, QStringLiteral("demo"));
        m_window = std::make_unique<ReaderWindow>(ReaderConfig{ReaderPaths(m_dir.path()), m_server.baseUrl(), {}});
        m_window->resize(600, 500);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(m_window->view()->hasDocument());
    }

    void cleanupTestCase() { m_window.reset(); }

    void shouldFindLastCardsWords()
    {
        focusView();
        QTest::keyClick(handle(), Qt::Key_F, Qt::ControlModifier);
        FindBar *find = m_window->findBar();
        QTRY_VERIFY(find->searchField()->hasFocus());
        // Typed by the user, the search starts with each letter; the whole text is what counts.
        find->searchField()->setText(FarCardsFeed::LastWords);
        QTest::keyClick(handle(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(find->statusLabel()->text(), Texts::findMatch(1, 1), 120000);
        QVERIFY(!cardsSkippedOutOfSight());
        // Once the bar is closed, the cards out of sight are skipped again.
        QTest::keyClick(handle(), Qt::Key_Escape);
        QTRY_VERIFY(find->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(cardsSkippedOutOfSight(), 60000);
    }

    void shouldCopyEveryCardsText()
    {
        focusView();
        QApplication::clipboard()->clear();
        QTest::keyClick(handle(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(handle(), Qt::Key_C, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::clipboard()->text().isEmpty(), 120000);
        const QString copied = QApplication::clipboard()->text();
        for (int number = 1; number <= FarCardsFeed::Cards; ++number)
            QVERIFY2(copied.contains(FarCardsFeed::cardText(number)), qPrintable(FarCardsFeed::cardText(number)));
        // Each card once, in the page's order.
        QCOMPARE(copied.count(QStringLiteral("končí zde.")), FarCardsFeed::Cards - 1);
        QVERIFY(copied.indexOf(FarCardsFeed::cardText(FarCardsFeed::Cards - 1)) < copied.indexOf(FarCardsFeed::LastWords));
    }
};

ZR_WEB_VIEW_TEST_MAIN(TestFarCards)

#include "TestFarCards.moc"
