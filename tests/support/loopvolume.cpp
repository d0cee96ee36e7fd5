#include "support/loopvolume.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString mkfsProgram()
{
    const QString found = QStandardPaths::findExecutable(u"mkfs.ext4"_s);
    return found.isEmpty()
               ? QStandardPaths::findExecutable(u"mkfs.ext4"_s, {u"/usr/sbin"_s, u"/sbin"_s})
               : found;
}

} // namespace

QString LoopVolume::unavailableReason()
{
    static const QString reason = [] {
        if (geteuid() != 0)
            return u"mounting volumes needs root"_s;
        if (!QFile::exists(u"/dev/loop-control"_s))
            return u"this machine has no loop devices"_s;
        if (mkfsProgram().isEmpty())
            return u"mkfs.ext4 is not installed"_s;
        LoopVolume probe;
        QTemporaryDir folder;
        if (!probe.mount(folder.path()))
            return u"this machine does not let tests mount an image: "_s + probe.error();
        probe.unmount();
        return QString();
    }();
    return reason;
}

LoopVolume::LoopVolume(const QString &contents) : m_image(m_dir.filePath(u"volume.img"_s))
{
    QStringList arguments{u"-q"_s, u"-F"_s};
    if (!contents.isEmpty())
        arguments << u"-d"_s << contents;
    arguments << m_image << u"16M"_s;
    run(mkfsProgram(), arguments);
}

LoopVolume::~LoopVolume()
{
    unmount();
}

bool LoopVolume::mount(const QString &mountPoint)
{
    if (!run(u"mount"_s, {u"-o"_s, u"loop"_s, m_image, mountPoint}))
        return false;
    m_mountPoint = mountPoint;
    return true;
}

bool LoopVolume::unmount()
{
    if (m_mountPoint.isEmpty())
        return true;
    if (!run(u"umount"_s, {m_mountPoint}))
        return false;
    m_mountPoint.clear();
    return true;
}

bool LoopVolume::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ok = process.waitForFinished(60000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok)
        m_error = program + u": "_s + QString::fromLocal8Bit(process.readAll()).trimmed() +
                  process.errorString();
    return ok;
}
