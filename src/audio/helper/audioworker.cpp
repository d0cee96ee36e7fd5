// zarvello-audio-worker: the program's audio helper. It alone links FFmpeg
// and TagLib, and it alone reads the music the user sends, so that a damaged
// or hostile file costs one track at worst: never the program, its memory or
// its window. It answers jobs that the program sends on its standard input,
// one at a time (see audioprotocol.h), and ends when that input closes.

#include "audio/audioprotocol.h"
#include "audio/conversion.h"
#include "audio/helper/ffmpeg.h"
#include "audio/helper/rewrite.h"
#include "audio/helper/tagging.h"
#include "audio/sourcetrack.h"
#include "platform/helperprocess.h"

#include <cstdio>
#include <cstdlib>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {

// Generous for FFmpeg, which needs a few tens of megabytes for any real
// recording; what a damaged file would have it allocate beyond fails.
constexpr qint64 addressSpace = 1024LL * 1024 * 1024;
// Progress doubles as a sign of life: the program ends a helper that goes
// quiet for long.
constexpr int progressEveryMs = 250;

class Channel
{
public:
    Channel()
    {
        // The descriptors themselves: the C library's streams would hold
        // answers back in their buffers.
        m_in.open(fileno(stdin), QIODevice::ReadOnly | QIODevice::Unbuffered);
        m_out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    // The next frame; nothing once the program has closed the pipe or sent
    // what is no frame. Reads the length, then as much as it says: a read
    // here waits until it has all it asks for.
    std::optional<audioprotocol::Frame> read()
    {
        QByteArray frame = m_in.read(sizeof(quint32));
        if (frame.size() != sizeof(quint32))
            return std::nullopt;
        const qint64 length = qFromBigEndian<quint32>(frame.constData());
        if (length > audioprotocol::largestFrame)
            return std::nullopt;
        frame += m_in.read(length);
        bool broken = false;
        return audioprotocol::takeFrame(frame, broken);
    }

    void write(const audioprotocol::Frame &frame)
    {
        const QByteArray bytes = audioprotocol::encode(frame);
        if (m_out.write(bytes) != bytes.size())
            std::exit(EXIT_FAILURE);
    }

private:
    QFile m_in;
    QFile m_out;
};

// FFmpeg's warnings and errors, a line each on standard error, which the
// program logs; its chatter below that level is dropped.
void logLine(void *context, int level, const char *format, va_list arguments)
{
    if (level > AV_LOG_WARNING)
        return;
    static int printPrefix = 1;
    char line[1024];
    av_log_format_line2(context, level, format, arguments, line, sizeof line, &printPrefix);
    std::fputs(line, stderr);
}

audioprotocol::Frame convert(Channel &channel, const audioprotocol::Frame &job)
{
    // For the tests alone: a worker that dies in the middle of a track.
    const bool crash =
        ffmpeg::testSourcesEnabled() && QFileInfo(job.path).fileName().contains(u"test-abort");
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    const auto decoded = [&](double seconds) {
        if (sinceProgress.elapsed() < progressEveryMs && !crash)
            return;
        sinceProgress.restart();
        audioprotocol::Frame progress;
        progress.kind = audioprotocol::Kind::Progress;
        progress.seconds = seconds;
        channel.write(progress);
        if (crash)
            std::abort();
    };
    Conversion conversion =
        job.kind == audioprotocol::Kind::Rewrite
            ? rewriteTrack(job.path, job.format, job.output, decoded)
            : convertTrack(job.path, job.format, job.quality, job.output, decoded);
    if (conversion.status == Conversion::Status::Done &&
        !tagFile(job.output, job.format, tagsToWrite(job.tags, job.path),
                 coverFor(conversion.embeddedCover, job.path))) {
        conversion.status = Conversion::Status::Failed;
        conversion.reason = QStringLiteral("TagLib could not write the tags");
    }
    audioprotocol::Frame result;
    result.kind = audioprotocol::Kind::Converted;
    result.status = conversion.status;
    result.reason = conversion.reason;
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    platform::limitHelper(addressSpace);
    // Qt finds its image plugins, JPEG among them, through the application.
    QCoreApplication application(argc, argv);
    av_log_set_callback(logLine);
    Channel channel;
    while (const std::optional<audioprotocol::Frame> job = channel.read()) {
        audioprotocol::Frame answer;
        switch (job->kind) {
        case audioprotocol::Kind::Hello:
            answer.kind = audioprotocol::Kind::Hello;
            answer.version = audioprotocol::version;
            answer.build = audioprotocol::buildId();
            break;
        case audioprotocol::Kind::Probe:
            answer.kind = audioprotocol::Kind::Probed;
            answer.source = probeSource(job->path);
            break;
        case audioprotocol::Kind::Convert:
        case audioprotocol::Kind::Rewrite:
            answer = convert(channel, *job);
            break;
        default:
            return EXIT_FAILURE;
        }
        channel.write(answer);
    }
    return EXIT_SUCCESS;
}
