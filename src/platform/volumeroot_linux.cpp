#include "platform/volumeroot.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <QFile>
#include <QStringList>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

VolumeRoot::Entry entryIn(int folder, const QByteArray &name)
{
    VolumeRoot::Entry entry{QFile::decodeName(name)};
    struct stat status;
    if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        entry.isFolder = S_ISDIR(status.st_mode);
        if (S_ISREG(status.st_mode))
            entry.size = status.st_size;
    }
    return entry;
}

bool isFolderIn(int folder, const QByteArray &name)
{
    return entryIn(folder, name).isFolder;
}

// Every step is opened on its own, so that no link anywhere on the way leads
// off the volume.
class DescriptorVolumeRoot final : public VolumeRoot
{
public:
    explicit DescriptorVolumeRoot(int fd) : m_root(fd) {}

    QString device() const override
    {
        struct stat status;
        if (::fstat(m_root.get(), &status) != 0)
            return {};
        return QString::number(major(status.st_dev)) + u':' + QString::number(minor(status.st_dev));
    }

    QList<Entry> entries(const QString &folder) const override
    {
        Descriptor fd(openFolder(folder));
        DIR *listing = fd.get() < 0 ? nullptr : ::fdopendir(fd.get());
        if (!listing)
            return {};
        const int listed = fd.release();
        QList<Entry> found;
        while (const dirent *entry = ::readdir(listing)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                found.append(entryIn(listed, name));
        }
        ::closedir(listing);
        return found;
    }

    Made makeFolder(const QString &path) const override
    {
        const qsizetype slash = path.lastIndexOf(u'/');
        const Descriptor parent(openFolder(slash < 0 ? QString() : path.left(slash)));
        const QByteArray name = QFile::encodeName(path.mid(slash + 1));
        if (parent.get() < 0)
            return Made::Refused;
        if (::mkdirat(parent.get(), name.constData(), 0777) == 0)
            return Made::Created;
        if (errno != EEXIST)
            return Made::Refused;
        return isFolderIn(parent.get(), name) ? Made::AlreadyThere : Made::NotAFolder;
    }

    qint64 freeBytes() const override
    {
        struct statvfs status;
        if (::fstatvfs(m_root.get(), &status) != 0)
            return -1;
        return qint64(status.f_bavail) * qint64(status.f_frsize);
    }

    std::unique_ptr<QFile> createFile(const QString &path) const override
    {
        const auto [parent, name] = split(path);
        if (parent.get() < 0)
            return nullptr;
        Descriptor fd(::openat(parent.get(), name.constData(),
                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (fd.get() < 0)
            return nullptr;
        auto file = std::make_unique<QFile>();
        if (!file->open(fd.get(), QIODevice::ReadWrite, QFileDevice::AutoCloseHandle))
            return nullptr;
        fd.release();
        return file;
    }

    bool flushToMedium(QFile &file) const override
    {
        return file.flush() && ::fsync(file.handle()) == 0;
    }

    bool renameNew(const QString &folder, const QString &from, const QString &to) const override
    {
        const Descriptor parent(openFolder(folder));
        const QByteArray oldName = QFile::encodeName(from);
        const QByteArray newName = QFile::encodeName(to);
        if (parent.get() < 0)
            return false;
        if (::renameat2(parent.get(), oldName.constData(), parent.get(), newName.constData(),
                        RENAME_NOREPLACE) == 0)
            return true;
        // File systems that cannot promise it get a look first; a name taken
        // in between is the only way left to replace a file.
        if (errno != EINVAL)
            return false;
        struct stat status;
        if (::fstatat(parent.get(), newName.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 ||
            errno != ENOENT)
            return false;
        return ::renameat(parent.get(), oldName.constData(), parent.get(), newName.constData()) ==
               0;
    }

    bool removeFile(const QString &path) const override
    {
        const auto [parent, name] = split(path);
        return parent.get() >= 0 && ::unlinkat(parent.get(), name.constData(), 0) == 0;
    }

private:
    struct Parent
    {
        Descriptor folder;
        QByteArray name;
    };

    // The folder holding a path, open, and the last step's name.
    Parent split(const QString &path) const
    {
        const qsizetype slash = path.lastIndexOf(u'/');
        return {Descriptor(openFolder(slash < 0 ? QString() : path.left(slash))),
                QFile::encodeName(path.mid(slash + 1))};
    }

    // A step up could climb out of the volume: none is taken.
    int openFolder(const QString &path) const
    {
        int fd = ::openat(m_root.get(), ".", folderFlags);
        for (const QString &step : path.split(u'/', Qt::SkipEmptyParts)) {
            const Descriptor current(fd);
            fd = current.get() < 0 || step == u".."
                     ? -1
                     : ::openat(current.get(), QFile::encodeName(step).constData(), folderFlags);
        }
        return fd;
    }

    Descriptor m_root;
};

} // namespace

std::unique_ptr<VolumeRoot> VolumeRoot::open(const QString &root)
{
    const int fd = ::open(QFile::encodeName(root).constData(), folderFlags);
    if (fd < 0)
        return nullptr;
    return std::make_unique<DescriptorVolumeRoot>(fd);
}
