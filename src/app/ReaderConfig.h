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
};
