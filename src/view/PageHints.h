#pragma once

class QWebEngineProfile;

// Lets the engine skip the work of the news cards out of sight, so that a page of many
// thousand cards is laid out once instead of again and again while it arrives. The hints are
// a style sheet of the program's own, set from the program's script world: the document
// itself stays exactly the page's HTML, and the info and contacts pages are left alone.
void installPageHints(QWebEngineProfile &profile);

// How many of the page's top-level boxes are shown while the page is still being read.
constexpr int PageHintsBoxesWhileLoading = 60;
