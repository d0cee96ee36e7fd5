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

VolumeRoot::Kind kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return VolumeRoot::Kind::Folder;
    if (S_ISREG(mode))
        return VolumeRoot::Kind::File;
    return S_ISLNK(mode) ? VolumeRoot::Kind::Link : VolumeRoot::Kind::Other;
}

// When a file was last written, in milliseconds since the epoch.
qint64 millisecondsOf(const struct stat &status)
{
    return qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
}

VolumeRoot::Entry entryIn(int folder, const QByteArray &name)
{
    VolumeRoot::Entry entry{QFile::decodeName(name)};
    entry.isHidden = name.startsWith('.');
    struct stat status;
    if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        entry.kind = kindOf(status.st_mode);
        if (entry.kind == VolumeRoot::Kind::File) {
            entry.size = status.st_size;
            entry.modified = millisecondsOf(status);
        }
    }
    return entry;
}

// What the system said about the call that just failed.
FileError systemError()
{
    return FileError::fromErrno(errno);
}

Result<> writeAll(int fd, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (written < 0 && errno != EINTR)
            return systemError();
        done += qMax<ssize_t>(written, 0);
    }
    return {};
}

// A file made under a temporary name in the folder it holds open.
class DescriptorNewFile final : public VolumeRoot::NewFile
{
public:
    DescriptorNewFile(int folder, QByteArray name, int fd)
        : m_folder(folder), m_name(std::move(name)), m_file(fd)
    {}
    ~DescriptorNewFile() override
    {
        if (!m_committed)
            ::unlinkat(m_folder.get(), m_name.constData(), 0);
    }

    Result<> write(QByteArrayView bytes) override
    {
        m_held = false;
        return writeAll(m_file.get(), bytes);
    }
    int descriptor() const override { return m_file.get(); }
    // Asked before the commit too, when the track is recorded before it
    // takes its name; a rename leaves the time alone.
    qint64 modified() const override
    {
        struct stat written;
        if (m_file.get() >= 0 && ::fstat(m_file.get(), &written) == 0)
            return millisecondsOf(written);
        return m_modified;
    }
    // The medium holds all of it: a commit need not wait. A helper writes
    // through the descriptor unseen, so this is set only once it is done.
    void setHeld() { m_held = true; }

    // Writes the file out and gives it the name in folder.
    Result<> commit(int folder, const QByteArray &name, VolumeRoot::IfTaken ifTaken)
    {
        struct stat replaced;
        const bool replacing =
            ifTaken == VolumeRoot::IfTaken::Replace &&
            ::fstatat(folder, name.constData(), &replaced, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(replaced.st_mode);
        // A medium that fills up may only say so when the file goes out to it.
        if ((replacing && ::fchmod(m_file.get(), replaced.st_mode & 07777) != 0) ||
            (!m_held && ::fsync(m_file.get()) != 0))
            return systemError();
        // Nothing writes to it after this.
        struct stat written;
        if (::fstat(m_file.get(), &written) != 0 || ::close(m_file.release()) != 0)
            return systemError();
        m_modified = millisecondsOf(written);
        const bool renamed =
            ifTaken == VolumeRoot::IfTaken::Replace
                ? ::renameat(m_folder.get(), m_name.constData(), folder, name.constData()) == 0
                : renameNew(folder, name);
        if (!renamed)
            return systemError();
        m_committed = true;
        return {};
    }

private:
    // Refused, with EEXIST, when the new name is taken.
    bool renameNew(int folder, const QByteArray &name) const
    {
        if (::renameat2(m_folder.get(), m_name.constData(), folder, name.constData(),
                        RENAME_NOREPLACE) == 0)
            return true;
        // File systems that cannot promise it get a look first; a name taken
        // in between is the only way left to replace a file.
        if (errno != EINVAL)
            return false;
        struct stat status;
        if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
            errno = EEXIST;
            return false;
        }
        return errno == ENOENT &&
               ::renameat(m_folder.get(), m_name.constData(), folder, name.constData()) == 0;
    }

    Descriptor m_folder;
    QByteArray m_name;
    Descriptor m_file;
    bool m_committed = false;
    bool m_held = false;
    qint64 m_modified = 0;
};

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

    Result<QList<Entry>> entries(const QString &folder) const override
    {
        Descriptor fd(openFolderAt(folder));
        DIR *listing = fd.get() < 0 ? nullptr : ::fdopendir(fd.get());
        if (!listing)
            return systemError();
        const int listed = fd.release();
        QList<Entry> found;
        // Cleared before each read, errno tells a failed read from the end;
        // an entry whose look-up fails is listed as Other.
        for (;;) {
            errno = 0;
            const dirent *entry = ::readdir(listing);
            if (!entry)
                break;
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                found.append(entryIn(listed, name));
        }
        const int failure = errno;
        ::closedir(listing);
        if (failure != 0)
            return FileError::fromErrno(failure);
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
        if (entryIn(parent.get(), name).kind != Kind::Folder)
            return FileError(FileError::Kind::NotAFolder);
        return {};
    }

    Result<std::unique_ptr<VolumeRoot>> openFolder(const QString &path) const override
    {
        const int fd = openFolderAt(path);
        if (fd < 0)
            return systemError();
        return std::unique_ptr<VolumeRoot>(std::make_unique<DescriptorVolumeRoot>(fd));
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

    Result<> remove(const QString &path) const override
    {
        QByteArray name;
        const Descriptor parent(openParent(path, &name));
        if (parent.get() < 0 || ::unlinkat(parent.get(), name.constData(), 0) != 0)
            return systemError();
        return {};
    }

    Result<> removeEmptyFolder(const QString &path) const override
    {
        QByteArray name;
        const Descriptor parent(openParent(path, &name));
        // The system refuses a folder that is not empty, and a link.
        if (parent.get() < 0 || ::unlinkat(parent.get(), name.constData(), AT_REMOVEDIR) != 0)
            return systemError();
        return {};
    }

    Result<std::unique_ptr<NewFile>> createNew(const QString &path) const override
    {
        QByteArray name;
        Descriptor parent(openParent(path, &name));
        if (parent.get() < 0)
            return systemError();
        const int fd = ::openat(parent.get(), name.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            return systemError();
        return std::unique_ptr<NewFile>(
            std::make_unique<DescriptorNewFile>(parent.release(), std::move(name), fd));
    }

    Result<> commit(NewFile &file, const QString &path, IfTaken ifTaken) const override
    {
        QByteArray name;
        const Descriptor parent(openParent(path, &name));
        if (parent.get() < 0)
            return systemError();
        return static_cast<DescriptorNewFile &>(file).commit(parent.get(), name, ifTaken);
    }

    QList<Result<>> flush(const QList<NewFile *> &files) const override
    {
        // One pass writes out every file and what the volume keeps of them;
        // where it fails, each file is waited for on its own, as one file
        // alone is, which costs less than a pass. After the pass, a wait on
        // a file finds nothing left to write, and tells whether writing it
        // out failed.
        const bool passed = files.size() > 1 && ::syncfs(m_root.get()) == 0;
        QList<Result<>> flushed;
        for (NewFile *file : files) {
            const int fd = file->descriptor();
            const bool held =
                passed ? ::sync_file_range(fd, 0, 0,
                                           SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                               SYNC_FILE_RANGE_WAIT_AFTER) == 0
                       : ::fsync(fd) == 0;
            flushed.append(held ? Result<>() : Result<>(systemError()));
        }
        // A file system without a journal may leave what the pass wrote in
        // the disk's own cache: a wait on one file empties it, for all.
        if (passed && ::fsync(files.constLast()->descriptor()) != 0) {
            const FileError failed = systemError();
            for (Result<> &each : flushed)
                each = failed;
        }
        for (qsizetype i = 0; i < files.size(); ++i) {
            if (flushed.at(i))
                static_cast<DescriptorNewFile *>(files.at(i))->setHeld();
        }
        return flushed;
    }

    Result<> append(const QString &path, QByteArrayView bytes, qint64 maxSize) const override
    {
        QByteArray name;
        const Descriptor parent(openParent(path, &name));
        if (parent.get() < 0)
            return systemError();
        // As for reading: looked at first, so that no device is ever opened,
        // then opened without following a link, and checked again.
        struct stat status;
        if (::fstatat(parent.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            !S_ISREG(status.st_mode))
            return FileError(FileError::Kind::NotAFile);
        const Descriptor fd(::openat(
            parent.get(), name.constData(),
            O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666));
        if (fd.get() < 0 && errno != ELOOP)
            return systemError();
        if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
            return FileError(FileError::Kind::NotAFile);
        if (status.st_size > maxSize)
            return FileError(FileError::Kind::TooLarge);
        if (const Result<> written = writeAll(fd.get(), bytes); !written)
            return written;
        if (::fsync(fd.get()) != 0)
            return systemError();
        return {};
    }

    Result<> hide(const QString &) const override { return {}; }

    qint64 freeBytes() const override
    {
        struct statvfs status;
        if (::fstatvfs(m_root.get(), &status) != 0)
            return -1;
        return qint64(status.f_bavail) * qint64(status.f_frsize);
    }

    qint64 totalBytes() const override
    {
        // What root alone may use is left out, as a user cannot fill it.
        struct statvfs status;
        if (::fstatvfs(m_root.get(), &status) != 0)
            return -1;
        return qint64(status.f_blocks - (status.f_bfree - status.f_bavail)) *
               qint64(status.f_frsize);
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
