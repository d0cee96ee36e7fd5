#include "media/sendplan.h"

#include "core/sendnames.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString musicFolderName = QStringLiteral("MUSIC");

// Names in one folder of the plan: those on the volume, with their sizes,
// and those the plan has given out already.
struct Names
{
    QList<VolumeRoot::Entry> taken;

    const VolumeRoot::Entry *find(const QString &name) const
    {
        for (const VolumeRoot::Entry &entry : taken) {
            if (sendnames::sameName(entry.name, name))
                return &entry;
        }
        return nullptr;
    }
};

} // namespace

MusicListing listMusic(const VolumeRoot &volume)
{
    MusicListing listing;
    listing.freeBytes = volume.freeBytes();
    for (const VolumeRoot::Entry &entry : volume.entries(QString()).valueOr({})) {
        if (entry.kind == VolumeRoot::Kind::Folder &&
            sendnames::sameName(entry.name, musicFolderName))
            listing.musicFolder = entry.name;
    }
    if (listing.musicFolder.isEmpty())
        return listing;
    for (const VolumeRoot::Entry &entry : volume.entries(listing.musicFolder).valueOr({})) {
        MusicListing::Folder folder{entry, {}};
        if (entry.kind == VolumeRoot::Kind::Folder)
            folder.files = volume.entries(listing.musicFolder + u'/' + entry.name).valueOr({});
        listing.entries.append(folder);
    }
    return listing;
}

SendPlan planSend(const QList<SourceTrack> &sources, const MusicListing &listing,
                  TargetFormat format)
{
    SendPlan plan;
    Names top;
    QList<Names> folders; // parallel to top.taken
    for (const MusicListing::Folder &folder : listing.entries) {
        top.taken.append(folder.entry);
        folders.append(Names{folder.files});
    }
    // The folder a wanted album name leads to: the folder of that name, or a
    // numbered one when a file holds the name.
    const auto folderFor = [&](const QString &wanted) -> qsizetype {
        for (int n = 1;; ++n) {
            const QString name = n == 1 ? wanted : sendnames::numbered(wanted, n);
            const VolumeRoot::Entry *entry = top.find(name);
            if (!entry) {
                top.taken.append({name, VolumeRoot::Kind::Folder});
                folders.append(Names{});
                plan.newFolders.append(name);
                return top.taken.size() - 1;
            }
            if (entry->kind == VolumeRoot::Kind::Folder)
                return entry - top.taken.constData();
        }
    };

    for (const SourceTrack &source : sources) {
        PlannedTrack track;
        track.method = source.method;
        if (source.method == SendMethod::Refuse) {
            ++plan.refused;
            plan.tracks.append(track);
            continue;
        }
        const QFileInfo file(source.path);
        const bool copy = source.method == SendMethod::Copy;
        const qsizetype index = folderFor(sendnames::albumFolder(
            source.tags.albumArtist, source.tags.artist, source.tags.album, file.dir().dirName()));
        track.folder = top.taken.at(index).name;
        Names &names = folders[index];
        const QString wanted =
            sendnames::trackFile(source.tags.track, source.tags.title, file.completeBaseName(),
                                 copy ? source.copyExtension : extensionOf(format));
        for (int n = 1;; ++n) {
            const QString name = n == 1 ? wanted : sendnames::numbered(wanted, n);
            const VolumeRoot::Entry *entry = names.find(name);
            if (!entry) {
                track.fileName = name;
                break;
            }
            // The plan's own names have no size: two sources never share one.
            if (entry->size >= 0 && (!copy || entry->size == source.size)) {
                track.fileName = entry->name;
                track.alreadyThere = true;
                break;
            }
        }
        if (!plan.folders.contains(track.folder))
            plan.folders.append(track.folder);
        if (track.alreadyThere) {
            ++plan.alreadyThere;
        } else {
            names.taken.append({track.fileName, VolumeRoot::Kind::File});
            track.bytes = copy ? source.size : estimatedSize(format, source.seconds);
            plan.bytes += track.bytes;
            ++(copy ? plan.copies : plan.conversions);
        }
        plan.tracks.append(track);
    }
    return plan;
}
