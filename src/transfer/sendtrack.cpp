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
#include <QReadWriteLock>

namespace {

constexpr qint64 chunkSize = 1024 * 1024;

// The largest cluster a PSP's card is commonly formatted with: a file takes
// whole clusters, and a new album folder one more.
constexpr qint64 clusterSize = 32 * 1024;

// Whether a file of that size surely fits in what the volume has left, as it
// says now: what earlier tracks really took is counted, not their estimates.
bool fitsOn(const VolumeRoot &volume, qint64 size)
{
    const qint64 free = volume.freeBytes();
    const qint64 clusters = (size + clusterSize - 1) / clusterSize + 1;
    return free < 0 || clusters * clusterSize <= free;
}

// Sweeping for leftovers and writing tracks exclude each other, so that a
// sweep never takes the temporary file of a track being written for one.
QReadWriteLock &leftoverSweep()
{
    static QReadWriteLock lock;
    return lock;
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

TrackWritten copyThrough(const AudioWorkers::Copies &helpers, VolumeRoot::NewFile &target,
                         const QString &sourcePath, const std::atomic_bool &cancelled,
                         const std::function<void(qint64)> &reach)
{
    if (target.descriptor() < 0)
        return copyInto(target, sourcePath, cancelled, reach);
    const AudioJobResult copied =
        helpers.copyAndWait(sourcePath, target.descriptor(), cancelled, reach);
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

TrackWritten sendTrackSteps(const VolumeRoot &volume, const QString &musicFolder,
                            const QString &localFile, const PlannedTrack &track,
                            const std::atomic_bool &cancelled,
                            const std::function<void(qint64)> &reach,
                            const AudioWorkers::Copies *helpers)
{
    if (cancelled)
        return {TrackOutcome::Cancelled};
    if (!fitsOn(volume, QFileInfo(localFile).size()))
        return {TrackOutcome::MediumFull};
    const QString folder = musicFolder + u'/' + track.folder;
    if (!volume.makeFolder(folder))
        return {TrackOutcome::FolderRefused};
    const Result<std::unique_ptr<VolumeRoot>> album = volume.openFolder(folder);
    if (!album)
        return {TrackOutcome::FolderRefused};
    const QReadLocker writing(&leftoverSweep());
    // Removed unless committed, before the sweep may run again.
    const Result<std::unique_ptr<VolumeRoot::NewFile>> file = createTemporaryFile(**album);
    if (!file)
        return {writeFailure(file.error())};
    const TrackWritten written = helpers
                                     ? copyThrough(*helpers, **file, localFile, cancelled, reach)
                                     : copyInto(**file, localFile, cancelled, reach);
    if (written.outcome != TrackOutcome::Sent)
        return written;
    if (cancelled)
        return {TrackOutcome::Cancelled};
    // Any other file of that name stays.
    const Result<> committed = (*album)->commit(
        **file, track.fileName,
        replacesInPlace(track) ? VolumeRoot::IfTaken::Replace : VolumeRoot::IfTaken::Keep);
    if (!committed)
        return {writeFailure(committed.error())};
    return {written.outcome, written.bytes, (*file)->modified()};
}

} // namespace

TrackWritten sendTrack(const VolumeRoot &volume, const QString &musicFolder,
                       const QString &localFile, const PlannedTrack &track,
                       const std::atomic_bool &cancelled, std::atomic<qint64> &progress,
                       qint64 counted, const AudioWorkers::Copies *helpers)
{
    qint64 reported = counted;
    const qint64 size = std::max<qint64>(1, QFileInfo(localFile).size());
    const auto reach = [&](qint64 bytes) {
        bytes = std::min(track.bytes, counted + qint64(double(track.bytes - counted) *
                                                       double(bytes) / double(size)));
        if (bytes > reported)
            progress += bytes - std::exchange(reported, bytes);
    };
    const TrackWritten written =
        sendTrackSteps(volume, musicFolder, localFile, track, cancelled, reach, helpers);
    reach(size);
    return written;
}

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
