#pragma once

#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

// Runs a script of the test's own in the page shown by `view` and returns its result.
// It runs in a world apart from the page's, so it works although the page runs no scripts.
inline QVariant runPageScript(QWebEngineView *view, const QString &script, int timeoutMs = 60000)
{
    QVariant result;
    QEventLoop loop;
    bool done = false;
    view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &value) {
        result = value;
        done = true;
        loop.quit();
    });
    if (!done) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return result;
}
