#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The value of the encoding pseudo-attribute in the text of an XML declaration: what stands
// between "<?xml" and "?>" in the file, or the declaration's data as the parsed tree keeps it.
// Empty when the declaration names no encoding; "?" when the value is not quoted, a
// declaration the parser refuses anyway.
QByteArray encodingInDeclaration(QByteArrayView declaration);
