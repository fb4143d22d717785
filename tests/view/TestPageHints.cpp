#include "support/FeedBuilder.h"
#include "support/PageScript.h"
#include "support/PlainPageHandler.h"
#include "support/WebViewTestMain.h"
#include "render/HtmlPieces.h"
#include "render/InfoBlocks.h"
#include "render/NewsCard.h"
#include "render/PageAssembly.h"
#include "view/HtmlView.h"
#include "view/PageHints.h"
#include "view/ProgramScript.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QWebEngineFindTextResult>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlScheme>
#include <QtTest>

#include <optional>

namespace {

const QByteArray PlainScheme = QByteArrayLiteral("test-plain");

// A news page of `count` cards as the reader builds it, every fifth with a picture; the cards
// named in `prefixes` begin with the text given there.
Pages newsPages(int count, int style, bool offline, const QMap<int, QString> &prefixes = {})
{
    CardSettings settings;
    settings.fontSize = QStringLiteral("12");
    settings.style = style;
    settings.version = QStringLiteral("1.50");
    settings.baseUrl = QStringLiteral("http://127.0.0.1:9/reader/");
    ItemWalk walk;
    for (int i = 0; i < count; ++i) {
        FeedItem item = FeedItem::news(QStringLiteral("Spolek"), QStringLiteral("Skupina %1").arg(i % 3),
                                       prefixes.value(i) + QStringLiteral("<b>Zpráva %1</b><br>").arg(i)
                                           + QStringLiteral("Žluťoučký kůň úpěl ďábelské ódy. ").repeated(1 + i % 7));
        item.set(QStringLiteral("ZELTON_BARVA_BARVA"), QStringLiteral("FFF4E0"))
            .set(QStringLiteral("ZELTON_BARVA_BARVATEXT"), QStringLiteral("4A2C00"))
            .set(QStringLiteral("ZELTON_DATE"), QStringLiteral("2027-01-06"));
        if (i % 5 == 4) {
            item.set(QStringLiteral("ZELTON_OBRAZEK"), QStringLiteral("p.png"))
                .set(QStringLiteral("ZELTON_OBRAZEK_PADDING"), QStringLiteral("8"))
                .set(QStringLiteral("ZELTON_OBRAZEK_SIZE_X"), QStringLiteral("100"))
                .set(QStringLiteral("ZELTON_OBRAZEK_SIZE_Y"), QStringLiteral("100"));
        }
        newsCardStep(item.element(), settings, walk);
    }
    InfoBlocks blocks;
    FeedItem info = FeedItem::info(QStringLiteral("<NADPIS>O nás</NADPIS>Spolek přátel čtení."));
    info.set(QStringLiteral("ZT_INFO_KONTAKT"), QStringLiteral("<NADPIS>Kontakt</NADPIS>Lipová 1"));
    organizationInfoStep(info.element(), settings.fontSize, style, blocks);
    return assemblePages(walk.cardsHtml, blocks.info, blocks.contacts, QStringLiteral("E8EEF4"), offline);
}

QString text(QWebEngineView &view, const QString &script)
{
    return runPageScript(&view, script).toString();
}

// The whole document as the view holds it: its markup and its style sheets.
const QString DocumentScript = QStringLiteral(
    "JSON.stringify([document.documentElement.outerHTML,"
    " [...document.styleSheets].map((s) => [...s.cssRules].map((r) => r.cssText))])");

// What the user gets from "select all" and "copy" in `view`.
QString copiedText(QWebEngineView &view)
{
    QApplication::clipboard()->clear();
    view.page()->triggerAction(QWebEnginePage::SelectAll);
    view.page()->triggerAction(QWebEnginePage::Copy);
    if (!QTest::qWaitFor([] { return !QApplication::clipboard()->text().isEmpty(); }, 60000))
        return {};
    return QApplication::clipboard()->text();
}

// Whether the element `id` lies (at least partly) within the view's visible part.
bool isInSight(QWebEngineView &view, const QString &id)
{
    return runPageScript(&view, QStringLiteral("(() => { const r = document.getElementById('%1')"
                                               ".getBoundingClientRect(); return r.bottom > 0 && r.top < innerHeight; })()")
                                    .arg(id))
        .toBool();
}

QString styleOf(QWebEngineView &view, int box, const QString &property)
{
    return text(view, QStringLiteral("getComputedStyle(document.body.children[%1]).%2").arg(box).arg(property));
}

} // namespace

class TestPageHints : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cardSelectorFindsEveryCardAndNothingElse_data();
    void cardSelectorFindsEveryCardAndNothingElse();
    void hintsReachEveryCardStyle_data();
    void hintsReachEveryCardStyle();
    void firstCardsReadableOnceTheViewHasThePage();
    void laterCardsShowOnceThePageIsWhole();
    void framesWhileReadingSeeOnlyTheFirstBoxes();
    void documentIsExactlyThePage_data();
    void documentIsExactlyThePage();
    void copyTakesEveryCard();
    void findReachesCardsOutOfSight();
    void anchorLeadsToCardOutOfSight();
    void pagesWithoutCardsAreUnaffected_data();
    void pagesWithoutCardsAreUnaffected();

private:
    void showInBoth(const QString &html);

    std::unique_ptr<HtmlView> m_view;
    std::unique_ptr<QWebEngineProfile> m_plainProfile;
    std::unique_ptr<PlainPageHandler> m_plainHandler;
    std::unique_ptr<QWebEngineView> m_plainView;
    int m_plainSerial = 0;
};

void TestPageHints::init()
{
    m_view = std::make_unique<HtmlView>();
    m_view->setCardSelector(HtmlPieces::Card::Selector);
    m_view->resize(1000, 800);
    m_view->show();

    m_plainProfile = std::make_unique<QWebEngineProfile>();
    m_plainProfile->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    m_plainHandler = std::make_unique<PlainPageHandler>();
    m_plainProfile->installUrlSchemeHandler(PlainScheme, m_plainHandler.get());
    m_plainView = std::make_unique<QWebEngineView>();
    m_plainView->setPage(new QWebEnginePage(m_plainProfile.get(), m_plainView.get()));
    m_plainView->resize(m_view->size());
    m_plainView->show();
}

void TestPageHints::cleanup()
{
    m_plainView.reset();
    m_plainProfile.reset();
    m_plainHandler.reset();
    m_view.reset();
}

// Shows `html` in the reader's view and in the plain one, and waits until both have loaded it.
void TestPageHints::showInBoth(const QString &html)
{
    m_plainHandler->page = html.toUtf8();
    QSignalSpy plainLoaded(m_plainView->page(), &QWebEnginePage::loadFinished);
    m_plainView->load(QUrl(QString::fromLatin1(PlainScheme) + QStringLiteral(":page-")
                           + QString::number(++m_plainSerial)));
    m_view->showHtml(html);
    QTRY_COMPARE_WITH_TIMEOUT(text(*m_view, QStringLiteral("document.readyState")), QStringLiteral("complete"), 60000);
    QTRY_COMPARE_WITH_TIMEOUT(plainLoaded.count(), 1, 60000);
}

void TestPageHints::cardSelectorFindsEveryCardAndNothingElse_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("cards");
    const int cards = PageHintsBoxesWhileLoading + 5;
    for (int style = 0; style < 4; ++style) {
        QTest::addRow("news, style %d", style) << newsPages(cards, style, false).main << cards;
        QTest::addRow("news, offline, style %d", style) << newsPages(cards, style, true).main << cards;
        QTest::addRow("information, style %d", style) << newsPages(1, style, false).info << 0;
        QTest::addRow("contacts, offline, style %d", style) << newsPages(1, style, true).contacts << 0;
    }
}

void TestPageHints::cardSelectorFindsEveryCardAndNothingElse()
{
    QFETCH(QString, html);
    QFETCH(int, cards);
    m_view->showHtml(html);
    QTRY_COMPARE_WITH_TIMEOUT(text(*m_view, QStringLiteral("document.readyState")), QStringLiteral("complete"), 60000);
    // Each box the selector finds, by the number in its card's text, in page order; a box
    // that is no box of the page's body counts as "-".
    const QString found = text(*m_view, QStringLiteral(
        "JSON.stringify([...document.querySelectorAll(%1)].map((box) =>"
        " box.parentElement === document.body ? (/Zpráva (\\d+)/.exec(box.textContent) || ['', '-'])[1] : '-'))")
                                            .arg(scriptValue(HtmlPieces::Card::Selector)));
    QStringList numbers;
    for (int card = 0; card < cards; ++card)
        numbers << QStringLiteral("\"%1\"").arg(card);
    QCOMPARE(found, QStringLiteral("[%1]").arg(numbers.join(u',')));
}

void TestPageHints::hintsReachEveryCardStyle_data()
{
    QTest::addColumn<int>("style");
    QTest::newRow("rounded") << 0;
    QTest::newRow("square") << 1;
    QTest::newRow("shadow") << 2;
    QTest::newRow("full width") << 3;
}

void TestPageHints::hintsReachEveryCardStyle()
{
    QFETCH(int, style);
    // Three cards after the first boxes; cards and the spacers between them alternate.
    const int first = PageHintsBoxesWhileLoading;
    showInBoth(newsPages(first / 2 + 3, style, false).main);
    for (int card : {first, first + 2, first + 4}) {
        QCOMPARE(styleOf(*m_view, card, QStringLiteral("contentVisibility")), QStringLiteral("auto"));
        QVERIFY2(styleOf(*m_view, card, QStringLiteral("containIntrinsicSize")).startsWith(QStringLiteral("auto ")),
                 qPrintable(styleOf(*m_view, card, QStringLiteral("containIntrinsicSize"))));
        QCOMPARE(styleOf(*m_plainView, card, QStringLiteral("contentVisibility")), QStringLiteral("visible"));
    }
    QCOMPARE(styleOf(*m_view, first + 1, QStringLiteral("contentVisibility")), QStringLiteral("visible"));
    // The first cards, the page's first screen, are always laid out.
    QCOMPARE(styleOf(*m_view, 0, QStringLiteral("contentVisibility")), QStringLiteral("visible"));
    QCOMPARE(styleOf(*m_view, first - 2, QStringLiteral("contentVisibility")), QStringLiteral("visible"));
}

void TestPageHints::firstCardsReadableOnceTheViewHasThePage()
{
    // The view's wait ends when the document is whole; its first cards must be there at once,
    // not only after the engine's next frame.
    m_view->showHtml(newsPages(PageHintsBoxesWhileLoading * 2, 0, false).main);
    const QString shown = text(*m_view, QStringLiteral("document.body.innerText"));
    const QString lastFirstCard = QStringLiteral("Zpráva %1").arg(PageHintsBoxesWhileLoading / 2 - 1);
    QVERIFY2(shown.contains(QStringLiteral("Zpráva 0")) && shown.contains(lastFirstCard), qPrintable(shown.left(300)));
}

void TestPageHints::laterCardsShowOnceThePageIsWhole()
{
    // Far more boxes than are shown while the page is read.
    showInBoth(newsPages(PageHintsBoxesWhileLoading * 2, 0, false).main);
    const int last = PageHintsBoxesWhileLoading * 4 - 2;
    QCOMPARE(styleOf(*m_view, last, QStringLiteral("display")), QStringLiteral("block"));
    QCOMPARE(styleOf(*m_view, last, QStringLiteral("contentVisibility")), QStringLiteral("auto"));
    QCOMPARE(text(*m_view, QStringLiteral("String(document.adoptedStyleSheets.length)")), QStringLiteral("1"));
    // The cards out of sight stand in with the mean height of those shown first.
    const QString mean = text(*m_view, QStringLiteral(
        "(() => { const cards = [...document.body.children].slice(0, %1).filter((b, i) => i % 2 == 0);"
        " const height = (b) => { const s = getComputedStyle(b);"
        "  return b.clientHeight - parseFloat(s.paddingTop) - parseFloat(s.paddingBottom); };"
        " return 'auto ' + Math.round(cards.reduce((a, b) => a + height(b), 0) / cards.length) + 'px'; })()")
                                                 .arg(PageHintsBoxesWhileLoading));
    QCOMPARE(styleOf(*m_view, last, QStringLiteral("containIntrinsicSize")), mean);
    // The page is as long as without the hints, give or take the estimates' rounding.
    const double hinted = text(*m_view, QStringLiteral("String(document.documentElement.scrollHeight)")).toDouble();
    const double plain = text(*m_plainView, QStringLiteral("String(document.documentElement.scrollHeight)")).toDouble();
    QVERIFY2(qAbs(hinted - plain) < plain * 0.05, qPrintable(QStringLiteral("%1 / %2").arg(hinted).arg(plain)));
}

void TestPageHints::framesWhileReadingSeeOnlyTheFirstBoxes()
{
    // A script of the test's own counts, at every frame while the page is read, the boxes in
    // the document; the hints must keep them to the first ones however many the page has.
    QWebEngineScript counter;
    counter.setName(QStringLiteral("test-frame-counter"));
    counter.setWorldId(QWebEngineScript::ApplicationWorld);
    counter.setInjectionPoint(QWebEngineScript::DocumentCreation);
    counter.setRunsOnSubFrames(false);
    counter.setSourceCode(QStringLiteral(R"JS(
window.framesWhileReading = 0;
window.mostBoxesInAFrame = 0;
const count = () => {
  if (document.readyState !== 'loading')
    return;
  if (document.body) {
    ++window.framesWhileReading;
    window.mostBoxesInAFrame = Math.max(window.mostBoxesInAFrame, document.body.childElementCount);
  }
  requestAnimationFrame(count);
};
requestAnimationFrame(count);)JS"));
    m_view->page()->scripts().insert(counter);

    const int cards = 3000;
    showInBoth(newsPages(cards, 0, false).main);
    const int frames = text(*m_view, QStringLiteral("String(window.framesWhileReading)")).toInt();
    const int most = text(*m_view, QStringLiteral("String(window.mostBoxesInAFrame)")).toInt();
    QVERIFY2(frames > 0, "no frame while the page was read");
    QVERIFY2(most <= PageHintsBoxesWhileLoading, qPrintable(QStringLiteral("%1 boxes in a frame").arg(most)));
    // And once the page is whole, every box is back, and no text was split on the way.
    const QString nodes = QStringLiteral("String(document.body.childNodes.length)");
    QCOMPARE(text(*m_view, nodes), text(*m_plainView, nodes));
    QCOMPARE(text(*m_view, QStringLiteral("String(document.body.childElementCount)")).toInt(), 2 * cards);
}

void TestPageHints::documentIsExactlyThePage_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("words");
    QTest::newRow("news") << newsPages(PageHintsBoxesWhileLoading, 2, false).main << QStringLiteral("Zpráva 59");
    QTest::newRow("news, offline") << newsPages(PageHintsBoxesWhileLoading, 1, true).main << QStringLiteral("Offline");
    // Read in many parts, with the later boxes put aside and brought back in between.
    QTest::newRow("news, many cards") << newsPages(3000, 0, false).main << QStringLiteral("Zpráva 2999");
    QTest::newRow("info") << newsPages(1, 0, false).info << QStringLiteral("Spolek přátel");
    QTest::newRow("contacts") << newsPages(1, 0, true).contacts << QStringLiteral("Lipová 1");
}

void TestPageHints::documentIsExactlyThePage()
{
    QFETCH(QString, html);
    QFETCH(QString, words);
    showInBoth(html);
    const QString document = text(*m_view, DocumentScript);
    QVERIFY2(document.contains(words), qPrintable(document.left(300)));
    const QString plain = text(*m_plainView, DocumentScript);
    QCOMPARE(document, plain);
}

void TestPageHints::copyTakesEveryCard()
{
    // Cards far below the screen are not laid out until they are needed; a copy needs them all.
    const int cards = PageHintsBoxesWhileLoading * 2;
    showInBoth(newsPages(cards, 0, false).main);
    const QString copied = copiedText(*m_view);
    QVERIFY2(copied.contains(QStringLiteral("Zpráva %1").arg(cards - 1)), qPrintable(copied.right(300)));
    QCOMPARE(copied, copiedText(*m_plainView));
}

void TestPageHints::findReachesCardsOutOfSight()
{
    const int cards = PageHintsBoxesWhileLoading * 2;
    showInBoth(newsPages(cards, 0, false, {{cards - 2, QStringLiteral("<span id=\"cil\">Hledané slovo</span> ")}}).main);
    QVERIFY(!isInSight(*m_view, QStringLiteral("cil")));
    std::optional<int> matches;
    m_view->page()->findText(QStringLiteral("Hledané slovo"), {},
                             [&matches](const QWebEngineFindTextResult &result) { matches = result.numberOfMatches(); });
    QTRY_VERIFY_WITH_TIMEOUT(matches.has_value(), 60000);
    QCOMPARE(*matches, 1);
    QTRY_VERIFY_WITH_TIMEOUT(isInSight(*m_view, QStringLiteral("cil")), 60000);
}

void TestPageHints::anchorLeadsToCardOutOfSight()
{
    const int cards = PageHintsBoxesWhileLoading * 2;
    showInBoth(newsPages(cards, 0, false,
                         {{0, QStringLiteral("<a id=\"skok\" href=\"#cil\">Na konec</a> ")},
                          {cards - 2, QStringLiteral("<span id=\"cil\">Konec</span> ")}})
                   .main);
    QTRY_VERIFY_WITH_TIMEOUT(m_view->focusProxy() != nullptr, 60000);
    const QVariantList link = runPageScript(m_view.get(), QStringLiteral(
        "(() => { const r = document.getElementById('skok').getBoundingClientRect();"
        " return [r.left + r.width / 2, r.top + r.height / 2]; })()")).toList();
    QCOMPARE(link.size(), 2);
    QVERIFY(!isInSight(*m_view, QStringLiteral("cil")));
    QTest::mouseClick(m_view->focusProxy(), Qt::LeftButton, {},
                      QPoint(qRound(link.at(0).toDouble()), qRound(link.at(1).toDouble())));
    QTRY_VERIFY_WITH_TIMEOUT(isInSight(*m_view, QStringLiteral("cil")), 60000);
}

void TestPageHints::pagesWithoutCardsAreUnaffected_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("block");
    QTest::newRow("info") << newsPages(1, 0, false).info << 0;
    QTest::newRow("contacts, offline") << newsPages(1, 2, true).contacts << 1;
}

void TestPageHints::pagesWithoutCardsAreUnaffected()
{
    QFETCH(QString, html);
    QFETCH(int, block);
    showInBoth(html);
    QCOMPARE(styleOf(*m_view, block, QStringLiteral("contentVisibility")), QStringLiteral("visible"));
    const QString box = QStringLiteral("JSON.stringify(document.body.children[%1].getBoundingClientRect())").arg(block);
    QCOMPARE(text(*m_view, box), text(*m_plainView, box));
}

int main(int argc, char *argv[])
{
    QTEST_SET_MAIN_SOURCE_PATH
    return runWebViewTest(argc, argv, [] { return std::make_unique<TestPageHints>(); }, [] {
        QWebEngineUrlScheme plain(PlainScheme);
        plain.setSyntax(QWebEngineUrlScheme::Syntax::Path);
        QWebEngineUrlScheme::registerScheme(plain);
    });
}

#include "TestPageHints.moc"
