#include "core/synclist.h"

#include "core/computerplaylist.h"
#include "core/folderpath.h"
#include "core/usersettings.h"

#include <algorithm>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString groupOf(const QString &identity)
{
    return u"synclists/"_s + identity;
}

const QString entriesKey = u"entries"_s;
const QString pathKey = u"path"_s;
const QString kindKey = u"kind"_s;
const QString nameKey = u"name"_s;
const QString whenPluggedKey = u"syncWhenPluggedIn"_s;
const QString playlistKind = u"playlist"_s;
const QString folderKind = u"folder"_s;

} // namespace

bool SyncList::add(const QString &path, SyncEntry::Kind kind)
{
    if (indexOf(path) >= 0)
        return false;
    m_entries.append({synclist::cleanPath(path), kind});
    return true;
}

qsizetype SyncList::indexOf(const QString &path) const
{
    const QString clean = synclist::cleanPath(path);
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (folderpath::samePath(m_entries.at(i).path, clean))
            return i;
    }
    return -1;
}

bool SyncList::removeAt(qsizetype index)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    m_entries.removeAt(index);
    return true;
}

bool SyncList::moveUp(qsizetype index)
{
    if (index < 1 || index >= m_entries.size())
        return false;
    m_entries.swapItemsAt(index - 1, index);
    return true;
}

bool SyncList::moveDown(qsizetype index)
{
    return moveUp(index + 1);
}

qsizetype SyncList::addFrom(const SyncList &other)
{
    qsizetype added = 0;
    for (const SyncEntry &entry : other.entries())
        added += add(entry.path, entry.kind) ? 1 : 0;
    return added;
}

namespace synclist {

QString cleanPath(const QString &path)
{
    return path.isEmpty() ? QString() : folderpath::normalised(QFileInfo(path).absoluteFilePath());
}

std::optional<SyncEntry::Kind> kindOf(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return SyncEntry::Kind::Folder;
    if (info.isFile() && isComputerPlaylist(path))
        return SyncEntry::Kind::Playlist;
    return std::nullopt;
}

SyncList load(const QString &identity)
{
    SyncList list;
    if (identity.isEmpty())
        return list;
    const std::unique_ptr<QSettings> settings = usersettings::open();
    settings->beginGroup(groupOf(identity));
    list.syncWhenPluggedIn = settings->value(whenPluggedKey, false).toBool();
    const int size = settings->beginReadArray(entriesKey);
    for (int i = 0; i < size; ++i) {
        settings->setArrayIndex(i);
        const QString path = settings->value(pathKey).toString();
        const QString kind = settings->value(kindKey).toString();
        // An entry edited by hand into something else is of no use; the
        // rest of the list still is.
        if (!path.isEmpty() && (kind == playlistKind || kind == folderKind))
            list.add(path,
                     kind == playlistKind ? SyncEntry::Kind::Playlist : SyncEntry::Kind::Folder);
    }
    settings->endArray();
    settings->endGroup();
    return list;
}

bool save(const QString &identity, const SyncList &list)
{
    if (identity.isEmpty())
        return false;
    const std::unique_ptr<QSettings> settings = usersettings::open();
    // Written whole, so that no entry of a longer list is left behind; the
    // name stays.
    const QString name = settings->value(groupOf(identity) + u'/' + nameKey).toString();
    settings->remove(groupOf(identity));
    settings->beginGroup(groupOf(identity));
    if (!name.isEmpty())
        settings->setValue(nameKey, name);
    settings->setValue(whenPluggedKey, list.syncWhenPluggedIn);
    settings->beginWriteArray(entriesKey, int(list.entries().size()));
    for (int i = 0; i < list.entries().size(); ++i) {
        const SyncEntry &entry = list.entries().at(i);
        settings->setArrayIndex(i);
        settings->setValue(pathKey, entry.path);
        settings->setValue(kindKey,
                           entry.kind == SyncEntry::Kind::Playlist ? playlistKind : folderKind);
    }
    settings->endArray();
    settings->endGroup();
    settings->sync();
    return settings->status() == QSettings::NoError;
}

void nameIfNone(const QString &identity, const QString &name)
{
    if (identity.isEmpty() || name.isEmpty())
        return;
    const std::unique_ptr<QSettings> settings = usersettings::open();
    const QString key = groupOf(identity) + u'/' + nameKey;
    if (settings->value(key).toString().isEmpty())
        settings->setValue(key, name);
}

QList<KnownPsp> others(const QString &identity)
{
    QList<KnownPsp> known;
    const std::unique_ptr<QSettings> settings = usersettings::open();
    settings->beginGroup(u"synclists"_s);
    for (const QString &group : settings->childGroups()) {
        // An empty list has nothing to copy.
        if (group != identity &&
            settings->value(group + u'/' + entriesKey + u"/size"_s).toInt() > 0)
            known.append({group, settings->value(group + u'/' + nameKey).toString()});
    }
    settings->endGroup();
    std::stable_sort(known.begin(), known.end(), [](const KnownPsp &a, const KnownPsp &b) {
        return a.name.localeAwareCompare(b.name) < 0;
    });
    return known;
}

} // namespace synclist
