#include "core/entry.h"

#include "core/folderpath.h"

#include <algorithm>

QString playlistEntry(const QString &driveRoot, const QString &folder, const QString &fileName)
{
    const QString root = folderpath::rootForm(driveRoot);
    QString path = folderpath::join(folder, fileName);
    // Below the root, keep the part after it; the root's own separator
    // becomes the entry's leading backslash.
    if (folderpath::isWithin(folder, root))
        path = path.mid(root.size() - 1);
    path.replace(u'/', u'\\');
    return path.startsWith(u'\\') ? path : u'\\' + path;
}

bool fitsInEntry(QStringView name)
{
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x20; });
}

bool namesTrack(QStringView entry)
{
    return !entry.trimmed().isEmpty() && !entry.startsWith(u'#');
}

QString entryFilePath(const QString &driveRoot, const QString &entry)
{
    const QString root = folderpath::rootForm(driveRoot);
    QString relative = entry;
    relative.replace(u'\\', u'/');
    const QString path = folderpath::normalised(folderpath::join(root, relative));
    return folderpath::isWithin(path, root) ? path : QString();
}
