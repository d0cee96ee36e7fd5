#include "support/loopvolume.h"

#include <cerrno>
#include <cstring>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <sched.h>
#include <sys/mount.h>
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

// Runs a command to its end; on failure error says what went wrong.
bool run(const QString &program, const QStringList &arguments, QString &error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    // A command that ran and refused explains itself; otherwise say why it did not run.
    const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
    if (!finished || process.exitStatus() != QProcess::NormalExit)
        error = program + u": "_s + process.errorString();
    else if (output.isEmpty())
        error = program + u": exit code "_s + QString::number(process.exitCode());
    else
        error = program + u": "_s + output;
    return false;
}

QString systemError(const QString &call)
{
    return call + u": "_s + QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString isolateMounts()
{
    static const QString reason = [] {
        if (::unshare(CLONE_NEWNS) != 0)
            return u"cannot have a mount namespace of its own: "_s + systemError(u"unshare"_s);
        // Shared mounts would still carry new mounts out to the machine.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return u"cannot make its mounts private: "_s + systemError(u"mount"_s);
        return QString();
    }();
    return reason;
}

Mount::~Mount()
{
    if (!unmount()) {
        QString ignored;
        run(u"umount"_s, {u"-l"_s, m_mountPoint}, ignored);
    }
}

bool Mount::mount(const QStringList &arguments, const QString &mountPoint)
{
    if (!m_mountPoint.isEmpty()) {
        m_error = u"already mounted on "_s + m_mountPoint;
        return false;
    }
    if (!run(u"mount"_s, arguments + QStringList{mountPoint}, m_error))
        return false;
    m_mountPoint = mountPoint;
    return true;
}

bool Mount::unmount()
{
    return unmountWith({});
}

bool Mount::detach()
{
    return unmountWith({u"-l"_s});
}

bool Mount::unmountWith(const QStringList &options)
{
    if (m_mountPoint.isEmpty())
        return true;
    // On failure the mount point is kept, so going away still undoes the mount.
    if (!run(u"umount"_s, options + QStringList{m_mountPoint}, m_error))
        return false;
    m_mountPoint.clear();
    return true;
}

QString LoopVolume::unavailableReason()
{
    static const QString reason = [] {
        if (geteuid() != 0)
            return u"mounting volumes needs root"_s;
        if (const QString isolation = isolateMounts(); !isolation.isEmpty())
            return isolation;
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

LoopVolume::LoopVolume(const QString &contents, int megabytes)
    : m_image(m_dir.filePath(u"volume.img"_s))
{
    QStringList arguments{u"-q"_s, u"-F"_s};
    if (!contents.isEmpty())
        arguments << u"-d"_s << contents;
    arguments << m_image << u"%1M"_s.arg(megabytes);
    run(mkfsProgram(), arguments, m_imageError);
}

bool LoopVolume::mount(const QString &mountPoint, bool readOnly)
{
    // Without an image mount would only say the file is missing.
    return m_imageError.isEmpty() &&
           m_mount.mount({u"-o"_s, readOnly ? u"loop,ro"_s : u"loop"_s, m_image}, mountPoint);
}

bool LoopVolume::unmount()
{
    return m_mount.unmount();
}

bool LoopVolume::detach()
{
    return m_mount.detach();
}

QString LoopVolume::error() const
{
    return m_imageError.isEmpty() ? m_mount.error() : m_imageError;
}
