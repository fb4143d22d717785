#include "app/NewsWatch.h"

#include "app/DesktopNotifier.h"
#include "common/AtomicSave.h"
#include "common/Texts.h"
#include "view/HtmlView.h"
#include "view/NewsMarks.h"

#include <QDebug>
#include <QApplication>
#include <QTextDocumentFragment>
#include <QWidget>

namespace {

constexpr qsizetype HeadingChars = 120;

// The first line of an item's text, without its markup, as the notification's heading.
QString headingOf(const WalkedItem &item)
{
    const QStringList lines = QTextDocumentFragment::fromHtml(item.body).toPlainText().split(u'\n');
    for (const QString &line : lines) {
        const QString heading = line.simplified();
        if (!heading.isEmpty())
            return heading.size() > HeadingChars ? heading.left(HeadingChars - 1) + u'…' : heading;
    }
    return {};
}

// A save interrupted when the process ended leaves its copy beside the file; none is running
// now, so every such copy is stale.
SeenNews openSeenNews(const QString &path)
{
    removeStaleSaveCopies(path);
    return SeenNews(path);
}

} // namespace

NewsWatch::NewsWatch(QWidget *window, HtmlView *view, const QString &seenNewsPath)
    : QObject(window)
    , m_window(window)
    , m_view(view)
    , m_notifier(new DesktopNotifier(this))
    , m_seen(openSeenNews(seenNewsPath))
{
    m_look.setSingleShot(true);
    m_look.setInterval(LookMs);
    connect(&m_look, &QTimer::timeout, this, &NewsWatch::onLooked);
    connect(m_notifier, &DesktopNotifier::activated, this, [this] {
        m_window->showNormal();
        m_window->raise();
        m_window->activateWindow();
    });
}

void NewsWatch::afterCycle(const CycleOutcome &outcome, bool newsPageShown)
{
    m_newsPageShown = newsPageShown;
    QList<quint64> identities;
    identities.reserve(outcome.items.size());
    for (const WalkedItem &item : outcome.items)
        identities << item.identity;
    m_seen.takeFeed(outcome.choices.organizationId, identities);

    m_markedCards.clear();
    m_markedItems.clear();
    QList<const WalkedItem *> untold;
    int card = 0;
    for (const WalkedItem &item : outcome.items) {
        if (!item.shown)
            continue;
        if (!m_seen.isSeen(item.identity)) {
            m_markedCards << card;
            m_markedItems << item.identity;
            if (!m_seen.isTold(item.identity))
                untold << &item;
        }
        ++card;
    }
    tell(untold);
    saveSeen();
    showMarks();
    watchLook();
}

void NewsWatch::tell(const QList<const WalkedItem *> &items)
{
    if (items.isEmpty())
        return;
    for (const WalkedItem *item : items)
        m_seen.markTold(item->identity);
    // A user who has the window in front sees the marks; the others are told from outside.
    if (m_window->isActiveWindow())
        return;
    m_notifier->notify(Texts::newNewsSummary(int(items.size())), headingOf(*items.first()));
    QApplication::alert(m_window);
}

void NewsWatch::showMarks()
{
    if (m_newsPageShown && m_view->hasDocument())
        m_view->runProgramScript(newsMarksScript(m_markedCards, m_view->cardSelector()));
}

void NewsWatch::activationChanged()
{
    watchLook();
}

void NewsWatch::watchLook()
{
    const bool inFront = m_newsPageShown && !m_markedItems.isEmpty() && m_window->isActiveWindow();
    if (!inFront)
        m_look.stop();
    else if (!m_look.isActive())
        m_look.start();
}

void NewsWatch::saveSeen()
{
    // Not shown to the user: without the file the marks come again after a restart and
    // nothing else is lost, so a box every ten minutes would cost more than it tells.
    if (const auto saved = m_seen.save(); !saved)
        qWarning().noquote() << "The news seen are not stored:" << saved.error();
}

void NewsWatch::onLooked()
{
    if (!m_newsPageShown || !m_window->isActiveWindow())
        return;
    for (const quint64 item : std::as_const(m_markedItems))
        m_seen.markSeen(item);
    saveSeen();
    m_markedItems.clear();
    m_markedCards.clear();
    showMarks();
}
