// Main-process memory over many reloads of the real window (shown, offscreen, fixed size):
// the resident set over the reloads from the `from`th on against over the last ones (the
// median of nine readings at each end), each reload waited for until the view's load finished, and the engine's renderer processes at both points. The
// feed comes over HTTP on 127.0.0.1 from a server process forked at the start.
#include "ReloadBench.h"

#include <QTextStream>

#include <algorithm>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double GoalMiB = 2.0;
// Readings of the resident set taken together at each end of the run.
constexpr int Window = 9;

qint64 medianOf(QList<qint64> readings)
{
    std::sort(readings.begin(), readings.end());
    return readings.isEmpty() ? 0 : readings.at(readings.size() / 2);
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The C heap as the allocator sees it: what is in use, and what it holds from the system.
QString heapLine()
{
    const struct mallinfo2 info = mallinfo2();
    const auto mib = [](size_t bytes) { return QString::number(bytes / 1048576.0, 'f', 1); };
    return QStringLiteral("C heap: %1 MiB in use of a %2 MiB arena, %3 MiB in mapped blocks")
        .arg(mib(info.uordblks), mib(info.arena), mib(info.hblkhd));
}

// Serves `feed` from a process of its own, made before this one starts Qt: the test server
// keeps every request line, which is no memory of the reader's. The port is 0 on failure.
struct ServerProcess
{
    quint16 port = 0;
    pid_t pid = -1;
    int lifeline = -1;  // the server ends when this is closed
    void end()
    {
        if (lifeline >= 0)
            close(lifeline);
        if (pid > 0)
            waitpid(pid, nullptr, 0);
    }
};

ServerProcess forkFeedServer(const QByteArray &feed, int argc, char *argv[])
{
    int portPipe[2];
    int lifePipe[2];
    if (pipe(portPipe) != 0 || pipe(lifePipe) != 0)
        return {};
    const pid_t child = fork();
    if (child < 0)
        return {};
    if (child == 0) {
        close(portPipe[0]);
        close(lifePipe[1]);
        QCoreApplication serverApp(argc, argv);
        const auto server = bench::feedServer(feed);
        const quint16 port = server->port();
        if (write(portPipe[1], &port, sizeof port) != sizeof port)
            _exit(1);
        // Serves (on the server's thread) until the benchmark ends and the pipe closes.
        char byte;
        while (read(lifePipe[0], &byte, 1) > 0) {
        }
        _exit(0);
    }
    close(portPipe[1]);
    close(lifePipe[0]);
    ServerProcess server{0, child, lifePipe[1]};
    if (read(portPipe[0], &server.port, sizeof server.port) != sizeof server.port)
        server.port = 0;
    close(portPipe[0]);
    return server;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
    // The feed file is the last argument; the server process must exist before Qt does.
    const auto feed = argc > 1 ? bench::readFeed(QString::fromLocal8Bit(argv[argc - 1])) : std::nullopt;
    ServerProcess server = feed ? forkFeedServer(*feed, argc, argv) : ServerProcess{};
    const quint16 port = server.port;
    HtmlView::registerScheme();
    QApplication app(argc, argv);
    QTextStream out(stdout);

    QString path;
    int reloads = 500;
    int from = 10;
    int every = 50;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--reloads") && i + 1 < args.size())
            reloads = args.at(++i).toInt();
        else if (args.at(i) == QLatin1String("--from") && i + 1 < args.size())
            from = args.at(++i).toInt();
        else if (args.at(i) == QLatin1String("--every") && i + 1 < args.size())
            every = qMax(1, args.at(++i).toInt());
        else
            path = args.at(i);
    }
    if (!feed || path.isEmpty() || from < 1 || reloads < from + 2 * Window) {
        out << "usage: bench-memory [--reloads 500] [--from 10] [--every 50] FEED.xml\n"
               "  e.g. python3 bench/make-big-feed.py feed-1000.xml --items 1000\n";
        return 2;
    }

    if (port == 0) {
        out << "cannot start the feed server\n";
        return 1;
    }
    QTemporaryDir folder;
    const auto window = bench::shownReader(folder, QStringLiteral("http://127.0.0.1:%1/reader/").arg(port));
    bench::LoadWatch loads(window->view()->page());
    out << bench::itemCount(*feed) << " items, " << reloads << " reloads (reloadNews until the load finished), "
        << "resident set of this process after reload " << from << " against after reload " << reloads << "\n";
    out.flush();

    qint64 baseKiB = 0;
    QList<qint64> startReadings;
    QList<qint64> endReadings;
    int baseRenderers = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= reloads; ++i) {
        const int seen = loads.finished();
        window->reloadNews();
        if (!loads.waitBeyond(seen)) {
            out << "reload " << i << ": the page's load did not finish\n";
            return 1;
        }
        // A single reading catches whatever the last reload still holds for a moment; the
        // median of the readings after nine reloads at each end shows what stays.
        if (i >= from && i < from + Window)
            startReadings << residentKiB();
        if (i > reloads - Window)
            endReadings << residentKiB();
        if (i == from)
            baseRenderers = bench::rendererProcesses();
        if (i % every == 0 || i == from) {
            out << "reload " << i << ": " << QString::number(residentKiB() / 1024.0, 'f', 1) << " MiB, "
                << bench::rendererProcesses() << " renderer processes, " << heapLine() << ", "
                << QString::number(clock.elapsed() / 1000.0, 'f', 0) << " s\n";
            out.flush();
        }
    }
    baseKiB = medianOf(startReadings);
    const qint64 endKiB = medianOf(endReadings);
    out << "resident set, median of the " << Window << " readings after reloads " << from << "-"
        << from + Window - 1 << ": " << QString::number(baseKiB / 1024.0, 'f', 1) << " MiB; after reloads "
        << reloads - Window + 1 << "-" << reloads << ": " << QString::number(endKiB / 1024.0, 'f', 1) << " MiB\n";
    const int endRenderers = bench::rendererProcesses();
    const double growthMiB = (endKiB - baseKiB) / 1024.0;
    out << "growth " << QString::number(growthMiB, 'f', 2) << " MiB over " << reloads - from << " reloads ("
        << QString::number((endKiB - baseKiB) * 1024.0 / (reloads - from) / 1024.0, 'f', 1) << " KiB each)\n";
    out << "RESULT memory/rss-growth-MiB " << QString::number(growthMiB, 'f', 2) << " goal <= "
        << QString::number(GoalMiB, 'f', 1) << " : " << (growthMiB <= GoalMiB ? "ok" : "OVER") << "\n";
    out << "RESULT memory/renderers " << endRenderers << " goal <= " << baseRenderers << " : "
        << (endRenderers <= baseRenderers ? "ok" : "OVER") << "\n";
    server.end();
    return 0;
}
