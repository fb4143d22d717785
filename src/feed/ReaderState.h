#pragma once

#include <QString>

// The program-wide state that outlives one refresh cycle.
struct ReaderState
{
    QString organizationId;
    QString feedUrl;
    QString tempFeedPath;
    QString viewMode = QStringLiteral("S");  // "S" news, "I" information, "K" contacts
    bool firstLoad = true;                   // until the window is first activated
    QString cardsHtml;
    QString mainPageHtml;
    QString infoPageHtml;
    QString contactsPageHtml;
};
