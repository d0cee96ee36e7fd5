#include "transfer/sendplan.h"

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

// The music folder as listed, each folder's files found by name, and the
// plan's own names as it gives them out.
struct Listed
{
    Names top;
    QList<Names> folders; // parallel to top.taken

    explicit Listed(const MusicListing &listing)
    {
        for (const MusicListing::Folder &folder : listing.entries) {
            top.add(folder.entry);
            folders.append(Names(folder.files));
        }
    }

    // Where a recorded track's file is, when the listing shows it as it was
    // recorded; no file when not, and then it is none of ours any more.
    struct Place
    {
        qsizetype folder = -1;
        const VolumeRoot::Entry *file = nullptr;
    };
    Place find(const RecordedTrack &track) const
    {
        const qsizetype slash = track.file.indexOf(u'/');
        const VolumeRoot::Entry *folder = slash < 0 ? nullptr : top.find(track.file.left(slash));
        if (!folder || folder->kind != VolumeRoot::Kind::Folder)
            return {};
        const qsizetype index = folder - top.taken.constData();
        const VolumeRoot::Entry *file = folders.at(index).find(track.file.mid(slash + 1));
        if (!file || !sendrecord::isRecordedFile(track, *file))
            return {};
        return {index, file};
    }
};

SendMethod methodOf(const QString &settings)
{
    return settings == recordedSettings(SendMethod::Copy, {}, {})      ? SendMethod::Copy
           : settings == recordedSettings(SendMethod::Rewrite, {}, {}) ? SendMethod::Rewrite
                                                                       : SendMethod::Convert;
}

} // namespace

MusicListing listMusic(const VolumeRoot &volume)
{
    MusicListing listing;
    listing.freeBytes = volume.freeBytes();
    listing.totalBytes = volume.totalBytes();
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
                  TargetFormat format, int codePage, const Quality &quality,
                  bool replaceOtherFormats)
{
    SendPlan plan;
    const AnsiCodec codec(codePage);
    const SendRecord &record = listing.record;
    Listed listed(listing);
    Names &top = listed.top;
    QList<Names> &folders = listed.folders;
    QSet<qsizetype> used; // folders among plan.folders
    // Recorded files that a track of this plan takes the place of.
    QSet<const VolumeRoot::Entry *> replaced;
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
        // Only the record says a file is this source's: one of the same
        // name may be anyone's.
        Listed::Place there;
        if (const RecordedTrack *recorded = record.bySource(source.identity())) {
            there = listed.find(*recorded);
            const bool otherFormat =
                there.file &&
                recorded->settings != recordedSettings(source.method, format, quality);
            plan.otherFormat += otherFormat;
            track.alreadyThere = there.file && (!otherFormat || !replaceOtherFormats);
        }
        // Changed since it was sent: what was written of it then makes way.
        for (const RecordedTrack &earlier : record.byPath(source.path)) {
            if (there.file)
                break;
            there = listed.find(earlier);
        }
        if (!track.alreadyThere && replaced.contains(there.file))
            there = {};
        qsizetype index = there.folder;
        if (track.alreadyThere) {
            track.folder = top.taken.at(index).name;
            track.fileName = there.file->name;
        } else {
            index = folderFor(albums.at(i));
            track.folder = top.taken.at(index).name;
            Names &names = folders[index];
            const int disc =
                severalDiscs.contains(sendnames::nameKey(albums.at(i))) ? source.tags.disc : 0;
            const QString wanted = sendnames::trackFile(
                disc, source.tags.track, source.tags.title,
                QFileInfo(source.path).completeBaseName(),
                copy || rewrite ? source.copyExtension : extensionOf(format), codec);
            if (there.file) {
                replaced.insert(there.file);
                track.replaces = top.taken.at(there.folder).name + u'/' + there.file->name;
            }
            // With a record that could not be read, a file of the very name
            // this track would get, and of its size when that is known
            // before it is written, is the one written before, most likely:
            // taken as sent rather than doubled.
            const VolumeRoot::Entry *adopted =
                there.file || record.trust == SendRecord::Trust::Whole ? nullptr
                                                                       : names.find(wanted);
            const qint64 size = copy ? source.size : -1;
            if (adopted && (adopted->kind != VolumeRoot::Kind::File || adopted->size <= 0 ||
                            (size >= 0 && adopted->size != size) ||
                            record.byFile(track.folder + u'/' + adopted->name)))
                adopted = nullptr;
            if (adopted) {
                track.alreadyThere = true;
                track.fileName = adopted->name;
            } else if (there.file && there.folder == index && there.file->name == wanted) {
                // The file it replaces keeps its name when it has the very
                // one this track would get; every other name there is taken.
                track.fileName = wanted;
            } else {
                int &untried = names.firstUntried[sendnames::nameKey(wanted)];
                for (int n = std::max(untried, 1);; ++n) {
                    const QString name = n == 1 ? wanted : sendnames::numbered(wanted, n);
                    if (!names.find(name)) {
                        track.fileName = name;
                        untried = n + 1;
                        break;
                    }
                }
                names.add({track.fileName, VolumeRoot::Kind::File});
            }
        }
        if (!used.contains(index)) {
            used.insert(index);
            plan.folders.append(track.folder);
        }
        if (track.alreadyThere) {
            ++plan.alreadyThere;
        } else {
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

QList<SourceTrack> recordedSources(const QStringList &paths, const MusicListing &listing)
{
    QList<SourceTrack> known(paths.size());
    if (listing.record.tracks().isEmpty()) {
        for (qsizetype i = 0; i < paths.size(); ++i)
            known[i].path = paths.at(i);
        return known;
    }
    const Listed listed(listing);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        SourceTrack &source = known[i];
        source.path = paths.at(i);
        const SourceIdentity identity = SourceIdentity::of(source.path);
        const RecordedTrack *recorded = listing.record.bySource(identity);
        if (!recorded || !listed.find(*recorded).file)
            continue;
        source.method = methodOf(recorded->settings);
        source.size = identity.size;
        source.modified = identity.modified;
        source.copyExtension = QFileInfo(recorded->file).suffix();
    }
    return known;
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
        // One too large leaves room for smaller ones after it.
        if (kept + track.bytes <= freeBytes) {
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
