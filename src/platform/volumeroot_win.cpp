#include "platform/volumeroot.h"

#include <filesystem>
#include <QDir>
#include <QFileInfo>
#include <system_error>

namespace {

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

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

    OpenedFile openFile(const QString &path, qint64 maxSize) const override
    {
        OpenedFile opened;
        const Kind kind = status(path).kind;
        if (kind != Kind::File && kind != Kind::Missing) {
            opened.refusal = Refusal::NotAFile;
            return opened;
        }
        opened.file = std::make_unique<QFile>(m_root.filePath(path));
        if (!opened.file->open(QIODevice::ReadOnly)) {
            opened.error = opened.file->errorString();
            opened.file.reset();
        } else if (opened.file->size() > maxSize) {
            opened.refusal = Refusal::TooLarge;
            opened.file.reset();
        }
        return opened;
    }

    bool createFile(const QString &path, const QByteArray &bytes, const QString &like,
                    QString *error) const override
    {
        QFile file(m_root.filePath(path));
        if (!file.open(QIODevice::NewOnly | QIODevice::WriteOnly | QIODevice::Unbuffered))
            return fail(error, file.errorString());
        if (status(like).kind == Kind::File)
            file.setPermissions(QFileInfo(m_root.filePath(like)).permissions());
        if (file.write(bytes) == bytes.size() && file.flush()) {
            file.close();
            if (file.error() == QFileDevice::NoError)
                return true;
        }
        fail(error, file.errorString());
        file.remove();
        return false;
    }

    bool rename(const QString &from, const QString &to, QString *error) const override
    {
        std::error_code failure;
        std::filesystem::rename(systemPath(from), systemPath(to), failure);
        return !failure || fail(error, QString::fromLocal8Bit(failure.message()));
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
