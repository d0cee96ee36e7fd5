#pragma once

// FFmpeg's C headers, with the owners that free what they hand out.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <memory>
#include <QByteArray>
#include <QString>

namespace ffmpeg {

struct InputCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecFreer
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameFreer
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFreer
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct ResamplerFreer
{
    void operator()(SwrContext *context) const { swr_free(&context); }
};
struct FifoFreer
{
    void operator()(AVAudioFifo *fifo) const { av_audio_fifo_free(fifo); }
};

struct OutputCloser
{
    void operator()(AVFormatContext *context) const
    {
        avio_closep(&context->pb);
        avformat_free_context(context);
    }
};

using Input = std::unique_ptr<AVFormatContext, InputCloser>;
using Output = std::unique_ptr<AVFormatContext, OutputCloser>;
using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;
using Frame = std::unique_ptr<AVFrame, FrameFreer>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;
using Resampler = std::unique_ptr<SwrContext, ResamplerFreer>;
using Fifo = std::unique_ptr<AVAudioFifo, FifoFreer>;

// A file the program opened and handed over, read through a context of our
// own, so that a read error stays one: FFmpeg's own file protocol would end
// the stream there as if it were the end of the file.
class Source
{
public:
    // Null, with error set to FFmpeg's code, when it is no media file FFmpeg
    // reads. Its streams are looked into by reading packets, unless
    // headersWillDo and the headers already name each stream's codec, rate,
    // channels and length: reading packets costs ten times as much as the
    // headers alone.
    // The file stays the caller's; name only helps FFmpeg guess the format.
    static std::unique_ptr<Source> open(int file, const QString &name, bool headersWillDo,
                                        int &error);
    ~Source();
    Source(const Source &) = delete;
    Source &operator=(const Source &) = delete;

    AVFormatContext *context() const { return m_context; }
    qint64 size() const { return m_size; }

private:
    Source() = default;
    static int read(void *opaque, uint8_t *buffer, int size);
    static int64_t seek(void *opaque, int64_t offset, int whence);

    int m_file = -1;
    qint64 m_size = 0;
    qint64 m_position = 0;
    // Where reads start failing, for the tests; -1 for never.
    qint64 m_failFrom = -1;
    AVIOContext *m_io = nullptr;
    AVFormatContext *m_context = nullptr;
};

// Whether what a stream says of itself can be true: rates, channel counts and
// lengths beyond any real recording come from damaged headers, and would have
// the resampler allocate gigabytes; so do rates below any music's, lengths
// more than size bytes can hold, and WAV headers whose sizes of a frame and
// of a second disagree with their format.
bool plausible(const AVFormatContext &input, const AVStream &stream, qint64 size);

// The seconds a source lasts by its headers; 0 when they do not say.
double durationOf(const AVFormatContext &input, const AVStream &stream);

// The picture the source carries (its cover), as stored there; empty when none.
QByteArray attachedPicture(const AVFormatContext &input);

// FFmpeg's own words for an error code.
QString errorText(int error);

// Whether the tests' sources are honoured: set in the environment by the
// tests alone, and only in a helper built along with the tests.
bool testSourcesEnabled();

} // namespace ffmpeg
