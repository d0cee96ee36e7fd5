#pragma once

#include "media/conversion.h"
#include "media/sendplan.h"

#include <atomic>
#include <memory>

class VolumeRoot;

// How sending one track ended.
enum class TrackOutcome
{
    Sent,
    Cancelled,
    Unreadable,    // the source could not be read or decoded to the end
    FolderRefused, // its folder could not be made
    NameTaken,     // another file took the name meanwhile
    MediumFull,
    WriteFailed,
};

// Writes one planned track into its folder below the music folder: under a
// temporary name first, then, once the medium holds all of it, under its
// own name. Whatever ends it early, no part of the track is left under the
// track's name, and the temporary file is removed when the volume lets it.
// Runs on a worker thread; the volume handle is shared between them.
// progress grows, as the track goes, by its share of the track's expected
// bytes (copied, or by the part of the source decoded), and by all of them
// once it ends, however it ends.
TrackOutcome sendTrack(const VolumeRoot &volume, const QString &musicFolder,
                       const SourceTrack &source, const PlannedTrack &track, TargetFormat format,
                       const std::atomic_bool &cancelled, std::atomic<qint64> &progress);

// Removes, on a worker thread, the temporary files a send left in the music
// folder and its folders (the PSP lists stray files as broken tracks). It
// reads every album folder, which an arrival must not wait for; the handle
// is kept until then.
void removeSendLeftoversLater(std::unique_ptr<VolumeRoot> volume, const QString &musicFolder);
