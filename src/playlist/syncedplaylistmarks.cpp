#include "playlist/syncedplaylistmarks.h"

#include "controls/filelistbox.h"
#include "controls/messagebox.h"
#include "core/background.h"
#include "core/sendrecord.h"
#include "core/synclist.h"
#include "core/texts.h"

#include <QDir>
#include <QHash>
#include <QWidget>

namespace {

struct Synced
{
    QHash<QString, QString> sources; // by file name
    QHash<QString, QString> followed;
};

} // namespace

SyncedPlaylistMarks::SyncedPlaylistMarks(FileListBox &list, PspOpener openPsp,
                                         LanguageFlag languageFlag, QObject *parent)
    : QObject(parent), m_list(list), m_openPsp(std::move(openPsp)), m_languageFlag(languageFlag)
{
    connect(&list, &FileListBox::listed, this, &SyncedPlaylistMarks::reread);
}

void SyncedPlaylistMarks::reread()
{
    m_list.setLineTips({});
    m_followed.clear();
    std::shared_ptr<const VolumeRoot> volume = m_openPsp();
    if (!volume)
        return;
    const int generation = ++m_generation;
    background::run(
        this,
        [volume = std::move(volume)] {
            Synced synced;
            // One taken off the list since is left as it is by the next sync.
            const SyncList list = synclist::load(sendrecord::keptIdentity(*volume));
            for (const RecordedPlaylist &playlist : sendrecord::read(*volume).playlists) {
                const QString source = QDir::toNativeSeparators(playlist.source);
                synced.sources.insert(playlist.file, source);
                if (list.indexOf(playlist.source) >= 0)
                    synced.followed.insert(playlist.file, source);
            }
            return synced;
        },
        [this, generation](const Synced &synced) {
            if (generation != m_generation)
                return;
            QHash<QString, QString> tips;
            const QString tip = texts::syncedPlaylistTip.in(m_languageFlag.language());
            for (auto source = synced.sources.cbegin(); source != synced.sources.cend(); ++source)
                tips.insert(source.key(), tip.arg(source.value()));
            m_list.setLineTips(tips);
            m_followed = synced.followed;
        });
}

void SyncedPlaylistMarks::opened(QWidget &window) const
{
    const auto source = m_followed.constFind(m_list.fileName());
    if (source != m_followed.cend())
        messagebox::notify(window,
                           texts::syncedPlaylistEdited.in(m_languageFlag.language()).arg(*source),
                           QMessageBox::Information);
}
