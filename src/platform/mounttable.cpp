#include "platform/mounttable.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <QFile>
#include <QStringView>

namespace platform {

namespace {

// File systems that live on a disk, card or disc. Anything else (network
// shares, kernel and memory file systems, containers) is never a handheld.
constexpr QStringView diskFileSystems[] = {
    u"vfat", u"msdos", u"exfat", u"ntfs", u"ntfs3", u"fuseblk", u"ext2",
    u"ext3", u"ext4",  u"btrfs", u"xfs",  u"udf",   u"iso9660", u"hfsplus",
};

// FUSE drivers of disk file systems, as they name themselves ("fuse.<name>")
// when mounted without a block device; as root they show up as "fuseblk".
constexpr QStringView diskFuseDrivers[] = {
    u"exfat", u"exfat-fuse", u"ntfs", u"ntfs-3g", u"lowntfs-3g", u"vfat",
    u"fat",   u"msdos",      u"ext2", u"ext3",    u"ext4",       u"fuse2fs",
};

template <std::size_t N> bool isOneOf(QStringView name, const QStringView (&names)[N])
{
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in names as \ooo.
QString decodeField(const QByteArray &field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size() && isOctalDigit(field.at(i + 1)) &&
            isOctalDigit(field.at(i + 2)) && isOctalDigit(field.at(i + 3))) {
            bytes.append(static_cast<char>((field.at(i + 1) - '0') * 64 +
                                           (field.at(i + 2) - '0') * 8 + (field.at(i + 3) - '0')));
            i += 3;
        } else {
            bytes.append(field.at(i));
        }
    }
    return QFile::decodeName(bytes);
}

// Mount IDs are reused, so a mount is recognised by what it attaches where.
bool isSameMount(const MountEntry &a, const MountEntry &b)
{
    return a.mountPoint == b.mountPoint && a.majorMinor == b.majorMinor && a.source == b.source &&
           a.fsType == b.fsType;
}

bool hasMount(const QList<MountEntry> &table, const MountEntry &entry)
{
    return std::any_of(table.cbegin(), table.cend(),
                       [&entry](const MountEntry &other) { return isSameMount(entry, other); });
}

void appendOnce(QStringList &list, const QString &value)
{
    if (!list.contains(value))
        list.append(value);
}

} // namespace

QList<MountEntry> parseMountInfo(const QByteArray &text)
{
    // Fields: mount ID, parent ID, major:minor, root, mount point, options,
    // optional fields ended by "-", then file system type, source, options.
    constexpr int rootField = 3;
    constexpr int mountPointField = 4;
    constexpr int firstOptionalField = 6;
    QList<MountEntry> entries;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        qsizetype separator = firstOptionalField;
        while (separator < fields.size() && fields.at(separator) != "-")
            ++separator;
        if (separator + 2 >= fields.size())
            continue;
        MountEntry entry;
        entry.majorMinor = QString::fromLatin1(fields.at(2));
        entry.root = decodeField(fields.at(rootField));
        entry.mountPoint = decodeField(fields.at(mountPointField));
        entry.fsType = decodeField(fields.at(separator + 1));
        entry.source = decodeField(fields.at(separator + 2));
        entries.append(entry);
    }
    return entries;
}

bool isDiskVolume(const MountEntry &entry)
{
    if (entry.root != u"/")
        return false;
    const QStringView fuseType = u"fuse.";
    if (entry.fsType.startsWith(fuseType))
        return isOneOf(QStringView(entry.fsType).mid(fuseType.size()), diskFuseDrivers);
    return isOneOf(entry.fsType, diskFileSystems);
}

const MountEntry *mountHolding(const QList<MountEntry> &table, const QString &folder)
{
    const MountEntry *holder = nullptr;
    for (const MountEntry &entry : table) {
        const QString &point = entry.mountPoint;
        const bool above = folder == point || point == u"/" ||
                           (folder.startsWith(point) && folder.at(point.size()) == u'/');
        if (above && (!holder || point.size() >= holder->mountPoint.size()))
            holder = &entry;
    }
    return holder;
}

MountChanges diffMounts(const QList<MountEntry> &before, const QList<MountEntry> &after)
{
    MountChanges changes;
    for (const MountEntry &entry : before) {
        if (isDiskVolume(entry) && !hasMount(after, entry))
            appendOnce(changes.removals, entry.mountPoint);
    }
    for (const MountEntry &entry : after) {
        if (isDiskVolume(entry) && !hasMount(before, entry))
            appendOnce(changes.arrivals, entry.mountPoint);
    }
    return changes;
}

} // namespace platform
