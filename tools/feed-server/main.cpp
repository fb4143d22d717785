// zelton-feed-server: serves the reader's feeds and card pictures from a data folder, for
// trying the reader out and for tests. One request per connection, HTTP/1.1.

#include "FeedServer.h"
#include "HttpResponse.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <csignal>
#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

constexpr qsizetype MaxRequestHead = 16 * 1024;

void printLine(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void answer(QTcpSocket *socket, const FeedServerReply &reply)
{
    socket->write(formatHttpResponse({reply.status, reply.contentType, {}, reply.body}));
    socket->disconnectFromHost();
}

FeedServerReply plainError(int status)
{
    return {status, "text/plain; charset=utf-8", httpReasonPhrase(status) + '\n'};
}

// Reads one request head from `socket` and answers it from `root`.
void serve(QTcpSocket *socket, const QString &root, const QByteArray &basePath)
{
    struct Request
    {
        QByteArray head;
        bool answered = false;
    };
    auto request = std::make_shared<Request>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [=] {
        if (request->answered)
            return;
        QByteArray &head = request->head;
        head += socket->readAll();
        if (!head.contains("\r\n\r\n") && !head.contains("\n\n")) {
            if (head.size() > MaxRequestHead) {
                request->answered = true;
                answer(socket, plainError(431));
            }
            return;
        }
        request->answered = true;
        const QByteArray line = head.left(head.indexOf('\n')).trimmed();
        printLine(line);

        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 3)
            answer(socket, plainError(400));
        else if (parts[0] != "GET")
            answer(socket, plainError(405));
        else
            answer(socket, answerFeedRequest(root, basePath, parts[1]));
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

#ifdef Q_OS_UNIX
// SIGTERM and SIGINT end the event loop through a socket pair, so the server closes
// its listening socket instead of dying in the middle of an answer.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
}
#else
void quitOnSignals(QCoreApplication &)
{
    // Elsewhere the default handling of Ctrl+C ends the server.
}
#endif

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelton-feed-server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serves reader feeds and pictures over HTTP."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on; 0 picks a free one."),
                                        QStringLiteral("N"), QStringLiteral("8080"));
    const QCommandLineOption rootOption(QStringLiteral("root"),
                                        QStringLiteral("Data folder with feeds/ID.xml and pictures."),
                                        QStringLiteral("DIR"), QStringLiteral(ZR_DEMO_ROOT));
    const QCommandLineOption listenOption(QStringLiteral("listen"), QStringLiteral("Address to listen on."),
                                          QStringLiteral("ADDR"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption baseOption(QStringLiteral("base"), QStringLiteral("Base path of the reader."),
                                        QStringLiteral("PATH"), QStringLiteral("/reader/"));
    parser.addOptions({portOption, rootOption, listenOption, baseOption});
    parser.process(app);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const QHostAddress address(parser.value(listenOption));
    QByteArray basePath = parser.value(baseOption).toUtf8();
    if (!basePath.startsWith('/'))
        basePath.prepend('/');
    if (!basePath.endsWith('/'))
        basePath.append('/');
    if (!portOk || port > 65535 || address.isNull()) {
        std::fprintf(stderr, "zelton-feed-server: invalid --port or --listen\n");
        return 2;
    }
    const QString root = QDir(parser.value(rootOption)).absolutePath();

    QTcpServer server;
    if (!server.listen(address, static_cast<quint16>(port))) {
        std::fprintf(stderr, "zelton-feed-server: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            serve(socket, root, basePath);
    });
    quitOnSignals(app);

    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + address.toString() + u']'
                             : address.toString();
    printLine("Listening on http://" + host.toUtf8() + ':' + QByteArray::number(server.serverPort())
              + basePath);
    return app.exec();
}
