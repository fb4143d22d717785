#pragma once

#include <QString>

struct Pages
{
    QString main;      // news cards
    QString info;      // organization information
    QString contacts;  // contacts
};

// The three complete pages of a cycle, each marked "Offline" when the feed came from
// the offline copy.
Pages assemblePages(const QString &cardsHtml, const QString &infoBlock, const QString &contactsBlock,
                    const QString &pageBackground, bool offline);

// A buffer for the item walk to append its cards to (ItemWalk::cardsHtml), with room in
// front for the page header and `cardChars` characters reserved, so that the news page is
// built around the cards without copying them.
QString startCardsBuffer(qsizetype cardChars);
// assemblePages for cards appended to a buffer from startCardsBuffer, which becomes the news page.
Pages assembleBufferedPages(QString cardsBuffer, const QString &infoBlock, const QString &contactsBlock,
                            const QString &pageBackground, bool offline);

// "S" news, "I" information, "K" contacts; anything else the news page.
const QString &choosePage(const Pages &pages, const QString &viewMode);
