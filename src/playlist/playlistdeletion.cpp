#include "playlist/playlistdeletion.h"

#include "app/filelistbox.h"
#include "app/folderpath.h"
#include "app/frmmain.h"
#include "app/listbox.h"
#include "app/messagebox.h"
#include "app/textbox.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>

PlaylistDeletion::PlaylistDeletion(FrmMain &main) : QObject(&main), m_main(main)
{
    connect(main.Command4, &QPushButton::clicked, this, &PlaylistDeletion::Command4_Click);
}

void PlaylistDeletion::Command4_Click()
{
    const auto answer =
        messagebox::show(&m_main, texts::deleteQuestion.design(), texts::deleteCaption.design(),
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Information);
    if (answer != QMessageBox::Yes)
        return;

    const QString fileName = m_main.File2->fileName();
    if (fileName.isEmpty() ||
        !deleteFileUnlessReadOnly(folderpath::join(m_main.File2->path(), fileName))) {
        messagebox::show(&m_main, texts::noPlaylistSelected.design(), QString());
        m_main.File2->refresh();
        return;
    }
    messagebox::show(&m_main, texts::playlistDeleted.design(), QString());
    m_main.File2->refresh();
    m_main.List1->clear();
    m_main.Text1->setText(texts::defaultPlaylistName.design());
}

bool deleteFileUnlessReadOnly(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !(info.permissions() & QFileDevice::WriteOwner))
        return false;
    return QFile::remove(path);
}
