#pragma once

#include <QString>

#include <functional>

class QWebEnginePage;
class QWebEngineProfile;

// Lets the engine skip the work of the news cards out of sight, so that a page of many
// thousand cards is laid out once instead of again and again while it arrives. The hints are
// a style sheet of the program's own, set from the program's script world: the document
// itself stays exactly the page's HTML, and the info and contacts pages are left alone.
// The cards are the boxes `cardSelector` finds; an empty selector takes the hints away. The
// hints apply from the next page on.
void installPageHints(QWebEngineProfile &profile, const QString &cardSelector);

// Lifts the hints from the page shown in `page`, so that every card is laid out, or puts them
// back; then runs `done`. Finding text needs every card laid out; the page's document is left
// as it is.
void liftPageHints(QWebEnginePage &page, bool lifted, const std::function<void()> &done = {});

// How many of the page's top-level boxes are shown while the page is still being read.
constexpr int PageHintsBoxesWhileLoading = 60;
