#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInfo>

// What the shown page may fetch. Feed texts arrive over plain http and are rendered as
// markup, so whoever writes or alters them chooses what the engine asks for: the page may
// show pictures and nothing else, and must not be turned into a way of sending requests to
// the member's own machine or network.
namespace RequestPolicy {

enum class Verdict {
    Allow,
    Block,
    FetchAsPicture,  // one of the feed server's pictures: fetched by the reader itself
};

// Whether `host`, as a URL carries it after the URL parser's normalisation, names this
// machine or an address of a private, link-local or otherwise non-public network.
bool isLocalNetworkHost(const QString &host);

// Same scheme, host and port (the scheme's default port counts as given).
bool isSameOrigin(const QUrl &a, const QUrl &b);

// `url` with its dot segments resolved, when it stays on the origin of `base` and under its
// path; an empty URL otherwise.
QUrl underBase(const QUrl &url, const QUrl &base);

// The Content-Security-Policy the reader gives every page: the same rules, for what the
// engine decides before any request is made.
QString contentSecurityPolicy();

// What becomes of the view's request for `url`; `feedBase` is where the feed server keeps
// the pictures (empty when there is none).
Verdict judge(QWebEngineUrlRequestInfo::ResourceType type, const QUrl &url, const QUrl &feedBase);

} // namespace RequestPolicy
