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
    if (S_ISDIR(status.st_mode))
        return DT_DIR;
    if (S_ISLNK(status.st_mode))
        return DT_LNK;
    return S_ISREG(status.st_mode) ? DT_REG : DT_UNKNOWN;
}

} // namespace

QList<FolderEntry> readFolder(const QString &folder, int kinds)
{
    QList<FolderEntry> entries;
    DIR *listing = ::opendir(QFile::encodeName(folder).constData());
    if (!listing)
        return entries;
    const int descriptor = ::dirfd(listing);
    while (const dirent *entry = ::readdir(listing)) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        const unsigned char type = typeOf(descriptor, *entry);
        // Only the names asked for are decoded: a folder of tracks holds
        // thousands of files and few folders.
        if (!(type == DT_DIR && (kinds & FolderEntry::Folders)) &&
            !(type == DT_REG && (kinds & FolderEntry::Files)) &&
            !(type == DT_LNK && (kinds & FolderEntry::Links)))
            continue;
        entries.append({QFile::decodeName(entry->d_name), type == DT_DIR, entry->d_name[0] == '.',
                        -1, type == DT_LNK});
    }
    ::closedir(listing);
    return entries;
}

} // namespace platform
