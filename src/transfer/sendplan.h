#pragma once

#include "audio/conversion.h"
#include "audio/sourcetrack.h"
#include "platform/volumeroot.h"

#include <QList>
#include <QStringList>

// What the PSP's music folder holds, read once before a send is planned.
struct MusicListing
{
    // The music folder relative to the root, spelled as on the volume;
    // empty when the volume has none.
    QString musicFolder;
    struct Folder
    {
        VolumeRoot::Entry entry;
        QList<VolumeRoot::Entry> files; // for a folder
    };
    QList<Folder> entries;
    qint64 freeBytes = -1;
    qint64 totalBytes = -1;
    // Something named like the music folder that is no folder: a link or a file.
    bool musicNotAFolder = false;
    // Nothing can be written in the music folder: a write-protected card, a
    // volume mounted read-only.
    bool readOnly = false;
    // What Zarvello wrote on the volume before.
    SendRecord record;
};

MusicListing listMusic(const VolumeRoot &volume);

// One source's place in a send.
struct PlannedTrack
{
    SendMethod method = SendMethod::Refuse;
    // Already on the PSP, as the record says: not sent again, the file
    // written before is used.
    bool alreadyThere = false;
    QString folder;   // below the music folder
    QString fileName; // in that folder
    qint64 bytes = 0; // expected on the PSP, for one that is sent
    // Left out of a send of what fits: no room was left for it.
    bool noRoom = false;
    // A file of ours, below the music folder, that this track takes the place
    // of: the same source written before, as it was then or in another
    // format. It goes once this one is in place.
    QString replaces;
};

struct SendPlan
{
    QList<PlannedTrack> tracks; // one per source, in the same order
    int copies = 0;
    int conversions = 0;
    int alreadyThere = 0;
    // Of the tracks on the PSP, those written in another format than this
    // send's: already there, or sent again when asked.
    int otherFormat = 0;
    int refused = 0;
    int tooLarge = 0; // of the refused, those too large for the PSP's storage
    int noRoom = 0;
    qint64 bytes = 0;
    QStringList folders;    // where tracks go, in order of first use
    QStringList newFolders; // those among them not there yet
};

// Where each source goes by the PSP's rules (see sendnames.h): one album
// folder below the music folder, named from the tags (or, for a source
// without them, from its folders when they read as "<artist>/<album>"), and a
// file name that no other file there holds, ignoring case: whatever is there
// stays, and a new file goes beside it, numbered. Names hold only characters
// of codePage, the one playlists are written in. An album with a track of
// disc 2 or more in the send, or tagged as one of several discs, numbers its
// tracks by disc.
// A source is already there only when the listing's record has it as it is
// now, and its file is there with the bytes recorded, in any format unless
// replaceOtherFormats. A track written before in another format that is sent
// again, or a source changed since it was sent, replaces the file written
// before, keeping its name when that is the very one the track would get.
SendPlan planSend(const QList<SourceTrack> &sources, const MusicListing &listing,
                  TargetFormat format, int codePage, const Quality &quality = {},
                  bool replaceOtherFormats = false);

// The sources at these paths as far as the record knows them, for those it
// has as they are now and whose files are on the PSP as recorded: enough for
// a plan to find them there without opening them (no tags, no length).
// Method Refuse for the others, which must be looked at.
QList<SourceTrack> recordedSources(const QStringList &paths, const MusicListing &listing);

// How a track is written, as the record keeps it: "copy", "rewrite", or the
// format and quality of a conversion ("mp3 V2", "aac 192").
QString recordedSettings(SendMethod method, TargetFormat format, const Quality &quality);

// Keeps the tracks to send, in their order, that fit in freeBytes with those
// kept before them; each that does not is left out for want of room, and
// smaller ones after it are still kept.
void keepWhatFits(SendPlan &plan, qint64 freeBytes);
