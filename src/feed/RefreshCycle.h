#pragma once

#include "common/ReaderPaths.h"
#include "document/FeedDocument.h"
#include "feed/CycleOutcome.h"
#include "feed/FeedDownload.h"

#include <QString>

#include <optional>

class RefreshHost;
struct WindowLook;

// One refresh cycle: fetch, parse, walk the items and the organization info, build the
// pages and hand them with the refilled group list to the window (the walks and the pages
// are FeedWalk's).
class RefreshCycle
{
public:
    RefreshCycle(RefreshHost &host, ReaderPaths paths, QString baseUrl);

    // Runs one cycle with the user's choices and returns its outcome, which the host has
    // been given too. A call made while a cycle runs (a timer tick that fell due while the
    // cycle pumped) is skipped and returns nothing: the running cycle owns the document and
    // the temporary file until it ends.
    std::optional<CycleOutcome> refresh(const ReaderChoices &choices);
    bool isRunning() const { return m_running; }

    const FeedDocument &document() const { return m_document; }
    void setDownloadLimits(const DownloadLimits &limits) { m_limits = limits; }

private:
    CycleOutcome run(const ReaderChoices &choices);
    // The stages up to a feed read whole; each throws ReaderError with the user's message.
    bool fetch(const ReaderChoices &choices);
    // Shows the page, lets the window apply the outcome, removes the temporary file.
    void finish(const CycleOutcome &outcome);
    // The failure exits: before the feed was read whole, and after.
    void endFailedFeed(const CycleOutcome &outcome, const WindowLook &look);
    void endFailedFinish(const QString &message);
    // Gives the toolbar back and has the window stop its refresh timer.
    void abortRefresh(const CycleOutcome &outcome);

    RefreshHost &m_host;
    ReaderPaths m_paths;
    QString m_baseUrl;
    DownloadLimits m_limits;
    FeedDocument m_document;
    FeedDocument m_previousDocument;  // the last cycle's, until this cycle's page is shown
    QString m_tempFeedPath;
    bool m_running = false;
};
