#include "support/FeedBuilder.h"
#include "support/PageScript.h"
#include "support/WebViewTestMain.h"
#include "render/NewsCard.h"
#include "render/PageAssembly.h"
#include "view/HtmlView.h"

#include <QApplication>
#include <QSignalSpy>
#include <QWebEngineFindTextResult>
#include <QtTest>

namespace {

// A news page as the reader builds it from cards numbered `numbers`, of several heights, at
// font size `fontSize`. Card n reads "Karta n" first.
QString newsPage(const QList<int> &numbers, const QString &fontSize = QStringLiteral("14"))
{
    CardSettings settings;
    settings.fontSize = fontSize;
    settings.version = QStringLiteral("1.50");
    settings.baseUrl = QStringLiteral("http://127.0.0.1:9/reader/");
    ItemWalk walk;
    for (const int n : numbers) {
        const FeedItem item = FeedItem::news(QStringLiteral("Spolek"), QStringLiteral("Skupina"),
                                             QStringLiteral("Karta %1<br>").arg(n)
                                                 + QStringLiteral("Dlouhý řádek textu, který se zalomí. ").repeated(2 + n % 9));
        newsCardStep(item.element(), settings, walk);
    }
    return assemblePages(walk.cardsHtml, {}, {}, QStringLiteral("E8EEF4"), false).main;
}

QList<int> cardsFrom(int first, int last)
{
    QList<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers << n;
    return numbers;
}

// The card at the top of the view: its number and how far the view starts into it ("-1" when none).
const QString TopCardScript = QStringLiteral(R"JS((() => {
  for (const box of document.body.children) {
    const bounds = box.getBoundingClientRect();
    const number = /Karta (-?\d+)/.exec(box.textContent);
    if (bounds.bottom > 0 && number)
      return number[1] + ' ' + Math.round(-bounds.top);
  }
  return '-1';
})())JS");

} // namespace

// A refresh shows the news page again; the reader keeps their place in it.
class TestPagePlace : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_view = std::make_unique<HtmlView>();
        m_view->resize(700, 600);
        m_view->show();
    }
    void cleanup() { m_view.reset(); }

    void samePageLeavesTheViewAlone_data();
    void samePageLeavesTheViewAlone();
    void newerPageKeepsTheCardAtTheTop_data();
    void newerPageKeepsTheCardAtTheTop();
    void newerPageWithoutThatCardKeepsTheOffset();
    void anotherPageStartsAtTheTop();
    void readerAtTheTopSeesNewCardsAbove();

private:
    void show(const QString &html, HtmlView::Place place = HtmlView::Place::Top)
    {
        m_view->showHtml(html, place);
        QTRY_COMPARE_WITH_TIMEOUT(runPageScript(m_view.get(), QStringLiteral("document.readyState")).toString(),
                                  QStringLiteral("complete"), 60000);
    }
    // Scrolls the view and waits until the cards there are laid out and it stays put.
    void scrollTo(int y)
    {
        QTRY_COMPARE_WITH_TIMEOUT(runPageScript(m_view.get(), QStringLiteral("window.scrollTo(0, %1); window.scrollY").arg(y)).toInt(),
                                  y, 60000);
    }
    QString topCard() { return runPageScript(m_view.get(), TopCardScript).toString(); }
    int scrollY() { return runPageScript(m_view.get(), QStringLiteral("window.scrollY")).toInt(); }

    std::unique_ptr<HtmlView> m_view;
};

void TestPagePlace::samePageLeavesTheViewAlone_data()
{
    QTest::addColumn<HtmlView::Place>("place");
    QTest::newRow("a refresh") << HtmlView::Place::Keep;
    QTest::newRow("a command showing the same page") << HtmlView::Place::Top;
}

void TestPagePlace::samePageLeavesTheViewAlone()
{
    QFETCH(HtmlView::Place, place);
    const QString page = newsPage(cardsFrom(1, 80));
    show(page);
    // An open search, then a selection in sight, as the user left them.
    QSignalSpy found(m_view->page(), &QWebEnginePage::findTextFinished);
    m_view->page()->findText(QStringLiteral("Karta 40"));
    QTRY_COMPARE_WITH_TIMEOUT(found.count(), 1, 60000);
    QCOMPARE(found.at(0).at(0).value<QWebEngineFindTextResult>().numberOfMatches(), 1);
    scrollTo(3000);
    QCOMPARE(runPageScript(m_view.get(), QStringLiteral(R"JS((() => {
      const box = document.elementFromPoint(100, 100).closest('body > div');
      getSelection().selectAllChildren(box);
      return getSelection().toString().length > 0; })())JS")).toBool(), true);
    const QString selected = m_view->page()->selectedText();
    QVERIFY(!selected.isEmpty());
    const QUrl url = m_view->page()->url();

    QSignalSpy loads(m_view->page(), &QWebEnginePage::loadStarted);
    m_view->showHtml(QString(page), place);  // the same bytes, made anew as a refresh makes them

    QCOMPARE(loads.count(), 0);
    QCOMPARE(m_view->page()->url(), url);
    QCOMPARE(scrollY(), 3000);
    QCOMPARE(m_view->page()->selectedText(), selected);
    QCOMPARE(m_view->currentPageBytes(), page.toUtf8());
    // The search goes on from where it was: the next match is the same one, still the only one.
    m_view->page()->findText(QStringLiteral("Karta 40"));
    QTRY_COMPARE_WITH_TIMEOUT(found.count(), 2, 60000);
    QCOMPARE(found.at(1).at(0).value<QWebEngineFindTextResult>().activeMatch(), 1);
}

void TestPagePlace::newerPageKeepsTheCardAtTheTop_data()
{
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<int>("scrolledTo");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<QString>("fontSize");
    const QList<int> eighty = cardsFrom(1, 80);
    QTest::newRow("new cards above it") << eighty << 3000 << cardsFrom(-4, 80) << QStringLiteral("14");
    QTest::newRow("cards above it gone") << eighty << 3000 << cardsFrom(6, 80) << QStringLiteral("14");
    QTest::newRow("cards below it gone") << eighty << 3000 << cardsFrom(1, 40) << QStringLiteral("14");
    QTest::newRow("a larger font") << eighty << 3000 << eighty << QStringLiteral("16");
    // Far down a long page, where the cards out of sight are laid out only as they come near.
    QTest::newRow("far down") << cardsFrom(1, 600) << 45000 << cardsFrom(-20, 600) << QStringLiteral("14");
}

void TestPagePlace::newerPageKeepsTheCardAtTheTop()
{
    QFETCH(QList<int>, before);
    QFETCH(int, scrolledTo);
    QFETCH(QList<int>, after);
    QFETCH(QString, fontSize);
    show(newsPage(before));
    scrollTo(scrolledTo);
    QTRY_VERIFY_WITH_TIMEOUT(topCard() != QLatin1String("-1"), 60000);
    const QStringList place = topCard().split(u' ');
    QVERIFY2(place.at(1).toInt() > 0, qPrintable(place.join(u' ')));  // a place inside the card, not its edge

    show(newsPage(after, fontSize), HtmlView::Place::Keep);

    QTRY_COMPARE_WITH_TIMEOUT(topCard().section(u' ', 0, 0), place.at(0), 60000);
    // The same distance into the card (the larger font makes the card taller, the offset stays).
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(topCard().section(u' ', 1, 1).toInt() - place.at(1).toInt()) <= 1, 60000);
}

void TestPagePlace::newerPageWithoutThatCardKeepsTheOffset()
{
    show(newsPage(cardsFrom(1, 80)));
    scrollTo(3000);
    const int top = topCard().section(u' ', 0, 0).toInt();
    QList<int> without = cardsFrom(1, 80);
    without.removeAll(top);
    show(newsPage(without), HtmlView::Place::Keep);
    QTRY_COMPARE_WITH_TIMEOUT(scrollY(), 3000, 60000);

    // A page too short for the offset ends at its bottom.
    show(newsPage(cardsFrom(100, 109)), HtmlView::Place::Keep);
    QTRY_VERIFY_WITH_TIMEOUT(scrollY() > 0, 60000);
    QCOMPARE(runPageScript(m_view.get(), QStringLiteral("window.scrollY + innerHeight >= document.scrollingElement.scrollHeight - 1")).toBool(),
             true);
}

void TestPagePlace::anotherPageStartsAtTheTop()
{
    show(newsPage(cardsFrom(1, 80)));
    scrollTo(3000);
    show(newsPage(cardsFrom(-4, 80)), HtmlView::Place::Top);
    QCOMPARE(topCard().section(u' ', 0, 0), QStringLiteral("-4"));
    QCOMPARE(scrollY(), 0);
}

void TestPagePlace::readerAtTheTopSeesNewCardsAbove()
{
    show(newsPage(cardsFrom(1, 80)));
    show(newsPage(cardsFrom(-1, 80)), HtmlView::Place::Keep);
    // The new cards are in sight: the place was the top, not the first card.
    QTRY_COMPARE_WITH_TIMEOUT(runPageScript(m_view.get(), QStringLiteral("document.readyState")).toString(),
                              QStringLiteral("complete"), 60000);
    QCOMPARE(topCard().section(u' ', 0, 0), QStringLiteral("-1"));
    QCOMPARE(scrollY(), 0);
}

ZR_WEB_VIEW_TEST_MAIN(TestPagePlace)
#include "TestPagePlace.moc"
