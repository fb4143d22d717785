#pragma once

#include "render/NewsCard.h"

#include <QString>
#include <QStringList>

// The window as the refresh cycle sees it: the few things a cycle reads from and does to
// it. The main window implements it; tests drive the cycle through a window of their own.
class RefreshHost : public CardWindow
{
public:
    virtual void setToolbarEnabled(bool enabled) = 0;
    // Processes every pending event, then returns.
    virtual void pumpEvents() = 0;
    // A plain modal message box; returns when the user has closed it.
    virtual void showMessage(const QString &text) = 0;
    // The standard error box for a failure the cycle did not expect.
    virtual void showError(const QString &message) = 0;

    virtual QString versionText() const = 0;
    virtual int fontSizeIndex() const = 0;  // -1 when no entry is selected
    virtual QString fontSizeText() const = 0;
    virtual int styleIndex() const = 0;
    virtual int groupIndex() const = 0;
    virtual QString groupText() const = 0;
    // Refills the group filter list in one batch; selecting from code runs no handler.
    virtual void setGroupFilter(const QStringList &entries, int selected) = 0;

    // Hands the page to the HTML view.
    virtual void loadPage(const QString &html) = 0;
    virtual void stopTimer() = 0;
};
