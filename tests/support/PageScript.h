#pragma once

#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>

#include <memory>
#include <optional>

// Runs a script of the test's own in the page shown by `view` and returns its result (an
// invalid QVariant when the page did not answer in time). It runs in a world apart from the
// page's, so it works although the page runs no scripts. The answer is shared with the
// callback, which the engine may still call after this wait gave up.
inline QVariant runPageScript(QWebEngineView *view, const QString &script, int timeoutMs = 60000)
{
    auto answer = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                [answer](const QVariant &value) { *answer = value; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, timeoutMs))
        return {};
    return **answer;
}
