#include "core/playlistfile.h"

#include "core/temporaryfiles.h"
#include "platform/ansicodepage.h"

#include <cerrno>
#include <QIODevice>
#include <QStringDecoder>
#include <QStringEncoder>

using namespace Qt::StringLiterals;

namespace playlistfile {

namespace {

constexpr QStringView lineEnd = u"\r\n";

// The whole playlist as one text, so that it is converted in one go; a
// playlist of tens of thousands of entries would be slow entry by entry.
QString joinLines(const QStringList &entries)
{
    qsizetype size = 0;
    for (const QString &entry : entries)
        size += entry.size() + lineEnd.size();
    QString text;
    text.reserve(size);
    for (const QString &entry : entries) {
        text += entry;
        text += lineEnd;
    }
    return text;
}

QStringList splitLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start).toString());
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start).toString());
    return lines;
}

QStringConverter::Encoding utf16Of(PlaylistEncoding encoding)
{
    return encoding == PlaylistEncoding::Utf16BigEndian ? QStringConverter::Utf16BE
                                                        : QStringConverter::Utf16LE;
}

// The last byte of a UTF-16 file of odd length. The decoder would keep it
// waiting for its other half and never say so; set aside, it is written back.
QByteArrayView oddTailOf(QByteArrayView bytes, PlaylistEncoding encoding)
{
    return encoding != PlaylistEncoding::Ansi && bytes.size() % 2 ? bytes.last(1)
                                                                  : QByteArrayView();
}

QString decodeText(QByteArrayView bytes, int codePage, PlaylistEncoding encoding)
{
    // The decoder drops the byte-order mark.
    if (encoding != PlaylistEncoding::Ansi)
        return QStringDecoder(utf16Of(encoding))
            .decode(bytes.chopped(oddTailOf(bytes, encoding).size()));
    return AnsiCodec(codePage).decode(bytes);
}

// Reads to the end, or to just past the largest playlist file, which a file
// growing while it is read can reach.
Result<> readAllBytes(QIODevice &device, QByteArray &bytes)
{
    constexpr qint64 chunkSize = 1 << 20;
    for (;;) {
        const qsizetype have = bytes.size();
        if (have > maxPlaylistFileSize)
            return FileError::fromErrno(EFBIG);
        bytes.resize(have + chunkSize);
        const qint64 got = device.read(bytes.data() + have, chunkSize);
        bytes.truncate(have + qMax<qint64>(got, 0));
        if (got < 0)
            return FileError(device.errorString());
        if (got == 0)
            return {};
    }
}

} // namespace

QByteArray encodePlaylist(const QStringList &entries, int codePage, PlaylistEncoding encoding,
                          QByteArrayView oddTail)
{
    if (encoding != PlaylistEncoding::Ansi) {
        QByteArray bytes = QStringEncoder(utf16Of(encoding), QStringConverter::Flag::WriteBom)
                               .encode(joinLines(entries));
        return bytes.append(oddTail);
    }
    return AnsiCodec(codePage).encode(joinLines(entries));
}

PlaylistEncoding encodingOf(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return PlaylistEncoding::Utf16LittleEndian;
    return bytes.startsWith("\xFE\xFF") ? PlaylistEncoding::Utf16BigEndian : PlaylistEncoding::Ansi;
}

QStringList decodePlaylist(const QByteArray &bytes, int codePage)
{
    // CR and LF never occur inside a character, so the text can be decoded
    // whole and split afterwards.
    return splitLines(decodeText(bytes, codePage, encodingOf(bytes)));
}

int firstInexactEntry(const QStringList &entries, int codePage)
{
    const qsizetype first = AnsiCodec(codePage).firstUnmappable(joinLines(entries));
    if (first < 0)
        return -1;
    qsizetype end = 0;
    for (int i = 0; i < entries.size(); ++i) {
        end += entries[i].size() + lineEnd.size();
        if (first < end)
            return i;
    }
    return -1;
}

int firstEntryWithLineBreak(const QStringList &entries)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].contains(u'\r') || entries[i].contains(u'\n'))
            return i;
    }
    return -1;
}

LoadedPlaylist readPlaylist(QIODevice &device, int codePage)
{
    QByteArray bytes;
    const Result<> read = readAllBytes(device, bytes);
    const PlaylistEncoding encoding = encodingOf(bytes);
    QString text = decodeText(bytes, codePage, encoding);
    if (!read) {
        // After a failed read the last line may be cut short, even inside a
        // character; only the lines known to be whole are kept.
        text.truncate(qMax(text.lastIndexOf(u'\r'), text.lastIndexOf(u'\n')) + 1);
        return {splitLines(text), encoding, read.error(), {}};
    }
    return {splitLines(text), encoding, bytes, oddTailOf(bytes, encoding).toByteArray()};
}

LoadedPlaylist loadPlaylist(const VolumeRoot &folder, const QString &path, int codePage)
{
    const Result<std::unique_ptr<QFile>> opened = folder.openFile(path, maxPlaylistFileSize);
    if (!opened)
        return {{}, PlaylistEncoding::Ansi, opened.error(), {}};
    return readPlaylist(**opened, codePage);
}

bool changedSince(const VolumeRoot &folder, const QString &path, const QByteArray &bytes)
{
    if (folder.status(path).kind == VolumeRoot::Kind::Missing)
        return false;
    const Result<std::unique_ptr<QFile>> opened = folder.openFile(path, maxPlaylistFileSize);
    QByteArray now;
    return !opened || (*opened)->size() != bytes.size() || !readAllBytes(**opened, now) ||
           now != bytes;
}

bool reachedThroughLink(const VolumeRoot &folder, const QString &path)
{
    const QStringList steps = path.split(u'/', Qt::SkipEmptyParts);
    QString reached;
    for (qsizetype i = 0; i + 1 < steps.size(); ++i) {
        reached += steps[i] + u'/';
        if (folder.status(reached.chopped(1)).kind == VolumeRoot::Kind::Link)
            return true;
    }
    return false;
}

Result<> savePlaylist(const VolumeRoot &folder, const QString &path, const QByteArray &bytes)
{
    // Judged here, not left to the system, which would let root write anyway.
    if (folder.status(path).readOnly)
        return FileError::fromErrno(EACCES);
    // The new file is written under a short name of its own, for a name that
    // the volume only just accepts has no room for more characters; then it
    // replaces the old one in one step. Both go through the folder held open,
    // so that a volume pulled out meanwhile is never mistaken for the bare
    // folder it was mounted on.
    Result<std::unique_ptr<VolumeRoot::NewFile>> file = createTemporaryFile(folder);
    if (!file)
        return file.error();
    if (const Result<> written = (*file)->write(bytes); !written)
        return written;
    return folder.commit(**file, path, VolumeRoot::IfTaken::Replace);
}

} // namespace playlistfile
