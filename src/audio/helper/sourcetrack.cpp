#include "audio/sourcetrack.h"

#include "audio/helper/ffmpeg.h"
#include "audio/helper/tagging.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

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

// The total after the slash of "3/12", else the one a tag of its own holds
// (Vorbis comments have two spellings).
int totalOf(const AVFormatContext &input, const AVStream &stream, const char *number,
            std::initializer_list<const char *> keys)
{
    const QString text = tag(input, stream, number);
    const qsizetype slash = text.indexOf(u'/');
    int total = slash < 0 ? 0 : leadingNumber(text.mid(slash + 1).trimmed());
    for (const char *key : keys) {
        if (total == 0)
            total = leadingNumber(tag(input, stream, key));
    }
    return total;
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
    tags.trackTotal = totalOf(input, stream, "track", {"tracktotal", "totaltracks"});
    tags.discTotal = totalOf(input, stream, "disc", {"disctotal", "totaldiscs"});
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

// Whether a copy the PSP plays holds what it cannot read: an ID3v2 tag of
// another version than 2.3, a cover it does not show, or streams besides
// the audio and the cover (the video of an MP4 file, its chapters...).
bool needsRewrite(int file, const AVFormatContext &input, int audio)
{
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        const AVStream &stream = *input.streams[i];
        if (int(i) == audio)
            continue;
        const AVPacket &picture = stream.attached_pic;
        if (!(stream.disposition & AV_DISPOSITION_ATTACHED_PIC) ||
            !pspShowsCover(QByteArray::fromRawData(reinterpret_cast<const char *>(picture.data),
                                                   picture.size)))
            return true;
    }
    char start[4] = {};
    return pread(file, start, sizeof start, 0) == sizeof start &&
           QByteArrayView(start, 3) == "ID3" && start[3] != 3;
}

// What a rewritten copy takes: its audio, by its bit rate, when it holds
// more; else as much as the source.
qint64 rewrittenSize(const SourceTrack &source, const AVCodecParameters &codec)
{
    const qint64 audio = qint64(source.seconds * double(codec.bit_rate) / 8) + 64 * 1024;
    return codec.bit_rate > 0 ? std::min(source.size, audio) : source.size;
}

} // namespace

SourceTrack probeSource(int file, const QString &path)
{
    SourceTrack source;
    source.path = path;
    struct stat status = {};
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        source.refusal = SourceTrack::Refusal::Unreadable;
        return source;
    }
    source.size = status.st_size;
    source.modified = qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
    // A send of many tracks probes each before anything is written; the
    // decoder reads what the headers leave out when the track is converted.
    int error = 0;
    const std::unique_ptr<ffmpeg::Source> opened = ffmpeg::Source::open(file, path, true, error);
    const AVFormatContext *input = opened ? opened->context() : nullptr;
    const int index =
        input ? av_find_best_stream(opened->context(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) : -1;
    if (index < 0 || !avcodec_find_decoder(input->streams[index]->codecpar->codec_id)) {
        source.refusal = input ? SourceTrack::Refusal::NotAudio : SourceTrack::Refusal::Unreadable;
        return source;
    }
    const AVStream &stream = *input->streams[index];
    const AVCodecParameters &codec = *stream.codecpar;
    source.seconds = ffmpeg::durationOf(*input, stream);
    if (!ffmpeg::plausible(*input, stream, source.size)) {
        source.seconds = 0;
        source.refusal = SourceTrack::Refusal::Damaged;
        return source;
    }
    source.tags = readTags(*input, stream);
    if (!playsAsIs(*input, codec, source.copyExtension)) {
        source.method = SendMethod::Convert;
        return source;
    }
    source.method = needsRewrite(file, *input, index) ? SendMethod::Rewrite : SendMethod::Copy;
    if (source.method == SendMethod::Rewrite)
        source.rewrittenSize = rewrittenSize(source, codec);
    // Only what is copied can be too large for the PSP's storage: a
    // conversion is far smaller.
    if ((source.method == SendMethod::Copy ? source.size : source.rewrittenSize) > largestFile) {
        source.method = SendMethod::Refuse;
        source.refusal = SourceTrack::Refusal::TooLarge;
    }
    return source;
}
