// Reload up to the page shown, against a bare web view loading the identical page bytes.
//
// Reader side: the real window, shown, offscreen, its view at a fixed size; one sample is
// reloadNews (the user's F5: download from 127.0.0.1, parse, walks, pages, files, the page
// in the view, group list, stored choices) until the view's load of the new page finished.
// Bare side: a plain QWebEngineView of the same size in the same process, with a profile of
// its own whose URL scheme handler replies the same bytes as "text/html;charset=utf-8";
// one sample is load() of a fresh address of that scheme ("bench-bare://page/N") until its
// load finished. The two sides alternate.
//
// The server answers as a real one does: the feed, and each picture the cards name with the
// demo picture of that name (200, image/png), for both sides alike.
#include "ReloadBench.h"
#include "support/PlainPageHandler.h"

#include <QBuffer>
#include <QTextStream>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include <algorithm>

namespace {

constexpr double Goal = 1.03;
const QByteArray BareScheme = QByteArrayLiteral("bench-bare");

struct Side
{
    QList<double> ms;
    int renderersBefore = 0;
    // Loads that found a renderer process other than the one before.
    int rendererChanges = 0;
    qint64 lastPid = 0;
    // Picture requests that reached the server during the measured loads.
    int pictureRequests = 0;
    void noteRenderer(qint64 pid)
    {
        if (lastPid != 0 && pid != lastPid)
            ++rendererChanges;
        lastPid = pid;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
    HtmlView::registerScheme();
    QWebEngineUrlScheme bareScheme(BareScheme);
    // Addresses with a host: one site, so consecutive pages keep their renderer, as they
    // do in the reader.
    bareScheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    QWebEngineUrlScheme::registerScheme(bareScheme);
    QApplication app(argc, argv);
    QTextStream out(stdout);

    QStringList feeds;
    int samples = 11;
    QString pictureFolder = QStringLiteral(ZR_DEMO_PICTURES);
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--samples") && i + 1 < args.size())
            samples = qMax(1, args.at(++i).toInt());
        else if (args.at(i) == QLatin1String("--pictures") && i + 1 < args.size())
            pictureFolder = args.at(++i);
        else
            feeds << args.at(i);
    }
    if (feeds.isEmpty()) {
        out << "usage: bench-reload [--samples N] [--pictures FOLDER] FEED.xml...\n"
               "  e.g. python3 bench/make-big-feed.py feed-100.xml --items 100 (and 1000)\n";
        return 2;
    }
    out << "reload until the page's load finished, reader (reloadNews on the shown window) against a\n"
           "bare QWebEngineView of the same size loading the same bytes from a scheme handler\n"
           "(text/html;charset=utf-8, fresh bench-bare://page/N each load), alternating, "
        << samples << " samples each after 2 warm-ups; view " << bench::ViewSize.width() << "x"
        << bench::ViewSize.height() << "\n";
    const bench::Pictures pictures = bench::picturesIn(pictureFolder);
    if (pictures.isEmpty()) {
        out << "no pictures in " << pictureFolder << "\n";
        return 2;
    }
    out << "the server answers the feed and " << pictures.size() << " pictures of " << pictureFolder
        << " (200, image/png), anything else with 404\n";
    out.flush();

    QStringList results;
    for (const QString &path : feeds) {
        const auto feed = bench::readFeed(path);
        if (!feed) {
            out << "cannot read " << path << "\n";
            return 2;
        }
        const auto server = bench::feedServer(*feed, pictures);
        // Requests that reached the server since the last call, and how many of them were
        // not for the feed.
        qsizetype requestsSeen = 0;
        const auto newPictureRequests = [&server, &requestsSeen] {
            const QList<QByteArray> lines = server->requestLines();
            int count = 0;
            for (qsizetype i = requestsSeen; i < lines.size(); ++i)
                count += lines.at(i).contains("/xml.php?") ? 0 : 1;
            requestsSeen = lines.size();
            return count;
        };
        QTemporaryDir folder;
        const auto window = bench::shownReader(folder, server->baseUrl());
        bench::LoadWatch readerLoads(window->view()->page());

        QWebEngineProfile bareProfile;
        PlainPageHandler bareHandler;
        bareHandler.page = window->view()->currentPageBytes();
        bareProfile.installUrlSchemeHandler(BareScheme, &bareHandler);
        QWebEngineView bare;
        auto *barePage = new QWebEnginePage(&bareProfile, &bare);
        bare.setPage(barePage);
        bare.resize(window->view()->size());
        bare.show();
        bench::LoadWatch bareLoads(barePage);
        QCoreApplication::processEvents();
        out << "view sizes: reader " << window->view()->width() << "x" << window->view()->height() << ", bare "
            << bare.width() << "x" << bare.height() << "\n";

        int bareSerial = 0;
        Side reader;
        Side plain;
        bool failed = false;
        QElapsedTimer clock;
        newPictureRequests();  // the start-up's
        for (int i = -2; i < samples && !failed; ++i) {
            const int readerSeen = readerLoads.finished();
            clock.start();
            window->reloadNews();
            failed |= !readerLoads.waitBeyond(readerSeen);
            const double readerMs = clock.nsecsElapsed() / 1e6;
            reader.noteRenderer(window->view()->page()->renderProcessPid());
            const int readerPictures = newPictureRequests();

            const int bareSeen = bareLoads.finished();
            clock.start();
            bare.load(QUrl(QString::fromLatin1(BareScheme) + QStringLiteral("://page/%1").arg(++bareSerial)));
            failed |= !bareLoads.waitBeyond(bareSeen);
            const double bareMs = clock.nsecsElapsed() / 1e6;
            plain.noteRenderer(barePage->renderProcessPid());
            const int barePictures = newPictureRequests();
            if (i == -1) {
                reader.renderersBefore = plain.renderersBefore = bench::rendererProcesses();
            }
            if (i >= 0) {
                reader.ms << readerMs;
                plain.ms << bareMs;
                reader.pictureRequests += readerPictures;
                plain.pictureRequests += barePictures;
            }
        }
        if (failed) {
            out << "a load did not finish for " << path << "\n";
            return 1;
        }
        const int items = bench::itemCount(*feed);
        const double readerMedian = bench::median(reader.ms);
        const double bareMedian = bench::median(plain.ms);
        const double ratio = readerMedian / bareMedian;
        out << items << " items (feed " << feed->size() / 1024 << " KiB, page "
            << bareHandler.page.size() / 1024 << " KiB): reader median " << QString::number(readerMedian, 'f', 1)
            << " ms, bare median " << QString::number(bareMedian, 'f', 1) << " ms\n  renderer processes: " << reader.renderersBefore << " after warm-up, "
            << bench::rendererProcesses() << " at the end; loads in a new renderer: reader "
            << reader.rendererChanges << ", bare " << plain.rendererChanges << " of " << samples + 2
            << "\n  picture requests served per load: reader " << double(reader.pictureRequests) / samples << ", bare "
            << double(plain.pictureRequests) / samples << "\n";
        const auto listed = [](QList<double> values) {
            std::sort(values.begin(), values.end());
            QStringList texts;
            for (double value : values)
                texts << QString::number(value, 'f', 1);
            return texts.join(QLatin1Char(' '));
        };
        out << "  samples, sorted (ms): reader " << listed(reader.ms) << "; bare " << listed(plain.ms) << "\n";
        out.flush();
        results << QStringLiteral("RESULT reload/%1-items %2 goal <= %3 : %4")
                       .arg(items)
                       .arg(ratio, 0, 'f', 3)
                       .arg(Goal, 0, 'f', 2)
                       .arg(ratio <= Goal ? QStringLiteral("ok") : QStringLiteral("OVER"));
    }
    for (const QString &line : results)
        out << line << "\n";
    return 0;
}
