#pragma once

#include <QByteArray>
#include <QDomDocument>

// Parses the bytes of a feed file into `dom`. Anything that is not a well-formed document
// without a document type declaration throws ReaderError with
// "<description>\r\nLine: <n>\r\n<first 40 characters of that line>".
void parseFeedBytes(const QByteArray &data, QDomDocument &dom);
