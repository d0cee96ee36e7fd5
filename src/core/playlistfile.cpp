#include "core/playlistfile.h"

#include "core/temporaryfiles.h"
#include "platform/ansicodepage.h"

#include <cerrno>
#include <QIODevice>
#include <QStringDecoder>
#include <QStringEncoder>

using namespace Qt::StringLiterals;

namespace playlist {

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

QStringConverter::Encoding utf16Of(Encoding encoding)
{
    return encoding == Encoding::Utf16BigEndian ? QStringConverter::Utf16BE
                                                : QStringConverter::Utf16LE;
}

QString decodeText(QByteArrayView bytes, int codePage, Encoding encoding)
{
    // The decoder drops the byte-order mark.
    if (encoding != Encoding::Ansi)
        return QStringDecoder(utf16Of(encoding)).decode(bytes);
    return platform::AnsiCodec(codePage).decode(bytes);
}

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

// Reads to the end, or to just past the largest playlist file, which a file
// growing while it is read can reach.
bool readAllBytes(QIODevice &device, QByteArray &bytes, QString *error)
{
    constexpr qint64 chunkSize = 1 << 20;
    for (;;) {
        const qsizetype have = bytes.size();
        if (have > maxPlaylistFileSize)
            return fail(error, qt_error_string(EFBIG));
        bytes.resize(have + chunkSize);
        const qint64 got = device.read(bytes.data() + have, chunkSize);
        bytes.truncate(have + qMax<qint64>(got, 0));
        if (got < 0)
            return fail(error, device.errorString());
        if (got == 0)
            return true;
    }
}

} // namespace

QByteArray encodePlaylist(const QStringList &entries, int codePage, Encoding encoding)
{
    if (encoding != Encoding::Ansi)
        return QStringEncoder(utf16Of(encoding), QStringConverter::Flag::WriteBom)
            .encode(joinLines(entries));
    return platform::AnsiCodec(codePage).encode(joinLines(entries));
}

Encoding encodingOf(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return Encoding::Utf16LittleEndian;
    return bytes.startsWith("\xFE\xFF") ? Encoding::Utf16BigEndian : Encoding::Ansi;
}

QStringList decodePlaylist(const QByteArray &bytes, int codePage)
{
    // CR and LF never occur inside a character, so the text can be decoded
    // whole and split afterwards.
    return splitLines(decodeText(bytes, codePage, encodingOf(bytes)));
}

int firstInexactEntry(const QStringList &entries, int codePage)
{
    const qsizetype first = platform::AnsiCodec(codePage).firstUnmappable(joinLines(entries));
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

PlaylistReadResult readPlaylist(QIODevice &device, int codePage)
{
    PlaylistReadResult result;
    QByteArray bytes;
    result.complete = readAllBytes(device, bytes, &result.error);
    result.encoding = encodingOf(bytes);
    if (result.complete) {
        result.entries = decodePlaylist(bytes, codePage);
        result.bytes = bytes;
        return result;
    }
    // After a failed read the last line may be cut short, even inside a
    // character; only the lines known to be whole are kept.
    QString text = decodeText(bytes, codePage, result.encoding);
    text.truncate(qMax(text.lastIndexOf(u'\r'), text.lastIndexOf(u'\n')) + 1);
    result.entries = splitLines(text);
    return result;
}

PlaylistReadResult loadPlaylist(const VolumeRoot &folder, const QString &path, int codePage)
{
    VolumeRoot::OpenedFile opened = folder.openFile(path, maxPlaylistFileSize);
    if (!opened.file) {
        PlaylistReadResult result;
        result.refusal = opened.refusal;
        result.error = opened.error;
        return result;
    }
    return readPlaylist(*opened.file, codePage);
}

bool changedSince(const VolumeRoot &folder, const QString &path, const QByteArray &bytes)
{
    if (folder.status(path).kind == VolumeRoot::Kind::Missing)
        return false;
    const VolumeRoot::OpenedFile opened = folder.openFile(path, maxPlaylistFileSize);
    QByteArray now;
    return !opened.file || !readAllBytes(*opened.file, now, nullptr) || now != bytes;
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

bool savePlaylist(const VolumeRoot &folder, const QString &path, const QByteArray &bytes,
                  QString *error)
{
    // Judged here, not left to the system, which would let root write anyway.
    if (folder.status(path).readOnly)
        return fail(error, qt_error_string(EACCES));
    // The new file is written under a short name of its own, for a name that
    // the volume only just accepts has no room for more characters; then it
    // replaces the old one in one step. Both go through the folder held open,
    // so that a volume pulled out meanwhile is never mistaken for the bare
    // folder it was mounted on.
    const QString temporary = unusedTemporaryName(folder);
    if (!folder.createFile(temporary, bytes, path, error))
        return false;
    if (folder.rename(temporary, path, error))
        return true;
    folder.remove(temporary);
    return false;
}

} // namespace playlist
