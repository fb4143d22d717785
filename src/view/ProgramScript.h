#pragma once

#include <QJsonValue>
#include <QString>
#include <QWebEngineScript>

// The program's own scripts in the page. They run in the program's world, which the page's
// disabled scripts cannot reach, and take what the program hands them as literals.

// A script of the program's world named `name`, run at `injectionPoint` of every document of
// the main frame, and of its frames too when `runsOnSubFrames`.
QWebEngineScript programScript(const QString &name, QWebEngineScript::InjectionPoint injectionPoint,
                               bool runsOnSubFrames, const QString &sourceCode);

// `value` written as a literal of the program's scripts (JSON is valid JavaScript), so a text
// handed to a script is never read as code.
QString scriptValue(const QJsonValue &value);
