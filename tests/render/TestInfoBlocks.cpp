#include "common/ReaderError.h"
#include "render/InfoBlocks.h"
#include "support/FeedBuilder.h"

#include <QtTest>

namespace {

FeedItem infoElement(const QString &info, const QString &contacts)
{
    FeedItem element(QStringLiteral("zelton_other_information"));
    element.set(QStringLiteral("ZT_INFO_INFORMACE"), info)
        .set(QStringLiteral("ZT_INFO_KONTAKT"), contacts)
        .set(QStringLiteral("ZT_INFO_BARVA_POZADI_OS"), QStringLiteral("EEEEEE"))
        .set(QStringLiteral("ZT_INFO_BARVA_TEXT_OS"), QStringLiteral("111111"))
        .set(QStringLiteral("ZT_INFO_BARVA_NADPIS_OS"), QStringLiteral("AA0000"));
    return element;
}

// The block wrapper of style 0 with font 12 and the colours of infoElement().
QString roundedBlock(const QString &content)
{
    return QStringLiteral(
               "<div style=\"position:relative; left: 0px; top: 0px; margin: 0px auto; padding: "
               "15px 15px 15px 15px; background: #EEEEEE; border: 0px solid #D2D4C8; font-weight: "
               "Bold; font-family: Arial, Tahoma, sans-serif; font-size: 12px; letter-spacing: 0px; "
               "color: #111111; text-align: left; max-width: 600px; -moz-border-radius: 5px; "
               "-webkit-border-radius: 5px; border-radius: 5px;\">")
           + content + QStringLiteral("</div>");
}

const QString Heading12 =
    QStringLiteral("<DIV style=\"font: 12px Arial; color: #AA0000; font-weight: Bold; \">");

} // namespace

class TestInfoBlocks : public QObject
{
    Q_OBJECT

private slots:
    void shouldReplaceMarkIgnoringCase_data();
    void shouldReplaceMarkIgnoringCase();
    void shouldStyleHeadingsInBothBlocks_data();
    void shouldStyleHeadingsInBothBlocks();
    void shouldWrapBlockByAppearance_data();
    void shouldWrapBlockByAppearance();
    void shouldWrapEmptyText();
    void shouldLeaveHeadingColourEmptyWhenMissing();
    void shouldTakeOnlyTheLastElement();
    void shouldFailOnUnreadableChild_data();
    void shouldFailOnUnreadableChild();
};

void TestInfoBlocks::shouldReplaceMarkIgnoringCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("result");

    QTest::newRow("none") << "plain" << "<A>" << "[x]" << "plain";
    QTest::newRow("every occurrence") << "<A>1<A>2<A>" << "<A>" << "[x]" << "[x]1[x]2[x]";
    QTest::newRow("any letter case") << "<nadpis>-<NadPis>-<NADPIS>" << "<NADPIS>" << "#"
                                     << "#-#-#";
    QTest::newRow("inserted text not scanned again") << "<A>" << "<A>" << "<a><A>" << "<a><A>";
    QTest::newRow("no overlap, left to right") << "aaa" << "aa" << "b" << "ba";
    QTest::newRow("replacement may be empty") << "x<A>y" << "<A>" << "" << "xy";
    QTest::newRow("mark at the end") << "xy<A>" << "<A>" << "!" << "xy!";
    QTest::newRow("empty text") << "" << "<A>" << "!" << "";
}

void TestInfoBlocks::shouldReplaceMarkIgnoringCase()
{
    QFETCH(QString, text);
    QFETCH(QString, mark);
    QFETCH(QString, replacement);
    QFETCH(QString, result);
    QCOMPARE(replaceIgnoringCase(text, mark, replacement), result);
}

void TestInfoBlocks::shouldStyleHeadingsInBothBlocks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("content");

    QTest::newRow("upper case") << "<NADPIS>Kdo jsme</NADPIS>text"
                                << Heading12 + "Kdo jsme</DIV>text";
    QTest::newRow("lower case") << "<nadpis>Kdo</nadpis>" << Heading12 + "Kdo</DIV>";
    QTest::newRow("mixed case") << "<NadPis>Kdo</nADPIS>" << Heading12 + "Kdo</DIV>";
    QTest::newRow("two headings") << "<NADPIS>A</NADPIS>x<NADPIS>B</NADPIS>"
                                  << Heading12 + "A</DIV>x" + Heading12 + "B</DIV>";
    QTest::newRow("unclosed mark") << "<NADPIS>Kdo jsme" << Heading12 + "Kdo jsme";
    QTest::newRow("closing mark alone") << "a</NADPIS>" << "a</DIV>";
    QTest::newRow("blanks inside the mark stay") << "< NADPIS>A</NADPIS >"
                                                 << "< NADPIS>A</NADPIS >";
    QTest::newRow("attributes stay") << "<NADPIS class=\"x\">A</NADPIS>"
                                     << "<NADPIS class=\"x\">A</DIV>";
    QTest::newRow("longer name stays") << "<NADPISY>A" << "<NADPISY>A";
    QTest::newRow("mark text in the feed stays a mark") << "&lt;NADPIS&gt;" << "&lt;NADPIS&gt;";
}

void TestInfoBlocks::shouldStyleHeadingsInBothBlocks()
{
    QFETCH(QString, text);
    QFETCH(QString, content);
    InfoBlocks blocks;
    organizationInfoStep(infoElement(text, QStringLiteral("K:") + text).element(), QStringLiteral("12"),
                         0, blocks);
    QCOMPARE(blocks.info, roundedBlock(content));
    QCOMPARE(blocks.contacts, roundedBlock(QStringLiteral("K:") + content));
}

void TestInfoBlocks::shouldWrapBlockByAppearance_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("closing");

    const QString rounded = QStringLiteral(
        "; text-align: left; max-width: 600px; -moz-border-radius: 5px; -webkit-border-radius: 5px; "
        "border-radius: 5px;\">");
    QTest::newRow("0 rounded") << 0 << rounded;
    QTest::newRow("1 square") << 1 << "; text-align: left; max-width: 600px;\">";
    QTest::newRow("2 shadow") << 2
        << "; text-align: left; max-width: 600px; box-shadow: 2px 2px 2px 2px rgba(0,0,0,.2); \">";
    QTest::newRow("3 full width") << 3 << "; text-align: left; \">";
    QTest::newRow("none selected") << -1 << rounded;
    QTest::newRow("past the last style") << 7 << rounded;
}

void TestInfoBlocks::shouldWrapBlockByAppearance()
{
    QFETCH(int, style);
    QFETCH(QString, closing);
    InfoBlocks blocks;
    organizationInfoStep(infoElement(QStringLiteral("<p>Info</p>"), QStringLiteral("Tel. 123")).element(),
                         QStringLiteral("12"), style, blocks);

    const QString opening = QStringLiteral(
        "<div style=\"position:relative; left: 0px; top: 0px; margin: 0px auto; padding: 15px 15px "
        "15px 15px; background: #EEEEEE; border: 0px solid #D2D4C8; font-weight: Bold; font-family: "
        "Arial, Tahoma, sans-serif; font-size: 12px; letter-spacing: 0px; color: #111111");
    QCOMPARE(blocks.info, opening + closing + QStringLiteral("<p>Info</p></div>"));
    QCOMPARE(blocks.contacts, opening + closing + QStringLiteral("Tel. 123</div>"));
}

void TestInfoBlocks::shouldWrapEmptyText()
{
    FeedItem element = infoElement(QString(), QString());
    element.remove(QStringLiteral("ZT_INFO_KONTAKT"));
    InfoBlocks blocks{QStringLiteral("old info"), QStringLiteral("old contacts")};
    organizationInfoStep(element.element(), QStringLiteral("12"), 0, blocks);
    QCOMPARE(blocks.info, roundedBlock(QString()));
    QCOMPARE(blocks.contacts, roundedBlock(QString()));
}

void TestInfoBlocks::shouldLeaveHeadingColourEmptyWhenMissing()
{
    FeedItem element = infoElement(QStringLiteral("<NADPIS>A</NADPIS>"), QString());
    element.remove(QStringLiteral("ZT_INFO_BARVA_NADPIS_OS"));
    InfoBlocks blocks;
    organizationInfoStep(element.element(), QStringLiteral("12"), 0, blocks);
    QCOMPARE(blocks.info,
             roundedBlock(QStringLiteral(
                 "<DIV style=\"font: 12px Arial; color: #; font-weight: Bold; \">A</DIV>")));
}

void TestInfoBlocks::shouldTakeOnlyTheLastElement()
{
    FeedItem first = infoElement(QStringLiteral("first info"), QStringLiteral("first contacts"));
    first.set(QStringLiteral("ZT_INFO_BARVA_POZADI_OS"), QStringLiteral("123456"));
    FeedItem second = infoElement(QStringLiteral("<NADPIS>H</NADPIS>"), QStringLiteral("second"));
    second.set(QStringLiteral("ZT_INFO_BARVA_NADPIS_OS"), QStringLiteral("00AA00"));

    InfoBlocks blocks;
    organizationInfoStep(first.element(), QStringLiteral("12"), 0, blocks);
    organizationInfoStep(second.element(), QStringLiteral("12"), 0, blocks);

    QCOMPARE(blocks.info,
             roundedBlock(QStringLiteral(
                 "<DIV style=\"font: 12px Arial; color: #00AA00; font-weight: Bold; \">H</DIV>")));
    QCOMPARE(blocks.contacts, roundedBlock(QStringLiteral("second")));
}

void TestInfoBlocks::shouldFailOnUnreadableChild_data()
{
    QTest::addColumn<QString>("child");
    QTest::newRow("information") << "ZT_INFO_INFORMACE";
    QTest::newRow("contacts") << "ZT_INFO_KONTAKT";
    QTest::newRow("heading colour") << "ZT_INFO_BARVA_NADPIS_OS";
}

void TestInfoBlocks::shouldFailOnUnreadableChild()
{
    QFETCH(QString, child);
    FeedItem element = infoElement(QStringLiteral("i"), QStringLiteral("k"));
    element.setUnreadable(child);
    InfoBlocks blocks;
    QVERIFY_THROWS_EXCEPTION(ReaderError,
                             organizationInfoStep(element.element(), QStringLiteral("12"), 0, blocks));
}

QTEST_GUILESS_MAIN(TestInfoBlocks)
#include "TestInfoBlocks.moc"
