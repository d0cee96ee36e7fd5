#include "core/droppedfiles.h"

#include "core/entry.h"
#include "core/folderpath.h"
#include "core/storagelayout.h"

#include <QDir>
#include <QFileInfo>

DriveTracks::DriveTracks(const QString &driveRoot)
    : m_tracks(audioFilePatterns()),
      m_root(folderpath::rootForm(QFileInfo(driveRoot).canonicalFilePath()))
{}

DriveTracks::Placed DriveTracks::place(const QString &path) const
{
    const FollowedPath followed = folderpath::follow(path, m_root);
    if (followed.place != FollowedPath::Place::Within)
        return {Place::OffDrive, {}, followed.real};
    const QFileInfo file(followed.real);
    const QString folder = folderpath::normalised(file.path());
    const QString built = playlistEntry(m_root, folder, file.fileName());
    // What the track lists leave out: folders, other files, hidden ones,
    // and those that no playlist line can name.
    if (!file.isFile() || file.isHidden() || !m_tracks.matches(file.fileName()) ||
        !fitsInEntry(built))
        return {Place::NotTrack, {}, followed.real};
    return {Place::Track, built, followed.real};
}

DroppedFiles sortDroppedFiles(const QList<QUrl> &urls, const QString &driveRoot)
{
    DroppedFiles sorted;
    const DriveTracks drive(driveRoot);
    for (const QUrl &url : urls) {
        if (!url.isLocalFile()) {
            sorted.notLocal.append(url.toDisplayString());
            continue;
        }
        const QString path = url.toLocalFile();
        const QString shown = QDir::toNativeSeparators(path);
        const DriveTracks::Placed placed = drive.place(path);
        switch (placed.place) {
        case DriveTracks::Place::OffDrive:
            sorted.toSend.append(placed.real.isEmpty() ? path : placed.real);
            sorted.entriesBefore.append(int(sorted.entries.size()));
            break;
        case DriveTracks::Place::NotTrack:
            sorted.notTracks.append(shown);
            break;
        case DriveTracks::Place::Track:
            sorted.entries.append(placed.entry);
            break;
        }
    }
    return sorted;
}
