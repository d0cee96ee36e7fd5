#pragma once

#include <QString>

// Where a path leads once its links and ".." are followed.
struct FollowedPath
{
    enum class Place
    {
        Within,
        Outside,
        Nowhere, // nothing is there
    };
    Place place = Place::Nowhere;
    QString real; // the path followed, when something is there
};

// Folder paths are kept in Qt's form ("/" separators). A drive root always
// ends in a separator ("/media/psp/", "E:/"); any other folder never does
// ("/media/psp/MUSIC").
namespace folderpath {

// The folder form of a path: cleaned, trailing separator only on a root.
QString normalised(const QString &path);
// Folder + separator + name, without doubling the separator of a root.
QString join(const QString &folder, const QString &name);
// The root in folder form (with its trailing separator).
QString rootForm(const QString &root);
// The root of the file system a path lies on: its drive ("E:/") where it
// names one, "/" otherwise.
QString fileSystemRoot(const QString &path);
// True when folder is root or lies below it (compared as the file system
// compares names on this platform).
bool isWithin(const QString &folder, const QString &root);
// True when two paths in the same form name the same place, compared as the
// file system compares names on this platform.
bool samePath(const QString &a, const QString &b);
// Where path leads against a root whose own links are followed already
// (QFileInfo::canonicalFilePath), so that a link can neither lead a path out
// of the root unnoticed nor keep one in it out.
FollowedPath follow(const QString &path, const QString &realRoot);

// True when a command-line argument names a place that is not a folder of this
// computer: a URI of another scheme than file, as desktops pass them for phones
// and network shares ("mtp://…", "smb://…").
bool isElsewhere(const QString &argument);

// The place a command-line argument names, in the same form whichever folder
// the program was started in: the local path of a file:// URI or of a path,
// made absolute against the working folder; an argument naming a place
// elsewhere stays as it is.
QString fromArgument(const QString &argument);

} // namespace folderpath
