#pragma once

#include "audio/conversion.h"

// The format and quality that conversions take, as the user last chose them
// for a send: a sync converts as a send would.
namespace sendchoice {

struct Choice
{
    TargetFormat format = TargetFormat::Mp3;
    Quality quality;
};

Choice remembered();
void rememberFormat(TargetFormat format);
// The MP3 level or the AAC bit rate, for the format it belongs to.
void rememberQuality(TargetFormat format, int value);

} // namespace sendchoice
