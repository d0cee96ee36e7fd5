#include "core/storagelayout.h"

#include "core/folderpath.h"
#include "core/temporaryfiles.h"
#include "core/writerlock.h"
#include "platform/volumeroot.h"

#include <optional>

namespace {

// The entry of a folder of the volume whose name matches without regard to case.
std::optional<VolumeRoot::Entry> findIgnoringCase(const VolumeRoot &volume, const QString &folder,
                                                  const QString &name)
{
    for (const VolumeRoot::Entry &entry : volume.entries(folder).valueOr({})) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return std::nullopt;
}

// The path of a folder of that name in a folder of the volume, made when
// missing; isFolder says whether it is a folder afterwards, and when it is
// not, the problem is noted.
QString ensureFolder(const VolumeRoot &volume, const QString &parent, const QString &name,
                     VolumeSetup &setup, bool &isFolder)
{
    const std::optional<VolumeRoot::Entry> existing = findIgnoringCase(volume, parent, name);
    const QString path = folderpath::join(parent, existing ? existing->name : name);
    Result<> made;
    if (!existing)
        made = volume.makeFolder(path);
    else if (existing->kind != VolumeRoot::Kind::Folder)
        made = FileError(FileError::Kind::NotAFolder);
    isFolder = bool(made);
    if (!isFolder)
        setup.problems.append({path, made.error().kind == FileError::Kind::NotAFolder});
    return path;
}

} // namespace

QString existingFolder(const VolumeRoot &volume, const QString &path)
{
    QString found;
    for (const QString &step : path.split(u'/', Qt::SkipEmptyParts)) {
        const std::optional<VolumeRoot::Entry> entry = findIgnoringCase(volume, found, step);
        if (!entry || entry->kind != VolumeRoot::Kind::Folder)
            return {};
        found = folderpath::join(found, entry->name);
    }
    return found;
}

VolumeSetup setUpVolume(const VolumeRoot &volume)
{
    VolumeSetup setup;
    const std::optional<VolumeRoot::Entry> marker =
        findIgnoringCase(volume, QString(), QStringLiteral("PSP"));
    if (!marker)
        return setup;
    setup.isPsp = true;
    bool isFolder = false;
    setup.musicFolder = ensureFolder(volume, QString(), QStringLiteral("MUSIC"), setup, isFolder);
    const QString playlistParent = folderpath::join(marker->name, QStringLiteral("PLAYLIST"));
    setup.playlistFolder = folderpath::join(playlistParent, QStringLiteral("MUSIC"));
    if (marker->kind != VolumeRoot::Kind::Folder) {
        setup.problems.append({marker->name, true});
        return setup;
    }
    const QString parent =
        ensureFolder(volume, marker->name, QStringLiteral("PLAYLIST"), setup, isFolder);
    if (!isFolder) {
        setup.playlistFolder = folderpath::join(parent, QStringLiteral("MUSIC"));
        return setup;
    }
    setup.playlistFolder = ensureFolder(volume, parent, QStringLiteral("MUSIC"), setup, isFolder);
    const Result<std::unique_ptr<VolumeRoot>> playlists = volume.openFolder(setup.playlistFolder);
    setup.hasPlaylistFolder = bool(playlists);
    // Not beside a writer, here or in another Zarvello: its temporary files
    // are not leftovers.
    if (playlists) {
        if (const Result<std::shared_ptr<const WriterLock>> free = WriterLock::takeIfUsed(volume))
            removeLeftovers(**playlists);
    }
    return setup;
}
