#include "feed/RefreshCycle.h"

#include "common/ReaderError.h"
#include "feed/FeedFiles.h"
#include "feed/FeedWalk.h"
#include "feed/RefreshHost.h"
#include "render/PageAssembly.h"

#include <QCryptographicHash>
#include <QFile>

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

// A digest of the file's bytes; empty when it cannot be read, which never matches.
QByteArray fileDigest(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}

} // namespace

RefreshCycle::RefreshCycle(RefreshHost &host, ReaderPaths paths, QString baseUrl)
    : m_host(host)
    , m_paths(std::move(paths))
    , m_baseUrl(std::move(baseUrl))
{
}

RefreshCycle::Run RefreshCycle::refresh(const ReaderChoices &choices)
{
    // A timer tick can fall due while this cycle pumps events; a second cycle would
    // close the document being walked and lose this cycle's temporary file.
    if (m_running)
        return Run::Skipped;
    RunningFlag running(m_running);
    run(choices);
    return Run::Ran;
}

void RefreshCycle::run(const ReaderChoices &choices)
{
    CycleOutcome outcome;
    outcome.choices = choices;
    bool completed = false;
    // The window shows what each element changed and stays responsive between elements.
    FeedWalk walk(choices, m_baseUrl, [this](const WindowLook &look) {
        m_host.showLook(look);
        m_host.pumpEvents();
    });
    // Every stage fails by throwing ReaderError. Until the feed was read whole a failure
    // ends the cycle as a failed feed; after that the page is already shown, so the user
    // only learns what failed and the refresh timer keeps running.
    try {
        const FeedSource source = fetch(choices);
        outcome.offline = source == FeedSource::OfflineCopy;
        const QByteArray digest = outcome.offline ? QByteArray() : fileDigest(m_tempFeedPath);
        if (isShownAlready(choices, digest)) {
            endUnchanged();
            return;
        }
        m_shownFeedDigest.clear();
        m_document.open(m_tempFeedPath);
        walk.walk(m_document);

        // Only a feed whose every element was read becomes the last good feed; a feed read
        // from the offline copy is that copy already.
        if (!outcome.offline)
            refreshOfflineCopy(m_paths, m_tempFeedPath);
        outcome.pages = walk.pages(outcome.offline);
        outcome.groupList = walk.groupList();
        outcome.items = walk.items();
        completed = true;

        finish(outcome);
        m_shownFeedDigest = digest;
        m_shownChoices = choices;
    } catch (const ReaderError &error) {
        m_shownFeedDigest.clear();
        if (completed)
            endFailedFinish(error.message());
        else
            endFailedFeed(error.message(), walk.pendingLook());
    }
    m_previousDocument = FeedDocument();
}

FeedSource RefreshCycle::fetch(const ReaderChoices &choices)
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

bool RefreshCycle::isShownAlready(const ReaderChoices &choices, const QByteArray &feedDigest) const
{
    // The offline copy must still be there: it is what the next failed download shows.
    return !feedDigest.isEmpty() && feedDigest == m_shownFeedDigest && choices == m_shownChoices
           && fileExists(m_paths.offlineCopy());
}

void RefreshCycle::endUnchanged()
{
    // The shown page is this feed's: its tree stays the cycle's document.
    m_document = std::exchange(m_previousDocument, FeedDocument());
    if (const auto message = deleteTempFeed(m_tempFeedPath))
        m_host.showMessage(*message);
    m_host.setToolbarEnabled(true);
}

void RefreshCycle::finish(const CycleOutcome &outcome)
{
    m_host.showPage(choosePage(outcome.pages, outcome.choices.viewMode));
    m_previousDocument = FeedDocument();
    m_host.cycleCompleted(outcome);
    if (const auto message = deleteTempFeed(m_tempFeedPath))
        m_host.showMessage(*message);
    m_host.setToolbarEnabled(true);
}

void RefreshCycle::endFailedFeed(const QString &message, const WindowLook &look)
{
    // What a faulty item changed before its fault shows with the message, as it happened.
    m_host.showLook(look);
    m_host.showMessage(message);
    m_document.close();
    m_host.setToolbarEnabled(true);
    // Last: closing the box activates the window again, which would restart a refresh
    // timer that the window stops for the failed cycle.
    m_host.cycleFailed();
}

void RefreshCycle::endFailedFinish(const QString &message)
{
    // The page is shown; the user learns why the rest failed and gets the toolbar back.
    // The timer keeps its state and the temporary file stays.
    m_host.showError(message);
    m_host.setToolbarEnabled(true);
}
