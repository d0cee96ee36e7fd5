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
    int exitCode = 0; // 0 done, 1 failed, 2 options not used as they are meant
    QString output;   // for standard output
    QString error;    // for standard error
};

// A PSP's root folder named on the command line, opened, with the identity
// it keeps; or, with no root, why it could not be had.
struct PspOpened
{
    std::unique_ptr<VolumeRoot> root;
    QString identity;
    QString why;
};

// makeIdentity: one is made for a PSP that has none yet; otherwise the
// identity stays empty, and nothing is written on the PSP.
PspOpened openPspFolder(const QString &folder, Language language, bool makeIdentity);

// The answer to the arguments (the program's name first); nothing when they
// ask for neither option.
std::optional<CommandLineAnswer> answerKeepOptions(const QStringList &arguments, Language language);

// The same for main(), before any application object: prints the answer in
// the system's language and gives the exit code.
std::optional<int> answerKeepOptions(int argc, char *argv[]);
