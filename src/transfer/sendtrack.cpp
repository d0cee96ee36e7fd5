#include "transfer/sendtrack.h"

#include "core/background.h"
#include "core/sendnames.h"
#include "core/temporaryfiles.h"
#include "core/writerlock.h"
#include "platform/volumeroot.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QReadWriteLock>
#include <vector>

namespace {

constexpr qint64 chunkSize = 1024 * 1024;

// The largest cluster a PSP's card is commonly formatted with: a file takes
// whole clusters, and a new album folder one more.
constexpr qint64 clusterSize = 32 * 1024;

// What a file of that size may take on the volume, its clusters rounded up.
qint64 roomFor(qint64 size)
{
    return ((size + clusterSize - 1) / clusterSize + 1) * clusterSize;
}

// Sweeping for leftovers and writing tracks exclude each other, so that a
// sweep never takes the temporary file of a track being written for one.
QReadWriteLock &leftoverSweep()
{
    // Never destroyed: the program does not wait, as it ends, for a copy on
    // a medium that stopped answering, and that copy may still hold it.
    static QReadWriteLock *const lock = new QReadWriteLock;
    return *lock;
}

// As the system tells it: only a track's own name can be taken, for a
// temporary one taken is passed over; a write-protected medium is a failed
// write like any other.
TrackOutcome writeFailure(const FileError &error)
{
    if (error.isFull())
        return TrackOutcome::MediumFull;
    return error.errorNumber == EEXIST ? TrackOutcome::NameTaken : TrackOutcome::WriteFailed;
}

TrackWritten copyInto(VolumeRoot::NewFile &target, const QString &sourcePath,
                      const std::atomic_bool &cancelled, const std::function<void(qint64)> &reach)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return {TrackOutcome::Unreadable};
    // One buffer for the whole file: a fresh one per chunk costs as much
    // again in page faults as the copy itself.
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    qint64 copied = 0;
    while (!source.atEnd()) {
        if (cancelled)
            return {TrackOutcome::Cancelled};
        const qint64 read = source.read(chunk.data(), chunkSize);
        if (read <= 0)
            return {TrackOutcome::Unreadable};
        if (const Result<> written = target.write(QByteArrayView(chunk.constData(), read));
            !written)
            return {writeFailure(written.error())};
        reach(copied += read);
    }
    return {TrackOutcome::Sent, copied};
}

// How a helper's copy of the source ended.
TrackWritten outcomeOf(const AudioJobResult &copied, const QString &sourcePath)
{
    using Status = AudioJobResult::Status;
    switch (copied.status) {
    case Status::Done:
        return {TrackOutcome::Sent, QFileInfo(sourcePath).size()};
    case Status::Cancelled:
        return {TrackOutcome::Cancelled};
    case Status::HelperMissing:
        return {TrackOutcome::HelperMissing};
    case Status::Failed:
        if (copied.writeError != 0)
            return {writeFailure(FileError::fromErrno(copied.writeError))};
        return {TrackOutcome::Unreadable};
    default:
        return {TrackOutcome::Unreadable};
    }
}

} // namespace

bool replacesInPlace(const PlannedTrack &track)
{
    return !track.replaces.isEmpty() &&
           sendnames::sameName(track.replaces, track.folder + u'/' + track.fileName);
}

void removeSendLeftoversLater(std::unique_ptr<VolumeRoot> volume, const QString &musicFolder)
{
    // The threads take copyable work only.
    const std::shared_ptr<const VolumeRoot> shared(std::move(volume));
    background::run([shared, musicFolder] {
        const QWriteLocker sweeping(&leftoverSweep());
        // A send or sync of another Zarvello under way writes temporary files
        // that are not leftovers: only a PSP that no one writes is swept.
        const Result<std::shared_ptr<const WriterLock>> lock = WriterLock::takeIfUsed(*shared);
        if (!lock)
            return;
        const Result<std::unique_ptr<VolumeRoot>> music = shared->openFolder(musicFolder);
        if (!music)
            return;
        for (const QString &album : removeLeftovers(**music)) {
            if (const Result<std::unique_ptr<VolumeRoot>> opened = (*music)->openFolder(album))
                removeLeftovers(**opened);
        }
    });
}

namespace {

// A track of a group, under its temporary name until it is named.
struct Pending
{
    std::shared_ptr<VolumeRoot> album;
    std::unique_ptr<VolumeRoot::NewFile> file;
};

// The album folders of a group, made when missing and opened once each.
class Albums
{
public:
    Albums(const VolumeRoot &volume, const QString &musicFolder)
        : m_volume(volume), m_musicFolder(musicFolder)
    {}

    // Null when the folder could not be made or opened.
    std::shared_ptr<VolumeRoot> open(const QString &folder)
    {
        const auto found = m_opened.constFind(folder);
        if (found != m_opened.cend())
            return *found;
        const QString path = m_musicFolder + u'/' + folder;
        std::shared_ptr<VolumeRoot> album;
        if (m_volume.makeFolder(path)) {
            if (Result<std::unique_ptr<VolumeRoot>> opened = m_volume.openFolder(path))
                album = std::move(*opened);
        }
        m_opened.insert(folder, album);
        return album;
    }

private:
    const VolumeRoot &m_volume;
    QString m_musicFolder;
    QHash<QString, std::shared_ptr<VolumeRoot>> m_opened;
};

} // namespace

QList<TrackSent> sendTracks(const VolumeRoot &volume, const QString &musicFolder,
                            const QList<TrackToSend> &tracks, RecordJournal &journal,
                            const std::atomic_bool &cancelled, std::atomic<qint64> &progress,
                            const AudioWorkers::Copies &helpers)
{
    const qsizetype count = tracks.size();
    QList<TrackSent> sent(count);
    std::vector<Pending> pending(static_cast<size_t>(count));
    QList<qint64> reported(count);
    QList<qint64> sizes(count);
    for (qsizetype i = 0; i < count; ++i) {
        reported[i] = tracks.at(i).counted;
        sizes[i] = std::max<qint64>(1, QFileInfo(tracks.at(i).localFile).size());
    }
    // Each track's progress, from its counted bytes by its share of the rest.
    const auto reach = [&](qsizetype i, qint64 bytes) {
        const PlannedTrack &track = tracks.at(i).track;
        const qint64 counted = tracks.at(i).counted;
        bytes = std::min(track.bytes, counted + qint64(double(track.bytes - counted) *
                                                       double(bytes) / double(sizes[i])));
        if (bytes > reported[i])
            progress += bytes - std::exchange(reported[i], bytes);
    };
    const auto fail = [&](qsizetype i, TrackWritten written) {
        sent[i].written = written;
        pending[size_t(i)] = {};
    };

    const QReadLocker writing(&leftoverSweep());
    // The room the volume has now, less what the group's earlier tracks will
    // take: none is begun that would not fit, and smaller ones after it are.
    const qint64 free = volume.freeBytes();
    qint64 taken = 0;
    // Each under a temporary name, removed unless named, before the sweep
    // may run again; the helpers' copies all queued at once.
    Albums albums(volume, musicFolder);
    QList<AudioWorkers::Copies::Copy> copies;
    QList<qsizetype> copied; // the track of each copy
    for (qsizetype i = 0; i < count; ++i) {
        const TrackToSend &each = tracks.at(i);
        if (cancelled) {
            fail(i, {TrackOutcome::Cancelled});
            continue;
        }
        if (free >= 0 && taken + roomFor(sizes.at(i)) > free) {
            fail(i, {TrackOutcome::MediumFull});
            continue;
        }
        taken += roomFor(sizes.at(i));
        Pending &track = pending[size_t(i)];
        track.album = albums.open(each.track.folder);
        if (!track.album) {
            fail(i, {TrackOutcome::FolderRefused});
            continue;
        }
        Result<std::unique_ptr<VolumeRoot::NewFile>> file = createTemporaryFile(*track.album);
        if (!file) {
            fail(i, {writeFailure(file.error())});
            continue;
        }
        track.file = std::move(*file);
        if (each.throughHelpers && track.file->descriptor() >= 0) {
            copies.append({each.localFile, track.file->descriptor()});
            copied.append(i);
            continue;
        }
        sent[i].written = copyInto(*track.file, each.localFile, cancelled,
                                   [&reach, i](qint64 bytes) { reach(i, bytes); });
    }
    if (!copies.isEmpty()) {
        const QList<AudioJobResult> results = helpers.copyAllAndWait(
            copies, cancelled,
            [&reach, &copied](qsizetype copy, qint64 bytes) { reach(copied.at(copy), bytes); });
        for (qsizetype copy = 0; copy < copies.size(); ++copy)
            sent[copied.at(copy)].written = outcomeOf(results.at(copy), copies.at(copy).path);
    }

    // Those written whole, held by the medium in one pass.
    QList<qsizetype> whole;
    QList<VolumeRoot::NewFile *> files;
    for (qsizetype i = 0; i < count; ++i) {
        if (sent.at(i).written.outcome != TrackOutcome::Sent) {
            pending[size_t(i)] = {};
        } else if (cancelled) {
            fail(i, {TrackOutcome::Cancelled});
        } else {
            files.append(pending[size_t(i)].file.get());
            whole.append(i);
        }
    }
    const QList<Result<>> held = volume.flush(files);
    // Why a volume pulled out at any moment leaves the record true: a track
    // is recorded only once the medium holds all of it under its temporary
    // name, and takes its own name only once the medium holds its record
    // line. So a recorded file is either missing, which the next sync takes
    // for not there and sends again under the same name, or whole. And no
    // file is left under its own name unrecorded, which the next sync would
    // have to write beside as "(2)". A track that replaces a file of ours
    // under the very same name is the exception: the file there is the old
    // one, of the same size maybe, until the new one is named, so it is
    // recorded after, as it always was, and alone may be left unrecorded.
    QList<RecordedTrack> recordFirst;
    QList<qsizetype> named;
    for (qsizetype at = 0; at < whole.size(); ++at) {
        const qsizetype i = whole.at(at);
        if (!held.at(at)) {
            fail(i, {writeFailure(held.at(at).error())});
            continue;
        }
        const bool inPlace = replacesInPlace(tracks.at(i).track);
        // A name another file took meanwhile is never recorded: the record
        // would take that file for the track, should the volume go before
        // the record forgets it again.
        if (!inPlace && pending[size_t(i)].album->status(tracks.at(i).track.fileName).kind !=
                            VolumeRoot::Kind::Missing) {
            fail(i, {TrackOutcome::NameTaken});
            continue;
        }
        named.append(i);
        // Taken before the name: the record line goes first.
        sent[i].written.modified = pending[size_t(i)].file->modified();
        if (!inPlace) {
            RecordedTrack recorded = tracks.at(i).recorded;
            recorded.bytes = sent.at(i).written.bytes;
            recorded.modified = sent.at(i).written.modified;
            recordFirst.append(recorded);
        }
    }
    const Result<> recordedFirst = journal.put(volume, recordFirst);
    QList<RecordedTrack> recordAfter;
    QStringList unnamed;
    for (const qsizetype i : std::as_const(named)) {
        const TrackToSend &each = tracks.at(i);
        const bool inPlace = replacesInPlace(each.track);
        // Any other file of that name stays.
        const Result<> committed = pending[size_t(i)].album->commit(
            *pending[size_t(i)].file, each.track.fileName,
            inPlace ? VolumeRoot::IfTaken::Replace : VolumeRoot::IfTaken::Keep);
        pending[size_t(i)] = {};
        if (!committed) {
            sent[i].written = {writeFailure(committed.error())};
            if (!inPlace)
                unnamed.append(each.recorded.file);
            continue;
        }
        if (inPlace) {
            RecordedTrack recorded = each.recorded;
            recorded.bytes = sent.at(i).written.bytes;
            recorded.modified = sent.at(i).written.modified;
            recordAfter.append(recorded);
        } else {
            sent[i].recorded = recordedFirst;
        }
    }
    // The record names no file that did not take its name, whatever took it.
    (void)journal.remove(volume, unnamed);
    const Result<> recordedAfter = journal.put(volume, recordAfter);
    for (const qsizetype i : std::as_const(named)) {
        if (sent.at(i).written.outcome == TrackOutcome::Sent && replacesInPlace(tracks.at(i).track))
            sent[i].recorded = recordedAfter;
    }
    for (qsizetype i = 0; i < count; ++i)
        reach(i, sizes[i]);
    return sent;
}
