#pragma once

#include <algorithm>
#include <functional>
#include <QByteArray>
#include <QString>

// The formats sources the PSP cannot play are converted to: MP3 from the LAME
// encoder at a variable bit rate, or AAC-LC at a set bit rate in an MP4 file;
// both at 44.1 kHz, mono kept mono, anything above stereo mixed down.
enum class TargetFormat
{
    Mp3,
    Aac,
};

// How much sound the user trades against room: for MP3 one of LAME's
// variable bit rate levels (0 the best, 9 the smallest), for AAC the bit rate
// in bit/s.
struct Quality
{
    int mp3Level = 2;
    int aacBitRate = 192000;
};

// The levels and bit rates offered, from the smallest files to the best sound.
constexpr int mp3Levels[] = {5, 2, 0};
constexpr int aacBitRates[] = {128000, 192000, 256000};

// The extension of a converted file, without dot.
inline QString extensionOf(TargetFormat format)
{
    return format == TargetFormat::Mp3 ? QStringLiteral("mp3") : QStringLiteral("m4a");
}

// What a LAME level averages on music, as LAME's own table says; AAC keeps
// to the rate it is set to.
inline int typicalBitRate(TargetFormat format, const Quality &quality)
{
    static constexpr int lame[] = {245000, 225000, 190000, 175000, 165000,
                                   130000, 115000, 100000, 85000,  65000};
    return format == TargetFormat::Aac ? quality.aacBitRate
                                       : lame[std::clamp(quality.mp3Level, 0, 9)];
}

// What a file takes on the medium beyond its bytes: its last cluster, at
// most 32 KiB on the PSP's cards.
constexpr qint64 clusterMargin = 32 * 1024;

// What a converted track of that length is expected to take on the medium,
// in bytes: its sound at the typical rate, its tags and cover, its last cluster.
inline qint64 estimatedSize(TargetFormat format, const Quality &quality, double seconds)
{
    return qint64(seconds * typicalBitRate(format, quality) / 8) + 64 * 1024 + clusterMargin;
}

// How a conversion ended.
struct Conversion
{
    enum class Status : quint8
    {
        Done,
        Damaged, // what the source says of itself cannot be true
        Failed,
    } status = Status::Failed;
    // Why it failed, in the libraries' or the system's own words.
    QString reason;
    // The picture the source carries, as stored there; empty when none.
    QByteArray embeddedCover;
};

// Decodes a file handed over open (path only names it) and encodes it into
// a new file at outputPath, which
// the muxer seeks back into: an MP3 starts with its Xing/LAME frame, which
// players need for the length and seeking of a variable bit rate file, and
// an MP4 file gets its sizes. Only the end of the source ends the decoding;
// a read error fails it. Tells decoded how many seconds are done so far, now
// and then. The output is left behind whatever happens: the caller owns it.
Conversion convertTrack(int file, const QString &path, TargetFormat format, const Quality &quality,
                        const QString &outputPath,
                        const std::function<void(double seconds)> &decoded);
