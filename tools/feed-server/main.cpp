// zelton-feed-server: serves the reader's feeds and card pictures from a data folder, for
// trying the reader out and for tests. One request per connection, HTTP/1.1.

#include "FeedServer.h"
#include "HttpResponse.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
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
// With --grow, every answer of a feed after the first one brings one news item more, put before
// the others, so that each refresh of a reader has something new to tell.
struct Growth
{
    bool on = false;
    int feedsServed = 0;
    QStringList addedTexts;  // newest first; each stays as it was first served

    void apply(FeedServerReply &reply, const QByteArray &target)
    {
        if (!on || reply.status != 200 || !target.contains("xml.php"))
            return;
        if (++feedsServed > 1) {
            addedTexts.prepend(QStringLiteral("<b>Nová zpráva č. %1</b><br>Přidána do ukázkového kanálu %2.")
                                   .arg(feedsServed - 1)
                                   .arg(QDateTime::currentDateTime().toString(QStringLiteral("d. M. yyyy v H:mm:ss"))));
        }
        reply.body = feedWithAddedItems(reply.body, addedTexts);
    }
};

void serve(QTcpSocket *socket, const QString &root, const QByteArray &basePath, Growth &growth)
{
    struct Request
    {
        QByteArray head;
        bool answered = false;
    };
    auto request = std::make_shared<Request>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [=, &growth] {
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
        else {
            FeedServerReply reply = answerFeedRequest(root, basePath, parts[1]);
            growth.apply(reply, parts[1]);
            answer(socket, reply);
        }
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
    const QCommandLineOption growOption(QStringLiteral("grow"),
                                        QStringLiteral("Add one news item to every feed served after the first."));
    parser.addOptions({portOption, rootOption, listenOption, baseOption, growOption});
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
    Growth growth;
    growth.on = parser.isSet(growOption);
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            serve(socket, root, basePath, growth);
    });
    quitOnSignals(app);

    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + address.toString() + u']'
                             : address.toString();
    printLine("Listening on http://" + host.toUtf8() + ':' + QByteArray::number(server.serverPort())
              + basePath);
    return app.exec();
}
