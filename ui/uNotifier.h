#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

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
