#pragma once

#include "platform/volumeroot.h"

#include <memory>
#include <QString>
#include <QStringList>

// A file of ours is written under a temporary name and then committed to its
// own name in one step. A PSP pulled out in between leaves the temporary file
// on it, which the next arrival clears away.

// A new file in a folder, open for writing, under a temporary name short
// enough to fit wherever the file's own name does:
// "zarvello-<8 random hex digits>-<8 hex digits of a check>.tmp", the check
// derived from the random part, so that a file the user named alike is never
// taken for ours. A name another job takes meanwhile is passed over for the
// next.
Result<std::unique_ptr<VolumeRoot::NewFile>> createTemporaryFile(const VolumeRoot &folder);

// Whether the name is one createTemporaryFile() gives, its check right.
bool isTemporaryName(QStringView name);

// Removes the plain files of a folder that bear temporary names; links,
// folders and everything else stay. Gives the names of its sub-folders, so
// that a sweep going down reads each folder once.
QStringList removeLeftovers(const VolumeRoot &folder);
