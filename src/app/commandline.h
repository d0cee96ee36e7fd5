#pragma once

#include "core/texts.h"
#include "platform/volumeroot.h"

#include <memory>
#include <optional>
#include <QString>
#include <QStringList>

// --keep PATH FOLDER and --forget PATH FOLDER: what a PSP keeps of the
// computer, changed from a terminal, with no display and no window.

// What the program says and how it ends.
struct CommandLineAnswer
{
    int exitCode = 0; // as ExitStatus says
    QString output;   // for standard output
    QString error;    // for standard error
};

// A PSP's root folder named on the command line, opened, with the identity
// it keeps; or, with no root, why it could not be had.
struct PspOpened
{
    std::unique_ptr<VolumeRoot> root;
    // The PSP's root: the folder named, or the one above it where the PSP
    // starts when a folder within it was named.
    QString folder;
    QString identity;
    QString why;
};

// A folder within a PSP names that PSP.
// makeIdentity: one is made for a PSP that has none yet; otherwise the
// identity stays empty, and nothing is written on the PSP.
PspOpened openPspFolder(const QString &folder, Language language, bool makeIdentity);

// The answer to the arguments (the program's name first); nothing when they
// ask for neither option.
std::optional<CommandLineAnswer> answerKeepOptions(const QStringList &arguments, Language language);

// The same for main(), before any application object: prints the answer in
// the system's language and gives the exit code.
std::optional<int> answerKeepOptions(int argc, char *argv[]);

// The arguments with "--sync=FOLDER" made "--sync FOLDER".
QStringList splitSyncValue(const QStringList &arguments);

// Options not used as they are meant, whatever else is asked: unknown ones,
// --dry-run or --delete without --sync. Said in one line, exit status Usage,
// with no display; nothing when the options are fine.
std::optional<CommandLineAnswer> misuseOf(const QStringList &arguments, Language language);
std::optional<int> answerMisuse(int argc, char *argv[]);
