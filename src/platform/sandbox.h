#pragma once

#include <QString>

// Locks a helper process in before it reads untrusted files, so that a fault
// a crafted file reaches in a decoder can do no more than the helper's job.
namespace platform {

// What took hold.
struct Confinement
{
    bool files = false; // no file reached but those below the folder
    bool calls = false; // no network, programs, new processes or tracing
    // What the system lacks, in its own words; empty when both took hold.
    QString missing;
    // Another thread ran already, which the file rules would not hold:
    // nothing was locked, and the process must not go on to read anything.
    bool crowded = false;
};

// From now on, for good: this process and its threads reach no file but
// those below folder and the descriptors they already hold; open no socket;
// run no program; start no process (threads still start) and trace none;
// signal no other process. Call it once the libraries are loaded, before
// any other thread starts (see Confinement::crowded). What the system does
// not offer is left out.
Confinement confine(const QString &folder);

} // namespace platform
