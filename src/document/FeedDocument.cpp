#include "document/FeedDocument.h"

#include "common/ReaderError.h"
#include "document/FeedDocumentParser.h"

#include <QDomProcessingInstruction>
#include <QFile>

namespace {

// The lookup rule shared by the runs and the element texts: the first child element named
// `name`, with or without its namespace prefix; a parent in a namespace only sees children
// in that same namespace.
QDomElement firstMatchingChild(const QDomElement &parent, const QString &name)
{
    const QString parentNamespace = parent.namespaceURI();
    for (QDomElement child = parent.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.nodeName() != name && child.localName() != name)
            continue;
        if (parentNamespace.isEmpty() || child.namespaceURI() == parentNamespace)
            return child;
    }
    return {};
}

QString upperAscii(QString text)
{
    for (QChar &c : text) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return text;
}

} // namespace

void FeedDocument::OpenFeedDocument(const QString &path)
{
    close();

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReaderError(file.errorString());
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ReaderError(file.errorString());
    OpenFeedBytes(data);
}

void FeedDocument::OpenFeedBytes(const QByteArray &data)
{
    close();
    // Parsed aside so that a failure leaves this document closed, not half replaced.
    QDomDocument parsed;
    ParseFeedBytes(data, parsed);
    m_dom = parsed;
    m_open = true;
}

void FeedDocument::close()
{
    m_dom = QDomDocument();
    m_open = false;
}

QString FeedDocument::declaredEncoding() const
{
    const QDomProcessingInstruction declaration = m_dom.firstChild().toProcessingInstruction();
    if (declaration.isNull() || declaration.target() != u"xml")
        return {};

    const QString text = declaration.data();
    const qsizetype word = text.indexOf(u"encoding");
    if (word < 0)
        return {};
    static const QString quotes = QStringLiteral("\"'");
    qsizetype open = word + 8;
    while (open < text.size() && !quotes.contains(text.at(open)))
        ++open;
    if (open == text.size())
        return {};
    qsizetype close = open + 1;
    while (close < text.size() && !quotes.contains(text.at(close)))
        ++close;
    return text.mid(open + 1, close - open - 1);
}

bool FeedDocument::hasUtf8Declaration() const
{
    return upperAscii(declaredEncoding()) == u"UTF-8";
}

QDomElement FeedDocument::FirstInRun(const QString &name) const
{
    return firstMatchingChild(m_dom.documentElement(), name);
}

QDomElement NextInRun(const QDomElement &element, const QString &name)
{
    // Only the very next node counts: a comment, text or other element ends the run.
    const QDomNode next = element.nextSibling();
    if (!next.isElement() || next.nodeName() != name)
        return {};
    return next.toElement();
}

QString ChildText(const QDomElement &element, const QString &name)
{
    const QDomElement child = firstMatchingChild(element, name);
    if (child.isNull() || !child.hasChildNodes())
        return {};

    const QDomNode only = child.firstChild();
    if (only.nextSibling().isNull() && (only.isText() || only.isCDATASection()))
        return only.nodeValue();
    throw ReaderError(QStringLiteral("Prvek ") + name + QStringLiteral(" neobsahuje jen text."));
}
