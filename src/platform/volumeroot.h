#pragma once

#include "platform/folderentries.h"
#include "platform/result.h"

#include <memory>
#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QString>

// The root folder of a volume, or a folder of it opened as a root of its own,
// held open. Whatever is done through it happens
// on that volume, even if the volume leaves meanwhile: it never falls through
// to the folder the volume was mounted on, which lies on the computer's own
// disk. Paths are relative to the root, with "/" separators ("PSP/PLAYLIST");
// an empty path is the root itself. Links are never followed.
//
// A handle never changes once open: every method may be called from several
// threads at once, as the workers of a send share one handle. A NewFile is
// written from one thread at a time.
class VolumeRoot
{
public:
    using Entry = FolderEntry;
    using Kind = FolderEntry::Kind;

    struct Status
    {
        Kind kind = Kind::Missing;
        // A plain file that its owner may not write.
        bool readOnly = false;
    };

    // A file being written, not yet under its own name. Unless committed, it
    // is removed when it goes, as far as the volume lets it; a volume pulled
    // out meanwhile keeps it, for the next arrival to clear away.
    class NewFile
    {
    public:
        virtual ~NewFile() = default;
        // Appends bytes; a failure says why (ENOSPC for a full medium).
        virtual Result<> write(QByteArrayView bytes) = 0;
        // The open file itself, for a helper process to write into; -1 where
        // it cannot be handed over.
        virtual int descriptor() const { return -1; }
        // When it was last written, once committed, in milliseconds since the
        // epoch, UTC: what tells it from a user's file of the same name and
        // size later. 0 when the volume does not say.
        virtual qint64 modified() const { return 0; }
    };

    // What a commit does when the name it puts a file under is taken.
    enum class IfTaken
    {
        // Replaced in one step: a plain file, or a link itself, never what it
        // leads to; the new file takes the permissions of the file replaced.
        Replace,
        // Kept: the commit fails with EEXIST and nothing is replaced.
        Keep,
    };

    virtual ~VolumeRoot() = default;

    // The root's device, as the mount table writes it ("7:0"); empty where
    // volumes are known by drive letter.
    virtual QString device() const = 0;
    // The entries of a folder, without "." and "..".
    virtual Result<QList<Entry>> entries(const QString &folder) const = 0;
    // Makes one folder in a folder that exists; a folder already there will
    // do, anything else of that name fails as NotAFolder.
    virtual Result<> makeFolder(const QString &path) const = 0;

    // A folder below the root, held open as a root of its own.
    virtual Result<std::unique_ptr<VolumeRoot>> openFolder(const QString &path) const = 0;
    // What is at path; Missing also when it cannot be looked at, or a folder
    // on the way is not one.
    virtual Status status(const QString &path) const = 0;
    // Opens a plain file of at most maxSize bytes for reading, without
    // waiting on anything that is not a plain file: a link, folder, device or
    // pipe fails as NotAFile, for reading it could wait or run for ever.
    virtual Result<std::unique_ptr<QFile>> openFile(const QString &path, qint64 maxSize) const = 0;
    // Removes a file, never a folder.
    virtual Result<> remove(const QString &path) const = 0;
    // Removes a folder that holds nothing; one that holds anything stays, and
    // a link is never taken for the folder it leads to.
    virtual Result<> removeEmptyFolder(const QString &path) const = 0;

    // Files are written under a temporary name and committed under their
    // own, so that no part of one is ever seen under that name.
    // Makes a file at path, open for writing; never opens one that is there
    // already (EEXIST).
    virtual Result<std::unique_ptr<NewFile>> createNew(const QString &path) const = 0;
    // Waits until the medium holds all of file, which this handle or another
    // of the same volume made, then gives it the name path in one step, by
    // the rule for a name that is taken. On failure the file keeps its
    // temporary name, to be removed when it goes.
    virtual Result<> commit(NewFile &file, const QString &path, IfTaken ifTaken) const = 0;
    // Waits until the medium holds all of each file, made by this handle or
    // another of the same volume, in one pass over the volume: for many small
    // files that costs far less than a wait in each commit. A file held is
    // committed without another wait, unless written to since. Gives how
    // each went, in order. Where the system has no such pass nothing is
    // waited for here, and commit() waits for each file as ever.
    virtual QList<Result<>> flush(const QList<NewFile *> &files) const
    {
        return QList<Result<>>(files.size());
    }
    // Adds bytes at the end of the plain file at path, made when missing,
    // and waits until the medium holds them. Anything but a plain file fails
    // as NotAFile, one already beyond maxSize bytes as TooLarge; on failure
    // part of the bytes may have reached the end of the file.
    virtual Result<> append(const QString &path, QByteArrayView bytes, qint64 maxSize) const = 0;

    // Bytes a program may still write on the volume; -1 when unknown.
    virtual qint64 freeBytes() const = 0;
    // The volume's size, as a program sees it (used and free for it); -1 when
    // unknown.
    virtual qint64 totalBytes() const { return -1; }

    // Hides a file or folder from the file managers of the system the volume
    // is plugged into: the hidden attribute on Windows; on Linux a name that
    // begins with a dot is hidden already, and nothing is done.
    virtual Result<> hide(const QString &path) const = 0;

    // Opens a root folder; null when there is no folder to open.
    static std::unique_ptr<VolumeRoot> open(const QString &root);
};
