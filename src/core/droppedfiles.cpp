#include "core/droppedfiles.h"

#include "core/entry.h"
#include "core/folderpath.h"
#include "core/namepatterns.h"
#include "core/storagelayout.h"

#include <QDir>
#include <QFileInfo>

DroppedFiles sortDroppedFiles(const QList<QUrl> &urls, const QString &driveRoot)
{
    DroppedFiles sorted;
    const NamePatterns tracks(audioFilePatterns());
    // Both sides resolved, so that a link can neither lead a file off the
    // drive unnoticed nor keep one on it out.
    const QString root = folderpath::rootForm(QFileInfo(driveRoot).canonicalFilePath());
    for (const QUrl &url : urls) {
        if (!url.isLocalFile()) {
            sorted.notLocal.append(url.toDisplayString());
            continue;
        }
        const QString path = url.toLocalFile();
        const QString shown = QDir::toNativeSeparators(path);
        const QFileInfo file(QFileInfo(path).canonicalFilePath());
        const QString real = file.filePath();
        if (real.isEmpty() || !folderpath::isWithin(real, root)) {
            sorted.toSend.append(real.isEmpty() ? path : real);
            sorted.entriesBefore.append(int(sorted.entries.size()));
            continue;
        }
        const QString folder = folderpath::normalised(file.path());
        const QString entry = playlistEntry(root, folder, file.fileName());
        // What the track lists leave out: folders, other files, hidden ones,
        // and those that no playlist line can name.
        if (!file.isFile() || file.isHidden() || !tracks.matches(file.fileName()) ||
            !fitsInEntry(entry)) {
            sorted.notTracks.append(shown);
            continue;
        }
        sorted.entries.append(entry);
    }
    return sorted;
}
