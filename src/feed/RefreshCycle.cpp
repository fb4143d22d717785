#include "feed/RefreshCycle.h"

#include "common/ReaderError.h"
#include "common/Texts.h"
#include "feed/FeedFiles.h"
#include "feed/RefreshHost.h"
#include "render/InfoBlocks.h"
#include "render/NewsCard.h"
#include "render/PageAssembly.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"

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

} // namespace

RefreshCycle::RefreshCycle(RefreshHost &host, ReaderState &state, SettingsFile &settings,
                           ReaderPaths paths, QString baseUrl)
    : m_host(host)
    , m_state(state)
    , m_settings(settings)
    , m_paths(std::move(paths))
    , m_baseUrl(std::move(baseUrl))
{
}

void RefreshCycle::NactiXML()
{
    // A timer tick can fall due while this cycle pumps events; a second cycle would
    // close the document being walked and lose this cycle's temporary file.
    if (m_running)
        return;
    RunningFlag running(m_running);
    run();
}

void RefreshCycle::AbortRefresh()
{
    m_host.setToolbarEnabled(true);
    m_host.stopTimer();
}

void RefreshCycle::run()
{
    // Request and lock.
    m_state.feedUrl = BuildFeedUrl(m_baseUrl, m_state.organizationId, m_host.versionText());
    m_host.setToolbarEnabled(false);
    m_document.close();
    m_host.pumpEvents();

    // Fetch.
    const FetchResult fetched =
        ObtainFeedFile(m_paths, m_state.feedUrl, m_state.tempFeedPath, m_limits, showMessage());
    if (!fetched.ok) {
        AbortRefresh();
        return;
    }

    // Parse and check the encoding.
    try {
        m_document.OpenFeedDocument(m_state.tempFeedPath);
    } catch (const ReaderError &error) {
        m_host.showMessage(error.message());
        AbortRefresh();
        return;
    }
    if (!m_document.hasUtf8Declaration()) {
        m_host.showMessage(Texts::NotUtf8);
        m_document.close();
        AbortRefresh();
        return;
    }

    // Both walks.
    const CardSettings cardSettings{m_host.fontSizeText(), m_host.styleIndex(), m_host.versionText(),
                                    m_baseUrl, m_host.groupIndex(), m_host.groupText()};
    ItemWalk items;
    m_state.cardsHtml.clear();
    if (!walkRun(ItemRun, [&](const QDomElement &item) {
            NewsCardStep(item, cardSettings, m_host, items);
        }))
        return;
    m_state.cardsHtml = items.cardsHtml;

    InfoBlocks blocks;
    if (!walkRun(InfoRun, [&](const QDomElement &element) {
            OrganizationInfoStep(element, cardSettings.fontSize, cardSettings.style, blocks);
        }))
        return;

    // Only a feed whose every element was read becomes the last good feed.
    RefreshOfflineCopy(m_paths, m_state.tempFeedPath);

    try {
        finish(items, blocks, fetched.offline);
    } catch (const std::exception &error) {
        // The page, the group list or the stored choices failed: the user learns why and
        // gets the toolbar back; the timer keeps its state and the temporary file stays.
        m_host.showError(messageOf(error));
        m_host.setToolbarEnabled(true);
    }
}

ShowMessage RefreshCycle::showMessage()
{
    return [this](const QString &text) { m_host.showMessage(text); };
}

bool RefreshCycle::walkRun(const QString &runName, const std::function<void(const QDomElement &)> &step)
{
    QDomElement element = m_document.FirstInRun(runName);
    do {
        try {
            // A run without any element fails like a faulty element.
            if (element.isNull())
                throw ReaderError(Texts::BadTag);
            step(element);
        } catch (...) {
            m_host.showMessage(Texts::BadTag);
            m_document.close();
            AbortRefresh();
            return false;
        }
        element = NextInRun(element, runName);
        m_host.pumpEvents();
    } while (!element.isNull());
    return true;
}

void RefreshCycle::finish(const ItemWalk &items, const InfoBlocks &blocks, bool offline)
{
    // Pages.
    const Pages pages =
        AssemblePages(items.cardsHtml, blocks.info, blocks.contacts, items.pageBackground, offline);
    m_state.mainPageHtml = pages.main;
    m_state.infoPageHtml = pages.info;
    m_state.contactsPageHtml = pages.contacts;
    m_host.loadPage(ChoosePage(pages, m_state.viewMode));

    // Group filter: until the window was first shown the stored group is the one to keep.
    const QString restoredGroup = m_state.firstLoad
                                      ? m_settings.ReadString(SettingsKeys::Group, Texts::AllGroups)
                                      : m_host.groupText();
    const GroupFilterState filter = RefillGroupFilter(restoredGroup, items.groups);
    m_host.setGroupFilter(filter.entries, filter.selected);
    m_settings.WriteString(SettingsKeys::Group, restoredGroup);

    // Choices.
    m_settings.WriteInteger(SettingsKeys::FontSize, m_host.fontSizeIndex());
    m_settings.WriteInteger(SettingsKeys::Style, m_host.styleIndex());

    DeleteTempFeed(m_state.tempFeedPath, showMessage());
    m_host.setToolbarEnabled(true);
}
