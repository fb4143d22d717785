// Times whole refresh cycles of the real window, offscreen, on a feed file served over
// HTTP on 127.0.0.1: download, parse, both walks with their event pumps, the page in the
// web view, the group list and the stored choices. Prints the times and the peak memory.
#include "app/ReaderWindow.h"
#include "settings/SettingsKeys.h"
#include "support/LocalHttpServer.h"
#include "view/HtmlView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

QString peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).trimmed());
    }
    return QStringLiteral("unknown");
}

} // namespace

int main(int argc, char *argv[])
{
    HtmlView::registerScheme();
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        out << "usage: bench-refresh-cycle FEED.xml [reloads]\n";
        return 2;
    }
    QFile feedFile(args.at(1));
    if (!feedFile.open(QIODevice::ReadOnly)) {
        out << "cannot read " << args.at(1) << "\n";
        return 2;
    }
    const QByteArray feed = feedFile.readAll();
    const int reloads = args.size() > 2 ? args.at(2).toInt() : 5;

    // The feed for the feed request; the pictures are not there, so the view gets a quick 404.
    LocalHttpServer server([&feed](const QByteArray &requestLine) {
        LocalHttpServer::Response response;
        if (requestLine.contains("/xml.php?"))
            response.body = feed;
        else
            response.status = 404;
        return response;
    });
    QTemporaryDir folder;
    SettingsFile(folder.filePath(QStringLiteral("Settings.ini"))).WriteString(SettingsKeys::Id, QStringLiteral("bench"));

    QElapsedTimer clock;
    clock.start();
    ReaderWindow window(ReaderConfig{ReaderPaths(folder.path()), server.baseUrl(), {}});
    const qint64 first = clock.elapsed();
    window.show();

    QList<qint64> times;
    for (int i = 0; i < reloads; ++i) {
        clock.restart();
        window.Image1Click();
        times << clock.elapsed();
    }
    std::sort(times.begin(), times.end());

    out << "feed: " << feed.size() / 1024 << " KiB, page: " << window.lastOutcome().pages.main.toUtf8().size() / 1024
        << " KiB\n";
    out << "first cycle (start-up): " << first << " ms\n";
    if (!times.isEmpty())
        out << "reload: min " << times.first() << " ms, median " << times.at(times.size() / 2) << " ms, max "
            << times.last() << " ms over " << times.size() << " runs\n";
    out << "peak memory: " << peakMemory() << "\n";
    return 0;
}
