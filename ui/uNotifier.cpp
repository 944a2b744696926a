#include "uNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DefaultAction = QStringLiteral("default");

} // namespace

TNotifier::TNotifier(QSystemTrayIcon *tray, QObject *parent)
    : QObject(parent)
    , m_tray(tray)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    // D-Bus signals can only be connected by name.
    if (bus.isConnected())
        bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                    SLOT(ActionInvoked(uint, QString)));
    if (m_tray) {
        connect(m_tray, &QSystemTrayIcon::messageClicked, this, [this] {
            if (m_waitingForTrayClick) {
                m_waitingForTrayClick = false;
                Q_EMIT Clicked();
            }
        });
    }
}

void TNotifier::ShowClickable(const QString &title, const QString &text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        ShowInTray(title, text);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    // Display time 0: the message stays until the user deals with it.
    call << QStringLiteral("Belvora Webmaster Monitor") << m_lastId << QStringLiteral("dialog-information") << title
         << text << QStringList{DefaultAction, QStringLiteral("Openen")}
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral(BV_APP_ID)}} << 0;
    // Asynchronous: this runs inside a request, and a slow notification service must
    // not freeze the program.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, title, text](QDBusPendingCallWatcher *done) {
        const QDBusPendingReply<uint> reply = *done;
        done->deleteLater();
        if (reply.isValid())
            m_lastId = reply.value();
        else
            ShowInTray(title, text);
    });
}

void TNotifier::ShowInTray(const QString &title, const QString &text)
{
    if (m_tray && QSystemTrayIcon::isSystemTrayAvailable() && m_tray->isVisible()) {
        m_waitingForTrayClick = true;
        m_tray->showMessage(title, text, QSystemTrayIcon::Information, 0);
    }
}

void TNotifier::ActionInvoked(uint id, const QString &actionKey)
{
    if (id == m_lastId && m_lastId != 0 && actionKey == DefaultAction)
        Q_EMIT Clicked();
}
