#pragma once

#include <QList>
#include <QString>

// The "Nové" mark on the news page's new cards. It is a style sheet of the program's own,
// adopted from the program's script world like the page hints: the page's document stays
// exactly its HTML. Each script replaces the marks the one before set.

// Marks the cards at `cardIndexes` (0 for the first card of the page), the boxes that
// `cardSelector` finds (see HtmlView::cardSelector); an empty list takes every mark away.
QString newsMarksScript(const QList<int> &cardIndexes, const QString &cardSelector);

// The number of cards that show the mark in the page, for what looks at the page from outside.
QString countNewsMarksScript();
