#include "media/conversion.h"

#include "media/ffmpeg.h"

namespace {

constexpr int outputRate = 44100;
constexpr int mp3Quality = 2;

// Output in memory that the muxer can seek back into, so that the MP3
// muxer fills in its Xing frame and the MP4 muxer its sizes at the end.
class MemoryOutput
{
public:
    MemoryOutput()
    {
        constexpr int bufferSize = 64 * 1024;
        auto *buffer = static_cast<unsigned char *>(av_malloc(bufferSize));
        m_context = avio_alloc_context(buffer, bufferSize, 1, this, nullptr, &write, &seek);
    }
    ~MemoryOutput()
    {
        if (m_context)
            av_freep(&m_context->buffer);
        avio_context_free(&m_context);
    }
    MemoryOutput(const MemoryOutput &) = delete;
    MemoryOutput &operator=(const MemoryOutput &) = delete;

    AVIOContext *context() const { return m_context; }
    QByteArray take() { return std::move(m_data); }

private:
    static int write(void *opaque, uint8_t *data, int size)
    {
        auto *self = static_cast<MemoryOutput *>(opaque);
        const qsizetype end = self->m_position + size;
        if (end > self->m_data.size())
            self->m_data.resize(end);
        std::copy(data, data + size, self->m_data.begin() + self->m_position);
        self->m_position = end;
        return size;
    }
    static int64_t seek(void *opaque, int64_t offset, int whence)
    {
        auto *self = static_cast<MemoryOutput *>(opaque);
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return self->m_data.size();
        case SEEK_SET:
            break;
        case SEEK_CUR:
            offset += self->m_position;
            break;
        case SEEK_END:
            offset += self->m_data.size();
            break;
        default:
            return AVERROR(EINVAL);
        }
        if (offset < 0)
            return AVERROR(EINVAL);
        self->m_position = offset;
        return offset;
    }

    AVIOContext *m_context = nullptr;
    QByteArray m_data;
    qsizetype m_position = 0;
};

struct OutputCloser
{
    void operator()(AVFormatContext *context) const { avformat_free_context(context); }
};

// One conversion, step by step; each step false on failure.
class Converter
{
public:
    Converter(TargetFormat format, const std::atomic_bool &cancelled,
              const std::function<void(double)> &decoded)
        : m_format(format), m_cancelled(cancelled), m_decoded(decoded)
    {}

    Conversion run(const QString &path)
    {
        Conversion result;
        if (!openDecoder(path))
            return result;
        for (unsigned i = 0; i < m_input->nb_streams; ++i) {
            const AVStream *stream = m_input->streams[i];
            if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && stream->attached_pic.size)
                result.embeddedCover =
                    QByteArray(reinterpret_cast<const char *>(stream->attached_pic.data),
                               stream->attached_pic.size);
        }
        if (openEncoder() && openResampler() && openMuxer() && transcode())
            result.file = m_output.take();
        return result;
    }

private:
    bool openDecoder(const QString &path)
    {
        m_input = ffmpeg::openInput(path);
        if (!m_input)
            return false;
        const AVCodec *decoder = nullptr;
        m_stream = av_find_best_stream(m_input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
        if (m_stream < 0 || !decoder)
            return false;
        for (unsigned i = 0; i < m_input->nb_streams; ++i) {
            if (int(i) != m_stream)
                m_input->streams[i]->discard = AVDISCARD_ALL;
        }
        m_decoder.reset(avcodec_alloc_context3(decoder));
        return m_decoder &&
               avcodec_parameters_to_context(m_decoder.get(),
                                             m_input->streams[m_stream]->codecpar) >= 0 &&
               avcodec_open2(m_decoder.get(), decoder, nullptr) >= 0;
    }

    bool openEncoder()
    {
        const AVCodec *encoder = m_format == TargetFormat::Mp3
                                     ? avcodec_find_encoder_by_name("libmp3lame")
                                     : avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!encoder)
            return false;
        m_encoder.reset(avcodec_alloc_context3(encoder));
        if (!m_encoder)
            return false;
        AVCodecContext &e = *m_encoder;
        av_channel_layout_default(&e.ch_layout, m_decoder->ch_layout.nb_channels == 1 ? 1 : 2);
        e.sample_rate = outputRate;
        e.sample_fmt = AV_SAMPLE_FMT_FLTP;
        e.time_base = {1, outputRate};
        if (m_format == TargetFormat::Mp3) {
            e.flags |= AV_CODEC_FLAG_QSCALE;
            e.global_quality = FF_QP2LAMBDA * mp3Quality;
        } else {
            e.bit_rate = aacBitRate;
            e.profile = FF_PROFILE_AAC_LOW;
            // The MP4 file carries the decoder's set-up once, in its header.
            e.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        return avcodec_open2(m_encoder.get(), encoder, nullptr) >= 0;
    }

    bool openResampler()
    {
        AVChannelLayout inputLayout;
        if (m_decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&inputLayout, m_decoder->ch_layout.nb_channels);
        else if (av_channel_layout_copy(&inputLayout, &m_decoder->ch_layout) < 0)
            return false;
        SwrContext *resampler = nullptr;
        const int made = swr_alloc_set_opts2(
            &resampler, &m_encoder->ch_layout, m_encoder->sample_fmt, outputRate, &inputLayout,
            m_decoder->sample_fmt, m_decoder->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inputLayout);
        m_resampler.reset(resampler);
        m_fifo.reset(av_audio_fifo_alloc(m_encoder->sample_fmt, m_encoder->ch_layout.nb_channels,
                                         frameSize()));
        return made >= 0 && swr_init(resampler) >= 0 && m_fifo;
    }

    bool openMuxer()
    {
        AVFormatContext *output = nullptr;
        const bool mp3 = m_format == TargetFormat::Mp3;
        // The name only tells the muxer which extension the file will have.
        avformat_alloc_output_context2(&output, nullptr, mp3 ? "mp3" : "ipod",
                                       mp3 ? "track.mp3" : "track.m4a");
        m_muxer.reset(output);
        if (!output)
            return false;
        output->pb = m_output.context();
        AVStream *stream = avformat_new_stream(output, nullptr);
        if (!stream || avcodec_parameters_from_context(stream->codecpar, m_encoder.get()) < 0)
            return false;
        stream->time_base = m_encoder->time_base;
        AVDictionary *options = nullptr;
        // Tags are written afterwards, in the versions the PSP reads.
        if (m_format == TargetFormat::Mp3)
            av_dict_set(&options, "id3v2_version", "0", 0);
        const int written = avformat_write_header(output, &options);
        av_dict_free(&options);
        return written >= 0;
    }

    bool transcode()
    {
        const ffmpeg::Packet packet(av_packet_alloc());
        const ffmpeg::Frame frame(av_frame_alloc());
        if (!packet || !frame)
            return false;
        while (av_read_frame(m_input.get(), packet.get()) >= 0) {
            const bool ours = packet->stream_index == m_stream;
            const int sent = ours ? avcodec_send_packet(m_decoder.get(), packet.get()) : 0;
            av_packet_unref(packet.get());
            // A damaged packet is skipped, as players skip it.
            if (m_cancelled || (sent < 0 && sent != AVERROR_INVALIDDATA) || !drainDecoder(*frame))
                return false;
            m_decoded(double(m_samplesOut) / outputRate);
        }
        return avcodec_send_packet(m_decoder.get(), nullptr) >= 0 && drainDecoder(*frame) &&
               resample(nullptr) && encodeFifo(true) && encode(nullptr) &&
               av_write_trailer(m_muxer.get()) >= 0 && m_samplesOut > 0;
    }

    bool drainDecoder(AVFrame &frame)
    {
        for (;;) {
            const int received = avcodec_receive_frame(m_decoder.get(), &frame);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return true;
            if (received < 0)
                return false;
            const bool resampled = resample(&frame);
            av_frame_unref(&frame);
            if (!resampled || !encodeFifo(false))
                return false;
        }
    }

    // Resamples a decoded frame into the queue; null drains the resampler.
    bool resample(const AVFrame *frame)
    {
        const int inSamples = frame ? frame->nb_samples : 0;
        const int room = swr_get_out_samples(m_resampler.get(), inSamples);
        if (room < 0)
            return false;
        if (room == 0)
            return true;
        uint8_t **planes = nullptr;
        if (av_samples_alloc_array_and_samples(&planes, nullptr, m_encoder->ch_layout.nb_channels,
                                               room, m_encoder->sample_fmt, 0) < 0)
            return false;
        const int made = swr_convert(
            m_resampler.get(), planes, room,
            frame ? const_cast<const uint8_t **>(frame->extended_data) : nullptr, inSamples);
        const bool queued =
            made >= 0 &&
            av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void **>(planes), made) == made;
        av_freep(&planes[0]);
        av_freep(&planes);
        return queued;
    }

    // Samples per frame the encoder takes; one that takes any gets MP3's.
    int frameSize() const { return m_encoder->frame_size > 0 ? m_encoder->frame_size : 1152; }

    // Feeds the encoder whole frames from the queue; at the end, what is left too.
    bool encodeFifo(bool atEnd)
    {
        const int frameSize = this->frameSize();
        while (av_audio_fifo_size(m_fifo.get()) >= frameSize ||
               (atEnd && av_audio_fifo_size(m_fifo.get()) > 0)) {
            const ffmpeg::Frame frame(av_frame_alloc());
            if (!frame)
                return false;
            frame->nb_samples = std::min(frameSize, av_audio_fifo_size(m_fifo.get()));
            frame->format = m_encoder->sample_fmt;
            frame->sample_rate = outputRate;
            if (av_channel_layout_copy(&frame->ch_layout, &m_encoder->ch_layout) < 0 ||
                av_frame_get_buffer(frame.get(), 0) < 0 ||
                av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void **>(frame->data),
                                   frame->nb_samples) != frame->nb_samples)
                return false;
            frame->pts = m_samplesOut;
            m_samplesOut += frame->nb_samples;
            if (!encode(frame.get()))
                return false;
        }
        return true;
    }

    bool encode(const AVFrame *frame)
    {
        if (avcodec_send_frame(m_encoder.get(), frame) < 0)
            return false;
        const ffmpeg::Packet packet(av_packet_alloc());
        for (;;) {
            const int received = avcodec_receive_packet(m_encoder.get(), packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return true;
            if (received < 0)
                return false;
            packet->stream_index = 0;
            av_packet_rescale_ts(packet.get(), m_encoder->time_base,
                                 m_muxer->streams[0]->time_base);
            if (av_interleaved_write_frame(m_muxer.get(), packet.get()) < 0)
                return false;
        }
    }

    TargetFormat m_format;
    const std::atomic_bool &m_cancelled;
    const std::function<void(double)> &m_decoded;
    ffmpeg::Input m_input;
    int m_stream = -1;
    ffmpeg::Codec m_decoder;
    ffmpeg::Codec m_encoder;
    ffmpeg::Resampler m_resampler;
    ffmpeg::Fifo m_fifo;
    MemoryOutput m_output;
    std::unique_ptr<AVFormatContext, OutputCloser> m_muxer;
    int64_t m_samplesOut = 0;
};

} // namespace

Conversion convertTrack(const QString &path, TargetFormat format, const std::atomic_bool &cancelled,
                        const std::function<void(double seconds)> &decoded)
{
    return Converter(format, cancelled, decoded).run(path);
}
