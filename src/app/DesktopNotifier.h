#pragma once

#include <QObject>
#include <QString>

// Notifications through the desktop's notification service (org.freedesktop.Notifications
// on the session bus). Where no bus or no service runs, a notification is dropped and
// nothing else happens. A newer notification replaces the one still shown.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    explicit DesktopNotifier(QObject *parent = nullptr);

    // Shows a notification with `summary` and the plain text `body`. It names the program by
    // its icon and desktop entry, and clicking it emits activated().
    void notify(const QString &summary, const QString &body);

signals:
    // The user clicked the program's last notification.
    void activated();

private slots:
    void onActionInvoked(uint id, const QString &action);
    void onNotificationClosed(uint id, uint reason);

private:
    uint m_shownId = 0;  // the service's number for the notification shown; 0 when none
    bool m_listening = false;
};
