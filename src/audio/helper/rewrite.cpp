#include "audio/helper/rewrite.h"

#include "audio/helper/ffmpeg.h"

#include <QFile>
#include <unistd.h>

namespace {

bool copyAll(QFile &source, QFile &output)
{
    QByteArray chunk(1024 * 1024, Qt::Uninitialized);
    for (qint64 read; (read = source.read(chunk.data(), chunk.size())) != 0;) {
        if (read < 0 || output.write(chunk.constData(), read) != read)
            return false;
    }
    return true;
}

// Puts the source's audio stream alone into a new MP4 file; FFmpeg's code.
int remuxAudio(AVFormatContext &input, const QString &outputPath,
               const std::function<void(double)> &copied)
{
    const int audio = av_find_best_stream(&input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (audio < 0)
        return audio;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        if (int(i) != audio)
            input.streams[i]->discard = AVDISCARD_ALL;
    }
    AVFormatContext *made = nullptr;
    const QByteArray path = QFile::encodeName(outputPath);
    int error = avformat_alloc_output_context2(&made, nullptr, "ipod", path.constData());
    const ffmpeg::Output output(made);
    if (error < 0)
        return error;
    // The muxer seeks back to write the sizes.
    error = avio_open(&made->pb, path.constData(), AVIO_FLAG_WRITE);
    AVStream *stream = error < 0 ? nullptr : avformat_new_stream(made, nullptr);
    if (!stream)
        return error < 0 ? error : AVERROR(ENOMEM);
    const AVStream &source = *input.streams[audio];
    if ((error = avcodec_parameters_copy(stream->codecpar, source.codecpar)) < 0)
        return error;
    // The source's container may name the codec otherwise.
    stream->codecpar->codec_tag = 0;
    stream->time_base = source.time_base;
    if ((error = avformat_write_header(made, nullptr)) < 0)
        return error;
    const ffmpeg::Packet packet(av_packet_alloc());
    if (!packet)
        return AVERROR(ENOMEM);
    while ((error = av_read_frame(&input, packet.get())) >= 0) {
        if (packet->stream_index == audio) {
            if (packet->pts != AV_NOPTS_VALUE)
                copied(double(packet->pts) * av_q2d(source.time_base));
            av_packet_rescale_ts(packet.get(), source.time_base, stream->time_base);
            packet->stream_index = 0;
            packet->pos = -1;
            error = av_interleaved_write_frame(made, packet.get());
        }
        av_packet_unref(packet.get());
        if (error < 0)
            return error;
    }
    // Anything but the end of the file leaves the track unfinished.
    return error == AVERROR_EOF ? av_write_trailer(made) : error;
}

} // namespace

Conversion rewriteTrack(int file, const QString &path, TargetFormat format,
                        const QString &outputPath,
                        const std::function<void(double seconds)> &copied)
{
    Conversion result;
    int error = 0;
    const std::unique_ptr<ffmpeg::Source> input = ffmpeg::Source::open(file, path, true, error);
    if (input) {
        result.embeddedCover = ffmpeg::attachedPicture(*input->context());
        if (format == TargetFormat::Mp3) {
            QFile source;
            QFile output(outputPath);
            if (lseek(file, 0, SEEK_SET) != 0 || !source.open(file, QIODevice::ReadOnly) ||
                !output.open(QIODevice::WriteOnly) || !copyAll(source, output))
                result.reason = output.errorString();
            else
                result.status = Conversion::Status::Done;
            return result;
        }
        error = remuxAudio(*input->context(), outputPath, copied);
    }
    if (error < 0)
        result.reason = ffmpeg::errorText(error);
    else
        result.status = Conversion::Status::Done;
    return result;
}
