#pragma once

#include <QByteArray>

class QWebEngineUrlRequestJob;

// Answers the engine's request `job` with `bytes` of the type `contentType`. Every answer the
// reader's schemes give from memory goes through here.
void answerWithBytes(QWebEngineUrlRequestJob *job, const QByteArray &contentType, const QByteArray &bytes);
