#pragma once

#include <memory>
#include <QList>
#include <QString>

// The root folder of a volume, held open. Whatever is done through it happens
// on that volume, even if the volume leaves meanwhile: it never falls through
// to the folder the volume was mounted on, which lies on the computer's own
// disk. Paths are relative to the root, with "/" separators ("PSP/PLAYLIST");
// an empty path is the root itself. Links are never followed.
class VolumeRoot
{
public:
    struct Entry
    {
        QString name;
        bool isFolder = false;
    };

    enum class Made
    {
        Created,
        AlreadyThere, // a folder of that name was there
        NotAFolder,   // something else of that name is in the way
        Refused,      // the system would not make it (write-protected, full, gone)
    };

    virtual ~VolumeRoot() = default;

    // The root's device, as the mount table writes it ("7:0"); empty where
    // volumes are known by drive letter.
    virtual QString device() const = 0;
    // The entries of a folder, without "." and ".."; none when it cannot be read.
    virtual QList<Entry> entries(const QString &folder) const = 0;
    // Makes one folder in a folder that exists.
    virtual Made makeFolder(const QString &path) const = 0;

    // Opens a root folder; null when there is no folder to open.
    static std::unique_ptr<VolumeRoot> open(const QString &root);
};
