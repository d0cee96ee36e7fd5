#include "platform/volumeroot.h"

#include <io.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <windows.h>

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
            found.append({info.fileName(), info.isDir() && !info.isSymLink(),
                          info.isFile() && !info.isSymLink() ? info.size() : -1});
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

    qint64 freeBytes() const override
    {
        const QStorageInfo storage(m_root);
        return storage.isValid() ? storage.bytesAvailable() : -1;
    }

    std::unique_ptr<QFile> createFile(const QString &path) const override
    {
        auto file = std::make_unique<QFile>(m_root.filePath(path));
        if (!file->open(QIODevice::ReadWrite | QIODevice::NewOnly))
            return nullptr;
        return file;
    }

    bool flushToMedium(QFile &file) const override
    {
        return file.flush() &&
               FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle())));
    }

    bool renameNew(const QString &folder, const QString &from, const QString &to) const override
    {
        const QDir parent(m_root.filePath(folder));
        // Without MOVEFILE_REPLACE_EXISTING a taken name is refused.
        return MoveFileExW(reinterpret_cast<const wchar_t *>(
                               QDir::toNativeSeparators(parent.filePath(from)).utf16()),
                           reinterpret_cast<const wchar_t *>(
                               QDir::toNativeSeparators(parent.filePath(to)).utf16()),
                           0);
    }

    bool removeFile(const QString &path) const override
    {
        return QFile::remove(m_root.filePath(path));
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
