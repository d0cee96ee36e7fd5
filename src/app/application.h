#pragma once

#include <optional>
#include <QString>

// Sets up what every window of the program relies on: the application's
// name and the fonts that stand in for the Windows fonts the windows ask for.
void prepareApplication();

// Answers --help and --version, in the interface language, before the
// application object exists, so that they need no display: the exit code when
// the program ends there.
std::optional<int> answerInformationOptions(int argc, char *argv[]);

// The place named on the command line, as folderpath::fromArgument() gives it;
// empty when none is named. Ends the program on an option it does not know.
QString placeArgument();
