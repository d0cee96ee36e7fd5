#pragma once

#include <QString>

// What a helper process of ours does to itself before it reads untrusted
// files, and what the program makes of one that crashed.
namespace platform {

// Caps the address space of this process at addressSpace bytes (beyond it,
// allocations fail), writes no core file when it crashes, and, where the
// system can, ends it when the program that started it ends. Sanitizer builds keep their address
// space: they reserve terabytes for their own bookkeeping.
void limitHelper(qint64 addressSpace);

// What ended a helper that crashed, from QProcess's exit code, in the
// system's own words ("Segmentation fault").
QString crashCause(int exitCode);

} // namespace platform
