#include "playlist/playlistdeletion.h"

#include "controls/filelistbox.h"
#include "controls/listbox.h"
#include "controls/messagebox.h"
#include "controls/textbox.h"
#include "core/texts.h"
#include "platform/volumeroot.h"

#include <QLineEdit>
#include <QPushButton>

PlaylistDeletion::PlaylistDeletion(QWidget &window, const PlaylistPanel &playlist,
                                   const SavedPanel &saved, const PlaylistFolder &folder,
                                   LanguageFlag languageFlag)
    : QObject(&window), m_window(window), m_playlist(playlist), m_saved(saved), m_folder(folder),
      m_languageFlag(languageFlag)
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
    // Without a playlist folder nothing is deleted, as for any other failure.
    bool readOnly = false;
    const bool deleted = [&] {
        if (fileName.isEmpty())
            return false;
        const std::unique_ptr<VolumeRoot> folder = m_folder.open();
        if (!folder)
            return false;
        // Kept when missing, not a plain file, or read-only as a save judges
        // it, the same for every user.
        const VolumeRoot::Status status = folder->status(fileName);
        readOnly = status.readOnly;
        return status.kind == VolumeRoot::Kind::File && !readOnly && folder->remove(fileName);
    }();
    if (!deleted) {
        // A read-only playlist is selected all right: it is said to be kept.
        messagebox::show(&m_window,
                         readOnly
                             ? texts::readOnlyNotDeleted.in(m_languageFlag.language()).arg(fileName)
                             : texts::noPlaylistSelected.builtIn(),
                         QString());
        m_saved.File2->refresh();
        return;
    }
    messagebox::show(&m_window, texts::playlistDeleted.builtIn(), QString());
    m_saved.File2->refresh();
    m_playlist.List1->clear();
    m_playlist.Text1->setText(texts::defaultPlaylistName.builtIn());
}
