#pragma once

#include "support/FeedBuilder.h"

#include <QString>

// A feed of many news cards, each with a text of its own, the last one with words found
// nowhere else; most cards lie far below the screen.
namespace FarCardsFeed {

constexpr int Cards = 5000;
inline const QString LastWords = QStringLiteral("Poslední zpráva o zlatokopech");

inline QString cardText(int number)
{
    return number == Cards ? LastWords : QStringLiteral("Zpráva číslo %1 končí zde.").arg(number);
}

inline QByteArray bytes()
{
    FeedBuilder feed;
    for (int number = 1; number <= Cards; ++number)
        feed.add(FeedItem::news(QStringLiteral("Spolek"), QStringLiteral("Sport"), cardText(number)));
    feed.add(FeedItem::info(QStringLiteral("Informace spolku")));
    return feed.bytes();
}

} // namespace FarCardsFeed
