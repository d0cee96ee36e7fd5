#include "playlist/playlistfiles.h"

#include "controls/busycursor.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "core/folderpath.h"
#include "core/namerules.h"
#include "core/playlistfile.h"
#include "core/texts.h"
#include "psp/scrollhoriz.h"

#include <QAction>
#include <QDir>
#include <QFile>

PlaylistFiles::PlaylistFiles(QWidget &window, const PlaylistPanel &playlist,
                             const SavedPanel &saved, QAction *save, const QLineEdit &languageFlag,
                             int codePage)
    : QObject(&window), m_window(window), m_playlist(playlist), m_saved(saved),
      m_languageFlag(languageFlag), m_codePage(codePage)
{
    // Every playlist saved must be listed, also one whose name begins with
    // ".", which the PSP's storage does not hide.
    saved.File2->setListsDotFiles(true);
    connect(saved.File2, &FileListBox::clicked, this, &PlaylistFiles::File2_Click);
    connect(save, &QAction::triggered, this, &PlaylistFiles::save_Click);
}

void PlaylistFiles::File2_Click()
{
    const QString fileName = m_saved.File2->fileName();
    if (fileName.isEmpty())
        return;
    ListBox &entries = *m_playlist.List1;
    entries.clear();
    m_playlist.Text1->setText(fileName.left(fileName.size() - playlist::playlistExtension.size()));
    const playlist::PlaylistReadResult read = [&] {
        const BusyCursor busy;
        playlist::PlaylistReadResult result =
            playlist::loadPlaylist(folderpath::join(m_saved.File2->path(), fileName), m_codePage);
        entries.addItems(result.entries);
        UpdateHorizontalExtent(entries);
        if (result.complete)
            m_stored = result.entries;
        return result;
    }();
    Q_EMIT opened();
    // A partial copy saved back would silently lose the rest of the file.
    if (!read.complete)
        warn(texts::readIncomplete.in(language()).arg(fileName, read.error));
}

void PlaylistFiles::save_Click()
{
    const QString name = m_playlist.Text1->text();
    if (playlist::checkPlaylistName(name) != playlist::NameProblem::None) {
        refuseName();
        return;
    }

    const QString folder = m_saved.File2->path();
    const QString path = playlist::playlistFilePath(folder, name);
    const QString shownPath = QDir::toNativeSeparators(path);
    const QStringList &entries = m_playlist.List1->items();
    // Split in two, such an entry would come back as two other entries.
    const int broken = playlist::firstEntryWithLineBreak(entries);
    if (broken >= 0) {
        warn(texts::entryWithLineBreak.in(language()).arg(entries.at(broken)));
        return;
    }
    if (!playlist::savesWithinFolder(folder, name)) {
        warn(texts::saveLeavesFolder.in(language()).arg(shownPath));
        return;
    }
    if (playlist::isReadOnlyFile(path)) {
        warn(texts::readOnlyPlaylist.in(language()).arg(shownPath));
        return;
    }

    const int inexact = playlist::firstInexactEntry(entries, m_codePage);
    if (inexact >= 0) {
        const auto answer =
            messagebox::show(&m_window, texts::inexactEntry.in(language()).arg(entries.at(inexact)),
                             QString(), QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
        if (answer != QMessageBox::Yes)
            return;
    }

    QString error;
    const bool saved = [&] {
        const BusyCursor busy;
        return playlist::savePlaylist(path, entries, m_codePage, &error);
    }();
    if (saved)
        m_stored = entries;
    else
        warn(texts::saveFailed.in(language()).arg(shownPath, error));
    m_saved.File2->refresh();
}

bool PlaylistFiles::hasUnsavedEntries() const
{
    const QStringList &entries = m_playlist.List1->items();
    return !entries.isEmpty() && entries != m_stored;
}

void PlaylistFiles::refuseName()
{
    Q_EMIT nameRefused();
    // A playlist with no name is a file called ".m3u8" that the PSP lists as
    // blank; one left behind by another program goes too.
    const QString nameless = playlist::playlistFilePath(m_saved.File2->path(), QString());
    if (QFile::exists(nameless))
        QFile::remove(nameless);
    m_saved.File2->refresh();
    m_playlist.Text1->setText(texts::retryName.in(language()));
}

void PlaylistFiles::warn(const QString &text)
{
    messagebox::show(&m_window, text, QString(), QMessageBox::Ok, QMessageBox::Warning);
}

Language PlaylistFiles::language() const
{
    return languageFromFlag(m_languageFlag.text());
}
