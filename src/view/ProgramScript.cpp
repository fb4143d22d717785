#include "view/ProgramScript.h"

#include <QJsonArray>
#include <QJsonDocument>

QWebEngineScript programScript(const QString &name, QWebEngineScript::InjectionPoint injectionPoint,
                               bool runsOnSubFrames, const QString &sourceCode)
{
    QWebEngineScript script;
    script.setName(name);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(injectionPoint);
    script.setRunsOnSubFrames(runsOnSubFrames);
    script.setSourceCode(sourceCode);
    return script;
}

QString scriptValue(const QJsonValue &value)
{
    // A JSON document holds an array or an object only: the value goes in an array of one,
    // whose brackets come off again.
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}
