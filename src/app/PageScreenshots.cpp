#include "app/PageScreenshots.h"

#include "app/ReaderWindow.h"
#include "common/Texts.h"
#include "view/HtmlView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QWebEngineScript>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

constexpr int PageBoundSeconds = 60;
constexpr int SettleStepMs = 200;
constexpr int FailedStatus = 1;

void printLine(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + u'\n').toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int failure(const QString &reason)
{
    printLine(stderr, QFileInfo(QCoreApplication::applicationFilePath()).fileName() + QStringLiteral(": ") + reason);
    return FailedStatus;
}

void pumpFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Whether the page has finished loading, its pictures included. Asked in a world of the
// program's own: the page itself runs no scripts.
bool pageComplete(HtmlView *view)
{
    // Shared with the callback, which may still come after this wait has given up.
    struct Answer
    {
        QEventLoop *loop = nullptr;
        bool complete = false;
    };
    auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    answer->loop = &loop;
    QTimer::singleShot(SettleStepMs * 5, &loop, &QEventLoop::quit);
    view->page()->runJavaScript(
        QStringLiteral("document.readyState === 'complete' && "
                       "Array.prototype.every.call(document.images, image => image.complete)"),
        QWebEngineScript::ApplicationWorld, [answer](const QVariant &result) {
            answer->complete = result.toBool();
            if (answer->loop)
                answer->loop->quit();
        });
    loop.exec();
    answer->loop = nullptr;
    return answer->complete;
}

// Whether the view's part of `shot` is one flat colour: a view that has not painted yet.
// Every page of the reader has text on it.
bool viewIsBlank(const QImage &shot, const QWidget &window, const QWidget &view)
{
    const qreal ratio = shot.devicePixelRatio();
    const QRect area = QRect(view.mapTo(&window, QPoint(0, 0)) * ratio, view.size() * ratio) & shot.rect();
    const QRgb first = shot.pixel(area.topLeft());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (shot.pixel(x, y) != first)
                return false;
        }
    }
    return true;
}

} // namespace

PageScreenshots::PageScreenshots(QString folder)
    : m_folder(std::move(folder))
{
    connect(&m_boxWatch, &QTimer::timeout, this, &PageScreenshots::endOnModalBox);
    m_boxWatch.start(50);
}

int PageScreenshots::take(ReaderWindow &window)
{
    if (!QDir().mkpath(m_folder))
        return failure(Texts::screenshotFolderFailed(m_folder));
    window.show();

    struct Page
    {
        QString fileName;
        std::function<void()> command;  // brings the page into view; the news are there at start
    };
    const Page pages[] = {
        {QStringLiteral("news.png"), {}},
        {QStringLiteral("information.png"), [&window] { window.showInformation(); }},
        {QStringLiteral("contacts.png"), [&window] { window.showContacts(); }},
    };
    QImage previous;
    for (const Page &page : pages) {
        if (page.command)
            page.command();
        QImage shot;
        if (!waitForPaintedPage(window, previous, shot))
            return failure(Texts::pageNotShown(page.fileName, PageBoundSeconds));
        const QString path = QDir(m_folder).filePath(page.fileName);
        if (!shot.save(path, "PNG"))
            return failure(Texts::screenshotSaveFailed(path));
        printLine(stdout, path);
        previous = shot;
    }
    return 0;
}

bool PageScreenshots::waitForPaintedPage(ReaderWindow &window, const QImage &previous, QImage &shot)
{
    // The web engine paints on its own time and tells nobody; a picture that stays the same
    // over one step, shows something in the view and differs from the page before is the
    // new page.
    QElapsedTimer clock;
    clock.start();
    QImage last;
    while (clock.elapsed() < PageBoundSeconds * 1000) {
        pumpFor(SettleStepMs);
        if (!window.windowHandle() || !window.windowHandle()->isExposed() || !window.view()->hasDocument()
            || window.cycle().isRunning() || !pageComplete(window.view()))
            continue;
        const QImage current = window.grab().toImage();
        if (current == last && current != previous && !viewIsBlank(current, window, *window.view())) {
            shot = current;
            return true;
        }
        last = current;
    }
    return false;
}

void PageScreenshots::endOnModalBox()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    QString text = modal->windowTitle();
    if (const auto *box = qobject_cast<QMessageBox *>(modal))
        text = box->text();
    else if (const auto *input = qobject_cast<QInputDialog *>(modal))
        text = input->labelText();
    // The box runs its own event loop inside the reader's code; there is no way back to
    // `take` that would not run more of that code.
    std::_Exit(failure(Texts::boxInsteadOfPage(text.simplified())));
}
