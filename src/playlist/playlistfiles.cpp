#include "playlist/playlistfiles.h"

#include "app/filelistbox.h"
#include "app/folderpath.h"
#include "app/frmmain.h"
#include "app/listbox.h"
#include "app/messagebox.h"
#include "app/textbox.h"
#include "playlist/namerules.h"
#include "playlist/playlistfile.h"
#include "playlist/typingerror.h"
#include "psp/scrollhoriz.h"

#include <QAction>
#include <QDir>
#include <QFile>

PlaylistFiles::PlaylistFiles(FrmMain &main) : QObject(&main), m_main(main)
{
    connect(main.File2, &FileListBox::clicked, this, &PlaylistFiles::File2_Click);
    connect(main.save, &QAction::triggered, this, &PlaylistFiles::save_Click);
}

void PlaylistFiles::File2_Click()
{
    const QString fileName = m_main.File2->fileName();
    if (fileName.isEmpty())
        return;
    m_main.List1->clear();
    m_main.Text1->setText(fileName.left(fileName.size() - playlist::playlistExtension.size()));
    const playlist::PlaylistReadResult read = playlist::loadPlaylist(
        folderpath::join(m_main.File2->path(), fileName), m_main.services().ansiCodePage);
    m_main.List1->addItems(read.entries);
    UpdateHorizontalExtent(*m_main.List1);
    // A partial copy saved back would silently lose the rest of the file.
    if (!read.complete)
        messagebox::show(&m_main,
                         texts::readIncomplete.in(m_main.language()).arg(fileName, read.error),
                         QString(), QMessageBox::Ok, QMessageBox::Warning);
}

void PlaylistFiles::save_Click()
{
    const QString name = m_main.Text1->text();
    if (playlist::checkPlaylistName(name) != playlist::NameProblem::None) {
        refuseName();
        return;
    }

    const QStringList &entries = m_main.List1->items();
    const int codePage = m_main.services().ansiCodePage;
    const int inexact = playlist::firstInexactEntry(entries, codePage);
    if (inexact >= 0) {
        const auto answer = messagebox::show(
            &m_main, texts::inexactEntry.in(m_main.language()).arg(entries.at(inexact)), QString(),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
        if (answer != QMessageBox::Yes)
            return;
    }

    const QString path = playlist::playlistFilePath(m_main.File2->path(), name);
    QString error;
    if (!playlist::savePlaylist(path, entries, codePage, &error))
        messagebox::show(
            &m_main,
            texts::saveFailed.in(m_main.language()).arg(QDir::toNativeSeparators(path), error),
            QString(), QMessageBox::Ok, QMessageBox::Warning);
    m_main.File2->refresh();
}

void PlaylistFiles::refuseName()
{
    TypingError &dialog = m_main.forms().typingerror();
    dialog.show();
    dialog.raise();
    // A playlist with no name is a file called ".m3u8" that the PSP lists as
    // blank; one left behind by another program goes too.
    const QString nameless = playlist::playlistFilePath(m_main.File2->path(), QString());
    if (QFile::exists(nameless))
        QFile::remove(nameless);
    m_main.File2->refresh();
    m_main.Text1->setText(texts::retryName.in(m_main.language()));
}
