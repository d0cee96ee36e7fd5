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
#include <QLineEdit>
#include <QPushButton>

PlaylistDeletion::PlaylistDeletion(QWidget &window, const PlaylistPanel &playlist,
                                   const SavedPanel &saved, const QLineEdit &languageFlag)
    : QObject(&window), m_window(window), m_playlist(playlist), m_saved(saved),
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
    const QString path = folderpath::join(m_saved.File2->path(), fileName);
    if (fileName.isEmpty() || !deleteFileUnlessReadOnly(path)) {
        // A read-only playlist is selected all right: it is said to be kept.
        const bool readOnly =
            !fileName.isEmpty() && QFileInfo(path).isFile() && playlist::isReadOnlyFile(path);
        messagebox::show(&m_window,
                         readOnly
                             ? texts::readOnlyNotDeleted.in(languageFromFlag(m_languageFlag.text()))
                                   .arg(fileName)
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

bool deleteFileUnlessReadOnly(const QString &path)
{
    if (!QFileInfo(path).isFile() || playlist::isReadOnlyFile(path))
        return false;
    return QFile::remove(path);
}
