#include "support/LocalHttpServer.h"

#include "HttpResponse.h"

#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QSslConfiguration>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {

QByteArray formatResponse(const LocalHttpServer::Response &response)
{
    return formatHttpResponse({response.status, response.contentType, response.headers, response.body});
}

// The same head without a length: a streamed body ends where the connection does.
QByteArray formatStreamHead(LocalHttpServer::Response response)
{
    response.body.clear();
    return formatResponse(response).replace("Content-Length: 0\r\n", "");
}

} // namespace

struct LocalHttpServer::Private
{
    Handler handler;
    QThread thread;
    QObject *context = nullptr;  // lives on `thread`; everything network hangs below it
    QTcpServer *server = nullptr;
    QHash<QTcpSocket *, QByteArray> pending;  // request bytes read so far, per connection
    quint16 port = 0;
    bool tls = false;

    mutable QMutex mutex;
    QList<QByteArray> requestLines;
    qint64 streamed = 0;

    // Runs `work` on the server thread and waits for it.
    template<typename Work>
    void onServerThread(Work work)
    {
        QMetaObject::invokeMethod(context, work, Qt::BlockingQueuedConnection);
    }

    void accept()
    {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            pending.insert(socket, {});
            QObject::connect(socket, &QTcpSocket::readyRead, context, [this, socket] { read(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, context, [this, socket] {
                pending.remove(socket);
                socket->deleteLater();
            });
            // A TLS socket may bring the request along with the end of its handshake.
            if (socket->bytesAvailable() > 0)
                read(socket);
        }
    }

    void read(QTcpSocket *socket)
    {
        auto it = pending.find(socket);
        if (it == pending.end())
            return;  // already answered; later bytes are ignored
        it.value() += socket->readAll();
        const QByteArray &request = it.value();
        if (!request.contains("\r\n\r\n") && !request.contains("\n\n"))
            return;

        const QByteArray line = request.left(request.indexOf('\n')).trimmed();
        pending.erase(it);
        {
            QMutexLocker lock(&mutex);
            requestLines.append(line);
        }
        const Response response = handler(line);
        if (response.mode == Response::Mode::Silent)
            return;  // the socket stays open and mute until stop()
        if (response.mode == Response::Mode::Stream) {
            stream(socket, response);
            return;
        }
        if (response.mode == Response::Mode::Trickle) {
            trickle(socket, response);
            return;
        }
        socket->write(formatResponse(response));
        socket->disconnectFromHost();
    }

    // Writes the next piece only when the socket has drained, so the server never holds
    // more than a few pieces however long the body is.
    void stream(QTcpSocket *socket, const Response &response)
    {
        socket->write(formatStreamHead(response));
        const QByteArray piece = response.body.isEmpty() ? QByteArray(64 * 1024, 'x') : response.body;
        auto left = std::make_shared<qint64>(response.streamBytes);
        const auto more = [this, socket, piece, left] {
            while (*left > 0 && socket->bytesToWrite() < 4 * piece.size()) {
                const QByteArray next = piece.first(qMin<qint64>(piece.size(), *left));
                socket->write(next);
                *left -= next.size();
                QMutexLocker lock(&mutex);
                streamed += next.size();
            }
            if (*left == 0 && socket->bytesToWrite() == 0)
                socket->disconnectFromHost();
        };
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
    }

    // One KiB a second until `streamBytes` are sent; the timer goes with the socket.
    void trickle(QTcpSocket *socket, const Response &response)
    {
        socket->write(formatStreamHead(response));
        auto left = std::make_shared<qint64>(response.streamBytes);
        auto *timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [this, socket, timer, left] {
            const QByteArray next(qMin<qint64>(1024, *left), 'x');
            socket->write(next);
            *left -= next.size();
            {
                QMutexLocker lock(&mutex);
                streamed += next.size();
            }
            if (*left == 0) {
                timer->stop();
                socket->disconnectFromHost();
            }
        });
        timer->start(1000);
    }

    void closeAll()
    {
        if (server)
            server->close();
        // Sockets are the server's children; closing them all refuses nothing new but
        // ends every connection still held, the silent ones included.
        const auto sockets = context->findChildren<QTcpSocket *>();
        for (QTcpSocket *socket : sockets)
            socket->abort();
    }
};

LocalHttpServer::Handler LocalHttpServer::answering(const QByteArray &body, const QByteArray &contentType)
{
    return [body, contentType](const QByteArray &) {
        Response response;
        response.contentType = contentType;
        response.body = body;
        return response;
    };
}

LocalHttpServer::LocalHttpServer(Handler handler) : d(std::make_unique<Private>())
{
    d->handler = std::move(handler);
    listen(nullptr);
}

LocalHttpServer::LocalHttpServer(Handler handler, const QSslConfiguration &tls)
    : d(std::make_unique<Private>())
{
    d->handler = std::move(handler);
    listen(&tls);
}

void LocalHttpServer::listen(const QSslConfiguration *tls)
{
    d->tls = tls != nullptr;
    d->context = new QObject;
    d->context->moveToThread(&d->thread);
    d->thread.start();
    d->onServerThread([this, tls] {
        if (tls) {
            auto *server = new QSslServer(d->context);
            server->setSslConfiguration(*tls);
            d->server = server;
        } else {
            d->server = new QTcpServer(d->context);
        }
        // A TLS connection is pending only once its handshake is done.
        QObject::connect(d->server, &QTcpServer::pendingConnectionAvailable, d->context,
                         [this] { d->accept(); });
        if (d->server->listen(QHostAddress::LocalHost, 0))
            d->port = d->server->serverPort();
    });
}

LocalHttpServer::~LocalHttpServer()
{
    stop();
    d->onServerThread([this] {
        delete d->context;
        d->context = nullptr;
        d->server = nullptr;
    });
    d->thread.quit();
    d->thread.wait();
}

quint16 LocalHttpServer::port() const
{
    return d->port;
}

QString LocalHttpServer::baseUrl() const
{
    return QStringLiteral("%1://127.0.0.1:%2/reader/")
        .arg(d->tls ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(d->port);
}

QList<QByteArray> LocalHttpServer::requestLines() const
{
    QMutexLocker lock(&d->mutex);
    return d->requestLines;
}

qint64 LocalHttpServer::streamedBytes() const
{
    QMutexLocker lock(&d->mutex);
    return d->streamed;
}

void LocalHttpServer::stop()
{
    d->onServerThread([this] { d->closeAll(); });
}
