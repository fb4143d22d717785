#pragma once

#include <QString>
#include <QVariant>

// Where the reader is in a page, read from the page before it is replaced and set again in the
// page that follows. Both are scripts of the program's own world: the page runs none of its own.
//
// The place is the box of the page at the top of the view (a card, or an information block),
// known by its content, which occurrence of that content it is, and how far into it the view
// starts, together with the page's scroll offset for when the box is gone.

// A script whose value is the place in the shown page (a map), or null without a document. At
// the very top of the page the place is the top, whatever card comes first in the next page.
QString readPlaceScript();

// A script that puts `place`, as readPlaceScript gave it, into the page being loaded: the same
// box at the top again, as far into it as before, or else the old offset as far as the page
// allows. It waits for the document to be whole and for the boxes near the place to be laid
// out, which the page hints put off until they come into sight.
QString restorePlaceScript(const QVariant &place);
