#pragma once

#include "audio/conversion.h"
#include "audio/sourcetrack.h"

#include <optional>
#include <QByteArray>
#include <QString>

// What the program and its audio helper (zarvello-audio-worker) say to each
// other over the helper's standard input and output: frames of a 32-bit
// length and a QDataStream body that starts with its kind. The program opens
// with a hello, which the helper answers with its protocol version, build and
// what keeps it from locking itself in; then it hands over one job at a
// time, and the helper answers it with progress frames and exactly one
// result. The files a job reads go before it, open, over the helper's file
// channel (platform::handFiles()): paths only name them. The helper writes
// into its working directory alone. Its log goes to its standard error, a
// line per message.
namespace audioprotocol {

// Changes whenever a frame changes.
constexpr quint32 version = 4;

// Paths and tags: a frame larger than this is no frame of ours.
constexpr quint32 largestFrame = 16 * 1024 * 1024;

// The build of the program and of the helper: they are installed together.
QString buildId();

enum class Kind : quint8
{
    Hello,     // both ways: version, build; from the helper, what it could not lock
    Probe,     // to the helper: source path
    Convert,   // to the helper: source path, format, quality, output name, tags
    Progress,  // from the helper: seconds decoded
    Probed,    // from the helper: the source track
    Converted, // from the helper: status, reason
    Rewrite,   // to the helper: source path, format of its copy, output name, tags
    // To the helper: source path; the source and the file it goes into
    // follow, open. Answered by progress (bytes copied) and Converted.
    Copy,
};

struct Frame
{
    Kind kind = Kind::Hello;
    quint32 version = 0;
    QString build;
    QString path;
    TargetFormat format = TargetFormat::Mp3;
    Quality quality;
    QString output;
    TrackTags tags;
    double seconds = 0;
    SourceTrack source;
    Conversion::Status status = Conversion::Status::Failed;
    QString reason;
    qint32 writeError = 0; // a copy's: the errno of the write that failed
};

// A frame as it goes over the pipe, length included.
QByteArray encode(const Frame &frame);

// Takes the first whole frame off the front of buffer; nothing while it is
// incomplete. A frame that cannot be read, or one larger than any frame
// should be, sets broken.
std::optional<Frame> takeFrame(QByteArray &buffer, bool &broken);

} // namespace audioprotocol
