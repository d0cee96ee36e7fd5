#include "controls/ejectoffer.h"
#include "controls/messagebox.h"
#include "platform/diskeject.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QtConcurrent>
#include <QTest>
#include <sys/sysmacros.h>

using namespace Qt::StringLiterals;

namespace {

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, Interfaces>;

const QString root = u"/org/freedesktop/UDisks2"_s;
const QString psp = root + u"/block_devices/sdb1"_s;
const QString pspDrive = root + u"/drives/PSP"_s;

// UDisks2 as far as an eject reaches it: a PSP's filesystem on 8:17 and its
// drive, and the computer's own disk beside them. What it is asked is kept;
// it answers Unmount as told.
class UDisksStandIn : public QDBusVirtualObject
{
public:
    QString unmountError;
    bool canPowerOff = true;
    QStringList asked;

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        asked.append(message.member() + u' ' + message.path());
        QDBusMessage reply = message.createReply();
        if (message.member() == u"GetManagedObjects") {
            ManagedObjects objects;
            objects[QDBusObjectPath(root + u"/block_devices/sda1"_s)] = {
                {u"org.freedesktop.UDisks2.Block"_s,
                 {{u"DeviceNumber"_s, quint64(makedev(8, 1))},
                  {u"Drive"_s, QVariant::fromValue(QDBusObjectPath(root + u"/drives/Disk"_s))}}},
                {u"org.freedesktop.UDisks2.Filesystem"_s, {}}};
            objects[QDBusObjectPath(psp)] = {
                {u"org.freedesktop.UDisks2.Block"_s,
                 {{u"DeviceNumber"_s, quint64(makedev(8, 17))},
                  {u"Drive"_s, QVariant::fromValue(QDBusObjectPath(pspDrive))}}},
                {u"org.freedesktop.UDisks2.Filesystem"_s, {}}};
            objects[QDBusObjectPath(pspDrive)] = {
                {u"org.freedesktop.UDisks2.Drive"_s, {{u"CanPowerOff"_s, canPowerOff}}}};
            reply << QVariant::fromValue(objects);
        } else if (message.member() == u"Unmount" && !unmountError.isEmpty()) {
            reply = message.createErrorReply(unmountError, u"refused"_s);
        }
        connection.send(reply);
        return true;
    }
};

// The desktop's notifications: what it is asked to show is kept, actions
// offered only when told to.
class NotificationsStandIn : public QDBusVirtualObject
{
public:
    bool actions = true;
    QList<QVariantList> shown;

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        QDBusMessage reply = message.createReply();
        if (message.member() == u"GetCapabilities")
            reply << (actions ? QStringList{u"body"_s, u"actions"_s} : QStringList{u"body"_s});
        if (message.member() == u"Notify") {
            shown.append(message.arguments());
            reply << uint(shown.size());
        }
        connection.send(reply);
        return true;
    }
};

const QString notifications = u"/org/freedesktop/Notifications"_s;

} // namespace

class TestDiskEject : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void eject_data();
    void eject();
    void ejectFromTheDesktopNotice_data();
    void ejectFromTheDesktopNotice();

private:
    QProcess m_bus;
    UDisksStandIn m_udisks;
    NotificationsStandIn m_notifications;
};

void TestDiskEject::initTestCase()
{
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<ManagedObjects>();
    // A system bus of the test's own, where the stand-in owns UDisks2's name.
    m_bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
    if (!m_bus.waitForStarted())
        QSKIP("dbus-daemon cannot be started");
    QVERIFY(m_bus.waitForReadyRead(10000));
    const QByteArray address = m_bus.readLine().trimmed();
    // It is the session's bus too, where the desktop shows notifications.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QDBusConnection standIn =
        QDBusConnection::connectToBus(QString::fromUtf8(address), u"udisks"_s);
    QVERIFY(standIn.isConnected());
    QVERIFY(standIn.registerService(u"org.freedesktop.UDisks2"_s));
    QVERIFY(standIn.registerVirtualObject(root, &m_udisks, QDBusConnection::SubPath));
    QVERIFY(standIn.registerService(u"org.freedesktop.Notifications"_s));
    QVERIFY(standIn.registerVirtualObject(notifications, &m_notifications));
    messagebox::recordInsteadOfShowing();
}

void TestDiskEject::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(u"udisks"_s);
    m_bus.kill();
    m_bus.waitForFinished();
}

void TestDiskEject::eject_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("unmountError");
    QTest::addColumn<bool>("canPowerOff");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("asked");
    using Kind = platform::EjectOutcome::Kind;
    const QString listed = u"GetManagedObjects "_s + root;
    const QString unmount = u"Unmount "_s + psp;
    const QString powerOff = u"PowerOff "_s + pspDrive;
    QTest::newRow("ejected") << u"8:17"_s << QString() << true << int(Kind::PoweredOff)
                             << QStringList{listed, unmount, powerOff};
    QTest::newRow("drive stays on")
        << u"8:17"_s << QString() << false << int(Kind::Unmounted) << QStringList{listed, unmount};
    QTest::newRow("busy") << u"8:17"_s << u"org.freedesktop.UDisks2.Error.DeviceBusy"_s << true
                          << int(Kind::Busy) << QStringList{listed, unmount};
    QTest::newRow("not allowed") << u"8:17"_s
                                 << u"org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain"_s
                                 << true << int(Kind::NotAllowed) << QStringList{listed, unmount};
    QTest::newRow("unknown device")
        << u"8:33"_s << QString() << true << int(Kind::Unknown) << QStringList{listed};
}

void TestDiskEject::eject()
{
    QFETCH(QString, device);
    QFETCH(QString, unmountError);
    QFETCH(bool, canPowerOff);
    QFETCH(QStringList, asked);
    m_udisks.unmountError = unmountError;
    m_udisks.canPowerOff = canPowerOff;
    m_udisks.asked.clear();
    // It waits on the bus, as it does off the window's thread.
    QFuture<platform::EjectOutcome> ejected =
        QtConcurrent::run([device] { return platform::ejectVolume(device); });
    QTRY_VERIFY_WITH_TIMEOUT(ejected.isFinished(), 60000);
    QTEST(int(ejected.result().kind), "outcome");
    QCOMPARE(m_udisks.asked, asked);
}

void TestDiskEject::ejectFromTheDesktopNotice_data()
{
    QTest::addColumn<bool>("actions");
    QTest::addColumn<bool>("chosen");
    QTest::newRow("chosen on the notice") << true << true;
    QTest::newRow("another key") << true << false;
    QTest::newRow("a desktop without actions") << false << false;
}

// A sync ended while nobody looked: the notice offers the eject, and only its
// own key, not a guess at its id, ejects the PSP.
void TestDiskEject::ejectFromTheDesktopNotice()
{
    QFETCH(bool, actions);
    QFETCH(bool, chosen);
    m_notifications.actions = actions;
    m_notifications.shown.clear();
    m_udisks.unmountError.clear();
    m_udisks.asked.clear();
    QWidget window;
    notifyOfferingEject(window, u"8:17"_s, Language::English, u"PSP synced"_s, u"Sent: 2"_s);
    QTRY_COMPARE(m_notifications.shown.size(), 1);
    const QStringList offered = m_notifications.shown.at(0).at(5).toStringList();
    QCOMPARE(offered.size(), actions ? 2 : 0);
    if (!actions)
        return;
    QCOMPARE(offered.at(1), u"Eject the PSP"_s);
    QDBusMessage answer = QDBusMessage::createSignal(
        notifications, u"org.freedesktop.Notifications"_s, u"ActionInvoked"_s);
    answer << 1u << (chosen ? offered.at(0) : u"1"_s);
    QVERIFY(QDBusConnection(u"udisks"_s).send(answer));
    if (chosen) {
        // Then the desktop is told the PSP can be unplugged.
        QTRY_COMPARE(m_notifications.shown.size(), 2);
        QCOMPARE(m_notifications.shown.at(1).at(4).toString(),
                 u"The PSP can be unplugged safely."_s);
        QVERIFY(m_udisks.asked.contains(u"PowerOff "_s + pspDrive));
    } else {
        QTest::qWait(200);
        QVERIFY(m_udisks.asked.isEmpty());
    }
    QVERIFY(messagebox::takeShown().isEmpty());
}

QTEST_MAIN(TestDiskEject)

#include "tst_diskeject.moc"
