#include "app/DesktopNotifier.h"

#include "common/Texts.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
// The action a click on the notification's body invokes.
const QString DefaultAction = QStringLiteral("default");

} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent)
    : QObject(parent)
{
}

void DesktopNotifier::notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (!m_listening) {
        bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint,QString)));
        bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                    SLOT(onNotificationClosed(uint,uint)));
        m_listening = true;
    }
    // The desktop entry's name lets the desktop's per-program settings silence the
    // notifications; it is also the name of the program's icon.
    const QString desktopEntry = QGuiApplication::desktopFileName();
    QVariantMap hints;
    if (!desktopEntry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), desktopEntry);
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    // Services that take markup in the body would read the feed's text as markup.
    call << QCoreApplication::applicationName() << m_shownId << desktopEntry << summary << body.toHtmlEscaped()
         << QStringList{DefaultAction, Texts::NotificationShow} << hints << qint32(-1);
    // Never waited for: a service that hangs must not hold up the window.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isValid())
            m_shownId = reply.value();
        finished->deleteLater();
    });
}

void DesktopNotifier::onActionInvoked(uint id, const QString &action)
{
    if (id != 0 && id == m_shownId && action == DefaultAction)
        emit activated();
}

void DesktopNotifier::onNotificationClosed(uint id, uint)
{
    if (id == m_shownId)
        m_shownId = 0;
}
