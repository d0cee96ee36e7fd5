#include "playlist/syncedplaylistmarks.h"

#include "controls/filelistbox.h"
#include "core/background.h"
#include "core/sendrecord.h"
#include "core/texts.h"

#include <QDir>
#include <QHash>

SyncedPlaylistMarks::SyncedPlaylistMarks(FileListBox &list, PspOpener openPsp,
                                         LanguageFlag languageFlag, QObject *parent)
    : QObject(parent), m_list(list), m_openPsp(std::move(openPsp)), m_languageFlag(languageFlag)
{
    connect(&list, &FileListBox::listed, this, &SyncedPlaylistMarks::reread);
}

void SyncedPlaylistMarks::reread()
{
    m_list.setLineTips({});
    std::shared_ptr<const VolumeRoot> volume = m_openPsp();
    if (!volume)
        return;
    const int generation = ++m_generation;
    background::run(
        this,
        [volume = std::move(volume)] {
            QHash<QString, QString> sources;
            for (const RecordedPlaylist &playlist : sendrecord::read(*volume).playlists)
                sources.insert(playlist.file, QDir::toNativeSeparators(playlist.source));
            return sources;
        },
        [this, generation](const QHash<QString, QString> &sources) {
            if (generation != m_generation)
                return;
            QHash<QString, QString> tips;
            const QString tip = texts::syncedPlaylistTip.in(m_languageFlag.language());
            for (auto source = sources.cbegin(); source != sources.cend(); ++source)
                tips.insert(source.key(), tip.arg(source.value()));
            m_list.setLineTips(tips);
        });
}
