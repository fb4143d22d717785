#include "common/HexDigit.h"

#include <QtTest>

class TestHexDigit : public QObject
{
    Q_OBJECT

private slots:
    void shouldGiveEveryDigitItsValue();
    void shouldRefuseEverythingElse();
};

void TestHexDigit::shouldGiveEveryDigitItsValue()
{
    const QString lower = QStringLiteral("0123456789abcdef");
    const QString upper = QStringLiteral("0123456789ABCDEF");
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(hexDigitValue(lower.at(i).unicode()), i);
        QCOMPARE(hexDigitValue(upper.at(i).unicode()), i);
    }
}

void TestHexDigit::shouldRefuseEverythingElse()
{
    // Every code unit but the 22 digits, the neighbours of each range included.
    int digits = 0;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (hexDigitValue(c) >= 0)
            ++digits;
    }
    QCOMPARE(digits, 22);
    for (const char32_t c : {U'/', U':', U'@', U'G', U'`', U'g', U'\uFF10', U'\uFF21', U'\U0001D7CE'})
        QCOMPARE(hexDigitValue(c), -1);
}

QTEST_GUILESS_MAIN(TestHexDigit)
#include "TestHexDigit.moc"
