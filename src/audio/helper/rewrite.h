#pragma once

#include "audio/conversion.h"

#include <functional>
#include <QString>

// Copies the audio of a source the PSP plays, handed over open (path only
// names it), as it is, into a new file at
// outputPath without what the PSP cannot read: an MP3 file is copied whole,
// for its tags to be written again; the audio of an MP4 file goes alone into
// a new one, without the video, pictures or other streams it holds. Tells
// copied how many seconds are done so far, now and then. The result carries
// the source's picture, as a conversion's does. The output is left behind
// whatever happens: the caller owns it.
Conversion rewriteTrack(int file, const QString &path, TargetFormat format,
                        const QString &outputPath,
                        const std::function<void(double seconds)> &copied);
