#include "support/pspdrive.h"

#include "core/sendrecord.h"
#include "support/fakes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

PspDrive::PspDrive(const QStringList &files, const QStringList &folders)
{
    for (const QString &folder : folders)
        QDir(m_dir.path()).mkpath(folder);
    for (const QString &file : files)
        addFile(file);
}

void PspDrive::addFile(const QString &relative, const QByteArray &contents) const
{
    const QString target = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(target).path());
    QFile file(target);
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
}

void PspDrive::plugInto(TestMainWindow &window) const
{
    Q_EMIT window.volumes->deviceArrival(VolumeNotifier::volumeDeviceType, 0, root(), 0);
}

QMap<QString, qint64> recordedFiles(const QString &root)
{
    const SendRecord record = sendrecord::read(*VolumeRoot::open(root));
    QMap<QString, qint64> files;
    for (const RecordedTrack &track : record.tracks())
        files.insert(track.file, track.bytes);
    return files;
}

QMap<QString, qint64> musicFiles(const QString &root)
{
    const QDir music(QDir(root).filePath(QStringLiteral("MUSIC")));
    QMap<QString, qint64> files;
    QDirIterator found(music.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (found.hasNext()) {
        const QString file = found.next();
        files.insert(music.relativeFilePath(file), found.fileInfo().size());
    }
    return files;
}
