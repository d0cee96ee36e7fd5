#include "playlist/playlistdeletion.h"

#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "core/folderpath.h"
#include "core/playlistfile.h"
#include "core/texts.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>

namespace {

// Deletes a file unless it is missing, not a plain file, or read-only as a
// save judges it (playlist::isReadOnlyFile), the same for every user.
bool deleteFileUnlessReadOnly(const QString &path)
{
    if (!QFileInfo(path).isFile() || playlist::isReadOnlyFile(path))
        return false;
    return QFile::remove(path);
}

} // namespace

PlaylistDeletion::PlaylistDeletion(QWidget &window, const PlaylistPanel &playlist,
                                   const SavedPanel &saved)
    : QObject(&window), m_window(window), m_playlist(playlist), m_saved(saved)
{
    connect(saved.Command4, &QPushButton::clicked, this, &PlaylistDeletion::Command4_Click);
}

void PlaylistDeletion::Command4_Click()
{
    const auto answer =
        messagebox::show(&m_window, texts::deleteQuestion.builtIn(), texts::deleteCaption.builtIn(),
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Information);
    if (answer != QMessageBox::Yes)
        return;

    const QString fileName = m_saved.File2->fileName();
    if (fileName.isEmpty() ||
        !deleteFileUnlessReadOnly(folderpath::join(m_saved.File2->path(), fileName))) {
        messagebox::show(&m_window, texts::noPlaylistSelected.builtIn(), QString());
        m_saved.File2->refresh();
        return;
    }
    messagebox::show(&m_window, texts::playlistDeleted.builtIn(), QString());
    m_saved.File2->refresh();
    m_playlist.List1->clear();
    m_playlist.Text1->setText(texts::defaultPlaylistName.builtIn());
}
