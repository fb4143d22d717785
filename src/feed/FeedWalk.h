#pragma once

#include "document/FeedDocument.h"
#include "feed/CycleOutcome.h"
#include "feed/RefreshHost.h"
#include "render/InfoBlocks.h"
#include "render/NewsCard.h"

#include <QDomElement>
#include <QString>

#include <functional>

// The part of a refresh cycle between the parsed feed and the window: both walks over the
// document, then the pages and the refilled group list. It knows neither window nor network,
// so the cycle and the feed fuzz target run the very same code.
class FeedWalk
{
public:
    // Called after each element of both walks with what the element changed in the window
    // (an empty look for the organization info): the cycle shows it and pumps events there.
    using AfterElement = std::function<void(const WindowLook &)>;

    FeedWalk(const ReaderChoices &choices, const QString &baseUrl, AfterElement afterElement);

    // Reads the opened feed whole: its declared encoding, every news item, every organization
    // info element. Throws ReaderError with the user's message at the first fault.
    void walk(const FeedDocument &document);
    // What the faulty item changed before its fault, shown with the message; empty otherwise.
    WindowLook pendingLook() const { return {m_items.caption, m_items.toolbarColor}; }

    // The pages and the group list of a feed walked whole. The news page takes the walk's
    // cards over rather than copying them, so the pages are asked for once.
    Pages pages(bool offline);
    GroupFilterState groupList() const;
    // Every news item of the feed walked whole, taken over like the cards.
    QList<WalkedItem> items();

private:
    void walkRun(const FeedDocument &document, const QString &runName,
                 const std::function<void(const QDomElement &)> &step,
                 const std::function<WindowLook()> &takeLook);

    ReaderChoices m_choices;
    CardSettings m_cardSettings;
    AfterElement m_afterElement;
    ItemWalk m_items;
    InfoBlocks m_blocks;
};
