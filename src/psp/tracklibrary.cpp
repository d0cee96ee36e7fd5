#include "psp/tracklibrary.h"

#include "controls/dirlistbox.h"
#include "controls/filelistbox.h"

#include <QPushButton>

TrackLibrary::TrackLibrary(const TrackPanel &panel, QObject *parent)
    : QObject(parent), m_panel(panel)
{
    // Its files can be dragged to the playlist, to a place of one's choosing.
    panel.music->setDragEnabled(true);
    connect(panel.Dir1, &DirListBox::changed, this, &TrackLibrary::Dir1_Change);
    connect(panel.music, &FileListBox::clicked, this, &TrackLibrary::music_Click);
    connect(panel.Command5, &QPushButton::clicked, this, &TrackLibrary::Command5_Click);
    connect(panel.Command6, &QPushButton::clicked, this, &TrackLibrary::Command6_Click);
}

void TrackLibrary::Dir1_Change()
{
    m_panel.music->setPath(m_panel.Dir1->path());
}

void TrackLibrary::music_Click()
{
    const QString entry = selectedTrackEntry(*m_panel.Dir1, *m_panel.music);
    if (!entry.isEmpty())
        Q_EMIT entryChosen(entry);
}

void TrackLibrary::Command5_Click()
{
    m_panel.music->selectEachInTurn();
}

void TrackLibrary::Command6_Click()
{
    Q_EMIT browserRequested();
}
