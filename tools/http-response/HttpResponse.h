#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// One HTTP/1.1 answer as the bundled feed server and the tests' server send it: the status
// line, the content type (when given), further headers, the body's length, and the
// connection closed after it.
struct HttpResponse
{
    int status = 200;
    QByteArray contentType;
    QList<QPair<QByteArray, QByteArray>> headers;  // e.g. {"Location", "/reader/x"}
    QByteArray body;
};

// The reason phrase of `status` ("Not Found"); "Error" for a status without one here.
QByteArray httpReasonPhrase(int status);

// The bytes of `response` on the wire.
QByteArray formatHttpResponse(const HttpResponse &response);
