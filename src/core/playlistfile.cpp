#include "core/playlistfile.h"

#include "platform/ansicodepage.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>

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

} // namespace

QByteArray encodePlaylist(const QStringList &entries, int codePage)
{
    return platform::AnsiCodec(codePage).encode(joinLines(entries));
}

QStringList decodePlaylist(const QByteArray &bytes, int codePage)
{
    // CR and LF never occur inside a character of an ANSI code page, so the
    // text can be decoded whole and split afterwards.
    return splitLines(platform::AnsiCodec(codePage).decode(bytes));
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

PlaylistReadResult readPlaylist(QIODevice &device, int codePage)
{
    constexpr qint64 chunkSize = 1 << 20;
    PlaylistReadResult result;
    QByteArray bytes;
    for (;;) {
        const qsizetype have = bytes.size();
        bytes.resize(have + chunkSize);
        const qint64 got = device.read(bytes.data() + have, chunkSize);
        bytes.truncate(have + qMax<qint64>(got, 0));
        if (got < 0) {
            result.error = device.errorString();
            break;
        }
        if (got == 0) {
            result.complete = true;
            break;
        }
    }
    // After a failed read the last line may be cut short, even inside a
    // character; only the lines known to be whole are kept.
    if (!result.complete)
        bytes.truncate(qMax(bytes.lastIndexOf('\r'), bytes.lastIndexOf('\n')) + 1);
    result.entries = decodePlaylist(bytes, codePage);
    return result;
}

bool writePlaylist(QIODevice &device, const QStringList &entries, int codePage, QString *error)
{
    const QByteArray bytes = encodePlaylist(entries, codePage);
    // A medium that fills up takes part of the bytes without a word; only
    // writing the rest gives the failure and its reason.
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = device.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            if (error)
                *error = device.errorString();
            return false;
        }
        done += written;
    }
    return true;
}

PlaylistReadResult loadPlaylist(const QString &path, int codePage)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        PlaylistReadResult result;
        result.error = file.errorString();
        return result;
    }
    return readPlaylist(file, codePage);
}

bool savePlaylist(const QString &path, const QStringList &entries, int codePage, QString *error)
{
    // QSaveFile writes a temporary file next to the old one and renames it
    // over the old one only in a successful commit(); destroyed without one,
    // it removes the temporary file, so every early return below leaves the
    // old file as it was and nothing else behind.
    QSaveFile file(path);
    // Unbuffered, every write fails where it happens: a buffer that only
    // fails to go out inside commit() does not stop commit() from replacing
    // the old file with the cut-short new one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (!writePlaylist(file, entries, codePage, error))
        return false;
    if (file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace playlist
