#pragma once

#include "common/ReaderPaths.h"

#include <QString>

#include <functional>

// What the main window is given from outside: where its files are, the feed server, and
// how to ask the user for the organization ID (tests answer it themselves).
struct ReaderConfig
{
    ReaderPaths paths;
    QString baseUrl;
    // Returns the typed ID, or an empty text when the user cancelled.
    std::function<QString()> idPrompt;
    // Shows the window before start-up runs the first cycle; otherwise whoever made the
    // window shows it once the first page is in.
    bool showBeforeFirstCycle = false;
};
