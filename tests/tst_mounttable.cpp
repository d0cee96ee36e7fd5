#include "platform/mounttable.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A desktop with a card, a USB stick, network shares and the usual kernel
// file systems; the optional fields vary as they do on real systems.
const QByteArray desktopTable =
    R"(22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro
23 22 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw
24 22 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw
25 22 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8103512k,nr_inodes=2025878,mode=755
26 25 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts rw,gid=5,mode=620,ptmxmode=000
27 22 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1626020k,mode=755
28 24 0:26 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw,nsdelegate,memory_recursiveprot
29 22 259:1 / /boot/efi rw,relatime shared:30 - vfat /dev/nvme0n1p1 rw,fmask=0077,dmask=0077,codepage=437,iocharset=ascii
30 22 7:3 / /snap/core22/1380 ro,nodev,relatime shared:40 - squashfs /dev/loop3 ro,errors=continue
31 22 259:2 /srv/my\040data /home/ana/data rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro
32 27 0:45 / /run/user/1000 rw,nosuid,nodev,relatime shared:300 - tmpfs tmpfs rw,size=1626016k,mode=700,uid=1000
33 32 0:47 / /run/user/1000/doc rw,nosuid,nodev,relatime shared:310 - fuse.portal portal rw,user_id=1000,group_id=1000
34 22 0:50 / /mnt/nas rw,relatime shared:210 master:2 - nfs4 nas:/export/music rw,vers=4.2,addr=192.168.1.5
35 22 0:51 / /mnt/share rw,relatime - cifs //server/share rw,vers=3.1.1
36 22 0:52 / /home/ana/remote rw,nosuid,nodev,relatime shared:220 - fuse.sshfs ana@host:/home/ana rw,user_id=1000,group_id=1000
55 27 8:17 / /media/ana/PSP rw,nosuid,nodev,relatime shared:200 master:1 propagate_from:1 - vfat /dev/sdb1 rw,uid=1000,gid=1000,fmask=0022,dmask=0022
56 27 8:33 / /media/ana/EXFAT\040STICK rw,nosuid,nodev,relatime shared:201 - fuseblk /dev/sdc1 rw,user_id=0,group_id=0,default_permissions,allow_other,blksize=4096
57 22 8:49 / /mnt/tab\011new\012line\134slash rw,relatime unbindable - ext4 /dev/sdd1 rw
)";

MountEntry entry(const QString &mountPoint, const QString &majorMinor, const QString &source,
                 const QString &fsType, const QString &root = u"/"_s)
{
    return MountEntry{mountPoint, root, majorMinor, source, fsType};
}

QStringList mountPoints(const QList<MountEntry> &entries)
{
    QStringList points;
    for (const MountEntry &e : entries)
        points.append(e.mountPoint);
    return points;
}

} // namespace

class TestMountTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesEveryLine()
    {
        const QList<MountEntry> entries = platform::parseMountInfo(desktopTable);
        QCOMPARE(entries.size(), 18);
        QCOMPARE(entries.first(), entry(u"/"_s, u"259:2"_s, u"/dev/nvme0n1p2"_s, u"ext4"_s));
        QCOMPARE(entries.at(3), entry(u"/dev"_s, u"0:5"_s, u"udev"_s, u"devtmpfs"_s));
    }

    void readsFieldsAfterOptionalFields()
    {
        const QList<MountEntry> entries = platform::parseMountInfo(desktopTable);
        // Three optional fields.
        QCOMPARE(entries.at(15), entry(u"/media/ana/PSP"_s, u"8:17"_s, u"/dev/sdb1"_s, u"vfat"_s));
        // No optional field at all.
        QCOMPARE(entries.at(13), entry(u"/mnt/share"_s, u"0:51"_s, u"//server/share"_s, u"cifs"_s));
        QCOMPARE(entries.at(12),
                 entry(u"/mnt/nas"_s, u"0:50"_s, u"nas:/export/music"_s, u"nfs4"_s));
    }

    void decodesEscapes()
    {
        const QList<MountEntry> entries = platform::parseMountInfo(desktopTable);
        QCOMPARE(entries.at(9), entry(u"/home/ana/data"_s, u"259:2"_s, u"/dev/nvme0n1p2"_s,
                                      u"ext4"_s, u"/srv/my data"_s));
        QCOMPARE(entries.at(16).mountPoint, u"/media/ana/EXFAT STICK"_s);
        QCOMPARE(entries.at(17).mountPoint, u"/mnt/tab\tnew\nline\\slash"_s);
    }

    void decodesUtf8Names()
    {
        const QList<MountEntry> entries = platform::parseMountInfo(
            "60 22 8:17 / /media/jos\xc3\xa9/M\xc3\xbasica rw - vfat /dev/sdb1 rw\n");
        QCOMPARE(mountPoints(entries), QStringList{u"/media/jos\u00e9/M\u00fasica"_s});
    }

    void keepsIncompleteEscapes()
    {
        const QList<MountEntry> entries =
            platform::parseMountInfo("60 22 8:17 / /media/a\\9b\\04 rw - vfat /dev/sdb1 rw\n");
        QCOMPARE(mountPoints(entries), QStringList{u"/media/a\\9b\\04"_s});
    }

    void skipsMalformedLines()
    {
        const QList<MountEntry> entries =
            platform::parseMountInfo("\n"
                                     "garbage\n"
                                     "60 22 8:17 / /media/a rw shared:1 vfat /dev/sdb1 rw\n"
                                     "61 22 8:18 / /media/b rw - vfat\n"
                                     "62 22 8:19 / /media/c rw - vfat /dev/sdc1 rw");
        QCOMPARE(mountPoints(entries), QStringList{u"/media/c"_s});
    }

    void classifies_data()
    {
        QTest::addColumn<QString>("fsType");
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("disk");
        const QString whole = u"/"_s;
        for (const QString &type :
             {u"vfat"_s, u"msdos"_s, u"exfat"_s, u"ntfs"_s, u"ntfs3"_s, u"fuseblk"_s, u"ext2"_s,
              u"ext3"_s, u"ext4"_s, u"btrfs"_s, u"xfs"_s, u"udf"_s, u"iso9660"_s, u"hfsplus"_s,
              u"fuse.exfat"_s, u"fuse.exfat-fuse"_s, u"fuse.ntfs-3g"_s, u"fuse.fuse2fs"_s})
            QTest::addRow("%s", type.isEmpty() ? "no type" : qPrintable(type))
                << type << whole << true;
        for (const QString &type :
             {u"nfs"_s,         u"nfs4"_s,       u"cifs"_s,     u"smb3"_s,        u"smbfs"_s,
              u"fuse.sshfs"_s,  u"9p"_s,         u"davfs"_s,    u"fuse.davfs2"_s, u"fuse.rclone"_s,
              u"fuse.portal"_s, u"fuse"_s,       u"fuse."_s,    u"proc"_s,        u"sysfs"_s,
              u"cgroup"_s,      u"cgroup2"_s,    u"devpts"_s,   u"devtmpfs"_s,    u"tmpfs"_s,
              u"ramfs"_s,       u"overlay"_s,    u"squashfs"_s, u"autofs"_s,      u"tracefs"_s,
              u"debugfs"_s,     u"securityfs"_s, u"fusectl"_s,  u"mqueue"_s,      u"hugetlbfs"_s,
              u"bpf"_s,         u"pstore"_s,     u"configfs"_s, u"binfmt_misc"_s, u"efivarfs"_s,
              u"nsfs"_s,        u"VFAT"_s,       u""_s})
            QTest::addRow("%s", type.isEmpty() ? "no type" : qPrintable(type))
                << type << whole << false;
        QTest::newRow("bind mount of a folder") << u"vfat"_s << u"/MUSIC"_s << false;
        QTest::newRow("bind mount, fuseblk") << u"fuseblk"_s << u"/PSP/MUSIC"_s << false;
    }

    void classifies()
    {
        QFETCH(QString, fsType);
        QFETCH(QString, root);
        QFETCH(bool, disk);
        QCOMPARE(
            platform::isDiskVolume(entry(u"/media/psp"_s, u"8:17"_s, u"/dev/sdb1"_s, fsType, root)),
            disk);
    }

    void sameTableChangesNothing()
    {
        const QList<MountEntry> table = platform::parseMountInfo(desktopTable);
        const MountChanges changes = platform::diffMounts(table, table);
        QVERIFY(changes.arrivals.isEmpty());
        QVERIFY(changes.removals.isEmpty());
    }

    void reusedMountIdsChangeNothing()
    {
        const QList<MountEntry> before = platform::parseMountInfo(
            "55 27 8:17 / /media/ana/PSP rw shared:200 - vfat /dev/sdb1 rw\n"
            "56 27 8:33 / /media/ana/STICK rw shared:201 - fuseblk /dev/sdc1 rw\n");
        const QList<MountEntry> after = platform::parseMountInfo(
            "56 27 8:17 / /media/ana/PSP rw shared:210 - vfat /dev/sdb1 rw\n"
            "55 27 8:33 / /media/ana/STICK rw shared:211 - fuseblk /dev/sdc1 rw\n");
        const MountChanges changes = platform::diffMounts(before, after);
        QVERIFY(changes.arrivals.isEmpty());
        QVERIFY(changes.removals.isEmpty());
    }

    void reportsArrivals()
    {
        const QList<MountEntry> before = platform::parseMountInfo(desktopTable);
        const QList<MountEntry> after = platform::parseMountInfo(
            desktopTable +
            "58 27 8:65 / /media/ana/PSP\\040GO rw,nosuid shared:400 - vfat /dev/sde1 rw\n"
            "59 27 8:81 / /media/ana/CARD rw,nosuid shared:401 - exfat /dev/sdf1 rw\n");
        const MountChanges changes = platform::diffMounts(before, after);
        QCOMPARE(changes.arrivals, (QStringList{u"/media/ana/PSP GO"_s, u"/media/ana/CARD"_s}));
        QVERIFY(changes.removals.isEmpty());
    }

    void reportsRemovals()
    {
        const QList<MountEntry> before = platform::parseMountInfo(desktopTable);
        QList<MountEntry> after = before;
        after.removeAt(16); // the fuseblk stick
        after.removeAt(15); // the vfat handheld
        const MountChanges changes = platform::diffMounts(before, after);
        QVERIFY(changes.arrivals.isEmpty());
        QCOMPARE(changes.removals, (QStringList{u"/media/ana/PSP"_s, u"/media/ana/EXFAT STICK"_s}));
    }

    void ignoresOtherFileSystemsAndBindMounts()
    {
        const QByteArray others =
            "70 22 0:60 / /mnt/more rw - nfs server:/more rw\n"
            "71 22 0:61 / /tmp/scratch rw - tmpfs tmpfs rw\n"
            "72 22 8:17 /MUSIC /home/ana/Music rw - vfat /dev/sdb1 rw\n"
            "73 22 0:62 / /home/ana/cloud rw - fuse.rclone drive: rw\n"
            "74 22 0:63 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw\n";
        const QList<MountEntry> before = platform::parseMountInfo(desktopTable);
        const QList<MountEntry> after = platform::parseMountInfo(desktopTable + others);

        const MountChanges arriving = platform::diffMounts(before, after);
        QVERIFY(arriving.arrivals.isEmpty());
        QVERIFY(arriving.removals.isEmpty());

        // Shares and kernel file systems going away are not volumes leaving.
        const MountChanges leaving = platform::diffMounts(after, before);
        QVERIFY(leaving.arrivals.isEmpty());
        QVERIFY(leaving.removals.isEmpty());
    }

    void remountWithOtherSourceIsRemovalAndArrival()
    {
        const QList<MountEntry> before =
            platform::parseMountInfo("22 1 259:2 / / rw shared:1 - ext4 /dev/nvme0n1p2 rw\n"
                                     "55 22 8:17 / /media/psp rw shared:200 - vfat /dev/sdb1 rw\n");
        // Unplugged and another handheld plugged in between two wakes: the
        // mount ID comes back, the device does not.
        const QList<MountEntry> after =
            platform::parseMountInfo("22 1 259:2 / / rw shared:1 - ext4 /dev/nvme0n1p2 rw\n"
                                     "55 22 8:33 / /media/psp rw shared:200 - vfat /dev/sdc1 rw\n");
        const MountChanges changes = platform::diffMounts(before, after);
        QCOMPARE(changes.removals, QStringList{u"/media/psp"_s});
        QCOMPARE(changes.arrivals, QStringList{u"/media/psp"_s});
    }

    void fileSystemRootStaysRoot()
    {
        const QList<MountEntry> after =
            platform::parseMountInfo("22 1 259:2 / / rw shared:1 - ext4 /dev/nvme0n1p2 rw\n");
        const MountChanges changes = platform::diffMounts({}, after);
        QCOMPARE(changes.arrivals, QStringList{u"/"_s});
    }

    void stackedMountsAreReportedOnce()
    {
        const QList<MountEntry> after =
            platform::parseMountInfo("55 22 8:17 / /media/psp rw - vfat /dev/sdb1 rw\n"
                                     "56 55 8:17 / /media/psp rw - vfat /dev/sdb1 rw\n");
        const MountChanges changes = platform::diffMounts({}, after);
        QCOMPARE(changes.arrivals, QStringList{u"/media/psp"_s});
        QCOMPARE(platform::diffMounts(after, {}).removals, QStringList{u"/media/psp"_s});
    }
};

QTEST_GUILESS_MAIN(TestMountTable)
#include "tst_mounttable.moc"
