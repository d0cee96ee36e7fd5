#include "platform/folderentries.h"

#include <QDir>
#include <windows.h>

namespace platform {

QList<FolderEntry> readFolder(const QString &folder, int wanted)
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
        // Links and junctions are reparse points.
        const FolderEntry::Kind kind =
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? FolderEntry::Kind::Link
            : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? FolderEntry::Kind::Folder
                                                        : FolderEntry::Kind::File;
        if (FolderEntry::isWanted(kind, wanted))
            entries.append({name, kind, (attributes & FILE_ATTRIBUTE_HIDDEN) != 0});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

} // namespace platform
