#include "platform/desktopnotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QUuid>
#include <QVariantMap>

namespace platform {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(service, path, service, method);
}

// A desktop without a notification service answers at once; one that hangs
// is not waited on long.
constexpr int patience = 5000;

} // namespace

uint notifyDesktop(const QString &summary, const QString &body, const QString &action,
                   const QString &key)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return 0;
    QStringList actions;
    if (!action.isEmpty()) {
        const QDBusMessage capabilities =
            bus.call(call(QStringLiteral("GetCapabilities")), QDBus::Block, patience);
        if (capabilities.type() == QDBusMessage::ReplyMessage &&
            capabilities.arguments().value(0).toStringList().contains(QStringLiteral("actions")))
            actions = QStringList{key, action};
    }
    QDBusMessage notify = call(QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName());
    notify << QCoreApplication::applicationName() << 0u << QGuiApplication::desktopFileName()
           << summary << body << actions << hints << -1;
    const QDBusMessage reply = bus.call(notify, QDBus::Block, patience);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return 0;
    // A service that answers without an id still showed it.
    return qMax(reply.arguments().value(0).toUInt(), 1u);
}

DesktopNoticeAnswers::DesktopNoticeAnswers(QObject *parent)
    : QObject(parent), m_key(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    // From any sender: naming the service would ask the bus who owns it, and
    // wait for the answer.
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(QString(), path, service, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(QString(), path, service, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
}

void DesktopNoticeAnswers::actionInvoked(uint id, const QString &key)
{
    Q_UNUSED(id);
    if (key == m_key)
        Q_EMIT chosen();
}

void DesktopNoticeAnswers::notificationClosed(uint id, uint reason)
{
    Q_UNUSED(reason);
    if (m_id != 0 && id == m_id)
        Q_EMIT closed();
}

} // namespace platform
