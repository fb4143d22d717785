#include "common/ReaderError.h"
#include "render/Colors.h"

#include <QtTest>

class TestColors : public QObject
{
    Q_OBJECT

private slots:
    void shouldConvertColourText_data();
    void shouldConvertColourText();
    void shouldRejectUnconvertibleText_data();
    void shouldRejectUnconvertibleText();
    void shouldGiveQColorOfTheSameParts();
};

void TestColors::shouldConvertColourText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("value");

    QTest::newRow("white") << "FFFFFF" << quint32(16777215);
    QTest::newRow("black") << "000000" << quint32(0);
    QTest::newRow("pure red is the low byte") << "FF0000" << quint32(255);
    QTest::newRow("pure green") << "00FF00" << quint32(65280);
    QTest::newRow("pure blue is the third byte") << "0000FF" << quint32(16711680);
    QTest::newRow("mixed parts keep their place") << "123456" << quint32(0x563412);
    QTest::newRow("lower case digits") << "ffa0c1" << quint32(0xC1A0FF);
    QTest::newRow("mixed case digits") << "fFaAcC" << quint32(0xCCAAFF);
    QTest::newRow("five characters: blue is the single fifth digit") << "FFFFF" << quint32(0x0FFFFF);
    QTest::newRow("five characters, blue 8") << "00008" << quint32(0x080000);
    QTest::newRow("characters after the sixth ignored") << "102030zz#!" << quint32(0x302010);
    QTest::newRow("a seventh hex digit ignored") << "1020304" << quint32(0x302010);
}

void TestColors::shouldConvertColourText()
{
    QFETCH(QString, text);
    QFETCH(quint32, value);
    QCOMPARE(colorFromHex(text), value);
}

void TestColors::shouldRejectUnconvertibleText_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("leading #") << "#FFFFFF";
    QTest::newRow("four characters") << "FFFF";
    QTest::newRow("one character") << "F";
    QTest::newRow("empty") << "";
    QTest::newRow("non-hex in green") << "FFGG00";
    QTest::newRow("non-hex in blue") << "FFFFFG";
    QTest::newRow("leading blank") << " FFFFF";
    QTest::newRow("leading plus") << "+FFFFF";
    QTest::newRow("minus inside a piece") << "FF-1FF";
    QTest::newRow("blank as the sixth character") << "FFFFF ";
    QTest::newRow("non-ASCII digit") << QStringLiteral("FF\u0661\u0661FF");
}

void TestColors::shouldRejectUnconvertibleText()
{
    QFETCH(QString, text);
    QVERIFY_THROWS_EXCEPTION(ReaderError, colorFromHex(text));
}

void TestColors::shouldGiveQColorOfTheSameParts()
{
    QCOMPARE(toQColor(colorFromHex(QStringLiteral("1A2B3C"))), QColor(0x1A, 0x2B, 0x3C));
}

QTEST_GUILESS_MAIN(TestColors)
#include "TestColors.moc"
