#include "app/AssistiveTechnology.h"

#include <QAccessible>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {

// The desktop's accessibility status; a screen reader switches these on when it starts.
const QString StatusService = QStringLiteral("org.a11y.Bus");
const QString StatusPath = QStringLiteral("/org/a11y/bus");
const QString StatusInterface = QStringLiteral("org.a11y.Status");
constexpr int StatusTimeoutMs = 500;

bool statusProperty(QDBusConnection &bus, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(StatusService, StatusPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << StatusInterface << name;
    // Asking must not start the accessibility bus where nobody runs it.
    get.setAutoStartService(false);
    const QDBusMessage reply = bus.call(get, QDBus::Block, StatusTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

} // namespace

bool assistiveTechnologyActive()
{
    if (QAccessible::isActive())
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    return statusProperty(bus, QStringLiteral("IsEnabled")) || statusProperty(bus, QStringLiteral("ScreenReaderEnabled"));
}

void enablePageAccessibilityWhenNeeded()
{
#ifdef Q_OS_LINUX
    // On Linux the engine keeps a page's accessibility off unless this is set.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY") && assistiveTechnologyActive())
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
#endif
}
