#pragma once

#include <atomic>
#include <functional>
#include <QByteArray>
#include <QString>

// The formats sources the PSP cannot play are converted to: MP3 from the LAME
// encoder at variable bit rate, quality 2, or AAC-LC at 256 kbit/s in an MP4
// file; both at 44.1 kHz, mono kept mono, anything above stereo mixed down.
enum class TargetFormat
{
    Mp3,
    Aac,
};

constexpr int aacBitRate = 256000;
// What LAME's quality 2 averages on music, with room to spare.
constexpr int mp3EstimatedBitRate = 224000;

// The extension of a converted file, without dot.
inline QString extensionOf(TargetFormat format)
{
    return format == TargetFormat::Mp3 ? QStringLiteral("mp3") : QStringLiteral("m4a");
}

// What a converted track of that length is expected to take, in bytes.
inline qint64 estimatedSize(TargetFormat format, double seconds)
{
    const int bitRate = format == TargetFormat::Mp3 ? mp3EstimatedBitRate : aacBitRate;
    return qint64(seconds * bitRate / 8) + 64 * 1024;
}

struct Conversion
{
    // The whole new file, without tags; empty when the conversion failed or
    // was cancelled. An MP3 starts with its Xing/LAME frame, which players
    // need for the length and seeking of a variable bit rate file.
    QByteArray file;
    // The picture the source carries, as stored there; empty when none.
    QByteArray embeddedCover;
};

// Decodes a local file and encodes it into memory. Checks cancelled between
// packets and gives up as soon as it is set; tells decoded how many seconds
// are done so far, now and then.
Conversion convertTrack(const QString &path, TargetFormat format, const std::atomic_bool &cancelled,
                        const std::function<void(double seconds)> &decoded);
