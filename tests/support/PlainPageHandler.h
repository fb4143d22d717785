#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlSchemeHandler>

// Serves `page` for every address of its scheme, as UTF-8 HTML: how a plain web view is given
// the same bytes as the reader's, to compare the two.
class PlainPageHandler : public QWebEngineUrlSchemeHandler
{
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    QByteArray page;

    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        // The job owns the buffer, so it lives exactly as long as the engine reads from it.
        auto *body = new QBuffer(job);
        body->setData(page);
        body->open(QIODevice::ReadOnly);
        job->reply(QByteArrayLiteral("text/html;charset=utf-8"), body);
    }
};
