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
Pages AssemblePages(const QString &cardsHtml, const QString &infoBlock, const QString &contactsBlock,
                    const QString &pageBackground, bool offline);

// "S" news, "I" information, "K" contacts; anything else the news page.
const QString &ChoosePage(const Pages &pages, const QString &viewMode);
