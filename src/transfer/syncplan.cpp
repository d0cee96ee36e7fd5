#include "transfer/syncplan.h"

#include "core/computerplaylist.h"
#include "core/namerules.h"
#include "core/sendnames.h"
#include "core/sourcefiles.h"
#include "platform/ansicodepage.h"

#include <algorithm>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

// Room left in a name for the number that tells it from a taken one.
constexpr int longestPlaylistName = 255 - 16;

// The file a line of a PSP playlist names below the music folder, as the
// record names it ("<album folder>/<file>"); empty when it names none there.
QString musicFileOf(QString line, const QString &musicFolder)
{
    line.replace(u'\\', u'/');
    while (line.startsWith(u'/'))
        line.remove(0, 1);
    const qsizetype slash = line.indexOf(u'/');
    if (slash < 0 || musicFolder.isEmpty() ||
        !sendnames::sameName(QStringView(line).left(slash), musicFolder))
        return {};
    return line.mid(slash + 1);
}

// For each file below the music folder that a playlist Zarvello did not
// write names, by key, the playlists that name it.
QHash<QString, QStringList> namedByUserPlaylists(const QList<PspPlaylist> &playlists,
                                                 const SendRecord &record,
                                                 const QString &musicFolder)
{
    QSet<QString> ours;
    for (const RecordedPlaylist &playlist : record.playlists)
        ours.insert(sendnames::nameKey(playlist.file));
    QHash<QString, QStringList> namedBy;
    for (const PspPlaylist &playlist : playlists) {
        if (ours.contains(sendnames::nameKey(playlist.file)))
            continue;
        for (const QString &line : playlist.entries) {
            const QString file = musicFileOf(line, musicFolder);
            if (file.isEmpty())
                continue;
            QStringList &names = namedBy[sendnames::nameKey(file)];
            if (!names.contains(playlist.file))
                names.append(playlist.file);
        }
    }
    return namedBy;
}

// A name for the PSP playlist of a desktop playlist, none of taken (keys).
QString playlistName(const QString &desktopPlaylist, const QSet<QString> &taken,
                     const AnsiCodec &codec)
{
    const QString extension = namerules::playlistExtension.toString();
    QString wanted = sendnames::fatSafe(
        sendnames::representable(QFileInfo(desktopPlaylist).completeBaseName(), codec),
        longestPlaylistName);
    if (wanted.isEmpty())
        wanted = QStringLiteral("Playlist");
    wanted += extension;
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? wanted : sendnames::numbered(wanted, n);
        if (!taken.contains(sendnames::nameKey(name)))
            return name;
    }
}

} // namespace

QList<ExpandedSyncEntry> expandSyncList(const QList<SyncEntry> &entries, int codePage)
{
    // A track in several entries, or twice in one, is looked at once.
    QHash<QString, SourceIdentity> looked;
    QList<ExpandedSyncEntry> expanded;
    for (const SyncEntry &entry : entries) {
        ExpandedSyncEntry one;
        one.entry = entry;
        QStringList files;
        const QFileInfo info(entry.path);
        if (!info.exists()) {
            one.unseen = ExpandedSyncEntry::Unseen::Missing;
        } else if (entry.kind == SyncEntry::Kind::Playlist) {
            const Result<ComputerPlaylist> playlist = readComputerPlaylist(entry.path, codePage);
            if (playlist) {
                files = playlist->files;
                one.notFound = playlist->notFound;
                one.leftOut = playlist->notFound + playlist->streams;
                const qsizetype named = files.size() + one.notFound.size();
                one.unseen = one.notFound.size() * 2 > named
                                 ? ExpandedSyncEntry::Unseen::MostNotFound
                                 : ExpandedSyncEntry::Unseen::No;
            } else {
                one.unseen = ExpandedSyncEntry::Unseen::Unreadable;
            }
        } else if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
            one.unseen = ExpandedSyncEntry::Unseen::Unreadable;
        } else {
            const SourceFiles found = expandSourcePaths({entry.path});
            files = found.files;
            one.leftOut = found.links;
            one.unseen = files.isEmpty() ? ExpandedSyncEntry::Unseen::NoTrack
                                         : ExpandedSyncEntry::Unseen::No;
        }
        for (const QString &file : std::as_const(files)) {
            auto known = looked.constFind(file);
            if (known == looked.cend())
                known = looked.insert(file, SourceIdentity::of(file));
            one.sources.append(*known);
        }
        expanded.append(one);
    }
    return expanded;
}

SyncPlan planSync(const QList<ExpandedSyncEntry> &list, const MusicListing &listing,
                  const QList<PspPlaylist> &pspPlaylists, int codePage)
{
    SyncPlan plan;
    const SendRecord &record = listing.record;
    // The files below the music folder, by key: a recorded file counts only
    // while it is there as it was written (see sendrecord::isRecordedFile).
    QHash<QString, VolumeRoot::Entry> onPsp;
    for (const MusicListing::Folder &folder : listing.entries) {
        if (folder.entry.kind != VolumeRoot::Kind::Folder)
            continue;
        for (const VolumeRoot::Entry &file : folder.files) {
            if (file.kind == VolumeRoot::Kind::File)
                onPsp.insert(sendnames::nameKey(folder.entry.name + u'/' + file.name), file);
        }
    }
    const auto isThere = [&onPsp](const RecordedTrack &track) {
        const auto found = onPsp.constFind(sendnames::nameKey(track.file));
        return found != onPsp.cend() && sendrecord::isRecordedFile(track, *found);
    };

    QSet<QString> listed; // the path of every source of the list
    QSet<SourceIdentity> planned;
    QSet<QString> notFound;
    for (const ExpandedSyncEntry &entry : list) {
        if (!entry.seen())
            plan.unseen.append(entry);
        for (const QString &track : entry.seen() ? entry.notFound : QStringList()) {
            if (!notFound.contains(track)) {
                notFound.insert(track);
                plan.notFound.append(track);
            }
        }
        for (const SourceIdentity &source : entry.sources) {
            listed.insert(source.path);
            if (planned.contains(source))
                continue;
            planned.insert(source);
            const RecordedTrack *track = record.bySource(source);
            if (track && isThere(*track)) {
                plan.unchanged.append({source, track->file});
                continue;
            }
            plan.toSend.append(source);
            for (const RecordedTrack &earlier : record.byPath(source.path)) {
                if (isThere(earlier)) {
                    plan.earlier.insert(source.path, earlier.file);
                    break;
                }
            }
        }
    }

    // Only a record read whole says what is ours: one recovered lacks what
    // was written last, and a list that cannot be seen says nothing of what
    // is still kept.
    plan.recordRecovered = record.trust != SendRecord::Trust::Whole;
    const bool mayRemove = plan.unseen.isEmpty() && !plan.recordRecovered;
    const QHash<QString, QStringList> namedBy =
        mayRemove ? namedByUserPlaylists(pspPlaylists, record, listing.musicFolder)
                  : QHash<QString, QStringList>();
    for (const RecordedTrack &track : record.tracks()) {
        if (!track.kept || !isThere(track))
            continue;
        ++plan.keptThere;
        if (mayRemove && !listed.contains(track.source.path))
            plan.removals.append({track, namedBy.value(sendnames::nameKey(track.file))});
    }

    const AnsiCodec codec(codePage);
    QSet<QString> taken; // playlist names, by key
    for (const PspPlaylist &playlist : pspPlaylists)
        taken.insert(sendnames::nameKey(playlist.file));
    for (const RecordedPlaylist &playlist : record.playlists)
        taken.insert(sendnames::nameKey(playlist.file));
    QSet<QString> followed; // the desktop playlists of the list
    for (const ExpandedSyncEntry &entry : list) {
        if (entry.entry.kind != SyncEntry::Kind::Playlist)
            continue;
        followed.insert(entry.entry.path);
        if (!entry.seen())
            continue;
        SyncPlan::Playlist playlist{entry.entry.path, {}, {}};
        for (const SourceIdentity &source : entry.sources)
            playlist.tracks.append(source.path);
        const auto recorded = std::find_if(
            record.playlists.cbegin(), record.playlists.cend(),
            [&](const RecordedPlaylist &kept) { return kept.source == playlist.source; });
        playlist.file = recorded != record.playlists.cend()
                            ? recorded->file
                            : playlistName(playlist.source, taken, codec);
        taken.insert(sendnames::nameKey(playlist.file));
        plan.playlists.append(playlist);
    }
    for (const RecordedPlaylist &playlist : record.playlists) {
        if (mayRemove && !followed.contains(playlist.source))
            plan.stalePlaylists.append(playlist);
    }
    return plan;
}
