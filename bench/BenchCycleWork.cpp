// The refresh cycle's own work on a feed already in memory, against the bare parse of the
// same bytes: opening the feed document, both walks, the three pages, the group list and the
// main page's UTF-8 (what the web view is given). No network and no window: the walk's
// per-element callback is a no-op here, because showing the looks and pumping events is the
// window's work, measured by the reload benchmark.
//
// usage: bench-cycle-work FEED.xml... [--samples N]
// Feeds come from bench/make-big-feed.py; one RESULT line per feed.
#include "common/LargeBuffers.h"
#include "common/ReaderError.h"
#include "common/Texts.h"
#include "common/Utf8Bytes.h"
#include "document/FeedDocument.h"
#include "feed/FeedWalk.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

ReaderChoices benchChoices()
{
    ReaderChoices choices;
    choices.organizationId = QStringLiteral("1234");
    choices.version = Texts::Version;
    choices.fontSizeIndex = 2;
    choices.fontSizeText = QStringLiteral("12");
    choices.style = 0;
    choices.groupIndex = 0;
    choices.groupText = Texts::AllGroups;
    choices.restoredGroup = Texts::AllGroups;
    return choices;
}

const QString BaseUrl = QStringLiteral("http://127.0.0.1:8080/reader/");

// What survives the clock on each side, freed after it stopped: the cycle keeps its document
// until the next cycle, and the bare parse's tree is freed the same way.
struct CycleResult
{
    FeedDocument document;
    QByteArray mainPageBytes;
    Pages pages;
    GroupFilterState groups;
};

// Where a cycle's time goes: open, walks, pages with the group list, UTF-8; nanoseconds.
struct Phases
{
    std::vector<qint64> open, walk, pages, utf8;
};

// One cycle's own work, timed in nanoseconds.
qint64 timeCycle(const QByteArray &feed, CycleResult &result, Phases *phases = nullptr)
{
    QElapsedTimer clock;
    clock.start();
    result.document.openBytes(feed);
    const qint64 opened = clock.nsecsElapsed();
    FeedWalk walk(benchChoices(), BaseUrl, [](const WindowLook &) {});
    walk.walk(result.document);
    const qint64 walked = clock.nsecsElapsed();
    result.pages = walk.pages(false);
    result.groups = walk.groupList();
    const qint64 built = clock.nsecsElapsed();
    assignUtf8(result.mainPageBytes, result.pages.main);
    const qint64 total = clock.nsecsElapsed();
    if (phases) {
        phases->open.push_back(opened);
        phases->walk.push_back(walked - opened);
        phases->pages.push_back(built - walked);
        phases->utf8.push_back(total - built);
    }
    return total;
}

// The limit: the parse the reader does, with namespace processing.
qint64 timeBareParse(const QByteArray &feed, QDomDocument &dom)
{
    QElapsedTimer clock;
    clock.start();
    const bool parsed = dom.setContent(feed, true);
    const qint64 elapsed = clock.nsecsElapsed();
    if (!parsed)
        throw ReaderError(QStringLiteral("the bare parse failed"));
    return elapsed;
}

double median(std::vector<qint64> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 ? double(samples[middle])
                              : (double(samples[middle - 1]) + double(samples[middle])) / 2;
}

int itemCount(const QByteArray &feed)
{
    int items = 0;
    FeedDocument document;
    document.openBytes(feed);
    FeedWalk walk(benchChoices(), BaseUrl, [&items](const WindowLook &look) {
        if (look.caption)
            ++items;
    });
    walk.walk(document);
    return items;
}

} // namespace

int main(int argc, char *argv[])
{
    // The allocator as the reader sets it up, so that the buffers cost what they cost there.
    keepLargeBuffersOffTheHeap();
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList feeds;
    int samples = 0;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--samples" && i + 1 < args.size())
            samples = std::clamp(args[++i].toInt(), 1, 101);
        else
            feeds << args[i];
    }
    if (feeds.isEmpty()) {
        out << "usage: bench-cycle-work FEED.xml... [--samples N]\n";
        return 2;
    }

    out << "Cycle's own work (open + both walks + pages + group list + main page UTF-8) against a bare\n"
           "QDomDocument::setContent with namespace processing of the same bytes. The walk's per-element\n"
           "callback is a no-op: the window's looks and event pumps are measured by the reload benchmark.\n";
    for (const QString &path : feeds) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            out << "cannot read " << path << "\n";
            return 2;
        }
        const QByteArray feed = file.readAll();
        int items = 0;
        try {
            items = itemCount(feed);
        } catch (const ReaderError &error) {
            out << path << ": the feed fails: " << error.message() << "\n";
            return 2;
        }
        // Fewer samples of the biggest feeds keep a run within minutes; never fewer than 5.
        const int count = samples > 0 ? samples : items >= 50000 ? 7 : 21;

        std::vector<qint64> cycle;
        std::vector<qint64> bare;
        Phases phases;
        QByteArray viewBytes;
        {
            // Warm-up: one of each, not counted.
            CycleResult result;
            timeCycle(feed, result);
            QDomDocument dom;
            timeBareParse(feed, dom);
        }
        // A B B A ...: neither side always runs on the memory the other just freed.
        for (int sample = 0; sample < 2 * count; ++sample) {
            if ((sample + sample / 2) % 2 == 0) {
                QDomDocument dom;
                bare.push_back(timeBareParse(feed, dom));
            } else {
                // The view keeps its page's bytes from one cycle to the next; so does this.
                CycleResult result;
                result.mainPageBytes = std::move(viewBytes);
                cycle.push_back(timeCycle(feed, result, &phases));
                viewBytes = std::move(result.mainPageBytes);
            }
        }
        const double cycleMs = median(cycle) / 1e6;
        const double bareMs = median(bare) / 1e6;
        const double ratio = cycleMs / bareMs;
        const double goal = items >= 50000 ? 1.5 : 1.3;
        out << path << ": " << items << " items, " << feed.size() << " bytes, " << count
            << " samples each: cycle work " << QString::number(cycleMs, 'f', 1) << " ms, bare parse "
            << QString::number(bareMs, 'f', 1) << " ms (medians)\n";
        const auto ms = [](const std::vector<qint64> &times) { return QString::number(median(times) / 1e6, 'f', 1); };
        out << "  cycle work by phase (medians, ms): open " << ms(phases.open) << ", walks " << ms(phases.walk)
            << ", pages and group list " << ms(phases.pages) << ", main page UTF-8 " << ms(phases.utf8) << "\n";
        out << "RESULT cycle-work/" << items << "-items " << QString::number(ratio, 'f', 2) << " goal <= "
            << QString::number(goal, 'f', 2) << " : " << (ratio <= goal ? "ok" : "OVER") << "\n";
        out.flush();
    }
    return 0;
}
