#include "document/FeedDocumentParser.h"

#include "common/ReaderError.h"
#include "common/Texts.h"
#include "common/Utf8Bytes.h"
#include "document/XmlDeclaration.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <cctype>
#include <cstring>

namespace {

constexpr qsizetype ExcerptLength = 40;

// Length of the line break starting at `at`: CR LF, a lone CR and a lone LF each end one
// line, the way the XML reader counts its line numbers.
qsizetype lineBreakAt(QStringView text, qsizetype at)
{
    if (text[at] == u'\n')
        return 1;
    if (text[at] != u'\r')
        return 0;
    return at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1;
}

qint64 countLineBreaks(QStringView text)
{
    qint64 breaks = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (const qsizetype length = lineBreakAt(text, i)) {
            ++breaks;
            i += length - 1;
        }
    }
    return breaks;
}

// Line `line` (counted from 1) without its line break; empty past the end of the text.
QString sourceLine(QStringView text, qint64 line)
{
    qsizetype start = 0;
    for (qint64 current = 1; current < line; ++current) {
        qsizetype at = start;
        while (at < text.size() && lineBreakAt(text, at) == 0)
            ++at;
        if (at == text.size())
            return {};
        start = at + lineBreakAt(text, at);
    }
    qsizetype end = start;
    while (end < text.size() && lineBreakAt(text, end) == 0)
        ++end;
    return text.mid(start, end - start).toString();
}

// The first `count` characters; a character outside the BMP is never split in half.
QString firstCharacters(const QString &text, qsizetype count)
{
    qsizetype end = 0;
    for (qsizetype taken = 0; end < text.size() && taken < count; ++taken)
        end += text.at(end).isHighSurrogate() && end + 1 < text.size()
                       && text.at(end + 1).isLowSurrogate()
                   ? 2
                   : 1;
    return text.left(end);
}

// The file's text decoded the way the reader decodes it, so that the excerpt of a failing
// line shows what the author wrote; bytes that do not decode, even a sequence cut off at the
// end of the file, become replacement characters.
QString sourceText(const QByteArray &data, const QString &declaredEncoding)
{
    if (const auto byLayout = QStringConverter::encodingForData(data, u'<')) {
        QStringDecoder decoder(*byLayout, QStringConverter::Flag::Stateless);
        return decoder.decode(data);
    }
    if (!declaredEncoding.isEmpty()) {
        QStringDecoder decoder(declaredEncoding.toLatin1().constData(),
                               QStringConverter::Flag::Stateless);
        if (decoder.isValid())
            return decoder.decode(data);
    }
    return QString::fromUtf8(data);
}

ReaderError parseFailure(const QString &description, qint64 line, const QString &source)
{
    return ReaderError(description + QStringLiteral("\r\nLine: ") + QString::number(line)
                       + QStringLiteral("\r\n") + firstCharacters(sourceLine(source, line), ExcerptLength));
}

// Whether the reader takes the bytes as UTF-8: a UTF-8 byte order mark or none at all,
// and either no declared encoding or one that names UTF-8.
bool readAsUtf8(const QByteArray &data, const QString &declaredEncoding)
{
    const auto byLayout = QStringConverter::encodingForData(data, u'<');
    if (byLayout && *byLayout != QStringConverter::Utf8)
        return false;
    return declaredEncoding.isEmpty()
           || QStringConverter::encodingForName(declaredEncoding.toLatin1().constData())
                  == QStringConverter::Utf8;
}

// Offset of the first byte that does not begin a valid UTF-8 sequence (overlong forms,
// surrogates and code points past U+10FFFF included); -1 when every byte is valid.
qsizetype firstInvalidUtf8(const QByteArray &data)
{
    qsizetype at = 0;
    while (at < data.size()) {
        // Runs of ASCII, most of a feed's markup, are passed eight bytes at a time.
        while (at + 8 <= data.size()) {
            quint64 word;
            std::memcpy(&word, data.constData() + at, sizeof word);
            if (word & 0x8080808080808080ULL)
                break;
            at += 8;
        }
        if (at == data.size())
            break;
        const auto lead = static_cast<uchar>(data[at]);
        if (lead < 0x80) {
            ++at;
            continue;
        }
        int length = 0;
        char32_t smallest = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            smallest = 0x10000;
        } else {
            return at;
        }
        if (at + length > data.size())
            return at;
        char32_t codePoint = lead & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            const auto next = static_cast<uchar>(data[at + i]);
            if ((next & 0xC0) != 0x80)
                return at;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if (codePoint < smallest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return at;
        at += length;
    }
    return -1;
}

// The encoding named by an XML declaration at the very start (after a UTF-8 byte order
// mark); empty without a declaration or without an encoding in it. Only used to pick the
// quick way in: a declaration this misreads is one the parser refuses as well.
QByteArray leadingDeclaredEncoding(const QByteArray &data)
{
    QByteArrayView text(data);
    if (text.startsWith(Utf8Bom))
        text = text.sliced(Utf8Bom.size());
    if (!text.startsWith("<?xml"))
        return {};
    const qsizetype end = text.indexOf("?>");
    return encodingInDeclaration(end < 0 ? text : text.first(end));
}

// Whether a document type declaration may stand in the prolog: past the byte order mark, the
// XML declaration, comments, processing instructions and blanks, up to the root element's
// start. Anywhere after that a declaration is a fault the parser finds itself. Whatever this
// does not recognise is searched whole.
bool prologMayHoldDoctype(QByteArrayView text)
{
    qsizetype at = text.startsWith(Utf8Bom) ? Utf8Bom.size() : 0;
    for (;;) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n'))
            ++at;
        const QByteArrayView rest = text.sliced(at);
        qsizetype close = -1;
        qsizetype closeLength = 0;
        if (rest.startsWith("<?")) {
            close = rest.indexOf("?>", 2);
            closeLength = 2;
        } else if (rest.startsWith("<!--")) {
            close = rest.indexOf("-->", 4);
            closeLength = 3;
        }
        if (close >= 0) {
            at += close + closeLength;
            continue;
        }
        const bool rootStarts = rest.size() > 1 && rest[0] == '<'
                                && (std::isalpha(static_cast<uchar>(rest[1])) || rest[1] == '_'
                                    || rest[1] == ':' || static_cast<uchar>(rest[1]) >= 0x80);
        return !rootStarts && rest.indexOf("<!DOCTYPE") >= 0;
    }
}

// Whether the bytes are surely read as UTF-8, hold no document type declaration and are valid
// UTF-8: then a parse that succeeds is all the checking they need, since the diagnosis below
// would find nothing either.
bool plainUtf8Feed(const QByteArray &data)
{
    const auto byLayout = QStringConverter::encodingForData(data, u'<');
    if (byLayout && *byLayout != QStringConverter::Utf8)
        return false;
    const QByteArray declared = leadingDeclaredEncoding(data);
    if (!declared.isEmpty() && QStringConverter::encodingForName(declared.constData()) != QStringConverter::Utf8)
        return false;
    // Read as UTF-8, a declaration of the document type can only be these very bytes. The
    // library's check of UTF-8 refuses exactly the sequences firstInvalidUtf8 does.
    return !prologMayHoldDoctype(data) && QByteArrayView(data).isValidUtf8();
}

// Finds every fault with its line: a first pass with the stream reader, which stops at a
// document type declaration before any entity is expanded, the exact place of bad UTF-8,
// then the tree.
void diagnoseAndParse(const QByteArray &data, QDomDocument &dom)
{
    QXmlStreamReader reader(data);
    QString declaredEncoding;
    while (!reader.atEnd()) {
        const qint64 lineBefore = reader.lineNumber();
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartDocument) {
            declaredEncoding = reader.documentEncoding().toString();
        } else if (token == QXmlStreamReader::DTD) {
            // The token's text begins with the blanks in front of the declaration.
            const QStringView dtd = reader.text();
            const qsizetype start = qMax<qsizetype>(0, dtd.indexOf(u"<!DOCTYPE"));
            throw parseFailure(Texts::FeedDoctypeRefused, lineBefore + countLineBreaks(dtd.first(start)),
                               sourceText(data, declaredEncoding));
        }
    }

    // The reader notices bad UTF-8 but blames the line where it began decoding, so the
    // faulty byte is looked up here.
    if (readAsUtf8(data, declaredEncoding)) {
        const qsizetype invalid = firstInvalidUtf8(data);
        if (invalid >= 0)
            throw parseFailure(Texts::FeedBadUtf8,
                               1 + countLineBreaks(QString::fromUtf8(data.first(invalid))),
                               sourceText(data, declaredEncoding));
    }
    if (reader.hasError())
        throw parseFailure(reader.errorString(), reader.lineNumber(), sourceText(data, declaredEncoding));

    QString message;
    int line = 0;
    if (!dom.setContent(data, true, &message, &line))
        throw parseFailure(message, line, sourceText(data, declaredEncoding));
}

} // namespace

void parseFeedBytes(const QByteArray &data, QDomDocument &dom)
{
    // Most feeds are plain UTF-8 and well-formed: they are parsed once, straight into the
    // tree. Any other, and any that fails, goes the long way that tells what is wrong where.
    if (plainUtf8Feed(data) && dom.setContent(data, true))
        return;
    diagnoseAndParse(data, dom);
}
