#pragma once

#include "media/conversion.h"
#include "media/sourcetrack.h"
#include "media/tagging.h"

// The functions of sourcetrack.h, conversion.h and tagging.h that need
// FFmpeg or TagLib are built as the module zarvello_audio; the program
// reaches them through this table.
struct AudioModule
{
    decltype(&::probeSource) probeSource;
    decltype(&::convertTrack) convertTrack;
    decltype(&::coverFor) coverFor;
    decltype(&::tagFile) tagFile;
};

// Loads the module the first time: not on the window's thread. When it cannot
// be loaded, every source is unreadable and every conversion fails.
const AudioModule &audioModule();
