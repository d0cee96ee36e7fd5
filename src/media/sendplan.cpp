#include "media/sendplan.h"

#include "core/sendnames.h"
#include "core/temporaryfiles.h"
#include "platform/ansicodepage.h"

#include <algorithm>
#include <cerrno>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

const QString musicFolderName = QStringLiteral("MUSIC");

// Names in one folder of the plan: those on the volume, with their sizes,
// and those the plan has given out already, found by their keys.
struct Names
{
    QList<VolumeRoot::Entry> taken;
    QHash<QString, qsizetype> byKey; // the first of the names with a key
    // For a wanted name's key, the number from which its numbered names are
    // worth trying: those before it are taken for good.
    QHash<QString, int> firstUntried;

    explicit Names(const QList<VolumeRoot::Entry> &entries = {})
    {
        for (const VolumeRoot::Entry &entry : entries)
            add(entry);
    }

    qsizetype add(const VolumeRoot::Entry &entry)
    {
        const QString key = sendnames::nameKey(entry.name);
        if (!byKey.contains(key))
            byKey.insert(key, taken.size());
        taken.append(entry);
        return taken.size() - 1;
    }

    const VolumeRoot::Entry *find(const QString &name) const
    {
        const auto found = byKey.constFind(sendnames::nameKey(name));
        return found == byKey.cend() ? nullptr : &taken.at(*found);
    }
};

} // namespace

MusicListing listMusic(const VolumeRoot &volume)
{
    MusicListing listing;
    listing.freeBytes = volume.freeBytes();
    listing.record = sendrecord::read(volume);
    for (const VolumeRoot::Entry &entry : volume.entries(QString()).valueOr({})) {
        if (!sendnames::sameName(entry.name, musicFolderName))
            continue;
        if (entry.kind == VolumeRoot::Kind::Folder)
            listing.musicFolder = entry.name;
        else
            listing.musicNotAFolder = true;
    }
    if (listing.musicFolder.isEmpty())
        return listing;
    // A file made and dropped at once (it removes itself): what the card's
    // switch or the mount allows is known before any track is tried.
    const Result<std::unique_ptr<VolumeRoot>> music = volume.openFolder(listing.musicFolder);
    if (!music) {
        listing.readOnly = true;
        return listing;
    }
    // Only a refusal to write says so: a full card is no write-protected one.
    if (const auto probe = createTemporaryFile(**music); !probe) {
        const int refusal = probe.error().errorNumber;
        listing.readOnly = refusal == EROFS || refusal == EACCES || refusal == EPERM;
    }
    for (const VolumeRoot::Entry &entry : (*music)->entries(QString()).valueOr({})) {
        MusicListing::Folder folder{entry, {}};
        if (entry.kind == VolumeRoot::Kind::Folder)
            folder.files = (*music)->entries(entry.name).valueOr({});
        listing.entries.append(folder);
    }
    return listing;
}

SendPlan planSend(const QList<SourceTrack> &sources, const MusicListing &listing,
                  TargetFormat format, int codePage, const Quality &quality)
{
    SendPlan plan;
    const AnsiCodec codec(codePage);
    Names top;
    QList<Names> folders; // parallel to top.taken
    for (const MusicListing::Folder &folder : listing.entries) {
        top.add(folder.entry);
        folders.append(Names(folder.files));
    }
    QSet<qsizetype> used; // folders among plan.folders
    // The folder a wanted album name leads to: the folder of that name, or a
    // numbered one when a file holds the name.
    const auto folderFor = [&](const QString &wanted) -> qsizetype {
        for (int n = 1;; ++n) {
            const QString name = n == 1 ? wanted : sendnames::numbered(wanted, n);
            const VolumeRoot::Entry *entry = top.find(name);
            if (!entry) {
                folders.append(Names());
                plan.newFolders.append(name);
                return top.add({name, VolumeRoot::Kind::Folder});
            }
            if (entry->kind == VolumeRoot::Kind::Folder)
                return entry - top.taken.constData();
        }
    };

    // Each album's folder first, to know the albums of several discs.
    QStringList albums;
    QSet<QString> severalDiscs; // by key
    for (const SourceTrack &source : sources) {
        if (source.method == SendMethod::Refuse) {
            albums.append(QString());
            continue;
        }
        const QFileInfo file(source.path);
        const TrackTags &tags = source.tags;
        albums.append(sendnames::albumFolder(tags.albumArtist, tags.artist, tags.album,
                                             file.dir().dirName(),
                                             sendnames::artistFolderOf(source.path), codec));
        if (tags.disc >= 2 || tags.discTotal > 1)
            severalDiscs.insert(sendnames::nameKey(albums.constLast()));
    }

    for (qsizetype i = 0; i < sources.size(); ++i) {
        const SourceTrack &source = sources.at(i);
        PlannedTrack track;
        track.method = source.method;
        if (source.method == SendMethod::Refuse) {
            ++plan.refused;
            plan.tooLarge += source.refusal == SourceTrack::Refusal::TooLarge;
            plan.tracks.append(track);
            continue;
        }
        const bool copy = source.method == SendMethod::Copy;
        // A rewritten copy's size is its own, as a conversion's is.
        const bool rewrite = source.method == SendMethod::Rewrite;
        const qsizetype index = folderFor(albums.at(i));
        track.folder = top.taken.at(index).name;
        Names &names = folders[index];
        const int disc =
            severalDiscs.contains(sendnames::nameKey(albums.at(i))) ? source.tags.disc : 0;
        const QString wanted = sendnames::trackFile(
            disc, source.tags.track, source.tags.title, QFileInfo(source.path).completeBaseName(),
            copy || rewrite ? source.copyExtension : extensionOf(format), codec);
        int &untried = names.firstUntried[sendnames::nameKey(wanted)];
        untried = std::max(untried, 1);
        for (int n = untried;; ++n) {
            const QString name = n == 1 ? wanted : sendnames::numbered(wanted, n);
            const VolumeRoot::Entry *entry = names.find(name);
            if (!entry) {
                track.fileName = name;
                break;
            }
            // The plan's own names have no size: two sources never share one,
            // and later searches for the same name start past them.
            if (entry->size < 0 && n == untried)
                ++untried;
            if (entry->size >= 0 && (!copy || entry->size == source.size)) {
                track.fileName = entry->name;
                track.alreadyThere = true;
                break;
            }
        }
        if (!used.contains(index)) {
            used.insert(index);
            plan.folders.append(track.folder);
        }
        if (track.alreadyThere) {
            ++plan.alreadyThere;
        } else {
            names.add({track.fileName, VolumeRoot::Kind::File});
            track.bytes = copy      ? source.size + clusterMargin
                          : rewrite ? source.rewrittenSize + clusterMargin
                                    : estimatedSize(format, quality, source.seconds);
            plan.bytes += track.bytes;
            ++(copy || rewrite ? plan.copies : plan.conversions);
        }
        plan.tracks.append(track);
    }
    return plan;
}

QString recordedSettings(SendMethod method, TargetFormat format, const Quality &quality)
{
    switch (method) {
    case SendMethod::Copy:
        return QStringLiteral("copy");
    case SendMethod::Rewrite:
        return QStringLiteral("rewrite");
    default:
        return format == TargetFormat::Mp3
                   ? QStringLiteral("mp3 V%1").arg(quality.mp3Level)
                   : QStringLiteral("aac %1").arg(quality.aacBitRate / 1000);
    }
}

void keepWhatFits(SendPlan &plan, qint64 freeBytes)
{
    if (freeBytes < 0)
        return;
    qint64 kept = 0;
    for (PlannedTrack &track : plan.tracks) {
        if (track.method == SendMethod::Refuse || track.alreadyThere)
            continue;
        if (plan.noRoom == 0 && kept + track.bytes <= freeBytes) {
            kept += track.bytes;
            continue;
        }
        track.noRoom = true;
        ++plan.noRoom;
        // Counted as the plan counts it: a rewritten copy is a copy.
        --(track.method == SendMethod::Convert ? plan.conversions : plan.copies);
    }
    plan.bytes = kept;
}
