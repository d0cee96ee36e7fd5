// zarvello-audio-worker: the program's audio helper. It alone links FFmpeg
// and TagLib, and it alone reads the music the user sends, so that a damaged
// or hostile file costs one track at worst: never the program, its memory or
// its window. It answers jobs that the program sends on its standard input,
// one at a time (see audioprotocol.h), and ends when that input closes.
// The program opens the files a job reads and hands them over; once its
// libraries are loaded, the helper locks itself in, so that a crafted file
// that takes it over finds nothing to reach: no file outside its scratch
// folder (its working directory), no network, no program to run.

#include "audio/audioprotocol.h"
#include "audio/conversion.h"
#include "audio/helper/ffmpeg.h"
#include "audio/helper/rewrite.h"
#include "audio/helper/tagging.h"
#include "audio/sourcetrack.h"
#include "platform/helperprocess.h"
#include "platform/sandbox.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>
#include <sys/sendfile.h>
#include <unistd.h>

namespace {

// Generous for FFmpeg, which needs a few tens of megabytes for any real
// recording; what a damaged file would have it allocate beyond fails.
constexpr qint64 addressSpace = 1024LL * 1024 * 1024;
// Nothing it writes is larger than a file on the PSP can be.
constexpr qint64 largestOutput = 0xFFFFFFFFLL;
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

// The files of a job, as the program handed them over: the source, and the
// picture beside it for a conversion, or the file a copy goes into.
struct Handed
{
    explicit Handed(const QList<int> &files)
        : source(files.value(0, -1)), second(files.value(1, -1)), m_files(files)
    {}
    ~Handed()
    {
        for (const int file : m_files)
            close(file);
    }
    Handed(const Handed &) = delete;
    Handed &operator=(const Handed &) = delete;

    int source;
    int second;

private:
    QList<int> m_files;
};

// What loads a library the first time it is used, used once before the
// helper is locked in: the image plugins, which covers need.
void loadPlugins()
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(Qt::black);
    QImageWriter(&buffer, "jpeg").write(pixel);
    QImage::fromData(jpeg);
}

// Whether the tests asked for a helper as it was before it locked itself in,
// to measure what locking costs; a helper built without the tests never is.
bool unconfined()
{
    return ffmpeg::testSourcesEnabled() &&
           qEnvironmentVariableIntValue("ZARVELLO_WORKER_UNCONFINED") == 1;
}

audioprotocol::Frame convert(Channel &channel, const audioprotocol::Frame &job, const Handed &files)
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
            ? rewriteTrack(files.source, job.path, job.format, job.output, decoded)
            : convertTrack(files.source, job.path, job.format, job.quality, job.output, decoded);
    if (conversion.status == Conversion::Status::Done &&
        !tagFile(job.output, job.format, tagsToWrite(job.tags, job.path),
                 coverFor(conversion.embeddedCover, files.second))) {
        conversion.status = Conversion::Status::Failed;
        conversion.reason = QStringLiteral("TagLib could not write the tags");
    }
    audioprotocol::Frame result;
    result.kind = audioprotocol::Kind::Converted;
    result.status = conversion.status;
    result.reason = conversion.reason;
    return result;
}

// Copies the source, byte for byte, into the file the program opened for
// it on the PSP: the program then has it written out and named.
audioprotocol::Frame copy(Channel &channel, const audioprotocol::Frame &job, const Handed &files)
{
    // For the tests alone: a source that stops answering halfway.
    const bool stall =
        ffmpeg::testSourcesEnabled() && QFileInfo(job.path).fileName().contains(u"test-stall");
    audioprotocol::Frame result;
    result.kind = audioprotocol::Kind::Converted;
    QByteArray chunk(1024 * 1024, Qt::Uninitialized);
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    qint64 copied = 0;
    const auto tellProgress = [&] {
        if (sinceProgress.isValid() && sinceProgress.elapsed() < progressEveryMs)
            return;
        sinceProgress.start();
        audioprotocol::Frame progress;
        progress.kind = audioprotocol::Kind::Progress;
        progress.seconds = double(copied);
        channel.write(progress);
    };
    for (;;) {
        if (stall && copied > 0) {
            sinceProgress.invalidate();
            tellProgress();
            for (;;)
                pause();
        }
        // In the kernel, without a pass through this process; a chunk it
        // fails on is read and written here, which tells a read error from
        // a write error.
        ssize_t got = sendfile(files.second, files.source, nullptr, size_t(chunk.size()));
        if (got > 0) {
            copied += got;
            tellProgress();
            continue;
        }
        if (got < 0)
            got = read(files.source, chunk.data(), size_t(chunk.size()));
        if (got < 0) {
            result.reason = QString::fromLocal8Bit(strerror(errno));
            return result;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(files.second, chunk.constData() + done, size_t(got - done));
            if (put < 0) {
                result.writeError = errno;
                result.reason = QString::fromLocal8Bit(strerror(errno));
                return result;
            }
            done += put;
        }
        copied += got;
        tellProgress();
    }
    result.status = Conversion::Status::Done;
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    platform::limitHelper(addressSpace, largestOutput);
    // Qt finds its image plugins, JPEG among them, through the application.
    QCoreApplication application(argc, argv);
    av_log_set_callback(logLine);
    loadPlugins();
    // FFmpeg and TagLib are linked in, loaded with the helper.
    const platform::Confinement confinement =
        unconfined() ? platform::Confinement{} : platform::confine(QDir::currentPath());
    // Half locked in is not locked in: the program hears of no helper at all.
    if (confinement.crowded) {
        std::fprintf(stderr, "%s\n", qPrintable(confinement.missing));
        return EXIT_FAILURE;
    }
    Channel channel;
    while (const std::optional<audioprotocol::Frame> job = channel.read()) {
        audioprotocol::Frame answer;
        switch (job->kind) {
        case audioprotocol::Kind::Hello:
            answer.kind = audioprotocol::Kind::Hello;
            answer.version = audioprotocol::version;
            answer.build = audioprotocol::buildId();
            // Said once by the program, rather than by every helper.
            answer.reason = confinement.missing;
            break;
        case audioprotocol::Kind::Probe: {
            const Handed files(platform::takeFiles(platform::helperFileChannel));
            answer.kind = audioprotocol::Kind::Probed;
            answer.source = probeSource(files.source, job->path);
            break;
        }
        case audioprotocol::Kind::Convert:
        case audioprotocol::Kind::Rewrite: {
            const Handed files(platform::takeFiles(platform::helperFileChannel));
            answer = convert(channel, *job, files);
            break;
        }
        case audioprotocol::Kind::Copy: {
            const Handed files(platform::takeFiles(platform::helperFileChannel));
            answer = copy(channel, *job, files);
            break;
        }
        default:
            return EXIT_FAILURE;
        }
        channel.write(answer);
    }
    return EXIT_SUCCESS;
}
