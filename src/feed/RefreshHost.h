#pragma once

#include "feed/CycleOutcome.h"
#include "render/NewsCard.h"

#include <QString>

// The window as the refresh cycle sees it. The cycle gets the user's choices as a value
// and hands its outcome back; in between it only locks the toolbar, pumps events and shows
// what it has. The main window implements it; tests drive the cycle through a host of their own.
class RefreshHost
{
public:
    virtual ~RefreshHost() = default;

    virtual void setToolbarEnabled(bool enabled) = 0;
    // Shows what the last feed item changed in the window (nothing for an empty look).
    virtual void showLook(const WindowLook &look) = 0;
    // Processes the pending events, then returns; a window may skip a pump that follows its
    // last one closely, since nothing shows in between.
    virtual void pumpEvents() = 0;
    // A plain modal message box; returns when the user has closed it.
    virtual void showMessage(const QString &text) = 0;
    // The standard error box, for a failure after the feed was read whole.
    virtual void showError(const QString &message) = 0;
    // Hands the page to the HTML view.
    virtual void showPage(const QString &html) = 0;
    // A completed cycle's group list and choices (throws ReaderError when the choices cannot
    // be stored), or the end of a failed one.
    virtual void applyOutcome(const CycleOutcome &outcome) = 0;
};
