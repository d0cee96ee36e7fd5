#include "core/modules.h"
#include "media/audiomodule.h"

const void *zarvelloModule()
{
    static const AudioModule module{probeSource, convertTrack, coverFor, tagFile};
    return &module;
}
