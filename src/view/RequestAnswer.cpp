#include "view/RequestAnswer.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>

void answerWithBytes(QWebEngineUrlRequestJob *job, const QByteArray &contentType, const QByteArray &bytes)
{
    // The job owns the buffer, so it lives exactly as long as the engine reads from it.
    auto *body = new QBuffer(job);
    body->setData(bytes);
    body->open(QIODevice::ReadOnly);
    job->reply(contentType, body);
}
