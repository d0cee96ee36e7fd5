#include "support/pspdrive.h"

#include "support/fakes.h"

#include <QDir>
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
