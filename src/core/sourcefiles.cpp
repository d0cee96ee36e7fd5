#include "core/sourcefiles.h"

#include "core/naturalorder.h"
#include "platform/folderentries.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

bool isCompanionFile(const QString &name)
{
    static const QSet<QString> companions{
        QStringLiteral("jpg"), QStringLiteral("jpeg"),   QStringLiteral("png"),
        QStringLiteral("gif"), QStringLiteral("bmp"),    QStringLiteral("webp"),
        QStringLiteral("txt"), QStringLiteral("nfo"),    QStringLiteral("log"),
        QStringLiteral("cue"), QStringLiteral("m3u"),    QStringLiteral("m3u8"),
        QStringLiteral("pls"), QStringLiteral("pdf"),    QStringLiteral("md5"),
        QStringLiteral("sfv"), QStringLiteral("accurip")};
    return companions.contains(QFileInfo(name).suffix().toLower());
}

void addFolder(const QString &folder, SourceFiles &found)
{
    const QDir dir(folder);
    QStringList names;
    QStringList folders;
    QStringList links;
    for (const FolderEntry &entry : platform::readFolder(
             folder, FolderEntry::Folders | FolderEntry::Files | FolderEntry::Links)) {
        if (!entry.isHidden)
            (entry.kind == FolderEntry::Kind::Link     ? links
             : entry.kind == FolderEntry::Kind::Folder ? folders
                                                       : names)
                .append(entry.name);
    }
    sortNaturally(names);
    for (const QString &name : std::as_const(names)) {
        if (!isCompanionFile(name))
            found.files.append(dir.filePath(name));
    }
    sortNaturally(links);
    for (const QString &name : std::as_const(links)) {
        if (!isCompanionFile(name))
            found.links.append(dir.filePath(name));
    }
    sortNaturally(folders);
    for (const QString &name : std::as_const(folders))
        addFolder(dir.filePath(name), found);
}

} // namespace

SourceFiles expandSourcePaths(const QStringList &paths)
{
    SourceFiles found;
    for (const QString &path : paths) {
        if (QFileInfo(path).isDir())
            addFolder(path, found);
        else
            found.files.append(path);
    }
    return found;
}
