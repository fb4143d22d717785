#pragma once

// What the benchmarks of the window share: the environment the engine needs here, the
// feed served over HTTP on 127.0.0.1 from a thread of its own, the reader's window shown at a
// fixed size, a wait for the view's next finished load, and the engine's child processes.
#include "app/ReaderWindow.h"
#include "settings/SettingsKeys.h"
#include "support/LocalHttpServer.h"
#include "view/HtmlView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>

#include <atomic>
#include <memory>
#include <optional>

namespace bench {

constexpr QSize ViewSize(1000, 800);

// Offscreen, and without the sandbox, which the engine refuses to run as root.
inline void prepareEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

inline std::optional<QByteArray> readFeed(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

inline int itemCount(const QByteArray &feed)
{
    return int(feed.count("<zelton_information>"));
}

// The feed with one character more at the end of its last item's text. The view does not load
// a page again that it shows already, so the reloads alternate between a feed and this one:
// every reload then shows a changed page, which the view compares with the shown one to its
// last card, loads and keeps the reader's place in.
inline QByteArray withLastItemChanged(const QByteArray &feed)
{
    const qsizetype end = feed.lastIndexOf("</ZELTON_TEXT>");
    if (end < 0)
        return feed;
    QByteArray changed = feed;
    // Inside the CDATA section where there is one: a text beside it would make the item faulty.
    changed.insert(changed.mid(0, end).endsWith("]]>") ? end - 3 : end, '.');
    return changed;
}

// The pictures of a folder by file name ("vystava.png"), read once.
using Pictures = QHash<QByteArray, QByteArray>;
inline Pictures picturesIn(const QString &folder)
{
    Pictures pictures;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.png")}, QDir::Files)) {
        if (const auto bytes = readFeed(dir.filePath(name)))
            pictures.insert(name.toUtf8(), *bytes);
    }
    return pictures;
}

// The feed for every feed request, every other one changed (withLastItemChanged). A picture
// the server has (by the last part of its path) is answered with its bytes as a real server
// does, every other request with a 404; without `pictures` every picture request gets a quick 404.
inline std::unique_ptr<LocalHttpServer> feedServer(const QByteArray &feed, const Pictures &pictures = {})
{
    auto served = std::make_shared<std::atomic<int>>(0);
    return std::make_unique<LocalHttpServer>([feed, changed = withLastItemChanged(feed), pictures,
                                              served](const QByteArray &requestLine) {
        LocalHttpServer::Response response;
        // "GET /reader/obrazky/vystava.png HTTP/1.1"
        const QList<QByteArray> parts = requestLine.split(' ');
        const QByteArray path = parts.value(1);
        const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
        if (requestLine.contains("/xml.php?")) {
            response.body = ++*served % 2 ? feed : changed;
        } else if (const auto picture = pictures.constFind(name); picture != pictures.cend()) {
            response.contentType = "image/png";
            response.body = *picture;
        } else {
            response.status = 404;
        }
        return response;
    });
}

// The reader's window with a stored organization ID, shown, its view at ViewSize; the
// first cycle (start-up) has run when this returns.
inline std::unique_ptr<ReaderWindow> shownReader(const QTemporaryDir &folder, const QString &baseUrl)
{
    SettingsFile(folder.filePath(QStringLiteral("Settings.ini")))
        .writeString(SettingsKeys::Id, QStringLiteral("bench"));
    auto window = std::make_unique<ReaderWindow>(ReaderConfig{ReaderPaths(folder.path()), baseUrl, {}});
    window->show();
    window->resize(window->size() + (ViewSize - window->view()->size()));
    QCoreApplication::processEvents();
    return window;
}

// Counts the main-frame loads of `page` that finished, and waits for the next one.
class LoadWatch
{
public:
    explicit LoadWatch(QWebEnginePage *page)
    {
        QObject::connect(page, &QWebEnginePage::loadFinished, &m_context, [this](bool ok) {
            ++m_finished;
            m_lastOk = ok;
            if (m_loop)
                m_loop->quit();
        });
    }
    int finished() const { return m_finished; }
    // Waits (at most `boundMs`) until more than `seen` loads have finished; false on timeout
    // or when the last load failed.
    bool waitBeyond(int seen, int boundMs = 60'000)
    {
        if (m_finished <= seen) {
            QEventLoop loop;
            m_loop = &loop;
            QTimer bound;
            bound.setSingleShot(true);
            QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
            bound.start(boundMs);
            loop.exec();
            m_loop = nullptr;
        }
        return m_finished > seen && m_lastOk;
    }

private:
    QObject m_context;
    QEventLoop *m_loop = nullptr;
    int m_finished = 0;
    bool m_lastOk = false;
};

// The engine's renderer processes: forked by its zygote, a child of this process, they are
// this process's grandchildren (and carry the zygote's command line).
inline int rendererProcesses()
{
    const QString self = QString::number(QCoreApplication::applicationPid());
    QHash<QString, QString> parentOf;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!pid.front().isDigit() || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // "pid (name) state ppid ...": the name may hold blanks, so read after its ")".
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parentOf.insert(pid, QString::fromLatin1(fields.at(1)));
    }
    int count = 0;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        if (parentOf.value(it.value()) == self)
            ++count;
    }
    return count;
}

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    if (n == 0)
        return 0;
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

} // namespace bench
