#include "view/RequestPolicy.h"

#include "view/PageSchemeHandler.h"
#include "view/PictureSchemeHandler.h"

#include <QHostAddress>

#include <algorithm>
#include <utility>

namespace {

bool isLocalName(const QString &name)
{
    // Names the system itself resolves to this machine, whatever any name server says.
    return name.isEmpty() || name == QLatin1String("localhost")
        || name.endsWith(QLatin1String(".localhost")) || name == QLatin1String("localhost.localdomain")
        || name == QLatin1String("ip6-localhost") || name == QLatin1String("ip6-loopback");
}

bool isNonPublicIPv4(quint32 address)
{
    static const std::pair<quint32, int> ranges[] = {
        {0x00000000, 8},   // "this network" (0.0.0.0 reaches the machine itself)
        {0x0A000000, 8},   // private
        {0x64400000, 10},  // shared address space of carrier networks
        {0x7F000000, 8},   // loopback
        {0xA9FE0000, 16},  // link-local
        {0xAC100000, 12},  // private
        {0xC0000000, 24},  // protocol assignments
        {0xC0A80000, 16},  // private
        {0xC6120000, 15},  // benchmarking
        {0xE0000000, 4},   // multicast
        {0xF0000000, 4},   // reserved, broadcast
    };
    for (const auto &[network, bits] : ranges) {
        if ((address >> (32 - bits)) == (network >> (32 - bits)))
            return true;
    }
    return false;
}

bool isNonPublicIPv6(const Q_IPV6ADDR &bytes)
{
    // An IPv4 address carried in IPv6 (mapped ::ffff:a.b.c.d, the old compatible ::a.b.c.d,
    // the translation prefix 64:ff9b::) is judged by its IPv4 address.
    static const quint8 mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    static const quint8 compatible[12] = {};
    static const quint8 translated[12] = {0, 0x64, 0xff, 0x9b, 0, 0, 0, 0, 0, 0, 0, 0};
    for (const quint8 *prefix : {mapped, compatible, translated}) {
        if (std::equal(prefix, prefix + 12, bytes.c)) {
            const quint32 v4 = quint32(bytes[12]) << 24 | quint32(bytes[13]) << 16 | quint32(bytes[14]) << 8
                               | quint32(bytes[15]);
            return isNonPublicIPv4(v4);
        }
    }
    return (bytes[0] & 0xfe) == 0xfc                       // unique local
        || (bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80)  // link-local
        || (bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0xc0)  // old site-local
        || bytes[0] == 0xff;                                // multicast
}

// The path with its "." and ".." segments resolved, as a server resolves them; a ".." at the
// root stays at the root.
QString withoutDotSegments(const QString &path)
{
    QStringList kept;
    const QStringList segments = path.split(u'/');
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QString &segment = segments.at(i);
        const bool last = i == segments.size() - 1;
        if (segment == QLatin1String(".") || segment == QLatin1String("..")) {
            if (segment == QLatin1String("..") && kept.size() > 1)
                kept.removeLast();
            if (last)
                kept.append(QString());  // "a/.." names the folder a was in
        } else {
            kept.append(segment);
        }
    }
    return kept.join(u'/');
}

} // namespace

namespace RequestPolicy {

bool isLocalNetworkHost(const QString &host)
{
    QString name = host.toLower();
    if (name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    while (name.endsWith(u'.'))
        name.chop(1);
    if (isLocalName(name))
        return true;
    // QHostAddress reads every IPv4 form the URL parser accepts (127.1, 2130706433, 0x7f.1).
    QHostAddress address;
    if (!address.setAddress(name))
        return false;  // a name: what it resolves to is the network's business
    if (address.protocol() == QAbstractSocket::IPv4Protocol)
        return isNonPublicIPv4(address.toIPv4Address());
    return isNonPublicIPv6(address.toIPv6Address());
}

bool isSameOrigin(const QUrl &a, const QUrl &b)
{
    const auto defaultPort = [](const QUrl &url) {
        return url.scheme() == QLatin1String("https") ? 443 : url.scheme() == QLatin1String("http") ? 80 : -1;
    };
    return a.isValid() && b.isValid() && a.scheme() == b.scheme()
        && a.host().compare(b.host(), Qt::CaseInsensitive) == 0
        && a.port(defaultPort(a)) == b.port(defaultPort(b));
}

QUrl underBase(const QUrl &url, const QUrl &base)
{
    if (base.isEmpty() || !isSameOrigin(url, base) || !url.userInfo().isEmpty())
        return {};
    QUrl normalised = url.adjusted(QUrl::RemoveFragment);
    const QString path = withoutDotSegments(url.path(QUrl::FullyEncoded));
    normalised.setPath(path, QUrl::TolerantMode);
    // An encoded slash, backslash or dot is read as a separator by some servers, after
    // the check; no picture of the feed needs one.
    static const QLatin1String separators[] = {QLatin1String("%2f"), QLatin1String("%5c"),
                                               QLatin1String("%2e"), QLatin1String("\\")};
    for (const QLatin1String separator : separators) {
        if (path.contains(separator, Qt::CaseInsensitive))
            return {};
    }
    QString basePath = withoutDotSegments(base.path(QUrl::FullyEncoded));
    if (!basePath.endsWith(u'/'))
        basePath += u'/';
    return path.startsWith(basePath) ? normalised : QUrl();
}

QString contentSecurityPolicy()
{
    // Inline styles are the pages' own; everything else but pictures is refused.
    return QStringLiteral("default-src 'none'; img-src http: https: data: %1:; style-src 'unsafe-inline'; "
                          "base-uri 'none'; form-action 'none'")
        .arg(QLatin1String(PictureSchemeHandler::schemeName()));
}

Verdict judge(QWebEngineUrlRequestInfo::ResourceType type, const QUrl &url, const QUrl &feedBase)
{
    using Info = QWebEngineUrlRequestInfo;
    const QString scheme = url.scheme();
    if (scheme == QLatin1String(PageSchemeHandler::schemeName()))
        return type == Info::ResourceTypeMainFrame ? Verdict::Allow : Verdict::Block;
    if (type != Info::ResourceTypeImage)
        return Verdict::Block;  // no style sheet, font, frame, media, prefetch or anything else
    if (scheme == QLatin1String(PictureSchemeHandler::schemeName()) || scheme == QLatin1String("data"))
        return Verdict::Allow;  // the picture scheme checks its addresses itself
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return Verdict::Block;
    if (!feedBase.isEmpty() && isSameOrigin(url, feedBase))
        return underBase(url, feedBase).isEmpty() ? Verdict::Block : Verdict::FetchAsPicture;
    return isLocalNetworkHost(url.host()) ? Verdict::Block : Verdict::Allow;
}

} // namespace RequestPolicy
