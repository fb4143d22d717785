#include "common/Utf8Bytes.h"

#include <QtTest>

namespace {

QString withUnits(std::initializer_list<char16_t> units)
{
    QString text;
    for (const char16_t unit : units)
        text.append(QChar(unit));
    return text;
}

} // namespace

// The page's bytes as the view is given them: the library's UTF-8, written into memory that
// the view keeps from one page to the next.
class TestUtf8Bytes : public QObject
{
    Q_OBJECT

private slots:
    void shouldWriteWhatToUtf8Writes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("ascii") << QStringLiteral("<div style=\"font: 12px Arial\">Turnaj</div>");
        QTest::newRow("czech") << QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy");
        QTest::newRow("outside the BMP") << withUnits({u'a', 0xD83D, 0xDE00, u'b'});
        QTest::newRow("replacement character") << withUnits({u'x', 0xFFFD, u'y'});
        QTest::newRow("U+F000 and up, no replacement") << withUnits({0xF000, 0xFFFC, 0xFFFE});
        QTest::newRow("lone high surrogate inside") << withUnits({u'a', 0xD800, u'b'});
        QTest::newRow("lone low surrogate") << withUnits({0xDC00, u'c'});
        QTest::newRow("lone high surrogate at the end") << withUnits({u'a', 0xD83D});
    }

    void shouldWriteWhatToUtf8Writes()
    {
        QFETCH(QString, text);
        QByteArray bytes("left over from an older page, longer than the new one");
        assignUtf8(bytes, text);
        QCOMPARE(bytes, text.toUtf8());
    }

    void shouldWriteIntoTheMemoryItHolds()
    {
        QByteArray bytes;
        assignUtf8(bytes, QString(100'000, u'č'));
        const char *memory = bytes.constData();
        assignUtf8(bytes, QString(90'000, u'ž'));
        QCOMPARE(bytes.constData(), memory);
        QCOMPARE(bytes, QString(90'000, u'ž').toUtf8());
    }

    void shouldLeaveSharedBytesAlone()
    {
        QByteArray bytes;
        assignUtf8(bytes, QStringLiteral("první stránka"));
        const QByteArray served = bytes;  // still being read by the engine, say
        assignUtf8(bytes, QStringLiteral("druhá"));
        QCOMPARE(served, QStringLiteral("první stránka").toUtf8());
        QCOMPARE(bytes, QStringLiteral("druhá").toUtf8());
    }

    // A text of several compared pieces, with a pair of surrogates across the first boundary.
    static QString longText()
    {
        QString text = QString(8191, u'a') + withUnits({0xD83D, 0xDE00}) + QString(20'000, u'ř');
        return text + QStringLiteral("konec");
    }

    void shouldTellAChangedTextAndWriteIt_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("changed");
        const QString text = longText();
        QTest::newRow("same") << text << text << false;
        QTest::newRow("same, empty") << QString() << QString() << false;
        QTest::newRow("first character") << text << QString(text).replace(0, 1, u'b') << true;
        QTest::newRow("last character") << text << text.chopped(1) + u'X' << true;
        QTest::newRow("inside the pair") << text << QString(text).replace(8192, 1, QChar(0xDE01)) << true;
        QTest::newRow("longer") << text << text + u'!' << true;
        QTest::newRow("shorter") << text << text.chopped(1) << true;
        QTest::newRow("from empty") << QString() << text << true;
        QTest::newRow("to empty") << text << QString() << true;
        QTest::newRow("lone surrogate where a replacement was")
            << withUnits({u'x', 0xFFFD}) << withUnits({u'x', 0xD800}) << true;
    }

    void shouldTellAChangedTextAndWriteIt()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, changed);
        QByteArray bytes;
        assignUtf8(bytes, before);
        const char *memory = bytes.constData();
        int writes = 0;
        QCOMPARE(assignChangedUtf8(bytes, after, [&] { ++writes; }), changed);
        QCOMPARE(writes, changed ? 1 : 0);
        QCOMPARE(bytes, after.toUtf8());
        if (!changed)
            QCOMPARE(bytes.constData(), memory);
    }

    void shouldWriteAChangedTextIntoTheMemoryItHolds()
    {
        QByteArray bytes;
        assignUtf8(bytes, longText());
        const char *memory = bytes.constData();
        const QString changed = longText().replace(20'000, 1, u'x');
        QVERIFY(assignChangedUtf8(bytes, changed, [] {}));
        QCOMPARE(bytes.constData(), memory);
        QCOMPARE(bytes, changed.toUtf8());
    }

    void shouldLeaveSharedBytesAloneWhenChanged()
    {
        QByteArray bytes;
        assignUtf8(bytes, longText());
        QByteArray served = bytes;
        const QString changed = longText() + u'!';
        // The holder lets go before the write, as the view's page handler does.
        QVERIFY(assignChangedUtf8(bytes, changed, [&] { QCOMPARE(served, longText().toUtf8()); }));
        QCOMPARE(served, longText().toUtf8());
        QCOMPARE(bytes, changed.toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestUtf8Bytes)
#include "TestUtf8Bytes.moc"
