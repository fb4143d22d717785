#include "feed/RefreshCycle.h"

#include "common/ReaderError.h"
#include "feed/FeedFiles.h"
#include "feed/FeedWalk.h"
#include "feed/RefreshHost.h"
#include "render/PageAssembly.h"

#include <utility>

namespace {

// Marks the cycle as running for as long as it lives, whatever way the cycle ends.
class RunningFlag
{
public:
    explicit RunningFlag(bool &flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag &) = delete;
    RunningFlag &operator=(const RunningFlag &) = delete;

private:
    bool &m_flag;
};

} // namespace

RefreshCycle::RefreshCycle(RefreshHost &host, ReaderPaths paths, QString baseUrl)
    : m_host(host)
    , m_paths(std::move(paths))
    , m_baseUrl(std::move(baseUrl))
{
}

std::optional<CycleOutcome> RefreshCycle::refresh(const ReaderChoices &choices)
{
    // A timer tick can fall due while this cycle pumps events; a second cycle would
    // close the document being walked and lose this cycle's temporary file.
    if (m_running)
        return std::nullopt;
    RunningFlag running(m_running);
    return run(choices);
}

CycleOutcome RefreshCycle::run(const ReaderChoices &choices)
{
    CycleOutcome outcome;
    outcome.choices = choices;
    // The window shows what each element changed and stays responsive between elements.
    FeedWalk walk(choices, m_baseUrl, [this](const WindowLook &look) {
        m_host.showLook(look);
        m_host.pumpEvents();
    });
    // Every stage fails by throwing ReaderError. Until the feed was read whole a failure
    // ends the cycle as a failed feed; after that the page is already shown, so the user
    // only learns what failed and the refresh timer keeps running.
    try {
        outcome.offline = fetch(choices);
        m_document.open(m_tempFeedPath);
        walk.walk(m_document);

        // Only a feed whose every element was read becomes the last good feed; a feed read
        // from the offline copy is that copy already.
        if (!outcome.offline)
            refreshOfflineCopy(m_paths, m_tempFeedPath);
        outcome.pages = walk.pages(outcome.offline);
        outcome.groupList = walk.groupList();
        outcome.items = walk.items();
        outcome.completed = true;

        finish(outcome);
    } catch (const ReaderError &error) {
        outcome.failure = error.message();
        if (outcome.completed)
            endFailedFinish(outcome.failure);
        else
            endFailedFeed(outcome, walk.pendingLook());
    }
    m_previousDocument = FeedDocument();
    return outcome;
}

bool RefreshCycle::fetch(const ReaderChoices &choices)
{
    // Lock the toolbar and let it show as locked before the download blocks.
    m_host.setToolbarEnabled(false);
    // The last feed's tree is freed once this cycle's page is with the view (see run), where
    // the time it takes overlaps the engine's work on the page instead of adding to it.
    m_previousDocument = std::exchange(m_document, FeedDocument());
    m_host.pumpEvents();
    const QString feedUrl = buildFeedUrl(m_baseUrl, choices.organizationId, choices.version);
    return obtainFeedFile(m_paths, feedUrl, m_tempFeedPath, m_limits);
}

void RefreshCycle::finish(const CycleOutcome &outcome)
{
    m_host.showPage(choosePage(outcome.pages, outcome.choices.viewMode));
    m_previousDocument = FeedDocument();
    // The window refills the group list and stores the choices.
    m_host.applyOutcome(outcome);
    if (const auto message = deleteTempFeed(m_tempFeedPath))
        m_host.showMessage(*message);
    m_host.setToolbarEnabled(true);
}

void RefreshCycle::endFailedFeed(const CycleOutcome &outcome, const WindowLook &look)
{
    // What a faulty item changed before its fault shows with the message, as it happened.
    m_host.showLook(look);
    m_host.showMessage(outcome.failure);
    m_document.close();
    abortRefresh(outcome);
}

void RefreshCycle::abortRefresh(const CycleOutcome &outcome)
{
    m_host.setToolbarEnabled(true);
    // Last: closing the box activates the window again, which would restart a refresh
    // timer that the window stops for the failed outcome.
    m_host.applyOutcome(outcome);
}

void RefreshCycle::endFailedFinish(const QString &message)
{
    // The page is shown; the user learns why the rest failed and gets the toolbar back.
    // The timer keeps its state and the temporary file stays.
    m_host.showError(message);
    m_host.setToolbarEnabled(true);
}
