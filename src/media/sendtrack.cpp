#include "media/sendtrack.h"

#include "core/temporaryfiles.h"
#include "platform/volumeroot.h"

#include <algorithm>
#include <functional>
#include <QFile>
#include <QFileInfo>
#include <QReadWriteLock>
#include <QThreadPool>

namespace {

constexpr qint64 chunkSize = 1024 * 1024;

// Below this, a failed write is taken for a full medium.
constexpr qint64 fullMargin = 4 * chunkSize;

// Sweeping for leftovers and writing tracks exclude each other, so that a
// sweep never takes the temporary file of a track being written for one.
QReadWriteLock &leftoverSweep()
{
    static QReadWriteLock lock;
    return lock;
}

TrackOutcome writeFailure(const VolumeRoot &volume, qint64 wanted)
{
    const qint64 left = volume.freeBytes();
    return left >= 0 && left < wanted + fullMargin ? TrackOutcome::MediumFull
                                                   : TrackOutcome::WriteFailed;
}

TrackOutcome copyInto(QFile &target, const VolumeRoot &volume, const QString &sourcePath,
                      const std::atomic_bool &cancelled, const std::function<void(qint64)> &reach)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return TrackOutcome::Unreadable;
    // One buffer for the whole file: a fresh one per chunk costs as much
    // again in page faults as the copy itself.
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    qint64 copied = 0;
    while (!source.atEnd()) {
        if (cancelled)
            return TrackOutcome::Cancelled;
        const qint64 read = source.read(chunk.data(), chunkSize);
        if (read <= 0)
            return TrackOutcome::Unreadable;
        if (target.write(chunk.constData(), read) != read)
            return writeFailure(volume, read);
        reach(copied += read);
    }
    return TrackOutcome::Sent;
}

TrackOutcome sendTrackSteps(const VolumeRoot &volume, const QString &musicFolder,
                            const QString &localFile, const PlannedTrack &track,
                            const std::atomic_bool &cancelled,
                            const std::function<void(qint64)> &reach)
{
    if (cancelled)
        return TrackOutcome::Cancelled;
    const QString folder = musicFolder + u'/' + track.folder;
    const std::unique_ptr<VolumeRoot> album =
        volume.makeFolder(folder) ? volume.openFolder(folder) : nullptr;
    if (!album)
        return TrackOutcome::FolderRefused;
    const QReadLocker writing(&leftoverSweep());
    // A name another job takes meanwhile is passed over for the next.
    constexpr int tries = 8;
    QString temporary;
    std::unique_ptr<QFile> file;
    for (int i = 0; i < tries && !file; ++i) {
        temporary = unusedTemporaryName(*album);
        file = album->openNewFile(temporary);
    }
    if (!file)
        return writeFailure(volume, track.bytes);
    TrackOutcome outcome = copyInto(*file, volume, localFile, cancelled, reach);
    if (outcome == TrackOutcome::Sent && !volume.flushToMedium(*file))
        outcome = writeFailure(volume, 0);
    file->close();
    if (outcome == TrackOutcome::Sent && cancelled)
        outcome = TrackOutcome::Cancelled;
    if (outcome == TrackOutcome::Sent && !album->renameNew(temporary, track.fileName))
        outcome = TrackOutcome::NameTaken;
    if (outcome != TrackOutcome::Sent)
        album->remove(temporary);
    return outcome;
}

} // namespace

TrackOutcome sendTrack(const VolumeRoot &volume, const QString &musicFolder,
                       const QString &localFile, const PlannedTrack &track,
                       const std::atomic_bool &cancelled, std::atomic<qint64> &progress,
                       qint64 counted)
{
    qint64 reported = counted;
    const qint64 size = std::max<qint64>(1, QFileInfo(localFile).size());
    const auto reach = [&](qint64 bytes) {
        bytes = std::min(track.bytes, counted + qint64(double(track.bytes - counted) *
                                                       double(bytes) / double(size)));
        if (bytes > reported)
            progress += bytes - std::exchange(reported, bytes);
    };
    const TrackOutcome outcome =
        sendTrackSteps(volume, musicFolder, localFile, track, cancelled, reach);
    reach(size);
    return outcome;
}

void removeSendLeftoversLater(std::unique_ptr<VolumeRoot> volume, const QString &musicFolder)
{
    // QThreadPool takes copyable work only.
    const std::shared_ptr<const VolumeRoot> shared(std::move(volume));
    QThreadPool::globalInstance()->start([shared, musicFolder] {
        const QWriteLocker sweeping(&leftoverSweep());
        const std::unique_ptr<VolumeRoot> music = shared->openFolder(musicFolder);
        if (!music)
            return;
        for (const QString &album : removeLeftovers(*music, temporaryNamePattern())) {
            if (const std::unique_ptr<VolumeRoot> opened = music->openFolder(album))
                removeLeftovers(*opened, temporaryNamePattern());
        }
    });
}
