#pragma once

#include "feed/CycleOutcome.h"

#include <QString>

#include <optional>

// What one feed item changes in the window besides the page. The walk records it and the
// window shows it when the cycle next pumps events, so the user sees it change item by item.
struct WindowLook
{
    std::optional<QString> caption;
    std::optional<quint32> toolbarColor;  // red in bits 0-7, blue in 16-23
};

// The window as the refresh cycle sees it. The cycle gets the user's choices as a value
// and hands its outcome back through exactly one of cycleCompleted and cycleFailed; in
// between it only locks the toolbar, pumps events and shows what it has. The main window implements it; tests drive the cycle through a host of their own.
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
    // A cycle that read the feed whole and showed its page: the window refills the group
    // list, stores the choices the cycle ran with (throws ReaderError when they cannot be
    // stored) and takes the feed's news.
    virtual void cycleCompleted(const CycleOutcome &outcome) = 0;
    // A cycle that ended before its feed was read whole (the user has been told why): the
    // window pauses its automatic refresh until it is next activated.
    virtual void cycleFailed() = 0;
};
