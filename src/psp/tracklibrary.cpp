#include "psp/tracklibrary.h"

#include "app/dirlistbox.h"
#include "app/filelistbox.h"
#include "app/frmmain.h"
#include "app/listbox.h"
#include "browser/filebrowse.h"
#include "playlist/entry.h"
#include "psp/scrollhoriz.h"

#include <QLabel>
#include <QPushButton>

TrackLibrary::TrackLibrary(FrmMain &main) : QObject(&main), m_main(main)
{
    connect(main.Dir1, &DirListBox::changed, this, &TrackLibrary::Dir1_Change);
    connect(main.music, &FileListBox::clicked, this, &TrackLibrary::music_Click);
    connect(main.Command5, &QPushButton::clicked, this, &TrackLibrary::Command5_Click);
    connect(main.Command6, &QPushButton::clicked, this, &TrackLibrary::Command6_Click);
}

void TrackLibrary::Dir1_Change()
{
    m_main.music->setPath(m_main.Dir1->path());
}

void TrackLibrary::music_Click()
{
    appendSelectedTrack(m_main, *m_main.Dir1, *m_main.music);
}

void TrackLibrary::Command5_Click()
{
    selectEveryTrack(*m_main.music);
}

void TrackLibrary::Command6_Click()
{
    FileBrowse &browser = m_main.forms().filebrowse();
    browser.show();
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_main.Label1, m_main.Dir1, m_main.music, m_main.Command5, m_main.Command6})
        control->hide();
    m_main.Image2->show();
    // A browser loaded before the PSP arrived does not know its drive yet.
    browser.Dir1->setDriveRoot(m_main.Dir1->driveRoot());
    browser.Dir1->setPath(m_main.Dir1->path());
}

void appendSelectedTrack(FrmMain &main, const DirListBox &folders, const FileListBox &tracks)
{
    const QString fileName = tracks.fileName();
    if (fileName.isEmpty())
        return;
    main.List1->addItem(playlistEntry(folders.driveRoot(), folders.path(), fileName));
    UpdateHorizontalExtent(*main.List1);
}

void selectEveryTrack(FileListBox &tracks)
{
    const int count = tracks.count();
    for (int position = 0; position < count; ++position)
        tracks.setSelectedPosition(position);
}
