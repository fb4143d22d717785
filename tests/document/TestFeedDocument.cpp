#include "common/ReaderError.h"
#include "common/Texts.h"
#include "document/FeedDocument.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <array>

namespace {

const QByteArray Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// "Žluťoučký kůň" in windows-1250.
const QByteArray Windows1250Horse = "\x8elu\x9dou\xe8k\xfd k\xf9\xf2";

QByteArray utf16WithByteOrderMark(const QString &text)
{
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(encoder(text));
}

QByteArray item(const QByteArray &id)
{
    return "<zelton_information><id>" + id + "</id></zelton_information>";
}

QByteArray info(const QByteArray &id)
{
    return "<zelton_other_information><id>" + id + "</id></zelton_other_information>";
}

// The ids of one run, walked the way the refresh cycle walks it.
QStringList walk(const FeedDocument &document, const QString &run)
{
    QStringList ids;
    for (QDomElement element = document.firstInRun(run); !element.isNull();
         element = nextInRun(element, run))
        ids << childText(element, QStringLiteral("id"));
    return ids;
}

} // namespace

class TestFeedDocument : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_written = 0;

    QString writeFeed(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("feed%1.xml").arg(++m_written));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the test feed %s", qPrintable(path));
        return path;
    }

    // Opens the bytes as a feed file: the failure's message, or a null text when it opened.
    QString openFailure(FeedDocument &document, const QByteArray &bytes)
    {
        try {
            document.open(writeFeed(bytes));
        } catch (const ReaderError &error) {
            return error.message();
        }
        return {};
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void shouldReportDeclaredEncodingAsWritten_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("text");

        const QByteArray body = "<feed><t>Žluťoučký kůň</t></feed>";
        const QString horse = QStringLiteral("Žluťoučký kůň");
        QTest::newRow("utf-8 in lower case")
            << "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + body << "utf-8" << true << horse;
        QTest::newRow("UTF-8 between apostrophes")
            << "<?xml version='1.0' encoding='UTF-8'?>\n" + body << "UTF-8" << true << horse;
        QTest::newRow("mixed case")
            << "<?xml version=\"1.0\" encoding=\"UtF-8\"?>" + body << "UtF-8" << true << horse;
        QTest::newRow("standalone after the encoding")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>" + body << "UTF-8" << true
            << horse;
        QTest::newRow("UTF-8 byte order mark") << "\xEF\xBB\xBF" + Declaration + body << "UTF-8" << true
                                               << horse;
        QTest::newRow("no declaration") << body << "" << false << horse;
        QTest::newRow("declaration without encoding")
            << "<?xml version=\"1.0\"?>\n" + body << "" << false << horse;
        QTest::newRow("windows-1250")
            << "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<feed><t>" + Windows1250Horse
                   + "</t></feed>"
            << "windows-1250" << false << horse;
        QTest::newRow("UTF-16 with byte order mark")
            << utf16WithByteOrderMark(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
                                                     "<feed><t>Žluťoučký kůň</t></feed>"))
            << "UTF-16" << false << horse;
    }

    void shouldReportDeclaredEncodingAsWritten()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(bool, utf8);
        QFETCH(QString, text);

        FeedDocument document;
        QCOMPARE(openFailure(document, bytes), QString());
        QVERIFY(document.isOpen());
        QCOMPARE(document.declaredEncoding(), encoding);
        QCOMPARE(document.hasUtf8Declaration(), utf8);
        QCOMPARE(childText(document.dom().documentElement(), QStringLiteral("t")), text);
    }

    void shouldRejectDocumentThatIsNotWellFormed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("description"); // empty: the parser's own words
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("excerpt");

        QTest::newRow("two roots") << Declaration + "<feed/>\n<second/>\n" << "" << 3 << "<second/>";
        QTest::newRow("text after the root") << QByteArray("<feed/>trailing") << "" << 1
                                             << "<feed/>trailing";
        QTest::newRow("undeclared entity")
            << Declaration + "<feed>\n  <t>Tom &amp; Jerry&nbsp;</t>\n</feed>" << "" << 3
            << "  <t>Tom &amp; Jerry&nbsp;</t>";
        QTest::newRow("undeclared namespace prefix") << QByteArray("<feed>\n<z:t/>\n</feed>") << ""
                                                     << 2 << "<z:t/>";
        QTest::newRow("cut off inside an element")
            << Declaration + "<feed>\n  <zelton_information>\n    <ZELTON_TEXT>Nějaký del" << "" << 4
            << "    <ZELTON_TEXT>Nějaký del";
        QTest::newRow("cut off inside a tag") << Declaration + "<feed>\n<zelton_infor" << "" << 3
                                              << "<zelton_infor";
        QTest::newRow("empty file") << QByteArray() << "" << 1 << "";
        QTest::newRow("blanks only") << QByteArray("  \n") << "" << 1 << "  ";
        QTest::newRow("CR LF line ends") << QByteArray("<?xml version=\"1.0\"?>\r\n<feed>\r\n<t>x</u>\r\n</feed>\r\n")
                                         << "" << 3 << "<t>x</u>";
        QTest::newRow("long line cut after 40 characters")
            << Declaration + "<feed>\n<t>Příliš žluťoučký kůň úpěl ďábelské ódy a dost</x>\n</feed>" << ""
            << 3 << "<t>Příliš žluťoučký kůň úpěl ďábelské ód";
        QTest::newRow("windows-1250 line shown in its letters")
            << "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<feed>\n<t>" + Windows1250Horse
                   + "</x>\n</feed>"
            << "" << 3 << "<t>Žluťoučký kůň</x>";
        QTest::newRow("UTF-16 line shown in its letters")
            << utf16WithByteOrderMark(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<feed>\n"
                                                     "<t>Žluťoučký kůň</x>\n</feed>"))
            << "" << 3 << "<t>Žluťoučký kůň</x>";

        QTest::newRow("invalid UTF-8 byte")
            << Declaration + "<feed>\n<t>ok</t>\n<t>Příliš žluťoučký kůň úpěl \xC3(ďábelské ódy</t>\n</feed>"
            << Texts::FeedBadUtf8 << 4 << QStringLiteral("<t>Příliš žluťoučký kůň úpěl \uFFFD(ďábelské ");
        QTest::newRow("invalid UTF-8 without declaration")
            << QByteArray("<feed>\n<t>\xFF</t>\n</feed>") << Texts::FeedBadUtf8 << 2
            << QStringLiteral("<t>\uFFFD</t>");
        QTest::newRow("overlong UTF-8 form") << Declaration + "<feed>\n<t>\xC0\xBC</t>\n</feed>"
                                             << Texts::FeedBadUtf8 << 3 << QStringLiteral("<t>\uFFFD\uFFFD</t>");
        QTest::newRow("UTF-8 encoded surrogate") << Declaration + "<feed>\n<t>\xED\xA0\x80</t>\n</feed>"
                                                 << Texts::FeedBadUtf8 << 3
                                                 << QStringLiteral("<t>\uFFFD\uFFFD\uFFFD</t>");
        QTest::newRow("UTF-8 cut off in a letter") << Declaration + "<feed>\n<t>\xC5"
                                                   << Texts::FeedBadUtf8 << 3 << QStringLiteral("<t>\uFFFD");

        QTest::newRow("document type declaration")
            << Declaration
                   + "<!-- <!DOCTYPE in a comment> -->\n<!DOCTYPE feed [\n  <!ENTITY firma \"Zelton\">\n]>\n"
                     "<feed><t>&firma;</t></feed>"
            << Texts::FeedDoctypeRefused << 3 << "<!DOCTYPE feed [";
        QTest::newRow("external document type")
            << Declaration + "<!DOCTYPE feed SYSTEM \"feed-definition-of-the-organization.dtd\">\n<feed/>"
            << Texts::FeedDoctypeRefused << 2 << "<!DOCTYPE feed SYSTEM \"feed-definition-o";
        // Wherever the prolog lets a declaration stand, and in any encoding, it is refused
        // before anything of it is read; inside the root it is a fault of its own.
        QTest::newRow("document type after a processing instruction")
            << Declaration + "<?style kind=\"x\"?>\n<!DOCTYPE feed [<!ENTITY a \"b\">]>\n<feed>&a;</feed>"
            << Texts::FeedDoctypeRefused << 3 << "<!DOCTYPE feed [<!ENTITY a \"b\">]>";
        QTest::newRow("document type after a byte order mark and blanks")
            << QByteArray("\xEF\xBB\xBF \t\r\n<!DOCTYPE feed>\n<feed/>") << Texts::FeedDoctypeRefused << 2
            << "<!DOCTYPE feed>";
        QTest::newRow("document type inside an unclosed comment")
            << Declaration + "<!-- open\n<!DOCTYPE feed [<!ENTITY a \"b\">]>\n<feed>&a;</feed>"
            << "" << 2 << "<!-- open";
        QTest::newRow("UTF-16 document type")
            << utf16WithByteOrderMark(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
                                                     "<!DOCTYPE feed [<!ENTITY a \"b\">]>\n<feed>&a;</feed>"))
            << Texts::FeedDoctypeRefused << 2 << "<!DOCTYPE feed [<!ENTITY a \"b\">]>";
        QTest::newRow("document type inside the root") << Declaration + "<feed>\n<!DOCTYPE feed>\n</feed>"
                                                       << "" << 3 << "<!DOCTYPE feed>";
    }

    void shouldRejectDocumentThatIsNotWellFormed()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, description);
        QFETCH(int, line);
        QFETCH(QString, excerpt);

        // The object is reused by every refresh, so a failure must also drop the last feed.
        FeedDocument document;
        QCOMPARE(openFailure(document, Declaration + item("A") + "\n"), QString());

        const QStringList parts = openFailure(document, bytes).split(QStringLiteral("\r\n"));
        QCOMPARE(parts.size(), 3);
        if (description.isEmpty())
            QVERIFY(!parts[0].isEmpty());
        else
            QCOMPARE(parts[0], description);
        QCOMPARE(parts[1], QStringLiteral("Line: %1").arg(line));
        QCOMPARE(parts[2], excerpt);

        QVERIFY(!document.isOpen());
        QVERIFY(document.dom().documentElement().isNull());
        QVERIFY(document.firstInRun(QStringLiteral("zelton_information")).isNull());
        QCOMPARE(document.declaredEncoding(), QString());
    }

    void shouldFailWithOwnDescriptionWhenFileCannotBeRead_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("missing.xml"));
        QTest::newRow("folder") << m_dir.path();
    }

    void shouldFailWithOwnDescriptionWhenFileCannotBeRead()
    {
        QFETCH(QString, path);

        FeedDocument document;
        QCOMPARE(openFailure(document, Declaration + item("A")), QString());
        try {
            document.open(path);
            QFAIL("an unreadable file opened");
        } catch (const ReaderError &error) {
            QVERIFY(!error.message().isEmpty());
            QVERIFY2(!error.message().contains(QStringLiteral("Line:")), qPrintable(error.message()));
        }
        QVERIFY(!document.isOpen());
        QVERIFY(document.firstInRun(QStringLiteral("zelton_information")).isNull());
    }

    void shouldReleaseDocumentOnClose()
    {
        FeedDocument document;
        QCOMPARE(openFailure(document, Declaration + "<feed>" + item("A") + "</feed>"), QString());
        QVERIFY(!document.firstInRun(QStringLiteral("zelton_information")).isNull());

        document.close();
        QVERIFY(!document.isOpen());
        QVERIFY(document.dom().documentElement().isNull());
        QVERIFY(document.firstInRun(QStringLiteral("zelton_information")).isNull());
        QCOMPARE(document.declaredEncoding(), QString());
        QVERIFY(!document.hasUtf8Declaration());
    }

    void shouldWalkRuns_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("infos");

        QTest::newRow("one run of each")
            << "<feed>" + item("A") + item("B") + info("I") + "</feed>" << QStringList{"A", "B"}
            << QStringList{"I"};
        QTest::newRow("comment ends the item run")
            << "<feed><!-- c -->" + item("A") + item("B") + "<!-- c -->" + item("C") + info("I") + "</feed>"
            << QStringList{"A", "B"} << QStringList{"I"};
        QTest::newRow("element of another name ends the run")
            << "<feed>" + item("A") + "<zelton_other/>" + item("B") + info("I") + "</feed>"
            << QStringList{"A"} << QStringList{"I"};
        QTest::newRow("text ends the run") << "<feed>" + item("A") + "text" + item("B") + info("I") + "</feed>"
                                           << QStringList{"A"} << QStringList{"I"};
        QTest::newRow("CDATA ends the run")
            << "<feed>" + item("A") + "<![CDATA[ ]]>" + item("B") + info("I") + "</feed>"
            << QStringList{"A"} << QStringList{"I"};
        QTest::newRow("processing instruction ends the run")
            << "<feed>" + item("A") + "<?pause?>" + item("B") + info("I") + "</feed>" << QStringList{"A"}
            << QStringList{"I"};
        QTest::newRow("organization info first, then the items")
            << "<feed>" + info("I") + item("A") + item("B") + "</feed>" << QStringList{"A", "B"}
            << QStringList{"I"};
        QTest::newRow("two adjacent organization infos")
            << "<feed>" + item("A") + info("I") + info("J") + "</feed>" << QStringList{"A"}
            << QStringList{"I", "J"};
        QTest::newRow("items nested one level deeper")
            << "<feed><group>" + item("A") + item("B") + "</group>" + info("I") + "</feed>" << QStringList{}
            << QStringList{"I"};
        QTest::newRow("upper-case item names")
            << "<feed><ZELTON_INFORMATION><id>A</id></ZELTON_INFORMATION>" + info("I") + "</feed>"
            << QStringList{} << QStringList{"I"};
        QTest::newRow("root name and attributes change nothing")
            << QByteArray("<anything kind=\"x\"><zelton_information no=\"1\"><id lang=\"cs\">A</id>"
                          "</zelton_information>")
                   + info("I") + "</anything>"
            << QStringList{"A"} << QStringList{"I"};
        QTest::newRow("root in a default namespace")
            << "<feed xmlns=\"urn:zelton\">" + item("A") + item("B") + info("I") + "</feed>"
            << QStringList{"A", "B"} << QStringList{"I"};
        QTest::newRow("item outside the root's namespace")
            << "<feed xmlns=\"urn:zelton\"><zelton_information xmlns=\"\"><id>A</id></zelton_information>"
                   + info("I") + "</feed>"
            << QStringList{} << QStringList{"I"};
        // Found by its local name, but the next node's full name is not the run's name.
        QTest::newRow("prefixed items")
            << QByteArray("<feed xmlns:z=\"urn:zelton\">"
                          "<z:zelton_information><z:id>A</z:id></z:zelton_information>"
                          "<z:zelton_information><z:id>B</z:id></z:zelton_information>")
                   + info("I") + "</feed>"
            << QStringList{"A"} << QStringList{"I"};
    }

    void shouldWalkRuns()
    {
        QFETCH(QByteArray, document);
        QFETCH(QStringList, items);
        QFETCH(QStringList, infos);

        FeedDocument feed;
        QCOMPARE(openFailure(feed, Declaration + document), QString());
        QCOMPARE(walk(feed, QStringLiteral("zelton_information")), items);
        QCOMPARE(walk(feed, QStringLiteral("zelton_other_information")), infos);
    }

    void shouldReadIndentedDocumentLikeOneLine_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::newRow("one line")
            << Declaration + "<feed>" + item("A") + "<zelton_information><id>B</id><ZELTON_TEXT>Dobrý den</ZELTON_TEXT>"
                   "</zelton_information>" + info("I") + "</feed>";
        QTest::newRow("indented")
            << Declaration
                   + "<feed>\r\n\t<zelton_information>\r\n\t\t<id>A</id>\r\n\t</zelton_information>\r\n"
                     "  <zelton_information>\n    <id>B</id>\n    <ZELTON_TEXT>Dobrý den</ZELTON_TEXT>\n"
                     "  </zelton_information>\n\n  <zelton_other_information>\n    <id>I</id>\n"
                     "  </zelton_other_information>\n</feed>\n";
    }

    void shouldReadIndentedDocumentLikeOneLine()
    {
        QFETCH(QByteArray, document);

        FeedDocument feed;
        QCOMPARE(openFailure(feed, document), QString());
        QCOMPARE(walk(feed, QStringLiteral("zelton_information")), (QStringList{"A", "B"}));
        QCOMPARE(walk(feed, QStringLiteral("zelton_other_information")), QStringList{"I"});
        const QDomElement second =
            nextInRun(feed.firstInRun(QStringLiteral("zelton_information")), QStringLiteral("zelton_information"));
        QCOMPARE(childText(second, QStringLiteral("ZELTON_TEXT")), QStringLiteral("Dobrý den"));
    }

    void shouldReadElementText_data()
    {
        QTest::addColumn<QByteArray>("children");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");

        const QString name = QStringLiteral("ZELTON_TEXT");
        QTest::newRow("empty, start and end tag") << QByteArray("<ZELTON_TEXT></ZELTON_TEXT>") << name << "";
        QTest::newRow("empty, empty-element tag") << QByteArray("<ZELTON_TEXT/>") << name << "";
        QTest::newRow("blanks and line breaks only")
            << QByteArray("<ZELTON_TEXT>  \n\t \r\n </ZELTON_TEXT>") << name << "";
        QTest::newRow("blanks around text kept") << QByteArray("<ZELTON_TEXT>  Ahoj  </ZELTON_TEXT>") << name
                                                 << "  Ahoj  ";
        QTest::newRow("CDATA with markup")
            << QByteArray("<ZELTON_TEXT><![CDATA[<b>Pozor</b> & dost]]></ZELTON_TEXT>") << name
            << "<b>Pozor</b> & dost";
        QTest::newRow("CDATA of blanks kept") << QByteArray("<ZELTON_TEXT><![CDATA[  ]]></ZELTON_TEXT>")
                                              << name << "  ";
        QTest::newRow("escaped ampersand") << QByteArray("<ZELTON_TEXT>Tom &amp; Jerry</ZELTON_TEXT>")
                                           << name << "Tom & Jerry";
        QTest::newRow("escaped markup and character references")
            << QByteArray("<ZELTON_TEXT>&lt;b&gt;&#x17D;&#283;&lt;/b&gt;</ZELTON_TEXT>") << name
            << QStringLiteral("<b>Žě</b>");
        QTest::newRow("attributes ignored") << QByteArray("<ZELTON_TEXT barva=\"red\">x</ZELTON_TEXT>")
                                            << name << "x";
        QTest::newRow("first of two wins")
            << QByteArray("<ZELTON_TEXT>první</ZELTON_TEXT><ZELTON_TEXT><b>druhý</b></ZELTON_TEXT>") << name
            << QStringLiteral("první");
        QTest::newRow("other children before it skipped")
            << QByteArray("<ZELTON_FIRMA><b/></ZELTON_FIRMA><!-- c --><ZELTON_TEXT>T</ZELTON_TEXT>") << name
            << "T";
        QTest::newRow("lower-case name not found") << QByteArray("<zelton_text>x</zelton_text>") << name << "";
        QTest::newRow("missing child") << QByteArray("<ZELTON_FIRMA>x</ZELTON_FIRMA>") << name << "";
        QTest::newRow("grandchild not found")
            << QByteArray("<obal><ZELTON_TEXT>x</ZELTON_TEXT></obal>") << name << "";
        QTest::newRow("prefixed child found by its local name")
            << QByteArray("<z:ZELTON_TEXT xmlns:z=\"urn:zelton\">x</z:ZELTON_TEXT>") << name << "x";
    }

    void shouldReadElementText()
    {
        QFETCH(QByteArray, children);
        QFETCH(QString, name);
        QFETCH(QString, text);

        FeedDocument feed;
        QCOMPARE(openFailure(feed, Declaration + "<feed><zelton_information>" + children
                                       + "</zelton_information></feed>"),
                 QString());
        const QDomElement element = feed.firstInRun(QStringLiteral("zelton_information"));
        QVERIFY(!element.isNull());
        QCOMPARE(childText(element, name), text);
        // The one-pass reading of several children takes the very same child.
        const std::array<QString, 2> names{QStringLiteral("ZELTON_FIRMA"), name};
        QCOMPARE(ChildTexts(element, names).text(1), text);
    }

    // In a parent of a namespace only children of that namespace count, in both readings.
    void shouldReadOnlyChildrenOfTheParentsNamespace()
    {
        FeedDocument feed;
        QCOMPARE(openFailure(feed, Declaration + "<feed xmlns=\"urn:f\"><zelton_information>"
                                       "<o:ZELTON_TEXT xmlns:o=\"urn:o\">cizí</o:ZELTON_TEXT>"
                                       "<ZELTON_TEXT>vlastní</ZELTON_TEXT><ZELTON_FIRMA>F</ZELTON_FIRMA>"
                                       "</zelton_information></feed>"),
                 QString());
        const QDomElement element = feed.firstInRun(QStringLiteral("zelton_information"));
        QVERIFY(!element.isNull());
        QCOMPARE(childText(element, QStringLiteral("ZELTON_TEXT")), QStringLiteral("vlastní"));
        const std::array<QString, 3> names{QStringLiteral("ZELTON_TEXT"), QStringLiteral("ZELTON_DATE"),
                                           QStringLiteral("ZELTON_FIRMA")};
        const ChildTexts texts(element, names);
        QCOMPARE(texts.text(0), QStringLiteral("vlastní"));
        QCOMPARE(texts.text(1), QString());
        QCOMPARE(texts.text(2), QStringLiteral("F"));
    }

    void shouldRefuseElementThatHoldsMoreThanText_data()
    {
        QTest::addColumn<QByteArray>("content");

        QTest::newRow("text followed by a comment") << QByteArray("Ahoj<!-- pozn -->");
        QTest::newRow("child element") << QByteArray("<b>Ahoj</b>");
        QTest::newRow("text next to a child element") << QByteArray("Ahoj <b>světe</b>");
        QTest::newRow("comment only") << QByteArray("<!-- nic -->");
        QTest::newRow("comment between blanks") << QByteArray("  <!-- nic -->\n  ");
        QTest::newRow("processing instruction only") << QByteArray("<?pi x?>");
        QTest::newRow("text next to CDATA") << QByteArray("a<![CDATA[b]]>");
        QTest::newRow("two CDATA sections") << QByteArray("<![CDATA[a]]><![CDATA[b]]>");
    }

    void shouldRefuseElementThatHoldsMoreThanText()
    {
        QFETCH(QByteArray, content);

        FeedDocument feed;
        QCOMPARE(openFailure(feed, Declaration + "<feed><zelton_information><ZELTON_TEXT>" + content
                                       + "</ZELTON_TEXT></zelton_information></feed>"),
                 QString());
        const QDomElement element = feed.firstInRun(QStringLiteral("zelton_information"));
        QVERIFY(!element.isNull());
        QVERIFY_THROWS_EXCEPTION(ReaderError, childText(element, QStringLiteral("ZELTON_TEXT")));
        // Read together with other children, the fault is only told when its text is read.
        const std::array<QString, 2> names{QStringLiteral("ZELTON_TEXT"), QStringLiteral("ZELTON_FIRMA")};
        const ChildTexts texts(element, names);
        QCOMPARE(texts.text(1), QString());
        QVERIFY_THROWS_EXCEPTION(ReaderError, texts.text(0));
    }
};

QTEST_GUILESS_MAIN(TestFeedDocument)
#include "TestFeedDocument.moc"
