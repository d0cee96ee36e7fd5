#include "core/computerplaylist.h"

#include "core/entry.h"
#include "core/folderpath.h"
#include "core/modules.h"
#include "core/playlistparser.h"
#include "platform/ansicodepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// Far more than any real playlist; reading more would only fill the memory.
constexpr qint64 largestPlaylist = 16 << 20;

QString extensionOf(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

// After a byte-order mark, its encoding; else UTF-8 where the bytes are valid
// UTF-8; else the ANSI code page that players on Windows write.
QString decodeText(const QByteArray &bytes, int codePage)
{
    if (const auto marked = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*marked);
        return decoder(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? AnsiCodec(codePage).decode(bytes) : text;
}

// M3U is read here rather than by the parser below, which drops the lines
// that start with a drive letter or a backslash (as playlists made on Windows
// do), and takes a byte-order mark for part of the first line.
ParsedPlaylist listM3u(const QString &text)
{
    static const QRegularExpression lineEnds(u"\r\n|\r|\n"_s);
    ParsedPlaylist listed;
    listed.parsed = true;
    for (const QString &line : text.split(lineEnds)) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u"#PLAYLIST:") && listed.title.isEmpty())
            listed.title = trimmed.mid(10).trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(u'#'))
            listed.locations.append(trimmed);
    }
    return listed;
}

// The parser comes with GLib, which most of the program's starts have no use
// for: it is loaded the first time a playlist needs it.
ParsedPlaylist parseWithModule(const QString &file, const QString &baseFolder)
{
    static const auto *module =
        static_cast<const PlaylistParserModule *>(loadModule("zarvello_playlistparser"));
    return module ? module->parse(file, folderpath::rootForm(baseFolder)) : ParsedPlaylist{};
}

// PLS goes to the parser as UTF-8 without a byte-order mark, which it needs:
// it reads any other text as "?" and a marked file not at all.
ParsedPlaylist listPls(const QString &text, const QString &folder)
{
    QTemporaryFile copy(QDir::tempPath() + u"/zarvello-XXXXXX.pls"_s);
    if (!copy.open() || copy.write(text.toUtf8()) < 0 || !copy.flush())
        return {};
    return parseWithModule(copy.fileName(), folder);
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

bool isComputerPlaylist(const QString &path)
{
    static const QStringList extensions{u"m3u"_s, u"m3u8"_s, u"pls"_s, u"xspf"_s};
    return extensions.contains(extensionOf(path));
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
    if (extension == u"xspf") {
        // XML says its own encoding.
        listed = parseWithModule(path, folder);
    } else {
        const QString text = decodeText(file.readAll(), codePage);
        listed = extension == u"pls" ? listPls(text, folder) : listM3u(text);
    }
    if (!listed.parsed)
        return FileError(FileError::Kind::NotReadable);
    ComputerPlaylist playlist;
    playlist.name = info.completeBaseName();
    if (!listed.title.isEmpty())
        playlist.name = listed.title;

    // An address with a scheme of two letters or more; one letter is a drive.
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]+:"_s);
    const QDir base(folder);
    const QString below = folderpath::rootForm(folder);
    for (const QString &location : std::as_const(listed.locations)) {
        QString written = location;
        if (scheme.match(location).hasMatch()) {
            const QUrl url(location);
            if (!url.isLocalFile()) {
                playlist.streams.append(location);
                continue;
            }
            written = url.toLocalFile();
        }
        // The parser makes relative paths absolute: what it added goes again.
        if (written.startsWith(below))
            written = written.mid(below.size());
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
