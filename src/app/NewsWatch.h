#pragma once

#include "feed/CycleOutcome.h"
#include "settings/SeenNews.h"

#include <QList>
#include <QObject>
#include <QTimer>

class DesktopNotifier;
class HtmlView;
class QWidget;

// Tells the user about news items they have not seen: after a refresh that brings any, a
// desktop notification while the window is not the active one, and the "Nové" mark on
// their cards in the news page until the user has had that page in front of them for a few
// seconds. Each new item is told once; one that the chosen group hides counts as new but is
// told only when its card shows.
class NewsWatch : public QObject
{
    Q_OBJECT

public:
    NewsWatch(QWidget *window, HtmlView *view, const QString &seenNewsPath);

    // After every cycle that read its feed whole; `newsPageShown` whether the view shows the
    // news page now.
    void afterCycle(const CycleOutcome &outcome, bool newsPageShown);
    // The window became the active one, or stopped being it.
    void activationChanged();

    // The cards of the news page that show the mark, counted from 0.
    const QList<int> &markedCards() const { return m_markedCards; }
    // How long the news page must be in front of the user for the marks to go.
    static constexpr int LookMs = 3000;

private:
    void tell(const QList<const WalkedItem *> &items);
    void showMarks();
    // Counts the time the news page is in front of the user, while it is.
    void watchLook();
    void onLooked();
    void saveSeen();

    QWidget *m_window;
    HtmlView *m_view;
    DesktopNotifier *m_notifier;
    SeenNews m_seen;
    QTimer m_look;
    bool m_newsPageShown = false;
    QList<int> m_markedCards;
    QList<quint64> m_markedItems;
};
