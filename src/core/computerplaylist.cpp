#include "core/computerplaylist.h"

#include "core/entry.h"
#include "core/folderpath.h"
#include "core/playlistreaders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// Far more than any real playlist; reading more would only fill the memory.
constexpr qint64 largestPlaylist = 16 << 20;

QString extensionOf(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

// A track named by a path that is not there may come from another computer:
// the end of its path is looked for below the playlist's folder, longest
// first.
QString findTrack(const QDir &folder, const QString &written)
{
    static const QRegularExpression drive(u"^/?[A-Za-z]:"_s);
    QString path = written;
    path.replace(u'\\', u'/');
    const QString asWritten = QDir::cleanPath(folder.absoluteFilePath(path));
    if (QFileInfo(asWritten).isFile())
        return asWritten;
    if (!path.startsWith(u'/') && !drive.match(path).hasMatch())
        return {};
    const QStringList parts = path.remove(drive).split(u'/', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString candidate = QDir::cleanPath(folder.filePath(parts.mid(i).join(u'/')));
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

} // namespace

const QStringList &computerPlaylistExtensions()
{
    static const QStringList extensions{u"m3u"_s, u"m3u8"_s, u"pls"_s, u"xspf"_s};
    return extensions;
}

bool isComputerPlaylist(const QString &path)
{
    return computerPlaylistExtensions().contains(extensionOf(path));
}

Result<ComputerPlaylist> readComputerPlaylist(const QString &path, int codePage)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return FileError(FileError::Kind::NotAFile);
    if (info.size() > largestPlaylist)
        return FileError(FileError::Kind::TooLarge);
    if (!isComputerPlaylist(path))
        return FileError(FileError::Kind::NotReadable);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileError(file.errorString());
    const QString folder = info.absolutePath();
    const QString extension = extensionOf(path);
    ParsedPlaylist listed;
    if (extension == u"xspf")
        listed = readXspf(file);
    else if (extension == u"pls")
        listed = readPls(file.readAll(), codePage);
    else
        listed = readM3u(file.readAll(), codePage);
    if (!listed.parsed)
        return FileError(FileError::Kind::NotReadable);
    ComputerPlaylist playlist;
    playlist.name = info.completeBaseName();
    if (!listed.title.isEmpty())
        playlist.name = listed.title;

    const QDir base(folder);
    for (const QString &location : std::as_const(listed.locations)) {
        QString written = location;
        if (isAddress(location)) {
            QUrl url(location);
            // "localhost" is this computer, not a share of that name.
            if (url.host().compare(u"localhost", Qt::CaseInsensitive) == 0)
                url.setHost({});
            if (!url.isLocalFile()) {
                playlist.streams.append(location);
                continue;
            }
            written = url.toLocalFile();
        }
        const QString track = findTrack(base, written);
        if (track.isEmpty())
            playlist.notFound.append(written);
        else
            playlist.files.append(track);
    }
    return playlist;
}

QByteArray computerPlaylistCopy(const QStringList &entries, const QString &driveRoot,
                                const QString &folder)
{
    const QString root = folderpath::rootForm(driveRoot);
    const bool relative = folderpath::isWithin(root, folder);
    const QDir base(folder);
    QString text = u"#EXTM3U\n"_s;
    for (const QString &entry : entries) {
        const QString file = namesTrack(entry) ? entryFilePath(root, entry) : QString();
        if (file.isEmpty())
            continue;
        text += QDir::toNativeSeparators(relative ? base.relativeFilePath(file) : file);
        text += u'\n';
    }
    return text.toUtf8();
}
