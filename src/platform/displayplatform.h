#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

namespace platform {

// The Qt platform plugins to ask for, in the form of QT_QPA_PLATFORM, given
// the program's arguments (the first one being the program) and environment;
// empty leaves the choice to Qt.
//
// A Wayland client can neither place its own windows nor keep one above
// another, so on a Wayland desktop that also runs an X server (XWayland) the
// windows go through X, with the compositor itself as the fallback should X
// not answer. A platform the user names wins: QT_QPA_PLATFORM, or -platform on
// the command line, which Qt also accepts as --platform. Qt ignores the form
// -platform=NAME, so that one is passed on as NAME.
QByteArray displayPlatformFor(const QStringList &arguments, const QProcessEnvironment &environment);

// Applies displayPlatformFor() to this process; call it before the
// application object exists. Programs started later from this one do not
// inherit the choice.
void chooseDisplayPlatform(int argc, char *argv[]);

} // namespace platform
