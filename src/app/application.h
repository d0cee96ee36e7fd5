#pragma once

#include "core/texts.h"

#include <optional>
#include <QString>

// Sets up what every window of the program relies on: the application's
// name and the fonts that stand in for the Windows fonts the windows ask for.
void prepareApplication();

// The language of what the program prints in a terminal: the system's, as
// the windows take it.
Language commandLineLanguage();

// Answers --help and --version, in the interface language, before the
// application object exists, so that they need no display: the exit code when
// the program ends there.
std::optional<int> answerInformationOptions(int argc, char *argv[]);

// The place named on the command line, as folderpath::fromArgument() gives it;
// empty when none is named. Ends the program on an option it does not know.
QString placeArgument();

// The same, read before the application object exists, so that a later start
// hands it over without a display; none when the arguments hold options that
// only the application knows (Qt's own), for placeArgument() to read.
std::optional<QString> placeBeforeApplication(int argc, char *argv[]);

// The URI by which a place is handed over: file:// for a folder of this
// computer, a place elsewhere as it is; empty for none.
QString placeUri(const QString &place);

// How a start that handed place over to the session's instance ends: 0 when
// the instance took it; when it refused it, why, in the terminal, and the
// exit code of options not used as they are meant.
int endHandOver(const QString &place, const QString &refused);
