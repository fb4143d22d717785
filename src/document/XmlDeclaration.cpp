#include "document/XmlDeclaration.h"

namespace {

bool isBlankOrEquals(char c)
{
    return c == ' ' || c == '=' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

QByteArray encodingInDeclaration(QByteArrayView declaration)
{
    const qsizetype word = declaration.indexOf("encoding");
    if (word < 0)
        return {};
    qsizetype at = word + 8;
    while (at < declaration.size() && isBlankOrEquals(declaration[at]))
        ++at;
    if (at == declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return "?";
    const qsizetype close = declaration.indexOf(declaration[at], at + 1);
    return close < 0 ? QByteArray("?") : declaration.sliced(at + 1, close - at - 1).toByteArray();
}
