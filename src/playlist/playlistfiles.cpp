#include "playlist/playlistfiles.h"

#include "controls/busycursor.h"
#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/scrollhoriz.h"
#include "controls/textbox.h"
#include "core/namerules.h"
#include "platform/volumeroot.h"

#include <cerrno>
#include <optional>
#include <QAction>

PlaylistFiles::PlaylistFiles(QWidget &window, const PlaylistPanel &playlist,
                             const SavedPanel &saved, QAction *save, const PlaylistFolder &folder,
                             LanguageFlag languageFlag, int codePage)
    : QObject(&window), m_window(window), m_playlist(playlist), m_saved(saved), m_folder(folder),
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
    std::optional<LoadedPlaylist> read;
    {
        const BusyCursor busy;
        if (const std::unique_ptr<VolumeRoot> folder = m_folder.open())
            read = playlistfile::loadPlaylist(*folder, fileName, m_codePage);
    }
    if (!read) {
        messagebox::warn(&m_window, texts::noPlaylistFolder.in(language()));
        return;
    }
    // What is refused is not read at all, and the current playlist stays.
    if (!read->bytes && read->bytes.error().kind != FileError::Kind::System) {
        const Phrase &refusal = read->bytes.error().kind == FileError::Kind::TooLarge
                                    ? texts::playlistTooLarge
                                    : texts::playlistNotAFile;
        messagebox::warn(&m_window, refusal.in(language()).arg(fileName));
        return;
    }

    ListBox &entries = *m_playlist.List1;
    entries.clear();
    m_playlist.Text1->setText(fileName.left(fileName.size() - namerules::playlistExtension.size()));
    {
        const BusyCursor busy;
        entries.addItems(read->entries);
        UpdateHorizontalExtent(entries);
    }
    m_known = {fileName, read->encoding, read->bytes ? std::optional(*read->bytes) : std::nullopt,
               read->oddTail};
    if (read->bytes)
        m_stored = read->entries;
    Q_EMIT opened();
    // A partial copy saved back would silently lose the rest of the file.
    if (!read->bytes)
        messagebox::warn(
            &m_window,
            texts::readIncomplete.in(language()).arg(fileName, read->bytes.error().message));
}

void PlaylistFiles::save_Click()
{
    const QString name = m_playlist.Text1->text();
    if (namerules::checkPlaylistName(name) != NameProblem::None) {
        refuseName();
        return;
    }

    const QString path = namerules::playlistFileName(name);
    const QString shownPath = m_folder.shownPath(path);
    const QStringList &entries = m_playlist.List1->items();
    // Split in two, such an entry would come back as two other entries.
    const int broken = playlistfile::firstEntryWithLineBreak(entries);
    if (broken >= 0) {
        messagebox::warn(&m_window,
                         texts::entryWithLineBreak.in(language()).arg(entries.at(broken)));
        return;
    }
    // The folder is let go before any box waits, so that the PSP can be ejected.
    const QString problem = [&] {
        const std::unique_ptr<VolumeRoot> folder = m_folder.open();
        if (!folder)
            return texts::noPlaylistFolder.in(language());
        if (playlistfile::reachedThroughLink(*folder, path))
            return texts::saveThroughLink.in(language()).arg(shownPath);
        if (folder->status(path).readOnly)
            return texts::readOnlyPlaylist.in(language()).arg(shownPath);
        return QString();
    }();
    if (!problem.isEmpty()) {
        messagebox::warn(&m_window, problem);
        return;
    }

    // A file read as UTF-16 is written back as UTF-16, with its odd tail;
    // any other as the PSP reads it, in the code page.
    const bool known = m_known.path == path;
    const PlaylistEncoding encoding = known ? m_known.encoding : PlaylistEncoding::Ansi;
    const QByteArray oddTail = known ? m_known.oddTail : QByteArray();
    const int inexact = encoding == PlaylistEncoding::Ansi
                            ? playlistfile::firstInexactEntry(entries, m_codePage)
                            : -1;
    if (inexact >= 0) {
        const auto answer =
            messagebox::show(&m_window, texts::inexactEntry.in(language()).arg(entries.at(inexact)),
                             QString(), QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
        if (answer != QMessageBox::Yes)
            return;
    }
    if (!mayReplace(path))
        return;

    QByteArray bytes;
    const Result<> saved = [&] {
        const BusyCursor busy;
        bytes = playlistfile::encodePlaylist(entries, m_codePage, encoding, oddTail);
        const std::unique_ptr<VolumeRoot> folder = m_folder.open();
        return folder ? playlistfile::savePlaylist(*folder, path, bytes)
                      : FileError::fromErrno(ENODEV);
    }();
    if (saved) {
        m_stored = entries;
        m_known = {path, encoding, bytes, oddTail};
    } else {
        messagebox::warn(&m_window,
                         texts::saveFailed.in(language()).arg(shownPath, saved.error().message));
    }
    m_saved.File2->refresh();
}

bool PlaylistFiles::hasUnsavedEntries() const
{
    const QStringList &entries = m_playlist.List1->items();
    return !entries.isEmpty() && entries != m_stored;
}

// Another program (another copy of this one among them) may have saved the
// file since it was opened here; replacing it without a word would undo that.
bool PlaylistFiles::mayReplace(const QString &path)
{
    if (m_known.path != path || !m_known.bytes)
        return true;
    const bool changed = [&] {
        const std::unique_ptr<VolumeRoot> folder = m_folder.open();
        // Gone, the save that follows says so.
        return folder && playlistfile::changedSince(*folder, path, *m_known.bytes);
    }();
    return !changed ||
           messagebox::show(&m_window,
                            texts::changedMeanwhile.in(language()).arg(m_folder.shownPath(path)),
                            QString(), QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::Warning) == QMessageBox::Yes;
}

void PlaylistFiles::refuseName()
{
    Q_EMIT nameRefused();
    // A playlist with no name is a file called ".m3u8" that the PSP lists as
    // blank; one left behind by another program goes too.
    if (const std::unique_ptr<VolumeRoot> folder = m_folder.open()) {
        const QString nameless = namerules::playlistFileName(QString());
        // One that stays is listed still, for the user to see.
        if (folder->status(nameless).kind == VolumeRoot::Kind::File)
            static_cast<void>(folder->remove(nameless));
    }
    m_saved.File2->refresh();
    m_playlist.Text1->setText(texts::retryName.in(language()));
}

Language PlaylistFiles::language() const
{
    return m_languageFlag.language();
}
