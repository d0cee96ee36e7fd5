#include "platform/mounttable.h"
#include "platform/volumenotifier.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <unistd.h>
#include <utility>

namespace {

Q_LOGGING_CATEGORY(lcVolumes, "zarvello.volumes")

// Watches the mount table of this process: the kernel flags the open file
// (POLLPRI) whenever anything is mounted or unmounted. Several changes can
// come with one wake, so every wake compares the whole table with the last one.
class MountInfoVolumeNotifier final : public VolumeNotifier
{
    Q_OBJECT
public:
    MountInfoVolumeNotifier() : m_fd(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC))
    {
        // Mounts already there at start are not arrivals; without a first
        // reading nothing could be told apart, so nothing is watched.
        std::optional<QList<MountEntry>> mounts = readMounts();
        if (!mounts) {
            qCWarning(lcVolumes) << "cannot read /proc/self/mountinfo:" << std::strerror(errno)
                                 << "- volumes plugged in will go unnoticed";
            return;
        }
        m_mounts = std::move(*mounts);
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
        connect(m_notifier, &QSocketNotifier::activated, this,
                &MountInfoVolumeNotifier::tableChanged);
    }

    ~MountInfoVolumeNotifier() override
    {
        // The notifier must let go of the descriptor before it is closed.
        delete m_notifier;
        if (m_fd >= 0)
            ::close(m_fd);
    }

    std::unique_ptr<VolumeRoot> openVolume(const QString &root) const override
    {
        const QString mountPoint = root.size() > 1 && root.endsWith(u'/') ? root.chopped(1) : root;
        // Of mounts stacked on one folder, the last in the table is the one seen.
        for (auto entry = m_mounts.crbegin(); entry != m_mounts.crend(); ++entry) {
            if (entry->mountPoint != mountPoint)
                continue;
            if (!platform::isDiskVolume(*entry))
                return nullptr;
            // Once the volume has left, the folder found there is on another device.
            std::unique_ptr<VolumeRoot> volume = VolumeRoot::open(mountPoint);
            return volume && volume->device() == entry->majorMinor ? std::move(volume) : nullptr;
        }
        return nullptr;
    }

    OpenedFolder openFolder(const QString &folder) const override
    {
        const MountEntry *holder = platform::mountHolding(m_mounts, folder);
        return {VolumeRoot::open(folder), holder ? holder->mountPoint : folder};
    }

private:
    // The whole table, or nothing when it could not be read to the end (a
    // partial table would look like volumes going away).
    std::optional<QList<MountEntry>> readMounts() const
    {
        if (m_fd < 0 || ::lseek(m_fd, 0, SEEK_SET) < 0)
            return std::nullopt;
        QByteArray text;
        char buffer[16384];
        for (;;) {
            const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
            if (count == 0)
                return platform::parseMountInfo(text);
            if (count > 0)
                text.append(buffer, count);
            else if (errno != EINTR)
                return std::nullopt;
        }
    }

    void tableChanged()
    {
        std::optional<QList<MountEntry>> mounts = readMounts();
        if (!mounts) {
            qCWarning(lcVolumes) << "cannot read /proc/self/mountinfo again:"
                                 << std::strerror(errno) << "- this change goes unnoticed";
            return;
        }
        const MountChanges changes = platform::diffMounts(m_mounts, *mounts);
        m_mounts = std::move(*mounts);
        for (const QString &root : changes.removals)
            Q_EMIT deviceRemoveComplete(volumeDeviceType, 0, root, 0);
        for (const QString &root : changes.arrivals)
            Q_EMIT deviceArrival(volumeDeviceType, 0, root, 0);
    }

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QList<MountEntry> m_mounts;
};

} // namespace

std::unique_ptr<VolumeNotifier> VolumeNotifier::create()
{
    return std::make_unique<MountInfoVolumeNotifier>();
}

#include "volumenotifier_linux.moc"
