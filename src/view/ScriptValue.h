#pragma once

#include <QJsonValue>
#include <QString>

// `value` written as a literal of the program's scripts (JSON is valid JavaScript), so a text
// handed to a script is never read as code.
QString scriptValue(const QJsonValue &value);
