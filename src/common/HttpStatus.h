#pragma once

#include <QVariant>

// Whether a reply's HTTP status code (its QNetworkRequest::HttpStatusCodeAttribute) says the
// server sent what was asked for. A reply without a code never reached a server that answered.
// It takes the code rather than the reply, so the rule stays beside the others every layer
// shares without this library taking on Qt's network module.
inline bool isHttpSuccess(const QVariant &statusCode)
{
    bool isNumber = false;
    const int status = statusCode.toInt(&isNumber);
    return isNumber && status >= 200 && status < 300;
}
