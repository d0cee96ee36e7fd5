#include "core/entry.h"

#include "core/folderpath.h"

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
