#pragma once

#include <memory>
#include <QSettings>

// What the program remembers for the user between runs (the folder music was
// last sent from, ...), in the user's own configuration folder. Small and
// local: reading and writing it never waits on a slow disk.
namespace usersettings {

std::unique_ptr<QSettings> open();

} // namespace usersettings
