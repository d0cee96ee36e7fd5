#pragma once

#include "audio/audioworkers.h"
#include "core/sendrecord.h"
#include "transfer/sendplan.h"

#include <atomic>
#include <memory>

class VolumeRoot;

// How sending one track ended.
enum class TrackOutcome
{
    Sent,
    Cancelled,
    Unreadable,    // the source could not be read or decoded to the end
    Damaged,       // the source says of itself what cannot be true
    NotConverted,  // the audio helper failed on it, or died
    HelperMissing, // no audio helper of this build could be started
    FolderRefused, // its folder could not be made
    NameTaken,     // another file took the name meanwhile
    // No room for it: not begun, or the volume filled up as it was written.
    MediumFull,
    WriteFailed,
};

// How sending one track ended, and what it put on the medium.
struct TrackWritten
{
    TrackOutcome outcome = TrackOutcome::Cancelled;
    qint64 bytes = 0;    // under the track's name, once Sent
    qint64 modified = 0; // as the volume lists it then (see RecordedTrack)
};

// One track of a group that sendTracks() sends.
struct TrackToSend
{
    QString localFile;
    PlannedTrack track;
    // As the record is to name it; its bytes are those written.
    RecordedTrack recorded;
    qint64 counted = 0;
    // A user's file, read by the audio helpers; else the program's own.
    bool throughHelpers = false;
};

// How a track of a group ended, and whether the record took it.
struct TrackSent
{
    TrackWritten written;
    Result<> recorded;
};

// Copies planned tracks, each from a local file (the source, or what the
// audio helper converted it into), into its folder below the music folder,
// and records them in journal, in one group that shares the waits on the
// medium: the helpers copy them all at once, the medium is made to hold them
// in one pass, and their record lines are added in one. Each goes under a
// temporary name first, and is recorded before it takes its own name, so
// that a volume pulled out at any moment leaves no track under its name
// unrecorded; a recorded file missing is simply not there, and sent again.
// That name is never taken from another file, unless it is the very file of
// ours the track replaces (PlannedTrack::replaces). Whatever ends a track
// early, no part of it is left under its name, and the temporary file is
// removed when the volume lets it. A track that would not fit in the room
// the volume has left, with a margin for its clusters, is not begun
// (MediumFull). A user's file is read by an audio helper, under its
// watchdog: a source that stops answering costs its track alone, and Cancel
// is not held up by it. progress grows, as the copies go, from each track's
// counted bytes to all of its expected ones, however it ends. Runs on a
// worker thread; the volume handle is shared between them.
QList<TrackSent> sendTracks(const VolumeRoot &volume, const QString &musicFolder,
                            const QList<TrackToSend> &tracks, RecordJournal &journal,
                            const std::atomic_bool &cancelled, std::atomic<qint64> &progress,
                            const AudioWorkers::Copies &helpers);

// A track written again under the very name of the file of ours it replaces
// (a changed source sent anew): that file goes as the track is committed.
bool replacesInPlace(const PlannedTrack &track);

// Removes, on a worker thread, the temporary files a send left in the music
// folder and its folders (the PSP lists stray files as broken tracks). It
// reads every album folder, which an arrival must not wait for; the handle
// is kept until then.
void removeSendLeftoversLater(std::unique_ptr<VolumeRoot> volume, const QString &musicFolder);
