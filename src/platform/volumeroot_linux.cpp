#include "platform/volumeroot.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <QFile>
#include <QStringList>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
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
    entry.isHidden = name.startsWith('.');
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

VolumeRoot::Kind kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return VolumeRoot::Kind::Folder;
    if (S_ISREG(mode))
        return VolumeRoot::Kind::File;
    return S_ISLNK(mode) ? VolumeRoot::Kind::Link : VolumeRoot::Kind::Other;
}

// What the system said about the call that just failed.
FileError systemError()
{
    return FileError(qt_error_string(errno));
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno != EINTR)
            return false;
        done += qMax<ssize_t>(written, 0);
    }
    return true;
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
        Descriptor fd(openFolderAt(folder));
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

    Result<> makeFolder(const QString &path) const override
    {
        QByteArray name;
        const Descriptor parent(openParent(path, &name));
        if (parent.get() < 0)
            return systemError();
        if (::mkdirat(parent.get(), name.constData(), 0777) == 0)
            return {};
        if (errno != EEXIST)
            return systemError();
        if (!isFolderIn(parent.get(), name))
            return FileError(FileError::Kind::NotAFolder);
        return {};
    }

    std::unique_ptr<VolumeRoot> openFolder(const QString &path) const override
    {
        const int fd = openFolderAt(path);
        if (fd < 0)
            return nullptr;
        return std::make_unique<DescriptorVolumeRoot>(fd);
    }

    Status status(const QString &path) const override
    {
        struct stat status;
        if (!statAt(path, status))
            return {};
        const Kind kind = kindOf(status.st_mode);
        return {kind, kind == Kind::File && !(status.st_mode & S_IWUSR)};
    }

    Result<std::unique_ptr<QFile>> openFile(const QString &path, qint64 maxSize) const override
    {
        QByteArray name;
        const Descriptor parent(openParent(path, &name));
        // Looked at before opening, so that no device is ever opened; the
        // open itself neither waits for a pipe's writer nor follows a link
        // swapped in meanwhile, and what it opened is checked again.
        struct stat status;
        if (parent.get() < 0 ||
            ::fstatat(parent.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return systemError();
        Descriptor fd(S_ISREG(status.st_mode)
                          ? ::openat(parent.get(), name.constData(),
                                     O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC)
                          : -1);
        if (fd.get() < 0 && S_ISREG(status.st_mode) && errno != ELOOP)
            return systemError();
        if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
            return FileError(FileError::Kind::NotAFile);
        if (status.st_size > maxSize)
            return FileError(FileError::Kind::TooLarge);
        auto file = std::make_unique<QFile>();
        if (!file->open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            return FileError(file->errorString());
        fd.release();
        return file;
    }

    Result<> createFile(const QString &path, const QByteArray &bytes,
                        const QString &like) const override
    {
        QByteArray name;
        const Descriptor parent(openParent(path, &name));
        if (parent.get() < 0)
            return systemError();
        struct stat likeStatus;
        const bool hasLike = statAt(like, likeStatus) && S_ISREG(likeStatus.st_mode);
        Descriptor fd(::openat(parent.get(), name.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (fd.get() < 0)
            return systemError();
        // A medium that fills up may only say so when the file goes out to it.
        const bool written = (!hasLike || ::fchmod(fd.get(), likeStatus.st_mode & 07777) == 0) &&
                             writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 &&
                             ::close(fd.release()) == 0;
        if (written)
            return {};
        const FileError error = systemError();
        ::unlinkat(parent.get(), name.constData(), 0);
        return error;
    }

    Result<> rename(const QString &from, const QString &to) const override
    {
        QByteArray fromName;
        QByteArray toName;
        const Descriptor fromParent(openParent(from, &fromName));
        const Descriptor toParent(openParent(to, &toName));
        if (fromParent.get() < 0 || toParent.get() < 0 ||
            ::renameat(fromParent.get(), fromName.constData(), toParent.get(),
                       toName.constData()) != 0)
            return systemError();
        return {};
    }

    qint64 freeBytes() const override
    {
        struct statvfs status;
        if (::fstatvfs(m_root.get(), &status) != 0)
            return -1;
        return qint64(status.f_bavail) * qint64(status.f_frsize);
    }

    std::unique_ptr<QFile> openNewFile(const QString &path) const override
    {
        QByteArray name;
        const Descriptor parent(openParent(path, &name));
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

    bool renameNew(const QString &from, const QString &to) const override
    {
        const int folder = m_root.get();
        const QByteArray oldName = QFile::encodeName(from);
        const QByteArray newName = QFile::encodeName(to);
        if (::renameat2(folder, oldName.constData(), folder, newName.constData(),
                        RENAME_NOREPLACE) == 0)
            return true;
        // File systems that cannot promise it get a look first; a name taken
        // in between is the only way left to replace a file.
        if (errno != EINVAL)
            return false;
        struct stat status;
        if (::fstatat(folder, newName.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 ||
            errno != ENOENT)
            return false;
        return ::renameat(folder, oldName.constData(), folder, newName.constData()) == 0;
    }

    bool remove(const QString &path) const override
    {
        QByteArray name;
        const Descriptor parent(openParent(path, &name));
        return parent.get() >= 0 && ::unlinkat(parent.get(), name.constData(), 0) == 0;
    }

private:
    // What is at path, a link taken for itself.
    bool statAt(const QString &path, struct stat &status) const
    {
        QByteArray name;
        const Descriptor parent(openParent(path, &name));
        return parent.get() >= 0 &&
               ::fstatat(parent.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    }

    // The folder holding the last step of path, and that step's name; -1
    // when the step names no entry of a folder ("", "." or "..").
    int openParent(const QString &path, QByteArray *name) const
    {
        const qsizetype slash = path.lastIndexOf(u'/');
        *name = QFile::encodeName(path.mid(slash + 1));
        if (name->isEmpty() || *name == "." || *name == "..") {
            errno = ENOENT;
            return -1;
        }
        return openFolderAt(slash < 0 ? QString() : path.left(slash));
    }

    // A step up could climb out of the volume: none is taken. The kernel
    // refuses links and steps out of the root in one call; kernels before
    // 5.6, and sandboxes that forbid the call, get a walk step by step.
    int openFolderAt(const QString &path) const
    {
        const QStringList steps = path.split(u'/', Qt::SkipEmptyParts);
        if (steps.contains(QStringLiteral(".."))) {
            errno = ENOENT;
            return -1;
        }
        open_how how{};
        how.flags = folderFlags;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const QByteArray relative =
            steps.isEmpty() ? QByteArray(".") : QFile::encodeName(steps.join(u'/'));
        const long opened =
            ::syscall(SYS_openat2, m_root.get(), relative.constData(), &how, sizeof how);
        if (opened >= 0 || (errno != ENOSYS && errno != EPERM && errno != EINVAL))
            return int(opened);
        int fd = ::openat(m_root.get(), ".", folderFlags);
        for (const QString &step : steps) {
            const Descriptor current(fd);
            fd = current.get() < 0
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
