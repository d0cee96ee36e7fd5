#include "platform/folderentries.h"

#include <dirent.h>
#include <fcntl.h>
#include <QFile>
#include <sys/stat.h>

namespace platform {

namespace {

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The entry's type, from the listing when the file system gives it there.
unsigned char typeOf(int folder, const dirent &entry)
{
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type;
    struct stat status
    {};
    if (::fstatat(folder, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return DT_UNKNOWN;
    return IFTODT(status.st_mode);
}

FolderEntry::Kind kindOf(unsigned char type)
{
    switch (type) {
    case DT_DIR:
        return FolderEntry::Kind::Folder;
    case DT_REG:
        return FolderEntry::Kind::File;
    case DT_LNK:
        return FolderEntry::Kind::Link;
    default:
        return FolderEntry::Kind::Other;
    }
}

} // namespace

QList<FolderEntry> readFolder(const QString &folder, int wanted)
{
    QList<FolderEntry> entries;
    DIR *listing = ::opendir(QFile::encodeName(folder).constData());
    if (!listing)
        return entries;
    const int descriptor = ::dirfd(listing);
    while (const dirent *entry = ::readdir(listing)) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        const FolderEntry::Kind kind = kindOf(typeOf(descriptor, *entry));
        // Only the names asked for are decoded: a folder of tracks holds
        // thousands of files and few folders.
        if (FolderEntry::isWanted(kind, wanted))
            entries.append({QFile::decodeName(entry->d_name), kind, entry->d_name[0] == '.'});
    }
    ::closedir(listing);
    return entries;
}

} // namespace platform
