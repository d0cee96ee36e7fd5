#include "platform/folderentries.h"

#include <QDir>
#include <windows.h>

namespace platform {

QList<FolderEntry> readFolder(const QString &folder, int kinds)
{
    QList<FolderEntry> entries;
    const QString pattern = QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("*")));
    WIN32_FIND_DATAW found;
    const HANDLE search =
        FindFirstFileExW(reinterpret_cast<const wchar_t *>(pattern.utf16()), FindExInfoBasic,
                         &found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        const DWORD attributes = found.dwFileAttributes;
        if (name == u"." || name == u".." || (attributes & FILE_ATTRIBUTE_DEVICE))
            continue;
        const bool hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        // Links and junctions are reparse points.
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            if (kinds & FolderEntry::Links)
                entries.append({name, false, hidden, -1, true});
            continue;
        }
        const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (kinds & (isFolder ? FolderEntry::Folders : FolderEntry::Files))
            entries.append({name, isFolder, hidden});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

} // namespace platform
