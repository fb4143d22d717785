#include "common/HttpStatus.h"

#include <QtTest>

class TestHttpStatus : public QObject
{
    Q_OBJECT

private slots:
    void shouldTakeOnlyTwoHundredsAsSuccess_data();
    void shouldTakeOnlyTwoHundredsAsSuccess();
};

void TestHttpStatus::shouldTakeOnlyTwoHundredsAsSuccess_data()
{
    QTest::addColumn<QVariant>("statusCode");
    QTest::addColumn<bool>("success");

    QTest::newRow("no answer") << QVariant() << false;
    QTest::newRow("informational 199") << QVariant(199) << false;
    QTest::newRow("ok 200") << QVariant(200) << true;
    QTest::newRow("no content 204") << QVariant(204) << true;
    QTest::newRow("last of the range 299") << QVariant(299) << true;
    QTest::newRow("redirect 300") << QVariant(300) << false;
    QTest::newRow("not found 404") << QVariant(404) << false;
    QTest::newRow("server error 500") << QVariant(500) << false;
    QTest::newRow("zero") << QVariant(0) << false;
    QTest::newRow("not a number") << QVariant(QStringLiteral("200 OK")) << false;
}

void TestHttpStatus::shouldTakeOnlyTwoHundredsAsSuccess()
{
    QFETCH(QVariant, statusCode);
    QFETCH(bool, success);
    QCOMPARE(isHttpSuccess(statusCode), success);
}

QTEST_GUILESS_MAIN(TestHttpStatus)
#include "TestHttpStatus.moc"
