#pragma once

#include <QByteArray>
#include <QStringList>
#include <QString>

// How the bundled feed server answers one request, independent of the socket.
struct FeedServerReply
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
};

// Answers the request target `target` (the path and query of the request line) from the
// data folder `root`: GET <basePath>xml.php?id=ID&... gives feeds/ID.xml, GET <basePath>NAME
// gives a picture of the folder; 404 for an unknown ID or anything outside the folder.
FeedServerReply answerFeedRequest(const QString &root, const QByteArray &basePath,
                                  const QByteArray &target);

// `feed` with a news item for each of `texts` before its first item, in their order: a copy of
// the first item with that text as its body. A feed without items is given back as it was.
// The texts go into CDATA sections as they are, so they must not hold "]]>".
QByteArray feedWithAddedItems(const QByteArray &feed, const QStringList &texts);
