#pragma once

#include <QString>

// What the window holds between refresh cycles besides its lists.
struct ReaderState
{
    QString organizationId;
    QString viewMode = QStringLiteral("S");  // "S" news, "I" information, "K" contacts
    bool firstLoad = true;                   // until the window is first activated
};
