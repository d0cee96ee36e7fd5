#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

class VolumeRoot;

// A file of ours is written under a temporary name and then renamed into
// place in one step. A PSP pulled out in between leaves the temporary file on
// it, which the next arrival clears away.

// A temporary name not taken in a folder, short so that it fits wherever the
// file's own name does.
QString unusedTemporaryName(const VolumeRoot &folder);

// Matches the temporary names given above, and those that earlier versions
// left behind ("zarvello-1a2b3c.tmp.Ab12Cd").
const QRegularExpression &temporaryNamePattern();

// Removes the plain files of a folder whose whole names match pattern; links,
// folders and everything else stay. Gives the names of its sub-folders, so
// that a sweep going down reads each folder once.
QStringList removeLeftovers(const VolumeRoot &folder, const QRegularExpression &pattern);
