#pragma once

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

// Decodes a local file and encodes it into a new file at outputPath, which
// the muxer seeks back into: an MP3 starts with its Xing/LAME frame, which
// players need for the length and seeking of a variable bit rate file, and
// an MP4 file gets its sizes. Only the end of the source ends the decoding;
// a read error fails it. Tells decoded how many seconds are done so far, now
// and then. The output is left behind whatever happens: the caller owns it.
Conversion convertTrack(const QString &path, TargetFormat format, const QString &outputPath,
                        const std::function<void(double seconds)> &decoded);
