#include "audio/audioprotocol.h"

#include "core/version.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

namespace audioprotocol {

namespace {

constexpr QDataStream::Version streamVersion = QDataStream::Qt_6_4;

template <typename Enum> void putEnum(QDataStream &stream, Enum value)
{
    stream << quint8(value);
}

template <typename Enum> void getEnum(QDataStream &stream, Enum &value)
{
    quint8 raw = 0;
    stream >> raw;
    value = Enum(raw);
}

QDataStream &operator<<(QDataStream &stream, const TrackTags &tags)
{
    return stream << tags.title << tags.artist << tags.album << tags.albumArtist << tags.genre
                  << tags.year << qint32(tags.track) << qint32(tags.disc) << qint32(tags.trackTotal)
                  << qint32(tags.discTotal);
}

QDataStream &operator>>(QDataStream &stream, TrackTags &tags)
{
    qint32 track = 0;
    qint32 disc = 0;
    qint32 trackTotal = 0;
    qint32 discTotal = 0;
    stream >> tags.title >> tags.artist >> tags.album >> tags.albumArtist >> tags.genre >>
        tags.year >> track >> disc >> trackTotal >> discTotal;
    tags.track = track;
    tags.disc = disc;
    tags.trackTotal = trackTotal;
    tags.discTotal = discTotal;
    return stream;
}

} // namespace

QString buildId()
{
    return version::numbers();
}

QByteArray encode(const Frame &frame)
{
    QByteArray bytes(sizeof(quint32), '\0');
    {
        QDataStream stream(&bytes, QIODevice::WriteOnly | QIODevice::Append);
        stream.setVersion(streamVersion);
        putEnum(stream, frame.kind);
        switch (frame.kind) {
        case Kind::Hello:
            stream << frame.version << frame.build << frame.reason;
            break;
        case Kind::Probe:
        case Kind::Copy:
            stream << frame.path;
            break;
        case Kind::Convert:
        case Kind::Rewrite:
            stream << frame.path;
            putEnum(stream, frame.format);
            stream << qint32(frame.quality.mp3Level) << qint32(frame.quality.aacBitRate);
            stream << frame.output << frame.tags;
            break;
        case Kind::Progress:
            stream << frame.seconds;
            break;
        case Kind::Probed:
            stream << frame.source.path;
            putEnum(stream, frame.source.method);
            putEnum(stream, frame.source.refusal);
            stream << frame.source.size << frame.source.modified << frame.source.seconds
                   << frame.source.copyExtension << frame.source.tags << frame.source.rewrittenSize;
            break;
        case Kind::Converted:
            putEnum(stream, frame.status);
            stream << frame.reason << frame.writeError;
            break;
        }
    }
    qToBigEndian(quint32(bytes.size() - sizeof(quint32)), bytes.data());
    return bytes;
}

std::optional<Frame> takeFrame(QByteArray &buffer, bool &broken)
{
    if (buffer.size() < qsizetype(sizeof(quint32)))
        return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(buffer.constData());
    if (length > largestFrame) {
        broken = true;
        return std::nullopt;
    }
    if (buffer.size() < qsizetype(sizeof(quint32) + length))
        return std::nullopt;
    const QByteArray body = buffer.mid(sizeof(quint32), length);
    buffer.remove(0, qsizetype(sizeof(quint32) + length));
    QDataStream stream(body);
    stream.setVersion(streamVersion);
    Frame frame;
    getEnum(stream, frame.kind);
    switch (frame.kind) {
    case Kind::Hello:
        stream >> frame.version >> frame.build;
        // A helper of an earlier version says no more, and is told apart by it.
        if (!stream.atEnd())
            stream >> frame.reason;
        break;
    case Kind::Probe:
    case Kind::Copy:
        stream >> frame.path;
        break;
    case Kind::Convert:
    case Kind::Rewrite:
        stream >> frame.path;
        getEnum(stream, frame.format);
        stream >> frame.quality.mp3Level >> frame.quality.aacBitRate;
        stream >> frame.output >> frame.tags;
        break;
    case Kind::Progress:
        stream >> frame.seconds;
        break;
    case Kind::Probed:
        stream >> frame.source.path;
        getEnum(stream, frame.source.method);
        getEnum(stream, frame.source.refusal);
        stream >> frame.source.size >> frame.source.modified >> frame.source.seconds >>
            frame.source.copyExtension >> frame.source.tags >> frame.source.rewrittenSize;
        break;
    case Kind::Converted:
        getEnum(stream, frame.status);
        stream >> frame.reason >> frame.writeError;
        break;
    default:
        broken = true;
        return std::nullopt;
    }
    if (stream.status() != QDataStream::Ok) {
        broken = true;
        return std::nullopt;
    }
    return frame;
}

} // namespace audioprotocol
