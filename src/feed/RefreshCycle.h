#pragma once

#include "common/ReaderPaths.h"
#include "document/FeedDocument.h"
#include "feed/FeedDownload.h"
#include "feed/FeedFiles.h"
#include "feed/ReaderState.h"
#include "render/InfoBlocks.h"
#include "render/NewsCard.h"

#include <functional>

class RefreshHost;
class SettingsFile;

// One refresh cycle: fetch, parse, walk the items and the organization info, build and
// show the page, refill the group filter and store the user's choices.
class RefreshCycle
{
public:
    RefreshCycle(RefreshHost &host, ReaderState &state, SettingsFile &settings, ReaderPaths paths,
                 QString baseUrl);

    // Runs one cycle. A call made while a cycle runs (a timer tick that fell due while the
    // cycle pumped) is skipped: the running cycle owns the per-cycle state until it ends.
    void NactiXML();
    bool isRunning() const { return m_running; }

    // Ends a failed cycle: the toolbar is enabled again and the refresh timer stopped.
    void AbortRefresh();

    const FeedDocument &document() const { return m_document; }
    void setDownloadLimits(const DownloadLimits &limits) { m_limits = limits; }

private:
    void run();
    // Walks one run of the root's children; false when an element failed (the cycle has
    // then ended through its failure exit).
    bool walkRun(const QString &runName, const std::function<void(const QDomElement &)> &step);
    // Pages, group filter, stored choices and clean-up of a cycle whose feed was read whole.
    void finish(const ItemWalk &items, const InfoBlocks &blocks, bool offline);
    // The window's plain message box, for the file operations of the cycle.
    ShowMessage showMessage();

    RefreshHost &m_host;
    ReaderState &m_state;
    SettingsFile &m_settings;
    ReaderPaths m_paths;
    QString m_baseUrl;
    DownloadLimits m_limits;
    FeedDocument m_document;
    bool m_running = false;
};
