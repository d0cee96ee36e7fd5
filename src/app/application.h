#pragma once

#include <QString>

// Sets up what every window of the program relies on: the application's
// name and the fonts that stand in for the Windows fonts the windows ask for.
void prepareApplication();

// The folder named on the command line (a path or a file:// URI) as a local
// path; empty when none is named. Answers --help and --version itself.
QString folderArgument();
