#include "audio/conversion.h"

#include "audio/helper/ffmpeg.h"

#include <QFile>

namespace {

constexpr int outputRate = 44100;

// One conversion, step by step; each step false on failure, with the
// library's error code kept.
class Converter
{
public:
    Converter(TargetFormat format, const Quality &quality,
              const std::function<void(double)> &decoded)
        : m_format(format), m_quality(quality), m_decoded(decoded)
    {}

    Conversion run(int file, const QString &path, const QString &outputPath)
    {
        Conversion result;
        if (!openDecoder(file, path))
            return failure(result);
        result.embeddedCover = ffmpeg::attachedPicture(*m_input->context());
        const AVStream &stream = *m_input->context()->streams[m_stream];
        // Checked before the resampler sizes its tables by what the source says.
        if (!ffmpeg::plausible(*m_input->context(), stream, m_input->size())) {
            result.status = Conversion::Status::Damaged;
            return result;
        }
        if (openDecoderContext() && openEncoder() && openResampler() && openMuxer(outputPath) &&
            transcode())
            result.status = Conversion::Status::Done;
        return failure(result);
    }

private:
    Conversion &failure(Conversion &result) const
    {
        if (result.status == Conversion::Status::Failed)
            result.reason = ffmpeg::errorText(m_error);
        return result;
    }

    // Keeps a failing code; true when it is none.
    bool ok(int code)
    {
        if (code >= 0)
            return true;
        m_error = code;
        return false;
    }

    bool openDecoder(int file, const QString &path)
    {
        m_input = ffmpeg::Source::open(file, path, false, m_error);
        if (!m_input)
            return false;
        m_stream = av_find_best_stream(m_input->context(), AVMEDIA_TYPE_AUDIO, -1, -1, &m_codec, 0);
        if (m_stream < 0 || !m_codec)
            return ok(m_stream < 0 ? m_stream : AVERROR_DECODER_NOT_FOUND);
        for (unsigned i = 0; i < m_input->context()->nb_streams; ++i) {
            if (int(i) != m_stream)
                m_input->context()->streams[i]->discard = AVDISCARD_ALL;
        }
        return true;
    }

    bool openDecoderContext()
    {
        m_decoder.reset(avcodec_alloc_context3(m_codec));
        return (m_decoder || ok(AVERROR(ENOMEM))) &&
               ok(avcodec_parameters_to_context(m_decoder.get(),
                                                m_input->context()->streams[m_stream]->codecpar)) &&
               ok(avcodec_open2(m_decoder.get(), m_codec, nullptr));
    }

    bool openEncoder()
    {
        const AVCodec *encoder = m_format == TargetFormat::Mp3
                                     ? avcodec_find_encoder_by_name("libmp3lame")
                                     : avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!encoder)
            return ok(AVERROR_ENCODER_NOT_FOUND);
        m_encoder.reset(avcodec_alloc_context3(encoder));
        if (!m_encoder)
            return ok(AVERROR(ENOMEM));
        AVCodecContext &e = *m_encoder;
        av_channel_layout_default(&e.ch_layout, m_decoder->ch_layout.nb_channels == 1 ? 1 : 2);
        e.sample_rate = outputRate;
        e.sample_fmt = AV_SAMPLE_FMT_FLTP;
        e.time_base = {1, outputRate};
        if (m_format == TargetFormat::Mp3) {
            e.flags |= AV_CODEC_FLAG_QSCALE;
            e.global_quality = FF_QP2LAMBDA * m_quality.mp3Level;
        } else {
            e.bit_rate = m_quality.aacBitRate;
            e.profile = FF_PROFILE_AAC_LOW;
            // The MP4 file carries the decoder's set-up once, in its header.
            e.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        return ok(avcodec_open2(m_encoder.get(), encoder, nullptr));
    }

    bool openResampler()
    {
        AVChannelLayout inputLayout;
        if (m_decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&inputLayout, m_decoder->ch_layout.nb_channels);
        else if (!ok(av_channel_layout_copy(&inputLayout, &m_decoder->ch_layout)))
            return false;
        SwrContext *resampler = nullptr;
        const int made = swr_alloc_set_opts2(
            &resampler, &m_encoder->ch_layout, m_encoder->sample_fmt, outputRate, &inputLayout,
            m_decoder->sample_fmt, m_decoder->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inputLayout);
        m_resampler.reset(resampler);
        // Into float samples the resampler would mix channels down at full
        // weight, past full scale: scaled as into integer ones instead.
        if (!ok(made) || !ok(av_opt_set_double(resampler, "rematrix_maxval", 1.0, 0)) ||
            !ok(swr_init(resampler)))
            return false;
        m_fifo.reset(av_audio_fifo_alloc(m_encoder->sample_fmt, m_encoder->ch_layout.nb_channels,
                                         frameSize()));
        return m_fifo || ok(AVERROR(ENOMEM));
    }

    bool openMuxer(const QString &outputPath)
    {
        AVFormatContext *output = nullptr;
        const bool mp3 = m_format == TargetFormat::Mp3;
        const int made =
            avformat_alloc_output_context2(&output, nullptr, mp3 ? "mp3" : "ipod", nullptr);
        m_muxer.reset(output);
        if (!ok(made))
            return false;
        // A file the muxer seeks back into, to write the Xing frame or the sizes at the end.
        if (!ok(avio_open(&output->pb, QFile::encodeName(outputPath).constData(), AVIO_FLAG_WRITE)))
            return false;
        AVStream *stream = avformat_new_stream(output, nullptr);
        if (!stream)
            return ok(AVERROR(ENOMEM));
        if (!ok(avcodec_parameters_from_context(stream->codecpar, m_encoder.get())))
            return false;
        stream->time_base = m_encoder->time_base;
        AVDictionary *options = nullptr;
        // Tags are written afterwards, in the versions the PSP reads.
        if (m_format == TargetFormat::Mp3)
            av_dict_set(&options, "id3v2_version", "0", 0);
        const int written = avformat_write_header(output, &options);
        av_dict_free(&options);
        return ok(written);
    }

    bool transcode()
    {
        const ffmpeg::Packet packet(av_packet_alloc());
        const ffmpeg::Frame frame(av_frame_alloc());
        if (!packet || !frame)
            return ok(AVERROR(ENOMEM));
        int read = 0;
        while ((read = av_read_frame(m_input->context(), packet.get())) >= 0) {
            const bool ours = packet->stream_index == m_stream;
            const int sent = ours ? avcodec_send_packet(m_decoder.get(), packet.get()) : 0;
            av_packet_unref(packet.get());
            // A damaged packet is skipped, as players skip it.
            if ((sent != AVERROR_INVALIDDATA && !ok(sent)) || !drainDecoder(*frame))
                return false;
            m_decoded(double(m_samplesOut) / outputRate);
        }
        // Anything but the end of the file leaves the track unfinished.
        if (read != AVERROR_EOF)
            return ok(read);
        return ok(avcodec_send_packet(m_decoder.get(), nullptr)) && drainDecoder(*frame) &&
               resample(nullptr) && encodeFifo(true) && encode(nullptr) &&
               ok(av_write_trailer(m_muxer.get())) && (m_samplesOut > 0 || ok(AVERROR_INVALIDDATA));
    }

    bool drainDecoder(AVFrame &frame)
    {
        for (;;) {
            const int received = avcodec_receive_frame(m_decoder.get(), &frame);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return true;
            if (!ok(received))
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
        if (!ok(room))
            return false;
        if (room == 0)
            return true;
        uint8_t **planes = nullptr;
        if (!ok(av_samples_alloc_array_and_samples(&planes, nullptr,
                                                   m_encoder->ch_layout.nb_channels, room,
                                                   m_encoder->sample_fmt, 0)))
            return false;
        const int made = swr_convert(
            m_resampler.get(), planes, room,
            frame ? const_cast<const uint8_t **>(frame->extended_data) : nullptr, inSamples);
        const bool queued =
            ok(made) &&
            (av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void **>(planes), made) == made ||
             ok(AVERROR(ENOMEM)));
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
                return ok(AVERROR(ENOMEM));
            frame->nb_samples = std::min(frameSize, av_audio_fifo_size(m_fifo.get()));
            frame->format = m_encoder->sample_fmt;
            frame->sample_rate = outputRate;
            if (!ok(av_channel_layout_copy(&frame->ch_layout, &m_encoder->ch_layout)) ||
                !ok(av_frame_get_buffer(frame.get(), 0)))
                return false;
            if (av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void **>(frame->data),
                                   frame->nb_samples) != frame->nb_samples)
                return ok(AVERROR_BUG);
            frame->pts = m_samplesOut;
            m_samplesOut += frame->nb_samples;
            if (!encode(frame.get()))
                return false;
        }
        return true;
    }

    bool encode(const AVFrame *frame)
    {
        if (!ok(avcodec_send_frame(m_encoder.get(), frame)))
            return false;
        const ffmpeg::Packet packet(av_packet_alloc());
        if (!packet)
            return ok(AVERROR(ENOMEM));
        for (;;) {
            const int received = avcodec_receive_packet(m_encoder.get(), packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return true;
            if (!ok(received))
                return false;
            packet->stream_index = 0;
            av_packet_rescale_ts(packet.get(), m_encoder->time_base,
                                 m_muxer->streams[0]->time_base);
            if (!ok(av_interleaved_write_frame(m_muxer.get(), packet.get())))
                return false;
        }
    }

    TargetFormat m_format;
    Quality m_quality;
    const std::function<void(double)> &m_decoded;
    int m_error = 0;
    std::unique_ptr<ffmpeg::Source> m_input;
    int m_stream = -1;
    const AVCodec *m_codec = nullptr;
    ffmpeg::Codec m_decoder;
    ffmpeg::Codec m_encoder;
    ffmpeg::Resampler m_resampler;
    ffmpeg::Fifo m_fifo;
    ffmpeg::Output m_muxer;
    int64_t m_samplesOut = 0;
};

} // namespace

Conversion convertTrack(int file, const QString &path, TargetFormat format, const Quality &quality,
                        const QString &outputPath,
                        const std::function<void(double seconds)> &decoded)
{
    return Converter(format, quality, decoded).run(file, path, outputPath);
}
