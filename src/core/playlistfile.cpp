#include "core/playlistfile.h"

#include "platform/ansicodepage.h"

#include <filesystem>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>
#include <QSaveFile>
#include <system_error>

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

// A name in folder for the new file while it is written, short so that it
// fits wherever the playlist's own name does.
QString unusedShortPath(const QString &folder)
{
    for (;;) {
        const QString path = folder + u"/zarvello-"_s +
                             QString::number(QRandomGenerator::global()->generate(), 16) +
                             u".tmp"_s;
        const QFileInfo taken(path);
        if (!taken.exists() && !taken.isSymLink())
            return path;
    }
}

std::filesystem::path systemPath(const QString &path)
{
    return std::filesystem::u8path(path.toStdString());
}

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
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

bool isReadOnlyFile(const QString &path)
{
    // Judged here, not left to the system, which would let root write anyway.
    const QFileInfo info(path);
    return !info.isSymLink() && info.isFile() && !(info.permissions() & QFileDevice::WriteOwner);
}

bool savePlaylist(const QString &path, const QStringList &entries, int codePage, QString *error)
{
    if (isReadOnlyFile(path))
        return fail(error, QString::fromLocal8Bit(
                               std::make_error_code(std::errc::permission_denied).message()));
    const QFileInfo target(path);
    // QSaveFile's temporary name adds characters to the name it is given,
    // which a name that the volume only just accepts has no room for; so it
    // saves under a short name of its own, then that file replaces the old
    // one in one step. QSaveFile removes its temporary file when it is
    // destroyed without a successful commit(), so every early return below
    // leaves the old file as it was and nothing else behind.
    const QString shortPath = unusedShortPath(target.absolutePath());
    {
        QSaveFile file(shortPath);
        // Unbuffered, every write fails where it happens: a buffer that only
        // fails to go out inside commit() does not stop commit() from
        // keeping the cut-short new file.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return fail(error, file.errorString());
        if (target.isFile() && !target.isSymLink())
            file.setPermissions(target.permissions());
        if (!writePlaylist(file, entries, codePage, error))
            return false;
        if (!file.commit())
            return fail(error, file.errorString());
    }
    std::error_code failure;
    std::filesystem::rename(systemPath(shortPath), systemPath(path), failure);
    if (!failure)
        return true;
    QFile::remove(shortPath);
    return fail(error, QString::fromLocal8Bit(failure.message()));
}

} // namespace playlist
