#pragma once

#include "core/texts.h"
#include "platform/volumeroot.h"

#include <memory>
#include <QFile>

// The right to write on one PSP: its record, its music and playlists, and
// its list of what it keeps. Every send, sync and change of the list holds
// it from before it reads the record until it has written all it will, so
// that two of them, in this process or any other, never write over each
// other. A second one is refused rather than kept waiting. The lock is the
// system's on a file in the volume's hidden folder, and goes with the
// process however it ends.
class WriterLock
{
public:
    // The lock, or why it could not be had: EWOULDBLOCK when another holds
    // it. None on a volume that takes no writes (EROFS).
    static Result<std::shared_ptr<const WriterLock>> take(const VolumeRoot &root);

    // The same for work that must not run beside a writer but writes
    // nothing of its own, such as sweeping what an interrupted writer left:
    // nothing is made on the volume, and where no writer ever took the lock
    // there is none to hold (a null lock, no error).
    static Result<std::shared_ptr<const WriterLock>> takeIfUsed(const VolumeRoot &root);

    explicit WriterLock(std::unique_ptr<QFile> file) : m_file(std::move(file)) {}

    // Another send, sync or change of the list holds the lock.
    static bool isBusy(const FileError &error) { return error.errorNumber == EWOULDBLOCK; }
    // What a writer turned away says: another holds the PSP, or why the lock
    // could not be made.
    static QString refusal(const FileError &error, Language language);

private:
    std::unique_ptr<QFile> m_file;
};
