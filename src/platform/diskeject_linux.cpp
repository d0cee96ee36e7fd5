#include "platform/diskeject.h"

#include <optional>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMap>
#include <QVariantMap>
#include <sys/sysmacros.h>

namespace platform {

namespace {

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, Interfaces>;

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString blockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString filesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString driveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");

// An unmount flushes what the system still holds for the volume: it may take
// as long as writing that does.
constexpr int unmountTimeout = 300000;
constexpr int callTimeout = 60000;

QDBusMessage call(QDBusConnection &bus, const QString &path, const QString &interface,
                  const QString &method, const QVariantList &arguments, int timeout = callTimeout)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    // Unmounting may ask the user for a password through the desktop.
    message.setInteractiveAuthorizationAllowed(true);
    return bus.call(message, QDBus::Block, timeout);
}

EjectOutcome failed(const QDBusMessage &reply)
{
    const QString name = reply.errorName();
    EjectOutcome::Kind kind = EjectOutcome::Kind::Failed;
    if (name.endsWith(QStringLiteral(".DeviceBusy")))
        kind = EjectOutcome::Kind::Busy;
    else if (name.contains(QStringLiteral("NotAuthorized")))
        kind = EjectOutcome::Kind::NotAllowed;
    else if (name == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown") ||
             name == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"))
        kind = EjectOutcome::Kind::Unknown;
    return {kind, reply.errorMessage()};
}

// The block device (maj:min) of a "maj:min" name, as the kernel numbers it.
std::optional<quint64> deviceNumber(const QString &device)
{
    bool majorRead = false;
    bool minorRead = false;
    const uint major = device.section(u':', 0, 0).toUInt(&majorRead);
    const uint minor = device.section(u':', 1, 1).toUInt(&minorRead);
    if (!majorRead || !minorRead)
        return std::nullopt;
    return quint64(makedev(major, minor));
}

} // namespace

EjectOutcome ejectVolume(const QString &device)
{
    const std::optional<quint64> number = deviceNumber(device);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!number || !bus.isConnected())
        return {EjectOutcome::Kind::Unknown, bus.lastError().message()};
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<ManagedObjects>();

    const QDBusMessage objects = call(bus, QStringLiteral("/org/freedesktop/UDisks2"),
                                      QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                      QStringLiteral("GetManagedObjects"), {});
    if (objects.type() != QDBusMessage::ReplyMessage || objects.arguments().isEmpty())
        return failed(objects);
    const ManagedObjects managed =
        qdbus_cast<ManagedObjects>(objects.arguments().constFirst().value<QDBusArgument>());
    // The filesystem on that device, and the drive that holds it.
    QString filesystem;
    QString drive;
    for (auto object = managed.cbegin(); object != managed.cend(); ++object) {
        const QVariantMap block = object->value(blockInterface);
        if (!object->contains(filesystemInterface) ||
            block.value(QStringLiteral("DeviceNumber")).toULongLong() != *number)
            continue;
        filesystem = object.key().path();
        drive = block.value(QStringLiteral("Drive")).value<QDBusObjectPath>().path();
        break;
    }
    if (filesystem.isEmpty())
        return {EjectOutcome::Kind::Unknown, {}};

    const QDBusMessage unmounted = call(bus, filesystem, filesystemInterface,
                                        QStringLiteral("Unmount"), {QVariantMap()}, unmountTimeout);
    if (unmounted.type() != QDBusMessage::ReplyMessage)
        return failed(unmounted);
    const bool canPowerOff = !drive.isEmpty() && drive != u'/' &&
                             managed.value(QDBusObjectPath(drive))
                                 .value(driveInterface)
                                 .value(QStringLiteral("CanPowerOff"))
                                 .toBool();
    if (!canPowerOff)
        return {EjectOutcome::Kind::Unmounted, {}};
    const QDBusMessage poweredOff =
        call(bus, drive, driveInterface, QStringLiteral("PowerOff"), {QVariantMap()});
    // Unmounted is enough to unplug it; the drive only stays lit.
    if (poweredOff.type() != QDBusMessage::ReplyMessage)
        return {EjectOutcome::Kind::Unmounted, poweredOff.errorMessage()};
    return {EjectOutcome::Kind::PoweredOff, {}};
}

} // namespace platform
