#include "platform/volumeroot.h"

#include <filesystem>
#include <io.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <system_error>
#include <windows.h>

namespace {

// A drive letter names its volume or nothing: once the volume has left, the
// letter cannot lead to another disk, so paths are safe to use. Links and
// junctions are still never gone through.
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
            found.append({info.fileName(), info.isDir() && !info.isSymLink(), info.isHidden(),
                          info.isFile() && !info.isSymLink() ? info.size() : -1});
        return found;
    }

    Result<> makeFolder(const QString &path) const override
    {
        const QFileInfo info(m_root.filePath(path));
        if (m_root.mkdir(path) || info.isDir())
            return {};
        // QDir does not say why the system refused.
        return FileError(info.exists() ? FileError::Kind::NotAFolder : FileError::Kind::System);
    }

    std::unique_ptr<VolumeRoot> openFolder(const QString &path) const override
    {
        QString reached;
        for (const QString &step : path.split(u'/', Qt::SkipEmptyParts)) {
            reached = reached.isEmpty() ? step : reached + u'/' + step;
            if (step == u".." || status(reached).kind != Kind::Folder)
                return nullptr;
        }
        return std::make_unique<DriveVolumeRoot>(m_root.filePath(path));
    }

    Status status(const QString &path) const override
    {
        const QFileInfo info(m_root.filePath(path));
        if (info.isSymLink() || info.isJunction())
            return {Kind::Link};
        if (info.isDir())
            return {Kind::Folder};
        if (info.isFile())
            return {Kind::File, !(info.permissions() & QFileDevice::WriteOwner)};
        return {info.exists() ? Kind::Other : Kind::Missing};
    }

    Result<std::unique_ptr<QFile>> openFile(const QString &path, qint64 maxSize) const override
    {
        const Kind kind = status(path).kind;
        if (kind != Kind::File && kind != Kind::Missing)
            return FileError(FileError::Kind::NotAFile);
        auto file = std::make_unique<QFile>(m_root.filePath(path));
        if (!file->open(QIODevice::ReadOnly))
            return FileError(file->errorString());
        if (file->size() > maxSize)
            return FileError(FileError::Kind::TooLarge);
        return file;
    }

    Result<> createFile(const QString &path, const QByteArray &bytes,
                        const QString &like) const override
    {
        QFile file(m_root.filePath(path));
        if (!file.open(QIODevice::NewOnly | QIODevice::WriteOnly | QIODevice::Unbuffered))
            return FileError(file.errorString());
        if (status(like).kind == Kind::File)
            file.setPermissions(QFileInfo(m_root.filePath(like)).permissions());
        if (file.write(bytes) == bytes.size() && file.flush()) {
            file.close();
            if (file.error() == QFileDevice::NoError)
                return {};
        }
        const FileError error(file.errorString());
        file.remove();
        return error;
    }

    Result<> rename(const QString &from, const QString &to) const override
    {
        std::error_code error;
        std::filesystem::rename(systemPath(from), systemPath(to), error);
        if (error)
            return FileError(QString::fromLocal8Bit(error.message()));
        return {};
    }

    qint64 freeBytes() const override
    {
        const QStorageInfo storage(m_root);
        return storage.isValid() ? storage.bytesAvailable() : -1;
    }

    std::unique_ptr<QFile> openNewFile(const QString &path) const override
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

    bool renameNew(const QString &from, const QString &to) const override
    {
        // Without MOVEFILE_REPLACE_EXISTING a taken name is refused.
        return MoveFileExW(reinterpret_cast<const wchar_t *>(
                               QDir::toNativeSeparators(m_root.filePath(from)).utf16()),
                           reinterpret_cast<const wchar_t *>(
                               QDir::toNativeSeparators(m_root.filePath(to)).utf16()),
                           0);
    }

    bool remove(const QString &path) const override { return QFile::remove(m_root.filePath(path)); }

private:
    std::filesystem::path systemPath(const QString &path) const
    {
        return std::filesystem::path(m_root.filePath(path).toStdWString());
    }

    QDir m_root;
};

} // namespace

std::unique_ptr<VolumeRoot> VolumeRoot::open(const QString &root)
{
    if (!QFileInfo(root).isDir())
        return nullptr;
    return std::make_unique<DriveVolumeRoot>(root);
}
