#pragma once

#include "render/GroupFilter.h"

#include <QDomElement>
#include <QList>
#include <QSize>
#include <QString>

#include <array>
#include <optional>

// The user's choices and fixed values that every card of a cycle uses.
struct CardSettings
{
    QString fontSize;     // text of the selected font size entry; empty when none
    int style = 0;        // index of the appearance style; anything outside 0-3 as 0
    QString version;      // the version text for the caption
    QString baseUrl;      // feed server base address, prefix of the pictures
    int groupIndex = 0;   // the group filter's selected index and text
    QString groupText;
};

// The fixed stretches of a card between its feed texts, joined once for the settings they
// were made for, so that a card is appended in a few pieces.
struct CardPieces
{
    bool made = false;
    QString fontSize;
    int style = 0;
    QString baseUrl;
    std::array<QString, 12> joined;
};

// One news item as the walk met it.
struct WalkedItem
{
    quint64 identity = 0;  // the same for two items whose fields are the same
    bool shown = false;    // the group filter let it onto the news page, as its next card
    QString body;          // its text, for a shown item
};

// What the item walk builds up over one cycle.
struct ItemWalk
{
    QString cardsHtml;
    QString pageBackground;
    GroupList groups;
    // What the last item gives the window's caption and toolbar, as far as it got before a
    // fault; the cycle hands it on to the window item by item.
    std::optional<QString> caption;
    std::optional<quint32> toolbarColor;  // red in bits 0-7, blue in 16-23
    CardPieces pieces;
    QList<WalkedItem> items;  // every item, in the feed's order
};

// One feed item: caption, background, group, toolbar colour and, when it passes the
// group filter, its card appended to `walk.cardsHtml`. Throws ReaderError on a faulty item;
// `walk.caption` and `walk.toolbarColor` then hold what the item changed before the fault.
void newsCardStep(const QDomElement &item, const CardSettings &settings, ItemWalk &walk);

// Pieces of the card, exposed for their own tests.
QString cardDateText(const QString &date, const QString &time, const QString &dateTo,
                     const QString &timeTo);
// Picture box: spacing + size in each direction, 110 x 110 when any conversion fails.
QSize pictureBoxSize(const QString &spacing, const QString &sizeX, const QString &sizeY);
