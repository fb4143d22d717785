#include "common/WholeNumber.h"

#include <QtTest>

#include <climits>
#include <optional>

// The one whole-number rule that the settings file and the feed's cards share.
class TestWholeNumber : public QObject
{
    Q_OBJECT

private slots:
    void shouldParseWholeNumbers_data();
    void shouldParseWholeNumbers();
};

void TestWholeNumber::shouldParseWholeNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<int>("value");

    const auto number = [](const char *text, int value) {
        QTest::newRow(text) << QString::fromUtf8(text) << true << value;
    };
    const auto notNumber = [](const char *name, const char *text) {
        QTest::newRow(name) << QString::fromUtf8(text) << false << 0;
    };

    number("32", 32);
    number("+32", 32);
    number("-32", -32);
    number("  32", 32);
    number("\t32", 32);
    number(" 100", 100);
    number("0", 0);
    number("-0", 0);
    number("0032", 32);
    number("2147483647", INT_MAX);
    number("-2147483648", INT_MIN);
    number("0x20", 32);
    number("0X1f", 31);
    number("0X10", 16);
    number("$20", 32);
    number("$a", 10);
    number("x20", 32);
    number("X20", 32);
    number("x1A", 26);
    number("X1a", 26);
    number("$abcDEF", 0xABCDEF);
    number("$7FFFFFFF", INT_MAX);
    number("$80000000", INT_MIN);
    number("$FFFFFFFF", -1);
    number("$000000001", 1);
    number("$00000000FFFFFFFF", -1);
    number("-$20", -32);
    number("+0x20", 32);
    number("-$FFFFFFFF", 1);
    number("-$80000000", INT_MIN);
    number("  -x10", -16);

    notNumber("2147483648", "2147483648");
    notNumber("-2147483649", "-2147483649");
    notNumber("huge decimal", "99999999999999999999");
    notNumber("$100000000", "$100000000");
    notNumber("abc", "abc");
    notNumber("letters", "ab");
    notNumber("hex digit without prefix", "A");
    notNumber("3.5", "3.5");
    notNumber("decimal point", "100.0");
    notNumber("1e3", "1e3");
    notNumber("sign alone -", "-");
    notNumber("sign alone +", "+");
    notNumber("two signs", "--5");
    notNumber("prefix alone $", "$");
    notNumber("prefix alone 0x", "0x");
    notNumber("prefix alone x", "x");
    notNumber("sign and prefix alone", "-$");
    notNumber("empty", "");
    notNumber("blanks only", "   ");
    notNumber("trailing blank", "32 ");
    notNumber("trailing unit", "12px");
    notNumber("blank inside", "3 2");
    notNumber("blank after sign", "- 32");
    notNumber("blank after prefix", "$ 20");
    notNumber("sign after prefix", "$-20");
    notNumber("double prefix", "0x$20");
    notNumber("hex digit in decimal", "12a");
    notNumber("non-hex after prefix", "0x2g");
    notNumber("hex suffix", "20h");
    notNumber("thousands separator", "1,000");
    notNumber("line break before", "\n32");
    notNumber("non-ASCII digits", "\xD9\xA3\xD9\xA2"); // Arabic-Indic 3 and 2
    notNumber("full-width digits", "\xEF\xBC\x93\xEF\xBC\x92");
}

void TestWholeNumber::shouldParseWholeNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(int, value);

    const std::optional<int> parsed = parseWholeNumber(text);
    QCOMPARE(parsed.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*parsed, value);
}

QTEST_GUILESS_MAIN(TestWholeNumber)
#include "TestWholeNumber.moc"
