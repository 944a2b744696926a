#include "uNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DefaultAction = QStringLiteral("default");

bool HasNotificationService()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(Service).value();
}

} // namespace

TNotifier::TNotifier(QSystemTrayIcon *tray, QObject *parent)
    : QObject(parent)
    , m_tray(tray)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
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
    if (HasNotificationService()) {
        QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
        // Display time 0: the message stays until the user deals with it.
        call << QStringLiteral("Belvora Webmaster Monitor") << m_lastId << QStringLiteral("dialog-information")
             << title << text << QStringList{DefaultAction, QStringLiteral("Openen")} << QVariantMap() << 0;
        const QDBusReply<uint> reply = QDBusConnection::sessionBus().call(call);
        if (reply.isValid()) {
            m_lastId = reply.value();
            return;
        }
    }
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
