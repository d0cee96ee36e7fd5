#include "core/sendrecord.h"

#include "core/sendnames.h"
#include "core/temporaryfiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

const QString recordName = u"record.json"_s;
// The record before the last whole write, for when the last cannot be read.
const QString previousName = u"record-old.json"_s;
const QString journalName = u"journal"_s;
const QString identityName = u"id"_s;
constexpr int recordVersion = 1;
// Far beyond what a card of tracks needs, and still read at once.
constexpr qint64 largestRecord = 64 * 1024 * 1024;
// The record is written whole once the journal has this many lines: often
// enough to keep the journal quick to read, seldom enough that sending
// thousands of tracks rewrites the record only a few times.
constexpr qsizetype journalLines = 1000;
// Far beyond journalLines of the longest paths; a journal past it is no
// longer read, nor added to.
constexpr qint64 largestJournal = 8 * 1024 * 1024;

QString pathOf(const QString &name)
{
    return sendrecord::folderName() + u'/' + name;
}

// Keeps a file of ours in the hidden folder, in one step.
Result<> writeOwnFile(const VolumeRoot &root, const QString &name, QByteArrayView bytes,
                      VolumeRoot::IfTaken ifTaken)
{
    if (const Result<> made = root.makeFolder(sendrecord::folderName()); !made)
        return made.error();
    // Out of the user's sight where the volume is plugged in; a folder that
    // stays in sight is no reason to fail.
    static_cast<void>(root.hide(sendrecord::folderName()));
    const Result<std::unique_ptr<VolumeRoot>> folder = root.openFolder(sendrecord::folderName());
    if (!folder)
        return folder.error();
    Result<std::unique_ptr<VolumeRoot::NewFile>> file = createTemporaryFile(**folder);
    if (!file)
        return file.error();
    if (const Result<> written = (*file)->write(bytes); !written)
        return written;
    return (*folder)->commit(**file, name, ifTaken);
}

std::optional<QByteArray> readOwnFile(const VolumeRoot &root, const QString &name, qint64 maxSize)
{
    const Result<std::unique_ptr<QFile>> file = root.openFile(pathOf(name), maxSize);
    if (!file)
        return std::nullopt;
    QByteArray bytes = (*file)->readAll();
    if ((*file)->error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

const QStringList trackFields{u"source"_s, u"size"_s,  u"modified"_s, u"settings"_s,
                              u"file"_s,   u"bytes"_s, u"written"_s,  u"kept"_s};
const QStringList recordFields{u"program"_s, u"version"_s, u"tracks"_s, u"playlists"_s,
                               u"generation"_s};

// The fields of object that this version does not know.
QJsonObject unknownOf(const QJsonObject &object, const QStringList &known)
{
    QJsonObject unknown;
    for (auto field = object.constBegin(); field != object.constEnd(); ++field) {
        if (!known.contains(field.key()))
            unknown.insert(field.key(), field.value());
    }
    return unknown;
}

QJsonObject objectOf(const RecordedTrack &track)
{
    QJsonObject object = track.unknown;
    object.insert(u"source"_s, track.source.path);
    object.insert(u"size"_s, track.source.size);
    object.insert(u"modified"_s, track.source.modified);
    object.insert(u"settings"_s, track.settings);
    object.insert(u"file"_s, track.file);
    object.insert(u"bytes"_s, track.bytes);
    if (track.modified != 0)
        object.insert(u"written"_s, track.modified);
    if (track.kept)
        object.insert(u"kept"_s, true);
    return object;
}

// One name of a file or folder on any system: nothing that could climb out
// of its folder or name another volume.
bool isPlainName(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) {
        return c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20 || c.unicode() == 0x7f;
    });
}

// Nothing when the object names no file of ours.
std::optional<RecordedTrack> trackOf(const QJsonObject &object)
{
    RecordedTrack track;
    track.source = {object.value(u"source"_s).toString(), object.value(u"size"_s).toInteger(-1),
                    object.value(u"modified"_s).toInteger()};
    track.settings = object.value(u"settings"_s).toString();
    track.file = object.value(u"file"_s).toString();
    track.bytes = object.value(u"bytes"_s).toInteger(-1);
    track.modified = object.value(u"written"_s).toInteger();
    track.kept = object.value(u"kept"_s).toBool();
    if (!sendrecord::isTrackFile(track.file) || track.source.path.isEmpty() || track.bytes < 0)
        return std::nullopt;
    track.unknown = unknownOf(object, trackFields);
    return track;
}

QJsonObject documentOf(const SendRecord &record)
{
    QJsonArray tracks;
    for (const RecordedTrack &track : record.tracks())
        tracks.append(objectOf(track));
    QJsonArray lists;
    for (const RecordedPlaylist &playlist : record.playlists)
        lists.append(QJsonObject{{u"source"_s, playlist.source},
                                 {u"file"_s, playlist.file},
                                 {u"digest"_s, QString::fromLatin1(playlist.digest.toHex())}});
    QJsonObject document = record.unknown;
    document.insert(u"program"_s, u"Zarvello"_s);
    document.insert(u"version"_s, recordVersion);
    document.insert(u"tracks"_s, tracks);
    document.insert(u"playlists"_s, lists);
    return document;
}

// What a record's bytes are to this version.
enum class Readable
{
    Yes,
    Damaged, // cut short, not JSON, not a record
    Newer,
};

Readable readableOf(const QJsonObject &root, const QJsonParseError &error)
{
    if (error.error != QJsonParseError::NoError || root.value(u"program"_s) != u"Zarvello"_s ||
        !root.value(u"version"_s).isDouble())
        return Readable::Damaged;
    const int version = root.value(u"version"_s).toInt();
    return version > recordVersion    ? Readable::Newer
           : version == recordVersion ? Readable::Yes
                                      : Readable::Damaged;
}

std::optional<SendRecord> recordOf(const QJsonObject &root)
{
    if (root.value(u"program"_s) != u"Zarvello"_s ||
        root.value(u"version"_s).toInt() != recordVersion)
        return std::nullopt;
    SendRecord record;
    record.unknown = unknownOf(root, recordFields);
    // A track that names no file of ours is of no use; the rest still are.
    for (const QJsonValue &value : root.value(u"tracks"_s).toArray()) {
        if (const std::optional<RecordedTrack> track = trackOf(value.toObject()))
            record.put(*track);
    }
    for (const QJsonValue &value : root.value(u"playlists"_s).toArray()) {
        const QJsonObject object = value.toObject();
        RecordedPlaylist playlist{
            object.value(u"source"_s).toString(), object.value(u"file"_s).toString(),
            QByteArray::fromHex(object.value(u"digest"_s).toString().toLatin1())};
        if (sendrecord::isPlaylistFile(playlist.file))
            record.playlists.append(playlist);
    }
    return record;
}

// Plays the journal's lines of that generation (of any, when none is given)
// on the record, in order. Each change sets a file's entry to what it is
// after: played twice, or after a record that holds it already, it changes
// nothing.
void replay(SendRecord &record, const QByteArray &journal, const QString &generation)
{
    for (const QByteArray &line : journal.split('\n')) {
        const QJsonObject change = QJsonDocument::fromJson(line).object();
        if (!generation.isEmpty() && change.value(u"generation"_s).toString() != generation)
            continue;
        if (const std::optional<RecordedTrack> track = trackOf(change.value(u"put"_s).toObject()))
            record.put(*track);
        else if (const QString file = change.value(u"remove"_s).toString(); !file.isEmpty())
            record.remove(file);
    }
}

QString newGeneration()
{
    return QString::number(QRandomGenerator::system()->generate64(), 16);
}

// The record whole, under a generation that no line of the journal carries
// yet; the journal's lines are all in it, so the journal goes. One that
// cannot go is harmless: its lines are of another generation.
Result<> writeRecord(const VolumeRoot &root, const SendRecord &record, const QString &generation)
{
    if (record.trust == SendRecord::Trust::Newer)
        return FileError::fromErrno(ENOTSUP);
    // What is there now is kept beside the new record, or set aside when it
    // cannot be read: never lost, and never a newer one written over.
    if (root.status(pathOf(recordName)).kind != VolumeRoot::Kind::Missing) {
        const Result<std::unique_ptr<QFile>> file =
            root.openFile(pathOf(recordName), largestRecord + 1);
        const QByteArray bytes = file ? (*file)->readAll() : QByteArray();
        QJsonParseError error;
        const QJsonObject now = QJsonDocument::fromJson(bytes, &error).object();
        switch (file && bytes.size() <= largestRecord ? readableOf(now, error)
                                                      : Readable::Damaged) {
        case Readable::Newer:
            return FileError::fromErrno(ENOTSUP);
        case Readable::Yes:
            if (const Result<> kept =
                    writeOwnFile(root, previousName, bytes, VolumeRoot::IfTaken::Replace);
                !kept)
                return kept;
            break;
        case Readable::Damaged:
            if (file && !bytes.isEmpty()) {
                const QString aside = u"record-damaged-%1.json"_s.arg(
                    QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-HHmmss-zzz"_s));
                if (const Result<> kept =
                        writeOwnFile(root, aside, bytes, VolumeRoot::IfTaken::Keep);
                    !kept)
                    return kept;
            }
            break;
        }
    }
    QJsonObject document = documentOf(record);
    document.insert(u"generation"_s, generation);
    if (const Result<> written =
            writeOwnFile(root, recordName, QJsonDocument(document).toJson(QJsonDocument::Compact),
                         VolumeRoot::IfTaken::Replace);
        !written)
        return written;
    (void)root.remove(pathOf(journalName));
    return {};
}

} // namespace

SourceIdentity SourceIdentity::of(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {path, -1, 0};
    return {path, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

size_t qHash(const SourceIdentity &identity, size_t seed) noexcept
{
    return qHashMulti(seed, identity.path, identity.size, identity.modified);
}

const RecordedTrack *SendRecord::bySource(const SourceIdentity &source) const
{
    const auto found = m_bySource.constFind(source);
    return found == m_bySource.cend() ? nullptr : &m_tracks.at(*found);
}

const RecordedTrack *SendRecord::byFile(const QString &file) const
{
    const auto found = m_byFile.constFind(sendnames::nameKey(file));
    return found == m_byFile.cend() ? nullptr : &m_tracks.at(*found);
}

QList<RecordedTrack> SendRecord::byPath(const QString &path) const
{
    QList<RecordedTrack> found;
    for (const qsizetype index : m_byPath.value(path))
        found.append(m_tracks.at(index));
    return found;
}

void SendRecord::put(const RecordedTrack &track)
{
    const QString key = sendnames::nameKey(track.file);
    if (const auto found = m_byFile.constFind(key); found != m_byFile.cend()) {
        const qsizetype index = *found;
        unindexSource(index);
        m_tracks[index] = track;
        indexSource(index);
        return;
    }
    m_byFile.insert(key, m_tracks.size());
    m_tracks.append(track);
    indexSource(m_tracks.size() - 1);
}

bool SendRecord::remove(const QString &file)
{
    return remove(QStringList{file}) > 0;
}

qsizetype SendRecord::remove(const QStringList &files)
{
    qsizetype removed = 0;
    for (const QString &file : files) {
        const auto found = m_byFile.find(sendnames::nameKey(file));
        if (found == m_byFile.end())
            continue;
        const qsizetype index = *found;
        const qsizetype last = m_tracks.size() - 1;
        m_byFile.erase(found);
        unindexSource(index);
        // The last track fills the gap: nothing else moves.
        if (index != last) {
            unindexSource(last);
            m_tracks[index] = std::move(m_tracks[last]);
            m_byFile.insert(sendnames::nameKey(m_tracks.at(index).file), index);
            indexSource(index);
        }
        m_tracks.removeLast();
        ++removed;
    }
    return removed;
}

void SendRecord::indexSource(qsizetype index)
{
    const SourceIdentity &source = m_tracks.at(index).source;
    m_bySource.insert(source, index);
    m_byPath[source.path].append(index);
}

void SendRecord::unindexSource(qsizetype index)
{
    const SourceIdentity &source = m_tracks.at(index).source;
    const auto path = m_byPath.find(source.path);
    path->removeOne(index);
    // Another file of the same source, if any, is found by it now.
    if (m_bySource.value(source, -1) == index) {
        m_bySource.remove(source);
        for (const qsizetype other : std::as_const(*path)) {
            if (m_tracks.at(other).source == source) {
                m_bySource.insert(source, other);
                break;
            }
        }
    }
    if (path->isEmpty())
        m_byPath.erase(path);
}

QByteArray SendRecord::toBytes() const
{
    return QJsonDocument(documentOf(*this)).toJson(QJsonDocument::Compact);
}

std::optional<SendRecord> SendRecord::fromBytes(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    return recordOf(document.object());
}

RecordJournal::RecordJournal(SendRecord record) : m_record(std::move(record)) {}

Result<> RecordJournal::put(const VolumeRoot &root, const QList<RecordedTrack> &tracks)
{
    const QMutexLocker lock(&m_mutex);
    QList<QJsonObject> changes;
    for (const RecordedTrack &track : tracks) {
        m_record.put(track);
        changes.append(QJsonObject{{u"put"_s, objectOf(track)}});
    }
    return append(root, changes);
}

Result<> RecordJournal::remove(const VolumeRoot &root, const QStringList &files)
{
    const QMutexLocker lock(&m_mutex);
    QList<QJsonObject> changes;
    for (const QString &file : files) {
        if (m_record.remove(file))
            changes.append(QJsonObject{{u"remove"_s, file}});
    }
    return append(root, changes);
}

Result<> RecordJournal::save(const VolumeRoot &root)
{
    const QMutexLocker lock(&m_mutex);
    if (m_saved && m_lines == 0)
        return {};
    return saveNow(root);
}

Result<> RecordJournal::append(const VolumeRoot &root, const QList<QJsonObject> &changes)
{
    if (changes.isEmpty())
        return {};
    if (!m_saved || m_lines + changes.size() > journalLines)
        return saveNow(root);
    // A line cut short by an earlier run is ended first, so as not to take
    // the next one with it.
    QByteArray lines = m_lineEnded ? QByteArray() : QByteArray("\n");
    for (QJsonObject change : changes) {
        change.insert(u"generation"_s, m_generation);
        lines += QJsonDocument(change).toJson(QJsonDocument::Compact) + '\n';
    }
    if (root.append(pathOf(journalName), lines, largestJournal)) {
        m_lines += changes.size();
        m_lineEnded = true;
        return {};
    }
    // The record written whole has the changes too, whatever kept the journal
    // from taking them (one grown too large, or not a file).
    return saveNow(root);
}

Result<> RecordJournal::saveNow(const VolumeRoot &root)
{
    m_saved = false;
    m_lineEnded = false;
    m_generation = newGeneration();
    if (const Result<> written = writeRecord(root, m_record, m_generation); !written)
        return written;
    m_saved = true;
    m_lines = 0;
    return {};
}

namespace sendrecord {

QString folderName()
{
    return u".zarvello"_s;
}

SendRecord read(const VolumeRoot &root)
{
    const bool missing = root.status(pathOf(recordName)).kind == VolumeRoot::Kind::Missing;
    const Result<std::unique_ptr<QFile>> file = root.openFile(pathOf(recordName), largestRecord);
    const QByteArray bytes = file ? (*file)->readAll() : QByteArray();
    QJsonParseError error;
    const QJsonObject document = QJsonDocument::fromJson(bytes, &error).object();
    const Readable readable = missing || !file || (*file)->error() != QFileDevice::NoError
                                  ? Readable::Damaged
                                  : readableOf(document, error);
    if (readable == Readable::Newer) {
        SendRecord newer;
        newer.trust = SendRecord::Trust::Newer;
        return newer;
    }
    if (readable == Readable::Yes) {
        SendRecord record = recordOf(document).value_or(SendRecord());
        // A record from before journals has no generation, and no line matches.
        const QString generation = document.value(u"generation"_s).toString();
        if (!generation.isEmpty())
            replay(record, readOwnFile(root, journalName, largestJournal).value_or(QByteArray()),
                   generation);
        return record;
    }
    // The record kept before the last whole write, with every change the
    // journal holds: what it lacks is what was written after, unknown now.
    const std::optional<QByteArray> previous = readOwnFile(root, previousName, largestRecord);
    if (missing && !previous)
        return {};
    QJsonParseError previousError;
    const QJsonObject before =
        QJsonDocument::fromJson(previous.value_or(QByteArray()), &previousError).object();
    SendRecord record = readableOf(before, previousError) == Readable::Yes
                            ? recordOf(before).value_or(SendRecord())
                            : SendRecord();
    replay(record, readOwnFile(root, journalName, largestJournal).value_or(QByteArray()), {});
    record.trust = SendRecord::Trust::Recovered;
    return record;
}

Result<> write(const VolumeRoot &root, const SendRecord &record)
{
    return writeRecord(root, record, newGeneration());
}

bool isRecordedFile(const RecordedTrack &track, const FolderEntry &file)
{
    if (file.kind != FolderEntry::Kind::File || file.size != track.bytes)
        return false;
    if (track.modified == 0 || file.modified == 0)
        return true;
    // FAT keeps local time to 2 s: a time zone or summer time changed since
    // moves every file by whole hours, which must not make them the user's.
    constexpr qint64 hour = 3600 * 1000;
    constexpr qint64 fatStep = 2000;
    const qint64 apart = std::abs(file.modified - track.modified);
    const qint64 beyondHours = apart % hour;
    return apart < 26 * hour && (beyondHours < fatStep || hour - beyondHours < fatStep);
}

bool isTrackFile(const QString &file)
{
    const qsizetype slash = file.indexOf(u'/');
    return slash > 0 && isPlainName(QStringView(file).left(slash)) &&
           isPlainName(QStringView(file).mid(slash + 1));
}

bool isPlaylistFile(const QString &file)
{
    return isPlainName(file);
}

QString keptIdentity(const VolumeRoot &root)
{
    static const QRegularExpression valid(u"^[0-9a-f-]{8,64}$"_s);
    const QString text =
        QString::fromLatin1(readOwnFile(root, identityName, 1024).value_or(QByteArray())).trimmed();
    return valid.match(text).hasMatch() ? text : QString();
}

QString volumeIdentity(const VolumeRoot &root)
{
    const auto readIdentity = [&root] {
        return keptIdentity(root);
    };
    if (QString identity = readIdentity(); !identity.isEmpty())
        return identity;
    const QString made = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // Kept, not replaced, should another take have made one meanwhile: the
    // first identity a volume gets is its identity for good.
    const Result<> written =
        writeOwnFile(root, identityName, made.toLatin1(), VolumeRoot::IfTaken::Keep);
    if (written)
        return made;
    if (QString identity = readIdentity(); !identity.isEmpty())
        return identity;
    // What is there is no identity: it cannot be recovered, so a new one
    // takes its place.
    return writeOwnFile(root, identityName, made.toLatin1(), VolumeRoot::IfTaken::Replace)
               ? made
               : QString();
}

} // namespace sendrecord
