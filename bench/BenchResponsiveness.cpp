// How long the window's thread is kept from its events during refresh cycles of the real
// window (offscreen): a tick every few milliseconds on that thread records the longest gap
// between two ticks while a cycle runs. Measured for reloads of a feed served at once, and for
// one reload whose server accepts the request and then stays silent until the download gives
// up (the reader then shows its offline copy).
#include "ReloadBench.h"
#include "app/ReaderWindow.h"
#include "settings/SettingsKeys.h"
#include "support/LocalHttpServer.h"
#include "common/Texts.h"
#include "view/HtmlView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <atomic>

namespace {

constexpr double GoalMs = 100.0;
constexpr int TickMs = 2;

// The longest time between two ticks of the window's thread while `work` runs.
class GapMeter
{
public:
    GapMeter()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(TickMs);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            m_longestNs = std::max(m_longestNs, m_sinceTick.nsecsElapsed());
            m_sinceTick.restart();
        });
    }

    double measureMs(const std::function<void()> &work)
    {
        m_longestNs = 0;
        m_sinceTick.start();
        m_tick.start();
        work();
        // The stretch after the last tick counts as well.
        m_longestNs = std::max(m_longestNs, m_sinceTick.nsecsElapsed());
        m_tick.stop();
        return double(m_longestNs) / 1e6;
    }

private:
    QTimer m_tick;
    QElapsedTimer m_sinceTick;
    qint64 m_longestNs = 0;
};

void printResult(QTextStream &out, const QString &name, double ms)
{
    out << "RESULT " << name << ' ' << QString::number(ms, 'f', 1) << " goal <= "
        << QString::number(GoalMs, 'f', 1) << " : " << (ms <= GoalMs ? "ok" : "OVER") << '\n';
}

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
    HtmlView::registerScheme();
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        out << "usage: bench-responsiveness FEED.xml [reloads]\n";
        return 2;
    }
    QFile feedFile(args.at(1));
    if (!feedFile.open(QIODevice::ReadOnly)) {
        out << "cannot read " << args.at(1) << "\n";
        return 2;
    }
    const QByteArray feed = feedFile.readAll();
    // Every other answer is changed at its end, so that every reload shows a changed page.
    const QByteArray changed = bench::withLastItemChanged(feed);
    std::atomic<int> feedsServed{0};
    const int reloads = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 5;

    std::atomic<bool> silent{false};
    LocalHttpServer server([&](const QByteArray &requestLine) {
        LocalHttpServer::Response response;
        if (!requestLine.contains("/xml.php?"))
            response.status = 404;  // pictures: the measurement does not wait for a picture server
        else if (silent)
            response.mode = LocalHttpServer::Response::Mode::Silent;
        else
            response.body = ++feedsServed % 2 ? feed : changed;
        return response;
    });
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toUtf8());
    SettingsFile(folder.filePath(QStringLiteral("Settings.ini"))).writeString(SettingsKeys::Id, QStringLiteral("bench"));

    ReaderWindow window(ReaderConfig{ReaderPaths(folder.path()), server.baseUrl(), {}});
    window.resize(1000, 800);
    window.show();
    if (window.view()->currentPageBytes().isEmpty()) {
        out << "the first cycle failed\n";
        return 1;
    }

    GapMeter meter;
    QList<double> served;
    for (int i = 0; i < reloads; ++i)
        served << meter.measureMs([&] { window.reloadNews(); });
    std::sort(served.begin(), served.end());

    // The reader's own download limit (20 s without data) ends the silent request; the
    // offline copy is shown.
    silent = true;
    const double stalled = meter.measureMs([&] { window.reloadNews(); });
    const bool offline = window.view()->currentPageBytes().contains(Texts::OfflineMark.toUtf8());

    out << "feed: " << feed.size() / 1024 << " KiB, tick every " << TickMs << " ms on the window's thread\n";
    out << "longest gap during a served reload: median " << QString::number(served.at(served.size() / 2), 'f', 1)
        << " ms, worst " << QString::number(served.last(), 'f', 1) << " ms over " << served.size() << " reloads\n";
    out << "longest gap during a reload whose server stalls until the download gives up: "
        << QString::number(stalled, 'f', 1) << " ms (offline copy shown: " << (offline ? "yes" : "no") << ")\n";
    printResult(out, QStringLiteral("responsive/served-reload-worst-gap-ms"), served.last());
    printResult(out, QStringLiteral("responsive/stalled-reload-gap-ms"), stalled);
    return offline ? 0 : 1;
}
