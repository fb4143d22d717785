#include "HttpResponse.h"

#include <QtTest>

// The bytes both bundled servers put on the wire.
class TestHttpResponse : public QObject
{
    Q_OBJECT

private slots:
    void shouldWriteAnswer_data();
    void shouldWriteAnswer();
};

void TestHttpResponse::shouldWriteAnswer_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("locationHeader");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("feed") << 200 << QByteArray("application/xml") << QByteArray() << QByteArray("<a>ř</a>")
                          << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n"
                                        "Content-Length: 9\r\nConnection: close\r\n\r\n<a>ř</a>");
    QTest::newRow("redirect without a body or a type")
        << 302 << QByteArray() << QByteArray("/reader/other") << QByteArray()
        << QByteArray("HTTP/1.1 302 Found\r\nLocation: /reader/other\r\n"
                      "Content-Length: 0\r\nConnection: close\r\n\r\n");
    QTest::newRow("the feed server's refusal")
        << 431 << QByteArray("text/plain; charset=utf-8") << QByteArray()
        << QByteArray("Request Header Fields Too Large\n")
        << QByteArray("HTTP/1.1 431 Request Header Fields Too Large\r\n"
                      "Content-Type: text/plain; charset=utf-8\r\nContent-Length: 32\r\n"
                      "Connection: close\r\n\r\nRequest Header Fields Too Large\n");
    QTest::newRow("a status without a phrase here")
        << 418 << QByteArray("text/plain") << QByteArray() << QByteArray("x")
        << QByteArray("HTTP/1.1 418 Error\r\nContent-Type: text/plain\r\nContent-Length: 1\r\n"
                      "Connection: close\r\n\r\nx");
    const QByteArray binary("\x89PNG\0\r\n", 7);
    QTest::newRow("a body with a NUL byte")
        << 200 << QByteArray("image/png") << QByteArray() << binary
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 7\r\n"
                      "Connection: close\r\n\r\n") + binary;
}

void TestHttpResponse::shouldWriteAnswer()
{
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, locationHeader);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, expected);

    HttpResponse response{status, contentType, {}, body};
    if (!locationHeader.isEmpty())
        response.headers = {{"Location", locationHeader}};
    QCOMPARE(formatHttpResponse(response), expected);
}

QTEST_GUILESS_MAIN(TestHttpResponse)
#include "TestHttpResponse.moc"
