// Times the shown page: reloads (F5) of the real window, visible offscreen at a fixed size, of
// a 5,000- and a 20,000-item feed served over HTTP on 127.0.0.1, each until the view's page
// has finished loading; and a bare QWebEngineView of the same size loading the identical page
// bytes through a scheme handler of its own, until the same event. The samples of the three
// alternate, so that the noise of a shared machine falls on all of them alike.
#include "ReloadBench.h"
#include "app/ReaderWindow.h"
#include "settings/SettingsKeys.h"
#include "support/LocalHttpServer.h"
#include "support/PlainPageHandler.h"
#include "view/HtmlView.h"
#include "view/ReaderPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineUrlScheme>
#include <QWebEngineView>

#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

const QByteArray BareScheme = QByteArrayLiteral("bench-bare");
// Longest wait for one page; a load that takes longer ends the benchmark.
constexpr int LoadLimitMs = 300'000;

// Runs `start` and returns the milliseconds until `page` has finished loading a page that
// `isOurs` accepts (also when that happened inside `start`); nothing when it failed or took
// too long.
std::optional<qint64> timeLoad(QWebEnginePage *page, const std::function<bool(const QUrl &)> &isOurs,
                               const std::function<void()> &start, qint64 *started = nullptr, qint64 *parsed = nullptr)
{
    QEventLoop loop;
    std::optional<bool> succeeded;
    QElapsedTimer clock;
    const auto connection = QObject::connect(page, &QWebEnginePage::loadingChanged, &loop,
                                             [&](const QWebEngineLoadingInfo &info) {
        if (!isOurs(info.url()))
            return;
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
            if (started)
                *started = clock.elapsed();
            return;
        }
        succeeded = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
        loop.quit();
    });
    QMetaObject::Connection parsedConnection;
    if (auto *readerPage = qobject_cast<ReaderPage *>(page); readerPage && parsed) {
        parsedConnection = QObject::connect(readerPage, &ReaderPage::documentReady, &loop,
                                            [&](const QUrl &url) {
            if (isOurs(url))
                *parsed = clock.elapsed();
        });
    }
    clock.start();
    start();
    if (!succeeded) {
        QTimer::singleShot(LoadLimitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const qint64 elapsed = clock.elapsed();
    QObject::disconnect(connection);
    QObject::disconnect(parsedConnection);
    if (!succeeded || !*succeeded)
        return std::nullopt;
    return elapsed;
}

void printResult(QTextStream &out, const char *name, double measured, double limit)
{
    out << "RESULT " << name << ' ' << QString::number(measured, 'f', 2) << " goal <= "
        << QString::number(limit, 'f', 2) << " : " << (measured <= limit ? "ok" : "OVER") << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
    HtmlView::registerScheme();
    QWebEngineUrlScheme bareScheme(BareScheme);
    bareScheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(bareScheme);
    QApplication app(argc, argv);
    QTextStream out(stdout);

    const QStringList args = app.arguments();
    if (args.size() < 3) {
        out << "usage: bench-visible-page FEED-5000.xml FEED-20000.xml [samples, 5 unless given]\n";
        return 2;
    }
    const QByteArray smallFeed = bench::readFeed(args.at(1)).value_or(QByteArray());
    const QByteArray bigFeed = bench::readFeed(args.at(2)).value_or(QByteArray());
    const int samples = args.size() > 3 ? std::max(1, args.at(3).toInt()) : 5;
    if (smallFeed.isEmpty() || bigFeed.isEmpty()) {
        out << "cannot read the feeds\n";
        return 2;
    }

    // The feed of the moment for the feed request; the pictures are not there, so both views
    // get the same quick 404s.
    // Every other answer is changed at its end, so that every reload shows a changed page.
    const QByteArray *servedFeed = &smallFeed;
    const QByteArray smallChanged = bench::withLastItemChanged(smallFeed);
    const QByteArray bigChanged = bench::withLastItemChanged(bigFeed);
    std::atomic<int> feedsServed{0};
    LocalHttpServer server([&](const QByteArray &requestLine) {
        LocalHttpServer::Response response;
        if (requestLine.contains("/xml.php?"))
            response.body = ++feedsServed % 2 ? *servedFeed : servedFeed == &smallFeed ? smallChanged : bigChanged;
        else
            response.status = 404;
        return response;
    });
    QTemporaryDir folder;
    SettingsFile(folder.filePath(QStringLiteral("Settings.ini"))).writeString(SettingsKeys::Id, QStringLiteral("bench"));

    ReaderWindow window(ReaderConfig{ReaderPaths(folder.path()), server.baseUrl(), {}});
    window.resize(1000, 800);
    window.show();
    HtmlView *readerView = window.view();
    QWebEnginePage *readerPage = readerView->page();

    QWebEngineProfile bareProfile;
    PlainPageHandler bareHandler;
    bareProfile.installUrlSchemeHandler(BareScheme, &bareHandler);
    QWebEngineView bareView;
    QWebEnginePage barePage(&bareProfile);
    bareView.setPage(&barePage);
    bareView.resize(readerView->size());
    bareView.show();

    long faultsBefore = 0;
    const auto faults = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_minflt + usage.ru_majflt;
    };
    // When the reader's page began to load (the cycle's own work before it) and when its
    // document was whole, for the last reload.
    qint64 pageStarted = -1;
    qint64 pageParsed = -1;
    const auto reload = [&](const QByteArray &feed) {
        servedFeed = &feed;
        pageStarted = pageParsed = -1;
        faultsBefore = faults();
        return timeLoad(readerPage, [](const QUrl &url) { return url.scheme() == u"zelton-reader"; },
                        [&window] { window.reloadNews(); }, &pageStarted, &pageParsed);
    };
    const auto phases = [&] {
        return QStringLiteral(" (page started at %1, document whole at %2, %3 page faults)")
            .arg(pageStarted).arg(pageParsed).arg(faults() - faultsBefore);
    };
    quint64 bareSerial = 0;
    const auto bareLoad = [&] {
        const QUrl url(QString::fromLatin1(BareScheme) + QStringLiteral(":page-") + QString::number(++bareSerial));
        return timeLoad(&barePage, [url](const QUrl &loaded) { return loaded == url; },
                        [&barePage, url] { barePage.load(url); });
    };

    // Warm-up: the first reload also gives the bare view its bytes, the 5,000-item page.
    if (!reload(smallFeed)) {
        out << "the reader's page did not load\n";
        return 1;
    }
    bareHandler.page = readerView->currentPageBytes();
    if (!bareLoad()) {
        out << "the bare view's page did not load\n";
        return 1;
    }
    out << "view: " << readerView->width() << "x" << readerView->height() << ", pages: "
        << bareHandler.page.size() / 1024 << " KiB (5,000 items), ";
    if (!reload(bigFeed)) {
        out << "the reader's big page did not load\n";
        return 1;
    }
    out << readerView->currentPageBytes().size() / 1024 << " KiB (20,000 items)" << Qt::endl;

    QList<double> small, bare, big;
    for (int i = 0; i < samples; ++i) {
        const std::optional<qint64> a = reload(smallFeed);
        const QString smallPhases = phases();
        const std::optional<qint64> b = bareLoad();
        const std::optional<qint64> c = reload(bigFeed);
        const QString bigPhases = phases();
        if (!a || !b || !c) {
            out << "a page did not load\n";
            return 1;
        }
        small << *a;
        bare << *b;
        big << *c;
        out << "sample " << i + 1 << ": reader 5,000 " << *a << " ms" << smallPhases << ", bare 5,000 " << *b
            << " ms, reader 20,000 " << *c << " ms" << bigPhases << Qt::endl;
    }

    const double smallMedian = bench::median(small);
    const double bareMedian = bench::median(bare);
    const double bigMedian = bench::median(big);
    out << "median over " << samples << ": reader 5,000 items " << smallMedian << " ms, bare view 5,000 items "
        << bareMedian << " ms, reader 20,000 items " << bigMedian << " ms" << Qt::endl;
    printResult(out, "visible/20k-over-5k", bigMedian / smallMedian, 4.5);
    printResult(out, "visible/5k-over-bare", smallMedian / bareMedian, 0.7);
    return 0;
}
