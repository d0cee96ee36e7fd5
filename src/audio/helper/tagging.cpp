#include "audio/helper/tagging.h"

#include "core/sendnames.h"
#include "platform/transliteration.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

namespace {

constexpr int coverSide = 500;
// A picture file larger than this is no cover.
constexpr qint64 largestPicture = 32 * 1024 * 1024;

TagLib::String toTagLib(const QString &text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

TagLib::ByteVector toBytes(const QByteArray &bytes)
{
    return TagLib::ByteVector(bytes.constData(), uint(bytes.size()));
}

// "3/12" with the total, "3" without; nothing when the number is unknown.
QString numberOf(int number, int total)
{
    if (number <= 0)
        return {};
    return total > 0 ? QStringLiteral("%1/%2").arg(number).arg(total) : QString::number(number);
}

TagLib::PropertyMap properties(const TrackTags &tags)
{
    TagLib::PropertyMap map;
    const std::pair<const char *, QString> texts[] = {
        {"TITLE", tags.title},
        {"ARTIST", tags.artist},
        {"ALBUM", tags.album},
        {"ALBUMARTIST", tags.albumArtist},
        {"GENRE", tags.genre},
        {"DATE", tags.year},
        {"TRACKNUMBER", numberOf(tags.track, tags.trackTotal)},
        {"DISCNUMBER", numberOf(tags.disc, tags.discTotal)}};
    for (const auto &[key, value] : texts) {
        if (!value.isEmpty())
            map.insert(key, TagLib::StringList(toTagLib(value)));
    }
    return map;
}

QImage pictureBeside(int coverFile)
{
    QFile file;
    if (coverFile < 0 || !file.open(coverFile, QIODevice::ReadOnly) || file.size() > largestPicture)
        return {};
    return QImage::fromData(file.readAll());
}

// ID3v1 holds Latin-1 alone: other letters are spelled in Latin ones rather
// than the field left blank.
class Latin1Fields : public TagLib::ID3v1::StringHandler
{
public:
    TagLib::ByteVector render(const TagLib::String &text) const override
    {
        const QString wanted = QString::fromStdString(text.to8Bit(true));
        QString latin1;
        for (qsizetype i = 0; i < wanted.size();) {
            if (wanted.at(i).unicode() <= 0xff) {
                latin1 += wanted.at(i++);
                continue;
            }
            qsizetype end = i;
            while (end < wanted.size() && wanted.at(end).unicode() > 0xff)
                ++end;
            for (const QChar c : platform::asciiSpelling(QStringView(wanted).mid(i, end - i))) {
                if (c.unicode() <= 0xff)
                    latin1 += c;
            }
            i = end;
        }
        return toBytes(latin1.toLatin1());
    }
};

bool tagMp3(TagLib::FileName path, const TrackTags &tags, const QByteArray &cover)
{
    TagLib::MPEG::File file(path, false);
    if (!file.isValid())
        return false;
    TagLib::ID3v2::Tag *id3 = file.ID3v2Tag(true);
    id3->setProperties(properties(tags));
    // A copy's own pictures are those the PSP may not show.
    id3->removeFrames("APIC");
    if (!cover.isEmpty()) {
        auto *picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setMimeType("image/jpeg");
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setPicture(toBytes(cover));
        id3->addFrame(picture);
    }
    // ID3v1 is copied from the ID3v2 tag.
    static const Latin1Fields latin1;
    TagLib::ID3v1::Tag::setStringHandler(&latin1);
    return file.save(TagLib::MPEG::File::AllTags, TagLib::File::StripOthers, TagLib::ID3v2::v3,
                     TagLib::File::Duplicate);
}

bool tagMp4(TagLib::FileName path, const TrackTags &tags, const QByteArray &cover)
{
    TagLib::MP4::File file(path, false);
    if (!file.isValid())
        return false;
    TagLib::MP4::Tag *atoms = file.tag();
    atoms->setProperties(properties(tags));
    if (!cover.isEmpty()) {
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, toBytes(cover)));
        atoms->setItem("covr", covers);
    }
    return file.save();
}

} // namespace

QByteArray coverFor(const QByteArray &embedded, int coverFile)
{
    QImage image = QImage::fromData(embedded);
    if (image.isNull())
        image = pictureBeside(coverFile);
    if (image.isNull())
        return {};
    if (image.width() > coverSide || image.height() > coverSide)
        image = image.scaled(coverSide, coverSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(false);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32)))
        return {};
    return jpeg;
}

bool tagFile(const QString &path, TargetFormat format, const TrackTags &tags,
             const QByteArray &coverJpeg)
{
    const QByteArray name = QFile::encodeName(path);
    return format == TargetFormat::Mp3 ? tagMp3(name.constData(), tags, coverJpeg)
                                       : tagMp4(name.constData(), tags, coverJpeg);
}

bool pspShowsCover(const QByteArray &picture)
{
    // The frame header (SOF) that comes first tells baseline from
    // progressive, and the size.
    const auto byte = [&picture](qsizetype at) {
        return int(uchar(picture.at(at)));
    };
    if (picture.size() < 4 || byte(0) != 0xff || byte(1) != 0xd8)
        return false;
    for (qsizetype at = 2; at + 9 <= picture.size() && byte(at) == 0xff;) {
        const int marker = byte(at + 1);
        if (marker == 0xc0) {
            const int height = byte(at + 5) << 8 | byte(at + 6);
            const int width = byte(at + 7) << 8 | byte(at + 8);
            return width <= coverSide && height <= coverSide;
        }
        if (marker > 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
            return false;
        at += 2 + (byte(at + 2) << 8 | byte(at + 3));
    }
    return false;
}

TrackTags tagsToWrite(TrackTags tags, const QString &sourcePath)
{
    const QFileInfo file(sourcePath);
    if (tags.title.isEmpty())
        tags.title = file.completeBaseName();
    if (tags.artist.isEmpty() && tags.albumArtist.isEmpty() && tags.album.isEmpty()) {
        tags.album = file.dir().dirName();
        const QString above = sendnames::artistFolderOf(sourcePath);
        if (!sendnames::sameName(above, tags.album))
            tags.artist = above;
    }
    return tags;
}
