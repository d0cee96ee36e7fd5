#include "support/audiofiles.h"

#include "audio/helper/ffmpeg.h"

#include <algorithm>
#include <cmath>
#include <QFile>
#include <random>

bool writeTone(const QString &path, const char *format, double seconds, int rate, int channels,
               const QMap<QString, QString> &tags, double amplitude, double noise)
{
    // Each channel its own: what is the same in both costs an encoder nothing.
    std::mt19937 random(1);
    std::uniform_real_distribution<double> hiss(-noise, noise);
    const QByteArray name(format);
    const AVCodec *codec = name == "mp3"   ? avcodec_find_encoder_by_name("libmp3lame")
                           : name == "wav" ? avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE)
                           : name == "mp4" ? avcodec_find_encoder(AV_CODEC_ID_AAC)
                                           : avcodec_find_encoder(AV_CODEC_ID_FLAC);
    AVFormatContext *output = nullptr;
    if (!codec || avformat_alloc_output_context2(&output, nullptr, format, nullptr) < 0)
        return false;
    const std::unique_ptr<AVFormatContext, void (*)(AVFormatContext *)> owner(
        output, [](AVFormatContext *context) {
            avio_closep(&context->pb);
            avformat_free_context(context);
        });
    const ffmpeg::Codec encoder(avcodec_alloc_context3(codec));
    av_channel_layout_default(&encoder->ch_layout, channels);
    encoder->sample_rate = rate;
    encoder->sample_fmt = codec->sample_fmts[0];
    encoder->time_base = {1, rate};
    if (output->oformat->flags & AVFMT_GLOBALHEADER)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVStream *stream = avformat_new_stream(output, nullptr);
    // A frame of video, as a music video has; what it shows matters not.
    if (name == "mp4") {
        AVCodecParameters &video = *avformat_new_stream(output, nullptr)->codecpar;
        video.codec_type = AVMEDIA_TYPE_VIDEO;
        video.codec_id = AV_CODEC_ID_MJPEG;
        video.width = video.height = 8;
    }
    for (auto tag = tags.cbegin(); tag != tags.cend(); ++tag)
        av_dict_set(&output->metadata, tag.key().toUtf8().constData(),
                    tag.value().toUtf8().constData(), 0);
    if (avcodec_open2(encoder.get(), codec, nullptr) < 0 ||
        avcodec_parameters_from_context(stream->codecpar, encoder.get()) < 0 ||
        avio_open(&output->pb, QFile::encodeName(path).constData(), AVIO_FLAG_WRITE) < 0 ||
        avformat_write_header(output, nullptr) < 0)
        return false;
    stream->time_base = encoder->time_base;

    const ffmpeg::Packet packet(av_packet_alloc());
    if (name == "mp4" && av_new_packet(packet.get(), 64) == 0) {
        std::fill_n(packet->data, 64, 0);
        packet->stream_index = 1;
        packet->pts = packet->dts = 0;
        av_interleaved_write_frame(output, packet.get());
    }
    const qint64 total = qint64(seconds * rate);
    const int frameSize = encoder->frame_size > 0 ? encoder->frame_size : 1024;
    const auto drain = [&] {
        while (avcodec_receive_packet(encoder.get(), packet.get()) == 0) {
            av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
            packet->stream_index = 0;
            av_interleaved_write_frame(output, packet.get());
        }
    };
    for (qint64 done = 0; done < total; done += frameSize) {
        const ffmpeg::Frame frame(av_frame_alloc());
        frame->nb_samples = int(std::min<qint64>(frameSize, total - done));
        frame->format = encoder->sample_fmt;
        frame->sample_rate = rate;
        av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
        av_frame_get_buffer(frame.get(), 0);
        const bool planar = av_sample_fmt_is_planar(encoder->sample_fmt);
        for (int i = 0; i < frame->nb_samples; ++i) {
            const double tone = amplitude * std::sin(2 * M_PI * 440 * double(done + i) / rate);
            for (int c = 0; c < channels; ++c) {
                const double value = tone + (noise > 0 ? hiss(random) : 0);
                const int at = planar ? i : i * channels + c;
                uint8_t *plane = frame->data[planar ? c : 0];
                if (encoder->sample_fmt == AV_SAMPLE_FMT_S16 ||
                    encoder->sample_fmt == AV_SAMPLE_FMT_S16P)
                    reinterpret_cast<int16_t *>(plane)[at] = int16_t(value * 32767);
                else if (encoder->sample_fmt == AV_SAMPLE_FMT_S32 ||
                         encoder->sample_fmt == AV_SAMPLE_FMT_S32P)
                    reinterpret_cast<int32_t *>(plane)[at] = int32_t(value * 2147483647.0);
                else
                    reinterpret_cast<float *>(plane)[at] = float(value);
            }
        }
        frame->pts = done;
        if (avcodec_send_frame(encoder.get(), frame.get()) < 0)
            return false;
        drain();
    }
    avcodec_send_frame(encoder.get(), nullptr);
    drain();
    return av_write_trailer(output) >= 0;
}

Decoded decodeAll(const QString &path)
{
    Decoded decoded;
    AVFormatContext *context = nullptr;
    if (avformat_open_input(&context, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return decoded;
    const ffmpeg::Input input(context);
    const AVCodec *codec = nullptr;
    const int index = avformat_find_stream_info(context, nullptr) >= 0
                          ? av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0)
                          : -1;
    if (index < 0)
        return decoded;
    const ffmpeg::Codec decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), input->streams[index]->codecpar);
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return decoded;
    const ffmpeg::Packet packet(av_packet_alloc());
    const ffmpeg::Frame frame(av_frame_alloc());
    const auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            decoded.samples += frame->nb_samples;
            for (int c = 0; c < frame->ch_layout.nb_channels && frame->format == AV_SAMPLE_FMT_FLTP;
                 ++c) {
                const float *samples = reinterpret_cast<const float *>(frame->extended_data[c]);
                for (int i = 0; i < frame->nb_samples; ++i)
                    decoded.peak = std::max(decoded.peak, double(std::abs(samples[i])));
            }
        }
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == index)
            avcodec_send_packet(decoder.get(), packet.get());
        av_packet_unref(packet.get());
        drain();
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    decoded.rate = decoder->sample_rate;
    decoded.channels = decoder->ch_layout.nb_channels;
    return decoded;
}
