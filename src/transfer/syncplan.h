#pragma once

#include "core/sendrecord.h"
#include "core/synclist.h"
#include "transfer/sendplan.h"

#include <QHash>
#include <QList>
#include <QStringList>

// What following a sync list takes, decided before anything is sent or
// removed. Only files the record says Zarvello wrote for a list are ever
// taken off the PSP, and a file a playlist of the user's still names only
// with the user's word.

// One entry of a sync list with what it holds now.
struct ExpandedSyncEntry
{
    // Why an entry cannot be seen now. One that cannot says nothing of what
    // it holds: while one is so, nothing is removed, and its PSP playlist
    // stays as it is.
    enum class Unseen
    {
        No,
        Missing,    // no such file or folder
        Unreadable, // there, but it cannot be read
        NoTrack,    // a folder that yields no track
        // A playlist more than half of whose tracks are not found: most
        // likely on a drive not mounted, or moved.
        MostNotFound,
    };

    SyncEntry entry;
    Unseen unseen = Unseen::Missing;
    // Its tracks in order: a playlist's as it lists them, duplicates kept;
    // a folder's files as a send of the folder takes them.
    QList<SourceIdentity> sources;
    // What it names that is not sent: tracks not found on the computer,
    // streams, links inside a folder.
    QStringList leftOut;
    // Of a playlist, the tracks it names that are not on the computer.
    QStringList notFound;

    bool seen() const { return unseen == Unseen::No; }
};

// Reads the list's playlists (text without a byte-order mark that is not
// UTF-8 in the given code page) and folders, and looks at each track. Reads
// the disk: not for the window's thread. A playlist more than half of whose
// tracks are not found cannot be seen, as one that cannot be read.
QList<ExpandedSyncEntry> expandSyncList(const QList<SyncEntry> &entries, int codePage);

// A playlist in the PSP's playlist folder, as it is now.
struct PspPlaylist
{
    QString file;        // in the playlist folder
    QStringList entries; // as it holds them: "\MUSIC\Album\Song.mp3"
};

struct SyncPlan
{
    // A source on the PSP as it was sent: nothing to decode.
    struct Unchanged
    {
        SourceIdentity source;
        QString file; // below the music folder, as the record names it
    };
    // A file that Zarvello wrote for the list and whose source the list no
    // longer holds.
    struct Removal
    {
        RecordedTrack track;
        // Playlists of the PSP that Zarvello did not write and that still
        // name the file: it goes only once the user says so.
        QStringList namedBy;
    };
    // A playlist of the PSP that follows a desktop playlist of the list.
    struct Playlist
    {
        QString source; // the desktop playlist
        QString file;   // in the playlist folder
        // The local files of its tracks, in the desktop playlist's order,
        // duplicates kept.
        QStringList tracks;
    };

    QList<Unchanged> unchanged; // each source once
    // New to the PSP or changed since they were sent, each once, in the
    // order the list names them first: its priority.
    QList<SourceIdentity> toSend;
    // Of those changed since, the copy sent before and still on the PSP, by
    // local path: what their playlists name until a new copy is in place.
    QHash<QString, QString> earlier;
    QList<Removal> removals;
    QList<Playlist> playlists;
    // Written for desktop playlists the list no longer holds; each goes only
    // while it holds what was written (its digest).
    QList<RecordedPlaylist> stalePlaylists;
    // Entries that cannot be seen now: the reason there are no removals.
    QList<ExpandedSyncEntry> unseen;
    // The record could not be read (see SendRecord::Trust): the other reason.
    bool recordRecovered = false;
    // The tracks the record has kept on the PSP, there now: what removals
    // are weighed against.
    int keptThere = 0;
    // The tracks of playlists that can be seen that are not on the computer,
    // each once.
    QStringList notFound;
};

// Decides a sync from the list expanded in order, the listing of the PSP's
// music folder (with its record) and the playlists of its playlist folder.
// A playlist's file is named after the desktop playlist's file, in
// characters FAT and the code page take; one written before for the same
// desktop playlist keeps its name, and none takes the name of another
// playlist there.
SyncPlan planSync(const QList<ExpandedSyncEntry> &list, const MusicListing &listing,
                  const QList<PspPlaylist> &pspPlaylists, int codePage);
