// Main-process memory over many reloads of the real window (shown, offscreen, fixed size):
// the resident set after the `from`th reload against after the last, each reload waited for
// until the view's load finished, and the engine's renderer processes at both points.
#include "ReloadBench.h"

#include <QTextStream>

#include <malloc.h>

namespace {

constexpr double GoalMiB = 2.0;

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
    return QStringLiteral("heap in use %1 MiB of %2 MiB, %3 MiB mapped")
        .arg(mib(info.uordblks + info.hblkhd), mib(info.arena), mib(info.hblkhd));
}

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
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
    const auto feed = path.isEmpty() ? std::nullopt : bench::readFeed(path);
    if (!feed || from < 1 || reloads <= from) {
        out << "usage: bench-memory [--reloads 500] [--from 10] [--every 50] FEED.xml\n"
               "  e.g. python3 bench/make-big-feed.py feed-1000.xml --items 1000\n";
        return 2;
    }

    const auto server = bench::feedServer(*feed);
    QTemporaryDir folder;
    const auto window = bench::shownReader(folder, server->baseUrl());
    bench::LoadWatch loads(window->view()->page());
    out << bench::itemCount(*feed) << " items, " << reloads << " reloads (Image1Click until the load finished), "
        << "resident set of this process after reload " << from << " against after reload " << reloads << "\n";
    out.flush();

    qint64 baseKiB = 0;
    int baseRenderers = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= reloads; ++i) {
        const int seen = loads.finished();
        window->Image1Click();
        if (!loads.waitBeyond(seen)) {
            out << "reload " << i << ": the page's load did not finish\n";
            return 1;
        }
        if (i == from) {
            baseKiB = residentKiB();
            baseRenderers = bench::rendererProcesses();
        }
        if (i % every == 0 || i == from) {
            out << "reload " << i << ": " << QString::number(residentKiB() / 1024.0, 'f', 1) << " MiB, "
                << bench::rendererProcesses() << " renderer processes, " << heapLine() << ", "
                << QString::number(clock.elapsed() / 1000.0, 'f', 0) << " s\n";
            out.flush();
        }
    }
    const qint64 endKiB = residentKiB();
    const int endRenderers = bench::rendererProcesses();
    const double growthMiB = (endKiB - baseKiB) / 1024.0;
    out << "growth " << QString::number(growthMiB, 'f', 2) << " MiB over " << reloads - from << " reloads ("
        << QString::number((endKiB - baseKiB) * 1024.0 / (reloads - from) / 1024.0, 'f', 1) << " KiB each)\n";
    out << "RESULT memory/rss-growth-MiB " << QString::number(growthMiB, 'f', 2) << " goal <= "
        << QString::number(GoalMiB, 'f', 1) << " : " << (growthMiB <= GoalMiB ? "ok" : "OVER") << "\n";
    out << "RESULT memory/renderers " << endRenderers << " goal <= " << baseRenderers << " : "
        << (endRenderers <= baseRenderers ? "ok" : "OVER") << "\n";
    return 0;
}
