#include "common/ReaderError.h"
#include "render/NewsCard.h"
#include "support/FeedBuilder.h"

#include <QtTest>

namespace {

const QString BaseUrl = QStringLiteral("http://127.0.0.1:8080/reader/");

// What the window shows of the items stepped so far: each item's look over the one before.
struct RecordingWindow
{
    void show(const ItemWalk &walk)
    {
        if (walk.caption)
            caption = *walk.caption;
        if (walk.toolbarColor)
            toolbarColor = *walk.toolbarColor;
    }

    QString caption;
    quint32 toolbarColor = 0xFFFFFFFF;  // no window colour has a top byte
};

// One item step as the cycle runs it: the item's look reaches the window even when the
// item fails.
void stepAndShow(const QDomElement &item, const CardSettings &settings, RecordingWindow &window,
                 ItemWalk &walk)
{
    try {
        newsCardStep(item, settings, walk);
    } catch (const ReaderError &) {
        window.show(walk);
        throw;
    }
    window.show(walk);
}

// A complete item of the group Sport with a picture.
FeedItem sportItem()
{
    FeedItem item(QStringLiteral("zelton_information"));
    item.set(QStringLiteral("ZELTON_FIRMA"), QStringLiteral("Spolek Zelton"))
        .set(QStringLiteral("ZELTON_BACKGROUNG"), QStringLiteral("336699"))
        .set(QStringLiteral("ZELTON_BARVA_BARVA"), QStringLiteral("FFFFEE"))
        .set(QStringLiteral("ZELTON_BARVA_BARVATEXT"), QStringLiteral("222222"))
        .set(QStringLiteral("ZELTON_SKUPINA_POPIS"), QStringLiteral("Sport"))
        .set(QStringLiteral("ZELTON_OBRAZEK_PADDING"), QStringLiteral("5"))
        .set(QStringLiteral("ZELTON_OBRAZEK_SIZE_X"), QStringLiteral("100"))
        .set(QStringLiteral("ZELTON_OBRAZEK_SIZE_Y"), QStringLiteral("80"))
        .set(QStringLiteral("ZELTON_DATE"), QStringLiteral("2024-05-01"))
        .set(QStringLiteral("ZELTON_TIME"), QStringLiteral("18:30"))
        .set(QStringLiteral("ZELTON_DATE_DO"), QStringLiteral("2024-05-02"))
        .set(QStringLiteral("ZELTON_TIME_DO"), QStringLiteral("20:00"))
        .set(QStringLiteral("ZELTON_OBRAZEK"), QStringLiteral("img/zapas.jpg"))
        .set(QStringLiteral("ZELTON_TEXT"), QStringLiteral("<b>Zápas</b> v sobotu"));
    return item;
}

CardSettings settingsFor(const QString &fontSize, int style, int groupIndex = 0,
                         const QString &groupText = QStringLiteral("Vše"))
{
    CardSettings settings;
    settings.fontSize = fontSize;
    settings.style = style;
    settings.version = QStringLiteral("1.50");
    settings.baseUrl = BaseUrl;
    settings.groupIndex = groupIndex;
    settings.groupText = groupText;
    return settings;
}

ItemWalk czechWalk()
{
    return ItemWalk{QString(), QString(), GroupList(QLocale(QLocale::Czech)), {}, {}, CardPieces{}, {}};
}

} // namespace

class TestNewsCard : public QObject
{
    Q_OBJECT

private slots:
    void shouldBuildCardWithPicture();
    void shouldBuildCardWithoutPicture();
    void shouldAppendCardsInItemOrder();
    void shouldStyleCardBoxByAppearance_data();
    void shouldStyleCardBoxByAppearance();
    void shouldLeaveFontSizePositionsEmptyWithoutFontSize();
    void shouldBuildDateLine_data();
    void shouldBuildDateLine();
    void shouldSizePictureBox_data();
    void shouldSizePictureBox();
    void shouldKeepSpacingTextAsWrittenInPictureBlock();
    void shouldUpdateWindowAndGroupsButAddNoCardForFilteredItem();
    void shouldCardOnlyItemsPassingGroupFilter_data();
    void shouldCardOnlyItemsPassingGroupFilter();
    void shouldFailItemOnBadBackground_data();
    void shouldFailItemOnBadBackground();
    void shouldReadShownItemChildrenOnlyForShownItems_data();
    void shouldReadShownItemChildrenOnlyForShownItems();
};

void TestNewsCard::shouldBuildCardWithPicture()
{
    RecordingWindow window;
    ItemWalk walk = czechWalk();
    stepAndShow(sportItem().element(), settingsFor(QStringLiteral("12"), 0), window, walk);

    const QString expected = QStringLiteral(
        "<div style=\"position:relative; left: 0px; top: 0px; margin: 0px auto; padding: 15px 15px "
        "15px 15px; background: #FFFFEE; border: 0px none #D2D4C8; font-weight: Bold; font-family: "
        "Arial, Tahoma, sans-serif; font-size: 12px; letter-spacing: 0px; color: #222222; "
        "text-align: left; max-width: 600px; -moz-border-radius: 5px; -webkit-border-radius: 5px; "
        "border-radius: 5px; \">"
        "<div NOWRAP style=\"z-index: 1000; float: right; font: 12px Arial; color: #222222; "
        "display: inline-block;\">Sport</div>"
        "<div style=\"font: 12px Arial; color: #222222;\">2024-05-01 18:30 - 2024-05-02 20:00</div>"
        "<div style=\"font: bold 12px Arial; color: #222222;\">"
        "<div style=\"min-width:105px; min-height:85px;\">"
        "<img src=\"http://127.0.0.1:8080/reader/img/zapas.jpg\" "
        "style=\"float: left; padding: 5px 5px 0px 0px;\">"
        "<div style=\"padding: 5px 0px 0px 0px;\"><b>Zápas</b> v sobotu</div></div>"
        "</div></div>"
        "<div style=\"font: 5px Arial; color: #FFFFFF;\">&nbsp;</div>");
    QCOMPARE(walk.cardsHtml, expected);
    QCOMPARE(window.caption, QStringLiteral("Spolek Zelton - 1.50"));
    QCOMPARE(window.toolbarColor, quint32(0x996633));
    QCOMPARE(walk.pageBackground, QStringLiteral("336699"));
    QCOMPARE(walk.groups.entries(), QStringList{QStringLiteral("Sport")});
}

void TestNewsCard::shouldBuildCardWithoutPicture()
{
    FeedItem item = sportItem();
    item.remove(QStringLiteral("ZELTON_OBRAZEK"))
        .set(QStringLiteral("ZELTON_TIME"), QStringLiteral("00:00"))
        .set(QStringLiteral("ZELTON_DATE_DO"), QStringLiteral("0000-00-00"));
    RecordingWindow window;
    ItemWalk walk = czechWalk();
    stepAndShow(item.element(), settingsFor(QStringLiteral("16"), 1), window, walk);

    const QString expected = QStringLiteral(
        "<div style=\"position:relative; left: 0px; top: 0px; margin: 0px auto; padding: 15px 15px "
        "15px 15px; background: #FFFFEE; border: 0px none #D2D4C8; font-weight: Bold; font-family: "
        "Arial, Tahoma, sans-serif; font-size: 16px; letter-spacing: 0px; color: #222222; "
        "text-align: left; max-width: 600px; \">"
        "<div NOWRAP style=\"z-index: 1000; float: right; font: 16px Arial; color: #222222; "
        "display: inline-block;\">Sport</div>"
        "<div style=\"font: 16px Arial; color: #222222;\">2024-05-01</div>"
        "<div style=\"font: bold 16px Arial; color: #222222;\"><b>Zápas</b> v sobotu"
        "</div></div>"
        "<div style=\"font: 5px Arial; color: #FFFFFF;\">&nbsp;</div>");
    QCOMPARE(walk.cardsHtml, expected);
}

void TestNewsCard::shouldAppendCardsInItemOrder()
{
    FeedItem first = sportItem();
    first.set(QStringLiteral("ZELTON_TEXT"), QStringLiteral("first"));
    FeedItem second = sportItem();
    second.set(QStringLiteral("ZELTON_TEXT"), QStringLiteral("second"))
        .set(QStringLiteral("ZELTON_FIRMA"), QStringLiteral("Druhý"))
        .set(QStringLiteral("ZELTON_BACKGROUNG"), QStringLiteral("010203"));
    RecordingWindow window;
    ItemWalk walk = czechWalk();
    const CardSettings settings = settingsFor(QStringLiteral("12"), 0);
    stepAndShow(first.element(), settings, window, walk);
    const QString firstCard = walk.cardsHtml;
    stepAndShow(second.element(), settings, window, walk);

    QVERIFY(walk.cardsHtml.startsWith(firstCard));
    QVERIFY(walk.cardsHtml.indexOf(QStringLiteral("second"), firstCard.size()) > 0);
    QVERIFY(!firstCard.contains(QStringLiteral("second")));
    // The latest item decides caption, colour and page background.
    QCOMPARE(window.caption, QStringLiteral("Druhý - 1.50"));
    QCOMPARE(window.toolbarColor, quint32(0x030201));
    QCOMPARE(walk.pageBackground, QStringLiteral("010203"));
}

void TestNewsCard::shouldStyleCardBoxByAppearance_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("box");

    const QString start = QStringLiteral(
        "<div style=\"position:relative; left: 0px; top: 0px; margin: 0px auto; padding: 15px 15px "
        "15px 15px; background: #FFFFEE");
    const QString rounded = start
        + QStringLiteral("; border: 0px none #D2D4C8; font-weight: Bold; font-family: Arial, "
                         "Tahoma, sans-serif; font-size: 12px; letter-spacing: 0px; color: #222222; "
                         "text-align: left; max-width: 600px; -moz-border-radius: 5px; "
                         "-webkit-border-radius: 5px; border-radius: 5px; \">");

    QTest::newRow("0 rounded") << 0 << rounded;
    QTest::newRow("1 square") << 1
        << start + QStringLiteral("; border: 0px none #D2D4C8; font-weight: Bold; font-family: "
                                  "Arial, Tahoma, sans-serif; font-size: 12px; letter-spacing: "
                                  "0px; color: #222222; text-align: left; max-width: 600px; \">");
    QTest::newRow("2 shadow: white border, two blanks, no semicolon") << 2
        << start + QStringLiteral("; border: 0px none #FFFFFF; font-weight: Bold; font-family: "
                                  "Arial, Tahoma, sans-serif; font-size: 12px; letter-spacing: "
                                  "0px; color: #222222; text-align: left; max-width: 600px;  "
                                  "box-shadow: 2px 2px 2px 2px rgba(0,0,0,.2) \">");
    QTest::newRow("3 full width: no width limit") << 3
        << start + QStringLiteral("; border: 0px none #D2D4C8; font-weight: Bold; font-family: "
                                  "Arial, Tahoma, sans-serif; font-size: 12px; letter-spacing: "
                                  "0px; color: #222222; text-align: left; \">");
    QTest::newRow("none selected uses rounded") << -1 << rounded;
    QTest::newRow("past the last style uses rounded") << 4 << rounded;
}

void TestNewsCard::shouldStyleCardBoxByAppearance()
{
    QFETCH(int, style);
    QFETCH(QString, box);
    RecordingWindow window;
    ItemWalk walk = czechWalk();
    stepAndShow(sportItem().element(), settingsFor(QStringLiteral("12"), style), window, walk);

    // The box ends right where the group label begins.
    const QString label = QStringLiteral("<div NOWRAP");
    QCOMPARE(walk.cardsHtml.left(box.size() + label.size()), box + label);
}

void TestNewsCard::shouldLeaveFontSizePositionsEmptyWithoutFontSize()
{
    RecordingWindow window;
    ItemWalk walk = czechWalk();
    stepAndShow(sportItem().element(), settingsFor(QString(), 0), window, walk);

    const QString &html = walk.cardsHtml;
    QVERIFY(html.contains(QStringLiteral("font-size: px; letter-spacing")));
    QVERIFY(html.contains(QStringLiteral("float: right; font: px Arial; color: #222222;")));
    QVERIFY(html.contains(QStringLiteral("<div style=\"font: px Arial; color: #222222;\">2024")));
    QVERIFY(html.contains(QStringLiteral("<div style=\"font: bold px Arial; color: #222222;\">")));
    QCOMPARE(html.count(QStringLiteral("12px")), 0);
}

void TestNewsCard::shouldBuildDateLine_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("dateTo");
    QTest::addColumn<QString>("timeTo");
    QTest::addColumn<QString>("line");

    QTest::newRow("no times, no end date") << "2024-05-01" << "00:00" << "0000-00-00" << "00:00"
                                           << "2024-05-01";
    QTest::newRow("everything shown") << "2024-05-01" << "18:30" << "2024-05-02" << "20:00"
                                      << "2024-05-01 18:30 - 2024-05-02 20:00";
    QTest::newRow("empty start time, end date and time") << "2024-05-01" << "" << "2024-05-02"
                                                         << "20:00" << "2024-05-01 - 2024-05-02 20:00";
    QTest::newRow("end time ignored without end date") << "2024-05-01" << "18:30" << "0000-00-00"
                                                       << "20:00" << "2024-05-01 18:30";
    QTest::newRow("end time ignored with empty end date") << "2024-05-01" << "00:00" << ""
                                                          << "20:00" << "2024-05-01";
    QTest::newRow("end date without end time") << "2024-05-01" << "" << "2024-05-02" << "00:00"
                                               << "2024-05-01 - 2024-05-02";
    QTest::newRow("empty end time") << "2024-05-01" << "" << "2024-05-02" << ""
                                    << "2024-05-01 - 2024-05-02";
    QTest::newRow("zero start date shown as written") << "0000-00-00" << "" << "" << ""
                                                      << "0000-00-00";
    QTest::newRow("short midnight is a time") << "2024-05-01" << "0:00" << "" << ""
                                              << "2024-05-01 0:00";
    QTest::newRow("times not reformatted") << "1.5.2024" << "18.30 " << "x" << " 7"
                                           << "1.5.2024 18.30  - x  7";
    QTest::newRow("all empty") << "" << "" << "" << "" << "";
}

void TestNewsCard::shouldBuildDateLine()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, dateTo);
    QFETCH(QString, timeTo);
    QFETCH(QString, line);
    QCOMPARE(cardDateText(date, time, dateTo, timeTo), line);
}

void TestNewsCard::shouldSizePictureBox_data()
{
    QTest::addColumn<QString>("spacing");
    QTest::addColumn<QString>("sizeX");
    QTest::addColumn<QString>("sizeY");
    QTest::addColumn<QSize>("box");

    const QSize fallback(110, 110);
    QTest::newRow("plain sums") << "5" << "100" << "80" << QSize(105, 85);
    QTest::newRow("letters as spacing") << "ab" << "100" << "80" << fallback;
    QTest::newRow("empty size Y after good conversions") << "5" << "100" << "" << fallback;
    QTest::newRow("trailing unit") << "12px" << "100" << "80" << fallback;
    QTest::newRow("bad size X") << "5" << "1e2" << "80" << fallback;
    QTest::newRow("inner blank") << "5" << "1 00" << "80" << fallback;
    QTest::newRow("trailing blank") << "5 " << "100" << "80" << fallback;
    QTest::newRow("decimal point") << "5" << "100.0" << "80" << fallback;
    QTest::newRow("all empty") << "" << "" << "" << fallback;
    QTest::newRow("leading blanks") << "  5" << " 100" << "80" << QSize(105, 85);
    QTest::newRow("plus sign") << "+5" << "100" << "80" << QSize(105, 85);
    QTest::newRow("negative spacing") << "-5" << "100" << "80" << QSize(95, 75);
    QTest::newRow("sign alone") << "-" << "100" << "80" << fallback;
    QTest::newRow("dollar hex") << "$10" << "100" << "80" << QSize(116, 96);
    QTest::newRow("x hex") << "x1A" << "100" << "80" << QSize(126, 106);
    QTest::newRow("upper X hex") << "X1a" << "100" << "80" << QSize(126, 106);
    QTest::newRow("0x hex") << "0x10" << "0X10" << "$a" << QSize(32, 26);
    QTest::newRow("prefix without digits") << "$" << "100" << "80" << fallback;
    QTest::newRow("hex digit without prefix") << "A" << "100" << "80" << fallback;
    QTest::newRow("decimal above 32 bits") << "2147483648" << "0" << "0" << fallback;
    QTest::newRow("lowest 32-bit value") << "-2147483648" << "0" << "1"
                                         << QSize(-2147483647 - 1, -2147483647);
    QTest::newRow("below 32 bits") << "-2147483649" << "0" << "0" << fallback;
    QTest::newRow("sums are not range-checked") << "2147483647" << "1" << "0"
                                                << QSize(-2147483647 - 1, 2147483647);
}

void TestNewsCard::shouldSizePictureBox()
{
    QFETCH(QString, spacing);
    QFETCH(QString, sizeX);
    QFETCH(QString, sizeY);
    QFETCH(QSize, box);
    QCOMPARE(pictureBoxSize(spacing, sizeX, sizeY), box);
}

void TestNewsCard::shouldKeepSpacingTextAsWrittenInPictureBlock()
{
    FeedItem item = sportItem();
    item.set(QStringLiteral("ZELTON_OBRAZEK_PADDING"), QStringLiteral("ab"));
    RecordingWindow window;
    ItemWalk walk = czechWalk();
    stepAndShow(item.element(), settingsFor(QStringLiteral("12"), 0), window, walk);

    QVERIFY(walk.cardsHtml.contains(QStringLiteral(
        "<div style=\"min-width:110px; min-height:110px;\">"
        "<img src=\"http://127.0.0.1:8080/reader/img/zapas.jpg\" "
        "style=\"float: left; padding: abpx abpx 0px 0px;\">"
        "<div style=\"padding: abpx 0px 0px 0px;\"><b>Zápas</b> v sobotu</div></div>")));
}

void TestNewsCard::shouldUpdateWindowAndGroupsButAddNoCardForFilteredItem()
{
    RecordingWindow window;
    ItemWalk walk = czechWalk();
    walk.cardsHtml = QStringLiteral("<p>earlier card</p>");
    walk.groups.add(QStringLiteral("Kultura"));

    stepAndShow(sportItem().element(), settingsFor(QStringLiteral("12"), 0, 1, QStringLiteral("Kultura")),
                 window, walk);

    QCOMPARE(walk.cardsHtml, QStringLiteral("<p>earlier card</p>"));
    QCOMPARE(window.caption, QStringLiteral("Spolek Zelton - 1.50"));
    QCOMPARE(window.toolbarColor, quint32(0x996633));
    QCOMPARE(walk.pageBackground, QStringLiteral("336699"));
    QCOMPARE(walk.groups.entries(), (QStringList{QStringLiteral("Kultura"), QStringLiteral("Sport")}));
}

// The rule itself is tested with the group filter; here only that the step asks it with
// the item's group as read.
void TestNewsCard::shouldCardOnlyItemsPassingGroupFilter_data()
{
    QTest::addColumn<int>("groupIndex");
    QTest::addColumn<QString>("groupText");
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("carded");

    QTest::newRow("all entry") << 0 << "Vše" << "Sport" << true;
    QTest::newRow("same group") << 2 << "Sport" << "Sport" << true;
    QTest::newRow("other letter case") << 2 << "sport" << "Sport" << false;
}

void TestNewsCard::shouldCardOnlyItemsPassingGroupFilter()
{
    QFETCH(int, groupIndex);
    QFETCH(QString, groupText);
    QFETCH(QString, group);
    QFETCH(bool, carded);
    FeedItem item = sportItem();
    item.set(QStringLiteral("ZELTON_SKUPINA_POPIS"), group);
    RecordingWindow window;
    ItemWalk walk = czechWalk();
    stepAndShow(item.element(), settingsFor(QStringLiteral("12"), 0, groupIndex, groupText), window,
                 walk);
    QCOMPARE(!walk.cardsHtml.isEmpty(), carded);
}

void TestNewsCard::shouldFailItemOnBadBackground_data()
{
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("background");
    QTest::addColumn<int>("groupIndex");

    for (const int groupIndex : {0, 1}) {
        const char *filter = groupIndex == 0 ? "shown" : "filtered";
        QTest::addRow("leading #, %s", filter) << false << "#FFFFFF" << groupIndex;
        QTest::addRow("four digits, %s", filter) << false << "FFFF" << groupIndex;
        QTest::addRow("empty, %s", filter) << false << "" << groupIndex;
        QTest::addRow("not hex, %s", filter) << false << "white!" << groupIndex;
        QTest::addRow("missing, %s", filter) << true << "" << groupIndex;
    }
}

void TestNewsCard::shouldFailItemOnBadBackground()
{
    QFETCH(bool, missing);
    QFETCH(QString, background);
    QFETCH(int, groupIndex);
    FeedItem item = sportItem();
    if (missing)
        item.remove(QStringLiteral("ZELTON_BACKGROUNG"));
    else
        item.set(QStringLiteral("ZELTON_BACKGROUNG"), background);
    RecordingWindow window;
    ItemWalk walk = czechWalk();

    QVERIFY_THROWS_EXCEPTION(
        ReaderError, stepAndShow(item.element(),
                                  settingsFor(QStringLiteral("12"), 0, groupIndex, QStringLiteral("Kultura")),
                                  window, walk));
    // The reads before the colour conversion have taken effect; the colour has not.
    QCOMPARE(window.caption, QStringLiteral("Spolek Zelton - 1.50"));
    QCOMPARE(window.toolbarColor, quint32(0xFFFFFFFF));
    QCOMPARE(walk.pageBackground, background);
    QCOMPARE(walk.groups.entries(), QStringList{QStringLiteral("Sport")});
    QVERIFY(walk.cardsHtml.isEmpty());
}

void TestNewsCard::shouldReadShownItemChildrenOnlyForShownItems_data()
{
    QTest::addColumn<QString>("child");
    QTest::addColumn<bool>("readForFilteredItem");

    QTest::newRow("firm") << "ZELTON_FIRMA" << true;
    QTest::newRow("card colour") << "ZELTON_BARVA_BARVA" << true;
    QTest::newRow("group") << "ZELTON_SKUPINA_POPIS" << true;
    QTest::newRow("size Y") << "ZELTON_OBRAZEK_SIZE_Y" << true;
    QTest::newRow("date") << "ZELTON_DATE" << false;
    QTest::newRow("end time") << "ZELTON_TIME_DO" << false;
    QTest::newRow("picture") << "ZELTON_OBRAZEK" << false;
    QTest::newRow("text") << "ZELTON_TEXT" << false;
}

void TestNewsCard::shouldReadShownItemChildrenOnlyForShownItems()
{
    QFETCH(QString, child);
    QFETCH(bool, readForFilteredItem);
    FeedItem item = sportItem();
    item.setUnreadable(child);
    RecordingWindow window;
    ItemWalk walk = czechWalk();

    // The filter compares the group as read, so the filtered case picks a group the item lacks.
    const CardSettings filtered = settingsFor(QStringLiteral("12"), 0, 1, QStringLiteral("Jiná"));
    if (readForFilteredItem)
        QVERIFY_THROWS_EXCEPTION(ReaderError, stepAndShow(item.element(), filtered, window, walk));
    else
        stepAndShow(item.element(), filtered, window, walk);
    QVERIFY(walk.cardsHtml.isEmpty());

    QVERIFY_THROWS_EXCEPTION(ReaderError, stepAndShow(item.element(), settingsFor(QStringLiteral("12"), 0),
                                                       window, walk));
    QVERIFY(walk.cardsHtml.isEmpty());
}

QTEST_GUILESS_MAIN(TestNewsCard)
#include "TestNewsCard.moc"
