#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

// The desktop's Notify call. Notification services render markup in the body, so the
// text is escaped there: a server's text cannot bring links or pictures along.
QDBusMessage NotifyCall(uint replacesId, const QString &title, const QString &text, const QStringList &actions,
                        int timeoutMs);
// A balloon without a click: through the notification service when there is one, else
// the tray icon's own (which shows plain text). Without either it is dropped.
void ShowPlainBalloon(QSystemTrayIcon *tray, const QString &title, const QString &text, int timeoutMs);

// Balloons whose click must act (a server message with an action). Qt's own tray
// balloons report clicks over D-Bus only for critical messages, so these go straight to
// the desktop's notification service with a default action; without that service they
// fall back to the tray icon's balloon and its click.
class TNotifier final : public QObject
{
    Q_OBJECT
public:
    explicit TNotifier(QSystemTrayIcon *tray, QObject *parent = nullptr);

    void ShowClickable(const QString &title, const QString &text);
    // An ordinary balloon took the tray's place: its click is not ours.
    void ForgetTrayClick() { m_waitingForTrayClick = false; }

Q_SIGNALS:
    void Clicked();

private Q_SLOTS:
    void ActionInvoked(uint id, const QString &actionKey);

private:
    void ShowInTray(const QString &title, const QString &text);

    QPointer<QSystemTrayIcon> m_tray;
    uint m_lastId = 0;
    bool m_waitingForTrayClick = false;
};
