#include "document/FeedDocument.h"

#include "common/ReaderError.h"
#include "common/Texts.h"
#include "document/FeedDocumentParser.h"
#include "document/XmlDeclaration.h"

#include <QDomProcessingInstruction>
#include <QFile>

#include <cstring>
#include <optional>

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

bool sameText(const QString &a, const QString &b)
{
    return a.size() == b.size() && std::memcmp(a.constData(), b.constData(), size_t(a.size()) * sizeof(QChar)) == 0;
}

// The index in `names` of the name `child` bears with or without a prefix; -1 for none. An
// unprefixed node name is the local name (or there is none, for an element made without
// namespaces); a prefixed one never equals a name without a colon. Children mostly come in
// the order of `names`, so `expected` is tried first.
qsizetype indexOfName(const QDomNode &child, std::span<const QString> names, qsizetype expected)
{
    const QString nodeName = child.nodeName();
    if (expected < qsizetype(names.size()) && sameText(names[expected], nodeName))
        return expected;
    for (qsizetype i = 0; i < qsizetype(names.size()); ++i) {
        if (sameText(names[i], nodeName))
            return i;
    }
    if (!nodeName.contains(u':'))
        return -1;
    const QString localName = child.localName();
    for (qsizetype i = 0; i < qsizetype(names.size()); ++i) {
        if (sameText(names[i], localName))
            return i;
    }
    return -1;
}

// The text of an element read as a text: empty when it has no child, the value of its only
// child when that is a text or CDATA node; nothing otherwise.
std::optional<QString> textOf(const QDomNode &child)
{
    if (child.isNull() || !child.hasChildNodes())
        return QString();

    const QDomNode only = child.firstChild();
    if (only.nextSibling().isNull() && (only.isText() || only.isCDATASection()))
        return only.nodeValue();
    return std::nullopt;
}

ReaderError unreadableChild(const QString &name)
{
    return ReaderError(Texts::childNotPlainText(name));
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

void FeedDocument::open(const QString &path)
{
    close();

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReaderError(file.errorString());
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ReaderError(file.errorString());
    openBytes(data);
}

void FeedDocument::openBytes(const QByteArray &data)
{
    close();
    // Parsed aside so that a failure leaves this document closed, not half replaced.
    QDomDocument parsed;
    parseFeedBytes(data, parsed);
    m_dom = parsed;
    m_sourceSize = data.size();
    m_open = true;
}

void FeedDocument::close()
{
    m_dom = QDomDocument();
    m_sourceSize = 0;
    m_open = false;
}

QString FeedDocument::declaredEncoding() const
{
    const QDomProcessingInstruction declaration = m_dom.firstChild().toProcessingInstruction();
    if (declaration.isNull() || declaration.target() != u"xml")
        return {};
    return QString::fromUtf8(encodingInDeclaration(declaration.data().toUtf8()));
}

bool FeedDocument::hasUtf8Declaration() const
{
    return upperAscii(declaredEncoding()) == u"UTF-8";
}

QDomElement FeedDocument::firstInRun(const QString &name) const
{
    return firstMatchingChild(m_dom.documentElement(), name);
}

QDomElement nextInRun(const QDomElement &element, const QString &name)
{
    // Only the very next node counts: a comment, text or other element ends the run.
    const QDomNode next = element.nextSibling();
    if (!next.isElement() || next.nodeName() != name)
        return {};
    return next.toElement();
}

QString childText(const QDomElement &element, const QString &name)
{
    std::optional<QString> text = textOf(firstMatchingChild(element, name));
    if (!text)
        throw unreadableChild(name);
    return *std::move(text);
}

ChildTexts::ChildTexts(const QDomElement &element, std::span<const QString> names)
    : m_names(names)
    , m_texts(qsizetype(names.size()))
{
    Q_ASSERT(names.size() <= 32);
    // The same rule as firstMatchingChild for every name at once: a child of another namespace
    // than its parent's does not count, and a later child of a name already found is passed.
    const QString parentNamespace = element.namespaceURI();
    quint32 found = 0;
    const quint32 all = names.size() == 32 ? ~0U : (1U << names.size()) - 1;
    qsizetype expected = 0;
    for (QDomNode child = element.firstChild(); found != all && !child.isNull(); child = child.nextSibling()) {
        if (!child.isElement())
            continue;
        const qsizetype index = indexOfName(child, names, expected);
        if (index < 0 || (found & (1U << index)))
            continue;
        if (!parentNamespace.isEmpty() && child.namespaceURI() != parentNamespace)
            continue;
        found |= 1U << index;
        expected = index + 1;
        // Taken now, while the child is at hand; a fault is only told when the text is read.
        if (std::optional<QString> text = textOf(child))
            m_texts[index] = *std::move(text);
        else
            m_unreadable |= 1U << index;
    }
}

quint64 ChildTexts::fingerprint() const
{
    // FNV-1a over each text's length and UTF-16 units, then which children could not be read.
    constexpr quint64 Prime = 0x100000001b3ULL;
    quint64 hash = 0xcbf29ce484222325ULL;
    const auto add = [&hash](quint64 value) {
        for (int shift = 0; shift < 64; shift += 16) {
            hash ^= (value >> shift) & 0xFFFF;
            hash *= Prime;
        }
    };
    for (const QString &text : m_texts) {
        add(quint64(text.size()));
        for (const QChar unit : text) {
            hash ^= unit.unicode();
            hash *= Prime;
        }
    }
    add(m_unreadable);
    return hash;
}

const QString &ChildTexts::text(qsizetype index) const
{
    if (m_unreadable & (1U << index))
        throw unreadableChild(m_names[index]);
    return m_texts[index];
}
