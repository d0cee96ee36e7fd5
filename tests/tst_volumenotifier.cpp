#include "platform/volumenotifier.h"
#include "support/loopvolume.h"

#include <memory>
#include <optional>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int waitMs = 10000;

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
        m_skipReason = LoopVolume::unavailableReason();
        if (!m_skipReason.isEmpty())
            QSKIP(qPrintable(m_skipReason));
    }

    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        // Mount points show up in the mount table under their real path.
        m_root = QFileInfo(m_dir->path()).canonicalFilePath() + u'/';
    }

    // Each test's mounts are undone as it returns, passed or not, so only
    // empty folders are left to remove.
    void cleanup() { m_dir.reset(); }

    void reportsArrivalAndRemoval()
    {
        LoopVolume volume;
        const QString folder = makeFolder(u"volume"_s);
        QVERIFY(!folder.isEmpty());
        const std::unique_ptr<VolumeNotifier> notifier = VolumeNotifier::create();
        QSignalSpy arrivals(notifier.get(), &VolumeNotifier::deviceArrival);
        QSignalSpy removals(notifier.get(), &VolumeNotifier::deviceRemoveComplete);

        QVERIFY2(volume.mount(folder), qPrintable(volume.error()));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(arrivals, m_root).contains(folder), waitMs);
        QCOMPARE(volumeNames(arrivals, m_root), QStringList{folder});
        QCOMPARE(notification(arrivals, folder), (QVariantList{2, 0, folder, 0}));

        QVERIFY2(volume.unmount(), qPrintable(volume.error()));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(removals, m_root).contains(folder), waitMs);
        QCOMPARE(volumeNames(removals, m_root), QStringList{folder});
        QCOMPARE(volumeNames(arrivals, m_root), QStringList{folder});
        QCOMPARE(notification(removals, folder), (QVariantList{2, 0, folder, 0}));
    }

    void volumeMountedBeforeIsNoArrival()
    {
        LoopVolume volume;
        const QString folder = makeFolder(u"volume"_s);
        QVERIFY(!folder.isEmpty());
        QVERIFY2(volume.mount(folder), qPrintable(volume.error()));

        const std::unique_ptr<VolumeNotifier> notifier = VolumeNotifier::create();
        QSignalSpy arrivals(notifier.get(), &VolumeNotifier::deviceArrival);
        QSignalSpy removals(notifier.get(), &VolumeNotifier::deviceRemoveComplete);
        QVERIFY2(volume.unmount(), qPrintable(volume.error()));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(removals, m_root).contains(folder), waitMs);
        QVERIFY(volumeNames(arrivals, m_root).isEmpty());
    }

    void ignoresBindAndMemoryMounts()
    {
        const QString volumeFolder = makeFolder(u"volume"_s);
        const QString boundFolder = makeFolder(u"bound"_s);
        const QString memoryFolder = makeFolder(u"memory"_s);
        const QString markerFolder = makeFolder(u"marker"_s);
        QVERIFY(!volumeFolder.isEmpty() && !boundFolder.isEmpty() && !memoryFolder.isEmpty() &&
                !markerFolder.isEmpty());
        // Declared before the bind mount into it, so it is unmounted after.
        LoopVolume volume;
        LoopVolume marker;
        Mount bound;
        Mount memory;
        const std::unique_ptr<VolumeNotifier> notifier = VolumeNotifier::create();
        QSignalSpy arrivals(notifier.get(), &VolumeNotifier::deviceArrival);
        QSignalSpy removals(notifier.get(), &VolumeNotifier::deviceRemoveComplete);

        QVERIFY2(volume.mount(volumeFolder), qPrintable(volume.error()));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(arrivals, m_root).contains(volumeFolder), waitMs);
        QVERIFY(QDir(volumeFolder).mkdir(u"MUSIC"_s));
        QVERIFY2(bound.mount({u"--bind"_s, volumeFolder + u"/MUSIC"_s}, boundFolder),
                 qPrintable(bound.error()));
        QVERIFY2(memory.mount({u"-t"_s, u"tmpfs"_s, u"tmpfs"_s}, memoryFolder),
                 qPrintable(memory.error()));

        // Each wake reads the whole table, so once the marker volume is
        // reported the bind and tmpfs mounts have been seen too.
        QVERIFY2(marker.mount(markerFolder), qPrintable(marker.error()));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(arrivals, m_root).contains(markerFolder), waitMs);
        QCOMPARE(volumeNames(arrivals, m_root), (QStringList{volumeFolder, markerFolder}));

        QVERIFY2(memory.unmount(), qPrintable(memory.error()));
        QVERIFY2(bound.unmount(), qPrintable(bound.error()));
        QVERIFY2(marker.unmount(), qPrintable(marker.error()));
        QTRY_VERIFY_WITH_TIMEOUT(volumeNames(removals, m_root).contains(markerFolder), waitMs);
        QCOMPARE(volumeNames(removals, m_root), QStringList{markerFolder});
    }

    void opensOnlyTheReportedVolume_data()
    {
        QTest::addColumn<QString>("stage");
        QTest::addColumn<bool>("opens");
        QTest::newRow("still mounted") << u"mounted"_s << true;
        QTest::newRow("never mounted") << u"never"_s << false;
        QTest::newRow("left before opening") << u"left"_s << false;
        QTest::newRow("pulled out while open") << u"detached"_s << true;
    }

    // Whatever is made through an opened root lands on the volume, never in
    // the bare folder it was mounted on.
    void opensOnlyTheReportedVolume()
    {
        QFETCH(QString, stage);
        QFETCH(bool, opens);
        LoopVolume volume;
        const QString folder = makeFolder(u"volume"_s);
        QVERIFY(!folder.isEmpty());
        const std::unique_ptr<VolumeNotifier> notifier = VolumeNotifier::create();
        QSignalSpy arrivals(notifier.get(), &VolumeNotifier::deviceArrival);
        if (stage != u"never") {
            QVERIFY2(volume.mount(folder), qPrintable(volume.error()));
            QTRY_VERIFY_WITH_TIMEOUT(volumeNames(arrivals, m_root).contains(folder), waitMs);
        }
        if (stage == u"left")
            QVERIFY2(volume.unmount(), qPrintable(volume.error()));

        std::unique_ptr<VolumeRoot> root = notifier->openVolume(folder + u'/');
        QCOMPARE(bool(root), opens);
        if (stage == u"detached")
            QVERIFY2(volume.detach(), qPrintable(volume.error()));
        if (root)
            QVERIFY(root->makeFolder(u"MUSIC"_s));
        if (stage == u"mounted")
            QVERIFY(QFileInfo(folder + u"/MUSIC"_s).isDir());
        root.reset();
        QVERIFY2(volume.unmount(), qPrintable(volume.error()));
        QVERIFY(QDir(folder).isEmpty());
    }

private:
    QString makeFolder(const QString &name)
    {
        return QDir(m_root).mkdir(name) ? m_root + name : QString();
    }

    QString m_skipReason;
    std::optional<QTemporaryDir> m_dir;
    QString m_root;
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
