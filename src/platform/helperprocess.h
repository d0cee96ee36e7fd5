#pragma once

#include <QList>
#include <QString>

class QProcess;

// What a helper process of ours does to itself before it reads untrusted
// files, how the program starts one with nothing it does not need and hands
// it the files it may read, and what the program makes of one that crashed.
namespace platform {

// The descriptor number at which a helper finds the channel that files come
// through (see handFiles()).
constexpr int helperFileChannel = 3;

// Caps the address space of this process at addressSpace bytes (beyond it,
// allocations fail), the size of any file it writes at fileSize and its
// open files at a few dozen; writes no core file when it crashes, lets no
// other process of the user look into it and, where the system can, ends it
// when the program that started it ends. Sanitizer builds keep their
// address space: they reserve terabytes for their own bookkeeping.
void limitHelper(qint64 addressSpace, qint64 fileSize);

// Has process start with nothing of the program's: its working directory
// folder, an environment that names no display, bus or home, its standard
// input, output and error, and fileChannel at helperFileChannel; no other
// descriptor.
void startBare(QProcess &process, const QString &folder, int fileChannel);

// A pair of connected channels that carry open files; -1s when none.
struct FileChannel
{
    int program = -1;
    int helper = -1;
};
FileChannel makeFileChannel();
// Another descriptor of an open file, closed at exec; -1 on failure.
int duplicateFile(int file);
void closeFile(int file);

// A user's file opened for a helper to read: regular files alone, no link
// followed at its end, nothing of the system's own (/proc, /sys, /dev) and
// nothing empty. The descriptor, or -1 and why not in reason.
int openForHelper(const QString &path, QString &reason);

// Hands files over a channel, as one message; the receiver gets its own
// descriptors. False when the channel is gone.
bool handFiles(int channel, const QList<int> &files);
// The files of the next message on the channel (waits for it).
QList<int> takeFiles(int channel);

// Whether no process of that id runs any more.
bool processGone(qint64 pid);

// What ended a helper that crashed, from QProcess's exit code, in the
// system's own words ("Segmentation fault").
QString crashCause(int exitCode);

} // namespace platform
