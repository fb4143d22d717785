#include "view/ScriptValue.h"

#include <QJsonArray>
#include <QJsonDocument>

QString scriptValue(const QJsonValue &value)
{
    // A JSON document holds an array or an object only: the value goes in an array of one,
    // whose brackets come off again.
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}
