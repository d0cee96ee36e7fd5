#pragma once

#include "controls/languageflag.h"
#include "controls/mainwindowcontrols.h"

#include <QObject>

class PlaylistEditing;
class QMimeData;
struct DroppedFiles;

// Drops on the current playlist. An entry dragged within it moves where it is
// dropped. Audio files dragged from a track list or a file manager are
// inserted there, as a click in a track list would add them; files off the
// PSP's drive (which it could never play), folders and other files are left
// out, and a message says which.
class PlaylistDrops : public QObject
{
    Q_OBJECT
public:
    PlaylistDrops(QWidget &window, PlaylistEditing &editing, const PlaylistPanel &playlist,
                  const QLineEdit &driveRoot, LanguageFlag languageFlag);

    void List1_DragDrop(int position, const QMimeData *data);

private:
    void sayWhatWasLeftOut(const DroppedFiles &files);

    QWidget &m_window;
    PlaylistEditing &m_editing;
    PlaylistPanel m_playlist;
    const QLineEdit &m_driveRoot;
    LanguageFlag m_languageFlag;
};
