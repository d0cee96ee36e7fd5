#include "core/sendrecord.h"

#include "core/sendnames.h"
#include "core/temporaryfiles.h"

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

QJsonObject objectOf(const RecordedTrack &track)
{
    QJsonObject object{{u"source"_s, track.source.path},
                       {u"size"_s, track.source.size},
                       {u"modified"_s, track.source.modified},
                       {u"settings"_s, track.settings},
                       {u"file"_s, track.file},
                       {u"bytes"_s, track.bytes}};
    if (track.kept)
        object.insert(u"kept"_s, true);
    return object;
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
    track.kept = object.value(u"kept"_s).toBool();
    if (track.file.isEmpty() || track.source.path.isEmpty() || track.bytes < 0)
        return std::nullopt;
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
    return {{u"program"_s, u"Zarvello"_s},
            {u"version"_s, recordVersion},
            {u"tracks"_s, tracks},
            {u"playlists"_s, lists}};
}

std::optional<SendRecord> recordOf(const QJsonObject &root)
{
    if (root.value(u"program"_s) != u"Zarvello"_s ||
        root.value(u"version"_s).toInt() != recordVersion)
        return std::nullopt;
    SendRecord record;
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
        if (!playlist.file.isEmpty())
            record.playlists.append(playlist);
    }
    return record;
}

// Plays the journal's lines of that generation on the record, in order.
// Each change sets a file's entry to what it is after: played twice, or
// after a record that holds it already, it changes nothing.
void replay(SendRecord &record, const QByteArray &journal, const QString &generation)
{
    for (const QByteArray &line : journal.split('\n')) {
        const QJsonObject change = QJsonDocument::fromJson(line).object();
        if (change.value(u"generation"_s).toString() != generation)
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
    const std::optional<QByteArray> bytes = readOwnFile(root, recordName, largestRecord);
    if (!bytes)
        return {};
    QJsonParseError error;
    const QJsonObject document = QJsonDocument::fromJson(*bytes, &error).object();
    std::optional<SendRecord> record = recordOf(document);
    if (error.error != QJsonParseError::NoError || !record)
        return {};
    // A record from before journals has no generation, and no line matches.
    const QString generation = document.value(u"generation"_s).toString();
    if (!generation.isEmpty())
        replay(*record, readOwnFile(root, journalName, largestJournal).value_or(QByteArray()),
               generation);
    return *record;
}

Result<> write(const VolumeRoot &root, const SendRecord &record)
{
    return writeRecord(root, record, newGeneration());
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
