#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>

class QSslConfiguration;

// A real HTTP server on 127.0.0.1 for tests. It runs on a thread of its own, so it answers
// while the test's thread is blocked in a download.
class LocalHttpServer
{
public:
    struct Response
    {
        enum class Mode {
            Answer,  // send status, headers and body, then close
            Silent,  // accept the connection and never send anything
            Stream,  // send status and headers without Content-Length, then `streamBytes`
                     // of `body` repeated, as fast as the client takes them, then close
            Trickle, // like Stream, but 1 KiB a second, as over a link that barely moves
        };
        Mode mode = Mode::Answer;
        int status = 200;
        QByteArray contentType = "application/xml";
        QList<QPair<QByteArray, QByteArray>> headers;  // e.g. {"Location", "/reader/x"}
        QByteArray body;
        qint64 streamBytes = 0;  // Stream and Trickle modes only
    };
    // Gets the request line as it arrived ("GET /reader/xml.php?id=... HTTP/1.1").
    using Handler = std::function<Response(const QByteArray &requestLine)>;

    // A handler that answers every request with `body` of `contentType`, status 200.
    static Handler answering(const QByteArray &body, const QByteArray &contentType = "application/xml");

    explicit LocalHttpServer(Handler handler);
    ~LocalHttpServer();  // stops the server

    quint16 port() const;
    // "http://127.0.0.1:<port>/reader/" ("https://" for a server with TLS)
    QString baseUrl() const;
    // Every request line received so far, in order.
    QList<QByteArray> requestLines() const;
    // Bytes of body that Stream answers have handed to their sockets so far.
    qint64 streamedBytes() const;
    // Stops listening and closes open connections; later connections are refused.
    void stop();

protected:
    // A server that speaks TLS with `tls` (its certificate and key) on every connection.
    LocalHttpServer(Handler handler, const QSslConfiguration &tls);

private:
    void listen(const QSslConfiguration *tls);

    struct Private;
    std::unique_ptr<Private> d;
};
