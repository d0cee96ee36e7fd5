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

// Copies one planned track, from a local file (the source, or what the
// audio helper converted it into), into its folder below the music folder:
// under a temporary name first, then, once the medium holds all of it, under
// its own name. That name is never taken from another file, unless it is the
// very file of ours the track replaces (PlannedTrack::replaces). Whatever
// ends it early, no part of the track is left under the track's name, and
// the temporary file is removed when the volume lets it. A file that would
// not fit in the room the volume has left, with a margin for its clusters,
// is not begun (MediumFull). Runs on a worker
// thread; the volume handle is shared between them. progress grows, as the
// copy goes, from counted (the part of the track's expected bytes already
// counted for it) by its share of the rest, and to all of them once it ends,
// however it ends. A user's file is read by an audio helper, through
// helpers, under its watchdog: a source that stops answering costs its track
// alone, and Cancel is not held up by it. Without helpers, localFile is the
// program's own (a conversion) and read here.
TrackWritten sendTrack(const VolumeRoot &volume, const QString &musicFolder,
                       const QString &localFile, const PlannedTrack &track,
                       const std::atomic_bool &cancelled, std::atomic<qint64> &progress,
                       qint64 counted = 0, const AudioWorkers::Copies *helpers = nullptr);

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

// Sends tracks as sendTrack() sends each, and records them in journal, in
// one group that shares the waits on the medium: the helpers copy them all
// at once, the medium is made to hold them in one pass, and their record
// lines are added in one. Each is recorded before it takes its name, so
// that a volume pulled out at any moment leaves no track under its name
// unrecorded; a recorded file missing is simply not there, and sent again.
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
