#include "platform/volumeroot.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A drive letter names its volume or nothing: once the volume has left, the
// letter cannot lead to another disk, so paths are safe to use.
class DriveVolumeRoot final : public VolumeRoot
{
public:
    explicit DriveVolumeRoot(const QString &root) : m_root(QDir(root)) {}

    QString device() const override { return {}; }

    QList<Entry> entries(const QString &folder) const override
    {
        QList<Entry> found;
        const QFileInfoList infos = QDir(m_root.filePath(folder))
                                        .entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &info : infos)
            found.append({info.fileName(), info.isDir() && !info.isSymLink()});
        return found;
    }

    Made makeFolder(const QString &path) const override
    {
        if (m_root.mkdir(path))
            return Made::Created;
        const QFileInfo info(m_root.filePath(path));
        if (!info.exists())
            return Made::Refused;
        return info.isDir() ? Made::AlreadyThere : Made::NotAFolder;
    }

private:
    QDir m_root;
};

} // namespace

std::unique_ptr<VolumeRoot> VolumeRoot::open(const QString &root)
{
    if (!QFileInfo(root).isDir())
        return nullptr;
    return std::make_unique<DriveVolumeRoot>(root);
}
