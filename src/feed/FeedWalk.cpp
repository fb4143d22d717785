#include "feed/FeedWalk.h"

#include "common/ReaderError.h"
#include "common/Texts.h"
#include "render/PageAssembly.h"

#include <utility>

namespace {

const QString ItemRun = QStringLiteral("zelton_information");
const QString InfoRun = QStringLiteral("zelton_other_information");

CardSettings cardSettingsOf(const ReaderChoices &choices, const QString &baseUrl)
{
    return CardSettings{choices.fontSizeText, choices.style,     choices.version,
                        baseUrl,              choices.groupIndex, choices.groupText};
}

} // namespace

FeedWalk::FeedWalk(const ReaderChoices &choices, const QString &baseUrl, AfterElement afterElement)
    : m_choices(choices)
    , m_cardSettings(cardSettingsOf(choices, baseUrl))
    , m_afterElement(std::move(afterElement))
{
}

void FeedWalk::walk(const FeedDocument &document)
{
    if (!document.hasUtf8Declaration())
        throw ReaderError(Texts::NotUtf8);

    // A card takes about as many characters as its item has bytes in the feed; reserving a
    // quarter more spares the page its copies as it grows (what no card needs is never touched).
    m_items.cardsHtml = startCardsBuffer(document.sourceSize() + document.sourceSize() / 4);

    walkRun(document, ItemRun,
            [&](const QDomElement &item) { newsCardStep(item, m_cardSettings, m_items); },
            [&] { return WindowLook{std::exchange(m_items.caption, {}), std::exchange(m_items.toolbarColor, {})}; });

    walkRun(document, InfoRun, [&](const QDomElement &element) {
        organizationInfoStep(element, m_choices.fontSizeText, m_choices.style, m_blocks);
    }, [] { return WindowLook{}; });
}

void FeedWalk::walkRun(const FeedDocument &document, const QString &runName,
                       const std::function<void(const QDomElement &)> &step,
                       const std::function<WindowLook()> &takeLook)
{
    QDomElement element = document.firstInRun(runName);
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
        element = nextInRun(element, runName);
        m_afterElement(takeLook());
    } while (!element.isNull());
}

Pages FeedWalk::pages(bool offline)
{
    return assembleBufferedPages(std::exchange(m_items.cardsHtml, QString()), m_blocks.info,
                                 m_blocks.contacts, m_items.pageBackground, offline);
}

QList<WalkedItem> FeedWalk::items()
{
    return std::exchange(m_items.items, {});
}

GroupFilterState FeedWalk::groupList() const
{
    return refillGroupFilter(m_choices.restoredGroup, m_items.groups);
}
