#pragma once

#include "audio/audioworkers.h"
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

// A track written again under the very name of the file of ours it replaces
// (a changed source sent anew): that file goes as the track is committed.
bool replacesInPlace(const PlannedTrack &track);

// Removes, on a worker thread, the temporary files a send left in the music
// folder and its folders (the PSP lists stray files as broken tracks). It
// reads every album folder, which an arrival must not wait for; the handle
// is kept until then.
void removeSendLeftoversLater(std::unique_ptr<VolumeRoot> volume, const QString &musicFolder);
