#include "platform/volumenotifier.h"

#include <memory>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int waitMs = 10000;

struct CommandResult
{
    bool ok = false;
    QString output;
};

CommandResult run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {false, program + u": "_s + process.errorString()};
    process.waitForFinished(120000);
    const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
    return {process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, output};
}

// Mount refusals that say the machine does not let this test mount, rather
// than that the notifier or the image is wrong.
bool isRefusal(const QString &output)
{
    for (const QString &reason :
         {u"permission denied"_s, u"operation not permitted"_s, u"must be superuser"_s,
          u"failed to setup loop device"_s, u"no free loop device"_s})
        if (output.contains(reason, Qt::CaseInsensitive))
            return true;
    return false;
}

QString mkfsProgram()
{
    const QString found = QStandardPaths::findExecutable(u"mkfs.ext4"_s);
    return found.isEmpty()
               ? QStandardPaths::findExecutable(u"mkfs.ext4"_s, {u"/usr/sbin"_s, u"/sbin"_s})
               : found;
}

// Volume names carried by a spy's notifications, in order.
QStringList volumeNames(const QSignalSpy &spy, const QString &within)
{
    QStringList names;
    for (const QList<QVariant> &arguments : spy) {
        const QString name = arguments.at(2).toString();
        if (arguments.at(0).toInt() == VolumeNotifier::volumeDeviceType && name.startsWith(within))
            names.append(name);
    }
    return names;
}

// The values of the first notification about a volume.
QVariantList notification(const QSignalSpy &spy, const QString &name)
{
    for (const QList<QVariant> &arguments : spy) {
        if (arguments.at(2).toString() == name)
            return arguments;
    }
    return {};
}

} // namespace

class TestVolumeNotifier : public QObject
{
    Q_OBJECT

public:
    // Why the machine cannot run these tests; empty when it can.
    QString skipReason() const { return m_skipReason; }

private Q_SLOTS:
    void initTestCase()
    {
        m_mkfs = mkfsProgram();
        if (geteuid() != 0)
            m_skipReason = u"mounting volumes needs root"_s;
        else if (!QFile::exists(u"/dev/loop-control"_s))
            m_skipReason = u"this machine has no loop devices"_s;
        else if (m_mkfs.isEmpty())
            m_skipReason = u"mkfs.ext4 is not installed"_s;
        if (m_skipReason.isEmpty()) {
            init();
            const QString image = makeImage(u"probe.img"_s);
            QVERIFY(!image.isEmpty());
            const QString folder = makeFolder(u"probe"_s);
            const CommandResult mounted = mount({u"-o"_s, u"loop"_s, image, folder}, folder);
            if (!mounted.ok && isRefusal(mounted.output))
                m_skipReason =
                    u"this machine does not let the test mount an image: "_s + mounted.output;
            else
                QVERIFY2(mounted.ok, qPrintable(mounted.output));
            cleanup();
        }
        if (!m_skipReason.isEmpty())
            QSKIP(qPrintable(m_skipReason));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // Mount points show up in the mount table under their real path.
        m_root = QFileInfo(m_dir->path()).canonicalFilePath() + u'/';
    }

    void cleanup()
    {
        while (!m_mounted.isEmpty()) {
            const QString folder = m_mounted.takeLast();
            if (!run(u"umount"_s, {folder}).ok)
                run(u"umount"_s, {u"-l"_s, folder});
        }
        m_dir.reset();
    }

    void reportsArrivalAndRemoval()
    {
        const QString image = makeImage(u"volume.img"_s);
        const QString folder = makeFolder(u"volume"_s);
        QVERIFY(!image.isEmpty() && !folder.isEmpty());
        const std::unique_ptr<VolumeNotifier> notifier = VolumeNotifier::create();
        QSignalSpy arrivals(notifier.get(), &VolumeNotifier::deviceArrival);
        QSignalSpy removals(notifier.get(), &VolumeNotifier::deviceRemoveComplete);

        QVERIFY(mountImage(image, folder));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(arrivals, m_root).contains(folder + u'/'), waitMs);
        QCOMPARE(volumeNames(arrivals, m_root), QStringList{folder + u'/'});
        QCOMPARE(notification(arrivals, folder + u'/'), (QVariantList{2, 0, folder + u'/', 0}));

        QVERIFY(unmount(folder));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(removals, m_root).contains(folder + u'/'), waitMs);
        QCOMPARE(volumeNames(removals, m_root), QStringList{folder + u'/'});
        QCOMPARE(volumeNames(arrivals, m_root), QStringList{folder + u'/'});
        QCOMPARE(notification(removals, folder + u'/'), (QVariantList{2, 0, folder + u'/', 0}));
    }

    void volumeMountedBeforeIsNoArrival()
    {
        const QString image = makeImage(u"volume.img"_s);
        const QString folder = makeFolder(u"volume"_s);
        QVERIFY(!image.isEmpty() && !folder.isEmpty());
        QVERIFY(mountImage(image, folder));

        const std::unique_ptr<VolumeNotifier> notifier = VolumeNotifier::create();
        QSignalSpy arrivals(notifier.get(), &VolumeNotifier::deviceArrival);
        QSignalSpy removals(notifier.get(), &VolumeNotifier::deviceRemoveComplete);
        QVERIFY(unmount(folder));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(removals, m_root).contains(folder + u'/'), waitMs);
        QVERIFY(volumeNames(arrivals, m_root).isEmpty());
    }

    void ignoresBindAndMemoryMounts()
    {
        const QString image = makeImage(u"volume.img"_s);
        const QString marker = makeImage(u"marker.img"_s);
        const QString volume = makeFolder(u"volume"_s);
        const QString bound = makeFolder(u"bound"_s);
        const QString memory = makeFolder(u"memory"_s);
        const QString markerFolder = makeFolder(u"marker"_s);
        QVERIFY(!image.isEmpty() && !marker.isEmpty());
        const std::unique_ptr<VolumeNotifier> notifier = VolumeNotifier::create();
        QSignalSpy arrivals(notifier.get(), &VolumeNotifier::deviceArrival);
        QSignalSpy removals(notifier.get(), &VolumeNotifier::deviceRemoveComplete);

        QVERIFY(mountImage(image, volume));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(arrivals, m_root).contains(volume + u'/'), waitMs);
        QVERIFY(QDir(volume).mkdir(u"MUSIC"_s));
        QVERIFY(mountOrWarn({u"--bind"_s, volume + u"/MUSIC"_s, bound}, bound));
        QVERIFY(mountOrWarn({u"-t"_s, u"tmpfs"_s, u"tmpfs"_s, memory}, memory));

        // Each wake reads the whole table, so once the marker volume is
        // reported the bind and tmpfs mounts have been seen too.
        QVERIFY(mountImage(marker, markerFolder));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(arrivals, m_root).contains(markerFolder + u'/'),
                                 waitMs);
        QCOMPARE(volumeNames(arrivals, m_root), (QStringList{volume + u'/', markerFolder + u'/'}));

        QVERIFY(unmount(memory));
        QVERIFY(unmount(bound));
        QVERIFY(unmount(markerFolder));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(removals, m_root).contains(markerFolder + u'/'),
                                 waitMs);
        QCOMPARE(volumeNames(removals, m_root), QStringList{markerFolder + u'/'});
    }

private:
    QString makeFolder(const QString &name)
    {
        return QDir(m_root).mkdir(name) ? m_root + name : QString();
    }

    // A small empty ext4 file system in a file.
    QString makeImage(const QString &name)
    {
        const QString path = m_root + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(8 * 1024 * 1024))
            return {};
        file.close();
        return run(m_mkfs, {u"-q"_s, u"-F"_s, path}).ok ? path : QString();
    }

    CommandResult mount(const QStringList &arguments, const QString &folder)
    {
        const CommandResult result = run(u"mount"_s, arguments);
        if (result.ok)
            m_mounted.append(folder);
        return result;
    }

    bool mountOrWarn(const QStringList &arguments, const QString &folder)
    {
        const CommandResult result = mount(arguments, folder);
        if (!result.ok)
            qWarning().noquote() << result.output;
        return result.ok;
    }

    bool mountImage(const QString &image, const QString &folder)
    {
        return mountOrWarn({u"-o"_s, u"loop"_s, image, folder}, folder);
    }

    bool unmount(const QString &folder)
    {
        const CommandResult result = run(u"umount"_s, {folder});
        if (!result.ok)
            qWarning().noquote() << result.output;
        else
            m_mounted.removeOne(folder);
        return result.ok;
    }

    QString m_mkfs;
    QString m_skipReason;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    QStringList m_mounted;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestVolumeNotifier test;
    const int failures = QTest::qExec(&test, argc, argv);
    // Tell the test runner the tests were skipped, not passed.
    return failures == 0 && !test.skipReason().isEmpty() ? 77 : failures;
}

#include "tst_volumenotifier.moc"
