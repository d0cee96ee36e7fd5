#pragma once

#include "platform/volumeroot.h"

#include <memory>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// A file of ours is written under a temporary name and then committed to its
// own name in one step. A PSP pulled out in between leaves the temporary file
// on it, which the next arrival clears away.

// A new file in a folder, open for writing, under a temporary name short
// enough to fit wherever the file's own name does. A name another job takes
// meanwhile is passed over for the next.
Result<std::unique_ptr<VolumeRoot::NewFile>> createTemporaryFile(const VolumeRoot &folder);

// Matches the temporary names given above, and those that earlier versions
// left behind ("zarvello-1a2b3c.tmp.Ab12Cd").
const QRegularExpression &temporaryNamePattern();

// Removes the plain files of a folder whose whole names match pattern; links,
// folders and everything else stay. Gives the names of its sub-folders, so
// that a sweep going down reads each folder once.
QStringList removeLeftovers(const VolumeRoot &folder, const QRegularExpression &pattern);
