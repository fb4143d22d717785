#pragma once

#include "common/ReaderPaths.h"
#include "document/FeedDocument.h"
#include "feed/CycleOutcome.h"
#include "feed/FeedDownload.h"
#include "feed/FeedFiles.h"
#include "feed/RefreshHost.h"

#include <QByteArray>
#include <QString>


// One refresh cycle: fetch, parse, walk the items and the organization info, build the
// pages and hand them with the refilled group list to the window (the walks and the pages
// are FeedWalk's).
class RefreshCycle
{
public:
    RefreshCycle(RefreshHost &host, ReaderPaths paths, QString baseUrl);

    // Whether a call of refresh ran a cycle.
    enum class Run {
        Ran,      // a cycle ran; the host got its outcome, or was told why it failed
        Skipped,  // a cycle was running already (a timer tick that fell due while it pumped)
    };

    // Runs one cycle with the user's choices; the host gets what it brought. A call made
    // while a cycle runs is skipped: the running cycle owns the document and the temporary
    // file until it ends.
    Run refresh(const ReaderChoices &choices);
    bool isRunning() const { return m_running; }

    const FeedDocument &document() const { return m_document; }
    void setDownloadLimits(const DownloadLimits &limits) { m_limits = limits; }

private:
    void run(const ReaderChoices &choices);
    // Locks the toolbar and brings the feed into the temporary file; throws ReaderError with
    // the user's message when there is no feed to read.
    FeedSource fetch(const ReaderChoices &choices);
    // Whether the feed just downloaded is byte for byte the one the shown page was built
    // from, with the same choices: the page, the group list, the stored choices and the news
    // would all come out as they are, so the cycle ends there.
    bool isShownAlready(const ReaderChoices &choices, const QByteArray &feedDigest) const;
    void endUnchanged();
    // Shows the page, hands the outcome to the window, removes the temporary file.
    void finish(const CycleOutcome &outcome);
    // The failure exits: before the feed was read whole, and after.
    void endFailedFeed(const QString &message, const WindowLook &look);
    void endFailedFinish(const QString &message);

    RefreshHost &m_host;
    ReaderPaths m_paths;
    QString m_baseUrl;
    DownloadLimits m_limits;
    FeedDocument m_document;
    FeedDocument m_previousDocument;  // the last cycle's, until this cycle's page is shown
    QString m_tempFeedPath;
    bool m_running = false;

    // What the shown page was built from: the downloaded feed's digest and the choices.
    // Empty while no page of a downloaded feed is shown (before the first, after a failure,
    // while the offline copy is shown).
    QByteArray m_shownFeedDigest;
    ReaderChoices m_shownChoices;
};
