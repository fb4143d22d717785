#include "FeedServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray XmlType = "application/xml; charset=utf-8";

FeedServerReply notFound()
{
    return {404, "text/plain; charset=utf-8", "Not found\n"};
}

QByteArray contentTypeOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"png")
        return "image/png";
    if (suffix == u"jpg" || suffix == u"jpeg")
        return "image/jpeg";
    if (suffix == u"gif")
        return "image/gif";
    if (suffix == u"svg")
        return "image/svg+xml";
    if (suffix == u"xml")
        return XmlType;
    return "application/octet-stream";
}

// Serves `path` only when it is a plain file whose real location (links resolved) lies
// inside `folder`; anything else is answered as missing.
FeedServerReply fileInside(const QString &folder, const QString &path, const QByteArray &type)
{
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QFileInfo info(path);
    if (canonicalFolder.isEmpty() || !info.isFile()
        || !info.canonicalFilePath().startsWith(canonicalFolder + u'/'))
        return notFound();
    QFile file(info.canonicalFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return notFound();
    return {200, type, file.readAll()};
}

// The organization ID names a file of the feeds folder, so it must be a bare file name.
bool isPlainName(const QString &id)
{
    return !id.isEmpty() && !id.contains(u'/') && !id.contains(u'\\') && !id.contains(QStringLiteral(".."))
           && !id.contains(QChar(0));
}

QString queryValue(const QByteArray &query, const QByteArray &key)
{
    const QList<QByteArray> pairs = query.split('&');
    for (const QByteArray &pair : pairs) {
        if (pair.startsWith(key + '='))
            return QString::fromUtf8(QByteArray::fromPercentEncoding(pair.mid(key.size() + 1)));
    }
    return {};
}

} // namespace

FeedServerReply answerFeedRequest(const QString &root, const QByteArray &basePath,
                                  const QByteArray &target)
{
    if (!target.startsWith(basePath))
        return notFound();
    const QByteArray rest = target.mid(basePath.size());
    const qsizetype queryStart = rest.indexOf('?');
    const QByteArray path = queryStart < 0 ? rest : rest.left(queryStart);
    const QByteArray query = queryStart < 0 ? QByteArray() : rest.mid(queryStart + 1);

    if (path == "xml.php") {
        const QString id = queryValue(query, "id");
        if (!isPlainName(id))
            return notFound();
        const QString feeds = root + QStringLiteral("/feeds");
        return fileInside(feeds, feeds + u'/' + id + QStringLiteral(".xml"), XmlType);
    }

    const QString name = QString::fromUtf8(QByteArray::fromPercentEncoding(path));
    if (name.isEmpty())
        return notFound();
    return fileInside(root, root + u'/' + name, contentTypeOf(name));
}

QByteArray feedWithAddedItems(const QByteArray &feed, const QStringList &texts)
{
    const QByteArray open = "<zelton_information>";
    const QByteArray close = "</zelton_information>";
    const QByteArray textOpen = "<ZELTON_TEXT>";
    const QByteArray textClose = "</ZELTON_TEXT>";
    const qsizetype start = feed.indexOf(open);
    const qsizetype end = start < 0 ? -1 : feed.indexOf(close, start);
    if (end < 0)
        return feed;
    const QByteArray first = feed.mid(start, end + close.size() - start);
    const qsizetype bodyStart = first.indexOf(textOpen);
    const qsizetype bodyEnd = bodyStart < 0 ? -1 : first.indexOf(textClose, bodyStart);
    if (bodyEnd < 0)
        return feed;

    // Each added item stands on its own line, indented like the first one.
    const qsizetype lineStart = feed.lastIndexOf('\n', start) + 1;
    const QByteArray indent = feed.mid(lineStart, start - lineStart).trimmed().isEmpty()
                                  ? feed.mid(lineStart, start - lineStart)
                                  : QByteArray();
    QByteArray added;
    for (const QString &text : texts) {
        added += first.left(bodyStart + textOpen.size()) + "<![CDATA[" + text.toUtf8() + "]]>"
                 + first.mid(bodyEnd) + '\n' + indent;
    }
    QByteArray grown = feed;
    grown.insert(start, added);
    return grown;
}
