#include "audio/helper/ffmpeg.h"

#include <cerrno>
#include <fcntl.h>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace ffmpeg {

namespace {

constexpr int largestRate = 768000;
// Telephones sample at 8 kHz; nothing sent as music samples below half that.
constexpr int smallestRate = 4000;
// MPEG audio frames take 8 kbit/s at the least, silence included; other
// codecs may hold a second of silence in a few bytes.
constexpr double fewestMpegBytesPerSecond = 1000;
constexpr int mostChannels = 64;
constexpr double longestSeconds = 24 * 3600;

bool headersSayAll(const AVFormatContext &context)
{
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        const AVStream &stream = *context.streams[i];
        const AVCodecParameters &codec = *stream.codecpar;
        if (codec.codec_id == AV_CODEC_ID_NONE || codec.sample_rate <= 0 ||
            codec.ch_layout.nb_channels <= 0 || (context.duration <= 0 && stream.duration <= 0))
            return false;
    }
    return context.nb_streams > 0;
}

} // namespace

std::unique_ptr<Source> Source::open(int file, const QString &name, bool headersWillDo, int &error)
{
    std::unique_ptr<Source> source(new Source);
    source->m_file = file;
    struct stat status = {};
    if (file < 0 || fstat(file, &status) != 0 || lseek(file, 0, SEEK_SET) != 0) {
        error = AVERROR(errno);
        return nullptr;
    }
    // A pipe or a device could be read for ever.
    if (!S_ISREG(status.st_mode)) {
        error = AVERROR(EINVAL);
        return nullptr;
    }
    source->m_size = status.st_size;
    if (testSourcesEnabled() && QFileInfo(name).fileName().contains(u"test-read-error"))
        source->m_failFrom = source->m_size / 2;
    constexpr int bufferSize = 64 * 1024;
    auto *buffer = static_cast<unsigned char *>(av_malloc(bufferSize));
    source->m_io =
        buffer ? avio_alloc_context(buffer, bufferSize, 0, source.get(), &read, nullptr, &seek)
               : nullptr;
    source->m_context = source->m_io ? avformat_alloc_context() : nullptr;
    if (!source->m_io)
        av_free(buffer);
    if (!source->m_context) {
        error = AVERROR(ENOMEM);
        return nullptr;
    }
    source->m_context->pb = source->m_io;
    source->m_context->flags |= AVFMT_FLAG_CUSTOM_IO;
    // The name only helps FFmpeg guess the format.
    error = avformat_open_input(&source->m_context,
                                QFile::encodeName(QFileInfo(name).fileName()).constData(), nullptr,
                                nullptr);
    if (error < 0)
        return nullptr;
    if (!(headersWillDo && headersSayAll(*source->m_context)))
        error = avformat_find_stream_info(source->m_context, nullptr);
    return error < 0 ? nullptr : std::move(source);
}

Source::~Source()
{
    avformat_close_input(&m_context);
    if (m_io)
        av_freep(&m_io->buffer);
    avio_context_free(&m_io);
}

int Source::read(void *opaque, uint8_t *buffer, int size)
{
    auto *self = static_cast<Source *>(opaque);
    if (self->m_failFrom >= 0 && self->m_position >= self->m_failFrom)
        return AVERROR(EIO);
    const ssize_t got = ::read(self->m_file, buffer, size_t(size));
    if (got < 0)
        return AVERROR(errno);
    if (got == 0)
        return AVERROR_EOF;
    self->m_position += got;
    return int(got);
}

int64_t Source::seek(void *opaque, int64_t offset, int whence)
{
    auto *self = static_cast<Source *>(opaque);
    if ((whence & ~AVSEEK_FORCE) == AVSEEK_SIZE)
        return self->m_size;
    const off_t at = lseek(self->m_file, offset, whence & ~AVSEEK_FORCE);
    if (at < 0)
        return AVERROR(errno);
    self->m_position = at;
    return at;
}

bool plausible(const AVFormatContext &input, const AVStream &stream, qint64 size)
{
    const AVCodecParameters &codec = *stream.codecpar;
    const double seconds = durationOf(input, stream);
    const int channels = codec.ch_layout.nb_channels;
    if (codec.sample_rate < smallestRate || codec.sample_rate > largestRate || channels <= 0 ||
        channels > mostChannels || seconds < 0 || seconds > longestSeconds)
        return false;
    // Uncompressed sound takes what its format says, to the byte.
    const int bits = av_get_bits_per_sample(codec.codec_id);
    const bool mpeg = codec.codec_id == AV_CODEC_ID_MP3 || codec.codec_id == AV_CODEC_ID_MP2;
    const double bytesPerSecond = bits > 0 ? double(codec.sample_rate) * channels * bits / 8
                                  : mpeg   ? fewestMpegBytesPerSecond
                                           : 0;
    // Half of it at least: a file cut short still plays what it has.
    if (seconds * bytesPerSecond > 2.0 * double(size) + 4096)
        return false;
    if (bits > 0 && QByteArrayView(input.iformat->name) == "wav") {
        const int frame = channels * bits / 8;
        return codec.block_align == frame &&
               codec.bit_rate == qint64(codec.sample_rate) * frame * 8;
    }
    return true;
}

double durationOf(const AVFormatContext &input, const AVStream &stream)
{
    if (input.duration > 0)
        return double(input.duration) / AV_TIME_BASE;
    if (stream.duration > 0)
        return double(stream.duration) * av_q2d(stream.time_base);
    return 0;
}

QByteArray attachedPicture(const AVFormatContext &input)
{
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        const AVStream &stream = *input.streams[i];
        if ((stream.disposition & AV_DISPOSITION_ATTACHED_PIC) && stream.attached_pic.size)
            return QByteArray(reinterpret_cast<const char *>(stream.attached_pic.data),
                              stream.attached_pic.size);
    }
    return {};
}

QString errorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

bool testSourcesEnabled()
{
#ifdef ZARVELLO_HELPER_TEST_JOBS
    static const bool enabled = qEnvironmentVariableIntValue("ZARVELLO_WORKER_TEST_JOBS") == 1;
    return enabled;
#else
    return false;
#endif
}

} // namespace ffmpeg
