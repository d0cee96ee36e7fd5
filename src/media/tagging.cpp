#include "media/tagging.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <taglib/attachedpictureframe.h>
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
        {"TRACKNUMBER", tags.track > 0 ? QString::number(tags.track) : QString()},
        {"DISCNUMBER", tags.disc > 0 ? QString::number(tags.disc) : QString()}};
    for (const auto &[key, value] : texts) {
        if (!value.isEmpty())
            map.insert(key, TagLib::StringList(toTagLib(value)));
    }
    return map;
}

QImage pictureBeside(const QString &sourcePath)
{
    const QDir folder = QFileInfo(sourcePath).dir();
    const QFileInfoList files = folder.entryInfoList(QDir::Files);
    for (const char *wanted : {"cover.jpg", "folder.jpg", "front.jpg"}) {
        for (const QFileInfo &file : files) {
            if (file.fileName().compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0 &&
                file.size() <= largestPicture) {
                const QImage image(file.filePath());
                if (!image.isNull())
                    return image;
            }
        }
    }
    return {};
}

bool tagMp3(TagLib::FileName path, const TrackTags &tags, const QByteArray &cover)
{
    TagLib::MPEG::File file(path, false);
    if (!file.isValid())
        return false;
    TagLib::ID3v2::Tag *id3 = file.ID3v2Tag(true);
    id3->setProperties(properties(tags));
    if (!cover.isEmpty()) {
        auto *picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setMimeType("image/jpeg");
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setPicture(toBytes(cover));
        id3->addFrame(picture);
    }
    // ID3v1 is copied from the ID3v2 tag.
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

QByteArray coverFor(const QByteArray &embedded, const QString &sourcePath)
{
    QImage image = QImage::fromData(embedded);
    if (image.isNull())
        image = pictureBeside(sourcePath);
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
