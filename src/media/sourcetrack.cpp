#include "media/sourcetrack.h"

#include "media/ffmpeg.h"

#include <QFile>
#include <QFileInfo>

namespace ffmpeg {

namespace {

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

Input openInput(const QString &path, bool headersWillDo)
{
    // Damaged sources are reported to the user; the libraries' own chatter
    // on the terminal would add nothing.
    static const bool quiet = (av_log_set_level(AV_LOG_ERROR), true);
    Q_UNUSED(quiet);
    AVFormatContext *context = nullptr;
    if (avformat_open_input(&context, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return nullptr;
    Input input(context);
    if (headersWillDo && headersSayAll(*context))
        return input;
    if (avformat_find_stream_info(context, nullptr) < 0)
        return nullptr;
    return input;
}

} // namespace ffmpeg

namespace {

// The largest file a FAT volume holds.
constexpr qint64 largestFile = 0xFFFFFFFFLL;

QString tag(const AVFormatContext &input, const AVStream &stream, const char *key)
{
    // Ogg keeps its tags on the stream, most other formats on the file.
    for (AVDictionary *tags : {input.metadata, stream.metadata}) {
        if (const AVDictionaryEntry *entry = av_dict_get(tags, key, nullptr, 0))
            return QString::fromUtf8(entry->value).trimmed();
    }
    return {};
}

// "3/12" and "03" are both track 3.
int leadingNumber(const QString &text)
{
    qsizetype digits = 0;
    while (digits < text.size() && digits < 6 && text.at(digits).isDigit())
        ++digits;
    return text.left(digits).toInt();
}

TrackTags readTags(const AVFormatContext &input, const AVStream &stream)
{
    TrackTags tags;
    tags.title = tag(input, stream, "title");
    tags.artist = tag(input, stream, "artist");
    tags.album = tag(input, stream, "album");
    tags.albumArtist = tag(input, stream, "album_artist");
    if (tags.albumArtist.isEmpty())
        tags.albumArtist = tag(input, stream, "albumartist");
    tags.genre = tag(input, stream, "genre");
    tags.year = tag(input, stream, "date").left(4);
    tags.track = leadingNumber(tag(input, stream, "track"));
    tags.disc = leadingNumber(tag(input, stream, "disc"));
    return tags;
}

bool playsAsIs(const AVFormatContext &input, const AVCodecParameters &codec, QString &extension)
{
    const QByteArray format(input.iformat->name);
    if (format == "mp3" && codec.codec_id == AV_CODEC_ID_MP3) {
        extension = QStringLiteral("mp3");
        return true;
    }
    const bool usualRate = codec.sample_rate == 44100 || codec.sample_rate == 48000;
    if (format.contains("mp4") && codec.codec_id == AV_CODEC_ID_AAC && codec.sample_rate <= 48000) {
        extension = QStringLiteral("m4a");
        return true;
    }
    if (format == "wav" && codec.codec_id == AV_CODEC_ID_PCM_S16LE && usualRate) {
        extension = QStringLiteral("wav");
        return true;
    }
    return false;
}

} // namespace

SourceTrack probeSource(const QString &path)
{
    SourceTrack source;
    source.path = path;
    const QFileInfo info(path);
    if (!info.isFile()) {
        source.refusal = SourceTrack::Refusal::Unreadable;
        return source;
    }
    source.size = info.size();
    if (source.size > largestFile) {
        source.refusal = SourceTrack::Refusal::TooLarge;
        return source;
    }
    // A send of many tracks probes each before anything is written; the
    // decoder reads what the headers leave out when the track is converted.
    const ffmpeg::Input input = ffmpeg::openInput(path, true);
    const int index =
        input ? av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) : -1;
    if (index < 0 || !avcodec_find_decoder(input->streams[index]->codecpar->codec_id)) {
        source.refusal = input ? SourceTrack::Refusal::NotAudio : SourceTrack::Refusal::Unreadable;
        return source;
    }
    const AVStream &stream = *input->streams[index];
    const AVCodecParameters &codec = *stream.codecpar;
    if (input->duration > 0)
        source.seconds = double(input->duration) / AV_TIME_BASE;
    else if (stream.duration > 0)
        source.seconds = double(stream.duration) * av_q2d(stream.time_base);
    source.tags = readTags(*input, stream);
    source.method =
        playsAsIs(*input, codec, source.copyExtension) ? SendMethod::Copy : SendMethod::Convert;
    return source;
}
