#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One line of /proc/self/mountinfo, with the kernel's octal escapes decoded.
struct MountEntry
{
    QString mountPoint; // where the file system is attached, e.g. "/media/psp"
    QString root;       // the folder of the file system seen there; "/" unless bind-mounted
    QString majorMinor; // the device number, e.g. "8:17"
    QString source;     // the device or share, e.g. "/dev/sdb1"
    QString fsType;     // e.g. "vfat", "fuseblk", "fuse.sshfs"

    friend bool operator==(const MountEntry &a, const MountEntry &b)
    {
        return a.mountPoint == b.mountPoint && a.root == b.root && a.majorMinor == b.majorMinor &&
               a.source == b.source && a.fsType == b.fsType;
    }
    friend bool operator!=(const MountEntry &a, const MountEntry &b) { return !(a == b); }
};

// Volumes that appeared or went away between two readings of the table, by
// their mount points ("/media/psp"), each listed once.
struct MountChanges
{
    QStringList arrivals;
    QStringList removals;
};

namespace platform {

// The entries of the text of /proc/self/mountinfo, in file order. Lines that
// do not have the expected fields are left out.
QList<MountEntry> parseMountInfo(const QByteArray &text);

// True for the whole of a file system kept on a disk or card (what a handheld
// plugged in over USB shows up as); false for network shares, pseudo and
// memory file systems, and bind mounts of a folder.
bool isDiskVolume(const MountEntry &entry);

// The mount that a folder (a real path, without links) lies on: the one at
// the deepest mount point above it or at it, the last of those stacked
// there. Null when none is (a table without "/").
const MountEntry *mountHolding(const QList<MountEntry> &table, const QString &folder);

// Compares two whole readings of the table. A mount counts as the same when
// its mount point, device number, source and file system type are unchanged.
MountChanges diffMounts(const QList<MountEntry> &before, const QList<MountEntry> &after);

} // namespace platform
