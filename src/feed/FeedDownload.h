#pragma once

#include "common/IoResult.h"

#include <QString>

// Limits of one feed download. The defaults are the reader's; tests shorten them.
struct DownloadLimits
{
    int idleTimeoutMs = 20'000;            // no data received for this long: failure
    int totalTimeoutMs = 60'000;           // the whole transfer took longer: failure
    qint64 maxBytes = 64LL * 1024 * 1024;  // a larger body: failure
    int maxRedirects = 5;
};

// Fetches `url` into `targetPath` with one HTTP GET; a failure says what went wrong.
// While the request runs the calling thread processes its events except the user's input,
// which stays queued until the download has ended. The application's thread keeps one network
// manager for all its downloads; no cookie is sent or kept. The
// system's proxy settings apply, redirects are followed, and only a final HTTP status of 2xx
// succeeds. A failed download leaves no file at
// `targetPath`. Spaces go on the wire as %20 and "#" as %23; everything else as given.
IoResult<> downloadFeed(const QString &url, const QString &targetPath, const DownloadLimits &limits = {});
