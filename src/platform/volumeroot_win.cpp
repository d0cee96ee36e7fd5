#include "platform/volumeroot.h"

#include <algorithm>
#include <cerrno>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <utility>
#include <windows.h>

namespace {

// The errno value for what Windows said, for the failures the program tells
// apart; compilers' standard libraries do not agree on a mapping.
int errnoFor(DWORD code)
{
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    default:
        return 0;
    }
}

// What the system said about the call that just failed.
FileError systemError()
{
    const DWORD code = GetLastError();
    return FileError(qt_error_string(int(code)), errnoFor(code));
}

const wchar_t *wide(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}

Result<> writeAll(HANDLE handle, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = DWORD(qMin<qsizetype>(bytes.size() - done, 1 << 30));
        if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr))
            return systemError();
        done += written;
    }
    return {};
}

// A file time, in 100 ns steps since 1601, in milliseconds since 1970.
qint64 millisecondsOf(const FILETIME &time)
{
    const qint64 ticks = qint64((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return (ticks - 116444736000000000LL) / 10000;
}

// A file made under a temporary name, by its full path.
class HandleNewFile final : public VolumeRoot::NewFile
{
public:
    HandleNewFile(QString path, HANDLE handle) : m_path(std::move(path)), m_handle(handle) {}
    ~HandleNewFile() override
    {
        close();
        if (!m_committed)
            DeleteFileW(wide(m_path));
    }

    Result<> write(QByteArrayView bytes) override { return writeAll(m_handle, bytes); }
    // Asked before the commit too, when the track is recorded before it
    // takes its name; a move leaves the time alone.
    qint64 modified() const override
    {
        FILETIME written;
        if (m_handle != INVALID_HANDLE_VALUE && GetFileTime(m_handle, nullptr, nullptr, &written))
            return millisecondsOf(written);
        return m_modified;
    }

    // Writes the file out and gives it the name at path. Windows files have
    // no mode to take over: the read-only attribute, their one permission,
    // makes the replacing fail.
    Result<> commit(const QString &path, VolumeRoot::IfTaken ifTaken)
    {
        FILETIME written;
        if (!FlushFileBuffers(m_handle) || !GetFileTime(m_handle, nullptr, nullptr, &written) ||
            !close())
            return systemError();
        m_modified = millisecondsOf(written);
        const DWORD replace =
            ifTaken == VolumeRoot::IfTaken::Replace ? MOVEFILE_REPLACE_EXISTING : 0;
        if (!MoveFileExW(wide(m_path), wide(path), replace))
            return systemError();
        m_committed = true;
        return {};
    }

private:
    bool close()
    {
        return m_handle == INVALID_HANDLE_VALUE ||
               CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE));
    }

    QString m_path;
    HANDLE m_handle;
    bool m_committed = false;
    qint64 m_modified = 0;
};

// A drive letter names its volume or nothing: once the volume has left, the
// letter cannot lead to another disk, so paths are safe to use. Links and
// junctions are still never gone through. The root is a plain string, which
// every thread may read at once.
class DriveVolumeRoot final : public VolumeRoot
{
public:
    explicit DriveVolumeRoot(const QString &root) : m_root(QDir(root).absolutePath()) {}

    QString device() const override { return {}; }

    Result<QList<Entry>> entries(const QString &folder) const override
    {
        // QDir lists nothing, without a word, where there is no folder.
        if (status(folder).kind != Kind::Folder)
            return FileError::fromErrno(ENOENT);
        QList<Entry> found;
        const QFileInfoList infos = QDir(filePath(folder))
                                        .entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &info : infos) {
            const Kind kind = kindOf(info);
            const bool file = kind == Kind::File;
            found.append({info.fileName(), kind, info.isHidden(), file ? info.size() : -1,
                          file ? info.lastModified().toMSecsSinceEpoch() : 0});
        }
        return found;
    }

    Result<> makeFolder(const QString &path) const override
    {
        if (CreateDirectoryW(wide(QDir::toNativeSeparators(filePath(path))), nullptr))
            return {};
        const FileError error = systemError();
        if (error.errorNumber != EEXIST)
            return error;
        if (status(path).kind != Kind::Folder)
            return FileError(FileError::Kind::NotAFolder);
        return {};
    }

    Result<std::unique_ptr<VolumeRoot>> openFolder(const QString &path) const override
    {
        QString reached;
        for (const QString &step : path.split(u'/', Qt::SkipEmptyParts)) {
            reached = reached.isEmpty() ? step : reached + u'/' + step;
            const Kind kind = step == u".." ? Kind::Missing : status(reached).kind;
            if (kind == Kind::Missing)
                return FileError::fromErrno(ENOENT);
            if (kind != Kind::Folder)
                return FileError(FileError::Kind::NotAFolder);
        }
        return std::unique_ptr<VolumeRoot>(std::make_unique<DriveVolumeRoot>(filePath(path)));
    }

    Status status(const QString &path) const override
    {
        const QFileInfo info(filePath(path));
        const Kind kind = kindOf(info);
        return {kind, kind == Kind::File && !(info.permissions() & QFileDevice::WriteOwner)};
    }

    Result<std::unique_ptr<QFile>> openFile(const QString &path, qint64 maxSize) const override
    {
        const Kind kind = status(path).kind;
        if (kind != Kind::File && kind != Kind::Missing)
            return FileError(FileError::Kind::NotAFile);
        auto file = std::make_unique<QFile>(filePath(path));
        if (!file->open(QIODevice::ReadOnly))
            return FileError(file->errorString());
        if (file->size() > maxSize)
            return FileError(FileError::Kind::TooLarge);
        return file;
    }

    Result<> remove(const QString &path) const override
    {
        if (!DeleteFileW(wide(QDir::toNativeSeparators(filePath(path)))))
            return systemError();
        return {};
    }

    Result<> removeEmptyFolder(const QString &path) const override
    {
        // A junction or a link to a folder is removed as itself, never emptied.
        if (status(path).kind != Kind::Folder)
            return FileError(FileError::Kind::NotAFolder);
        // The system refuses a folder that is not empty.
        if (!RemoveDirectoryW(wide(QDir::toNativeSeparators(filePath(path)))))
            return systemError();
        return {};
    }

    Result<std::unique_ptr<NewFile>> createNew(const QString &path) const override
    {
        const QString native = QDir::toNativeSeparators(filePath(path));
        const HANDLE handle = CreateFileW(wide(native), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return systemError();
        return std::unique_ptr<NewFile>(std::make_unique<HandleNewFile>(native, handle));
    }

    Result<> commit(NewFile &file, const QString &path, IfTaken ifTaken) const override
    {
        return static_cast<HandleNewFile &>(file).commit(QDir::toNativeSeparators(filePath(path)),
                                                         ifTaken);
    }

    Result<> append(const QString &path, QByteArrayView bytes, qint64 maxSize) const override
    {
        const Kind kind = status(path).kind;
        if (kind != Kind::File && kind != Kind::Missing)
            return FileError(FileError::Kind::NotAFile);
        // A link or junction put there meanwhile is opened as itself, and
        // refused as no plain file.
        const HANDLE handle = CreateFileW(
            wide(QDir::toNativeSeparators(filePath(path))), FILE_APPEND_DATA, FILE_SHARE_READ,
            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return systemError();
        const auto result = [&]() -> Result<> {
            BY_HANDLE_FILE_INFORMATION info;
            if (GetFileType(handle) != FILE_TYPE_DISK ||
                !GetFileInformationByHandle(handle, &info) ||
                (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
                return FileError(FileError::Kind::NotAFile);
            if ((qint64(info.nFileSizeHigh) << 32 | info.nFileSizeLow) > maxSize)
                return FileError(FileError::Kind::TooLarge);
            if (const Result<> written = writeAll(handle, bytes); !written)
                return written;
            if (!FlushFileBuffers(handle))
                return systemError();
            return {};
        }();
        CloseHandle(handle);
        return result;
    }

    Result<> hide(const QString &path) const override
    {
        const QString native = QDir::toNativeSeparators(filePath(path));
        const DWORD attributes = GetFileAttributesW(wide(native));
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return systemError();
        if ((attributes & FILE_ATTRIBUTE_HIDDEN) ||
            SetFileAttributesW(wide(native), attributes | FILE_ATTRIBUTE_HIDDEN))
            return {};
        return systemError();
    }

    qint64 freeBytes() const override
    {
        const QStorageInfo storage(m_root);
        return storage.isValid() ? storage.bytesAvailable() : -1;
    }

    qint64 totalBytes() const override
    {
        const QStorageInfo storage(m_root);
        return storage.isValid() ? storage.bytesTotal() : -1;
    }

private:
    static Kind kindOf(const QFileInfo &info)
    {
        if (info.isSymLink() || info.isJunction())
            return Kind::Link;
        if (info.isDir())
            return Kind::Folder;
        if (info.isFile())
            return Kind::File;
        return info.exists() ? Kind::Other : Kind::Missing;
    }

    QString filePath(const QString &path) const
    {
        if (path.isEmpty())
            return m_root;
        // Only plain steps down: a step up, a drive, a stream or a separator
        // of Windows' own could lead off the volume. What is refused becomes
        // a name the system itself refuses, so every call on it fails.
        const QStringList steps = path.split(u'/');
        for (const QString &step : steps) {
            const bool plain =
                !step.isEmpty() && step != u"." && step != u".." &&
                std::none_of(step.cbegin(), step.cend(), [](QChar c) {
                    return c == u'\\' || c == u':' || c.unicode() < 0x20 || c.unicode() == 0x7f;
                });
            if (!plain)
                return m_root + QStringLiteral("/<refused>");
        }
        return m_root.endsWith(u'/') ? m_root + path : m_root + u'/' + path;
    }

    const QString m_root;
};

} // namespace

std::unique_ptr<VolumeRoot> VolumeRoot::open(const QString &root)
{
    if (!QFileInfo(root).isDir())
        return nullptr;
    return std::make_unique<DriveVolumeRoot>(root);
}
