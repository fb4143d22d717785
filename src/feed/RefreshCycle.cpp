#include "feed/RefreshCycle.h"

#include "common/ReaderError.h"
#include "common/Texts.h"
#include "feed/FeedFiles.h"
#include "feed/RefreshHost.h"
#include "render/InfoBlocks.h"
#include "render/NewsCard.h"
#include "render/PageAssembly.h"

#include <utility>

namespace {

const QString ItemRun = QStringLiteral("zelton_information");
const QString InfoRun = QStringLiteral("zelton_other_information");

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

CardSettings cardSettingsOf(const ReaderChoices &choices, const QString &baseUrl)
{
    return CardSettings{choices.fontSizeText, choices.style,     choices.version,
                        baseUrl,              choices.groupIndex, choices.groupText};
}

} // namespace

RefreshCycle::RefreshCycle(RefreshHost &host, ReaderPaths paths, QString baseUrl)
    : m_host(host)
    , m_paths(std::move(paths))
    , m_baseUrl(std::move(baseUrl))
{
}

std::optional<CycleOutcome> RefreshCycle::NactiXML(const ReaderChoices &choices)
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
    ItemWalk items;
    // Every stage fails by throwing ReaderError. Until the feed was read whole a failure
    // ends the cycle as a failed feed; after that the page is already shown, so the user
    // only learns what failed and the refresh timer keeps running.
    try {
        outcome.offline = fetch(choices);
        open();
        walkItems(choices, items);
        const InfoBlocks blocks = walkInfo(choices);

        // Only a feed whose every element was read becomes the last good feed.
        RefreshOfflineCopy(m_paths, m_tempFeedPath);
        outcome.pages = AssemblePages(items.cardsHtml, blocks.info, blocks.contacts,
                                      items.pageBackground, outcome.offline);
        outcome.groupList = RefillGroupFilter(choices.restoredGroup, items.groups);
        outcome.completed = true;

        finish(outcome);
    } catch (const ReaderError &error) {
        outcome.failure = error.message();
        if (outcome.completed)
            endFailedFinish(outcome.failure);
        else
            endFailedFeed(outcome, items.look);
    }
    return outcome;
}

bool RefreshCycle::fetch(const ReaderChoices &choices)
{
    // Lock the toolbar and let it show as locked before the download blocks.
    m_host.setToolbarEnabled(false);
    m_document.close();
    m_host.pumpEvents();
    const QString feedUrl = BuildFeedUrl(m_baseUrl, choices.organizationId, choices.version);
    return ObtainFeedFile(m_paths, feedUrl, m_tempFeedPath, m_limits);
}

void RefreshCycle::open()
{
    m_document.OpenFeedDocument(m_tempFeedPath);
    if (!m_document.hasUtf8Declaration())
        throw ReaderError(Texts::NotUtf8);
}

void RefreshCycle::walkItems(const ReaderChoices &choices, ItemWalk &items)
{
    const CardSettings settings = cardSettingsOf(choices, m_baseUrl);
    walkRun(ItemRun, [&](const QDomElement &item) { NewsCardStep(item, settings, items); }, items.look);
}

InfoBlocks RefreshCycle::walkInfo(const ReaderChoices &choices)
{
    InfoBlocks blocks;
    WindowLook noLook;
    walkRun(InfoRun, [&](const QDomElement &element) {
        OrganizationInfoStep(element, choices.fontSizeText, choices.style, blocks);
    }, noLook);
    return blocks;
}

void RefreshCycle::walkRun(const QString &runName, const std::function<void(const QDomElement &)> &step,
                           WindowLook &look)
{
    QDomElement element = m_document.FirstInRun(runName);
    // A run without any element fails like a faulty element.
    if (element.isNull())
        throw ReaderError(Texts::BadTag);
    do {
        try {
            step(element);
        } catch (const ReaderError &) {
            // Whatever made the element faulty, the user is told the same.
            throw ReaderError(Texts::BadTag);
        }
        element = NextInRun(element, runName);
        m_host.showLook(std::exchange(look, WindowLook{}));
        m_host.pumpEvents();
    } while (!element.isNull());
}

void RefreshCycle::finish(const CycleOutcome &outcome)
{
    m_host.showPage(ChoosePage(outcome.pages, outcome.choices.viewMode));
    // The window refills the group list and stores the choices.
    m_host.applyOutcome(outcome);
    if (const auto message = DeleteTempFeed(m_tempFeedPath))
        m_host.showMessage(*message);
    m_host.setToolbarEnabled(true);
}

void RefreshCycle::endFailedFeed(const CycleOutcome &outcome, const WindowLook &look)
{
    // What a faulty item changed before its fault shows with the message, as it happened.
    m_host.showLook(look);
    m_host.showMessage(outcome.failure);
    m_document.close();
    AbortRefresh(outcome);
}

void RefreshCycle::AbortRefresh(const CycleOutcome &outcome)
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
