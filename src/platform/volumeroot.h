#pragma once

#include "platform/folderentries.h"
#include "platform/result.h"

#include <memory>
#include <QFile>
#include <QList>
#include <QString>

// The root folder of a volume, or a folder of it opened as a root of its own,
// held open. Whatever is done through it happens
// on that volume, even if the volume leaves meanwhile: it never falls through
// to the folder the volume was mounted on, which lies on the computer's own
// disk. Paths are relative to the root, with "/" separators ("PSP/PLAYLIST");
// an empty path is the root itself. Links are never followed.
class VolumeRoot
{
public:
    using Entry = FolderEntry;

    // What an entry is. A link is never taken for what it leads to.
    enum class Kind
    {
        Missing,
        Folder,
        File,
        Link,
        Other, // a device, a pipe, a socket
    };

    struct Status
    {
        Kind kind = Kind::Missing;
        // A plain file that its owner may not write.
        bool readOnly = false;
    };

    virtual ~VolumeRoot() = default;

    // The root's device, as the mount table writes it ("7:0"); empty where
    // volumes are known by drive letter.
    virtual QString device() const = 0;
    // The entries of a folder, without "." and ".."; none when it cannot be read.
    virtual QList<Entry> entries(const QString &folder) const = 0;
    // Makes one folder in a folder that exists; a folder already there will
    // do, anything else of that name fails as NotAFolder.
    virtual Result<> makeFolder(const QString &path) const = 0;

    // A folder below the root, held open as a root of its own; null when it
    // is not a folder.
    virtual std::unique_ptr<VolumeRoot> openFolder(const QString &path) const = 0;
    // What is at path; Missing also when a folder on the way is not one.
    virtual Status status(const QString &path) const = 0;
    // Opens a plain file of at most maxSize bytes for reading, without
    // waiting on anything that is not a plain file: a link, folder, device or
    // pipe fails as NotAFile, for reading it could wait or run for ever.
    virtual Result<std::unique_ptr<QFile>> openFile(const QString &path, qint64 maxSize) const = 0;
    // Makes a file that did not exist, holding bytes, with the permissions of
    // the plain file at like when there is one; it is on the medium when this
    // returns. A failure leaves nothing behind.
    virtual Result<> createFile(const QString &path, const QByteArray &bytes,
                                const QString &like) const = 0;
    // Renames in one step, replacing whatever has the new name (a link
    // itself, never what it leads to).
    virtual Result<> rename(const QString &from, const QString &to) const = 0;
    // Removes a file, never a folder.
    virtual bool remove(const QString &path) const = 0;

    // Bytes a program may still write on the volume; -1 when unknown.
    virtual qint64 freeBytes() const = 0;
    // Makes a new file, open for reading and writing, to be written bit by
    // bit; null when a file of that name is already there or it cannot be
    // made. Never opens an existing one.
    virtual std::unique_ptr<QFile> openNewFile(const QString &path) const = 0;
    // Writes what is buffered and waits until the medium holds it.
    virtual bool flushToMedium(QFile &file) const = 0;
    // Gives a file of the root folder a new name there (both plain names);
    // refused when the new name is taken, so nothing is ever replaced.
    virtual bool renameNew(const QString &from, const QString &to) const = 0;

    // Opens a root folder; null when there is no folder to open.
    static std::unique_ptr<VolumeRoot> open(const QString &root);
};
