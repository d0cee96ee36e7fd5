#pragma once

#include <optional>
#include <QList>
#include <QString>

// What a PSP keeps of the computer's music: desktop playlists (.m3u, .m3u8,
// .pls, .xspf) and folders, in an order that is also their priority when not
// everything fits. Each PSP has its own list, remembered in the user's
// settings under the identity the PSP keeps (sendrecord::volumeIdentity), so
// that it follows the PSP whatever it is mounted as.

struct SyncEntry
{
    enum class Kind
    {
        Playlist,
        Folder,
    };

    QString path; // absolute and clean, in Qt's form
    Kind kind = Kind::Folder;
};

class SyncList
{
public:
    const QList<SyncEntry> &entries() const { return m_entries; }

    // Adds a path at the end, made absolute and clean; false, and nothing
    // changes, when the list has it already.
    bool add(const QString &path, SyncEntry::Kind kind);
    // Where the list has a path, cleaned as add() cleans it; -1 when it has
    // not.
    qsizetype indexOf(const QString &path) const;
    // False when there is no such entry.
    bool removeAt(qsizetype index);
    // Swaps an entry with the one before it, or after it; false when there
    // is none.
    bool moveUp(qsizetype index);
    bool moveDown(qsizetype index);
    // Adds another list's entries at the end, in its order, each once;
    // returns how many were new.
    qsizetype addFrom(const SyncList &other);

    // The PSP is to follow its list as soon as it is plugged in.
    bool syncWhenPluggedIn = false;

private:
    QList<SyncEntry> m_entries;
};

namespace synclist {

// The path as a list keeps it: absolute (against the working folder) and
// clean. Never looks at the disk.
QString cleanPath(const QString &path);

// What a path can be kept as: a folder, or a file named like a desktop
// playlist; nothing when it is neither, or not there. Looks at the disk.
std::optional<SyncEntry::Kind> kindOf(const QString &path);

// A PSP this computer has kept a list for, as the user would know it.
struct KnownPsp
{
    QString identity;
    QString name; // as the window showed it when first seen; may be empty
};

// The list of the PSP of that identity; an empty one when it has none yet.
SyncList load(const QString &identity);
// False when the settings could not be written.
bool save(const QString &identity, const SyncList &list);
// Remembers the name a PSP is shown by, unless it has one already.
void nameIfNone(const QString &identity, const QString &name);
// Every PSP with a list that is not empty, but the one of that identity;
// sorted by name.
QList<KnownPsp> others(const QString &identity);

} // namespace synclist
