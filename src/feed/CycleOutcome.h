#pragma once

#include "render/GroupFilter.h"
#include "render/NewsCard.h"
#include "render/PageAssembly.h"

#include <QString>

// The user's choices one refresh cycle runs with, taken from the window when it starts.
// The toolbar stays locked while the cycle runs, so they cannot change under it.
struct ReaderChoices
{
    QString organizationId;
    QString version;         // the program's version, for the request and the caption
    int fontSizeIndex = -1;  // -1 when no entry is selected
    QString fontSizeText;    // the selected entry's text; empty when none
    int style = 0;           // index of the style list; -1 when none
    int groupIndex = 0;      // the group list's selected index and text
    QString groupText;
    QString viewMode = QStringLiteral("S");  // "S" news, "I" information, "K" contacts
    QString restoredGroup;   // the group to select again when the list is refilled

    bool operator==(const ReaderChoices &) const = default;
};

// What a cycle that read its feed whole gives the window.
struct CycleOutcome
{
    ReaderChoices choices;       // the choices it ran with, to be stored
    Pages pages;
    GroupFilterState groupList;  // the refilled group list
    QList<WalkedItem> items;     // the feed's news items, in its order
    bool offline = false;        // the feed came from the offline copy
};
