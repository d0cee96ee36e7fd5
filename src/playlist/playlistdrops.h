#pragma once

#include "controls/languageflag.h"
#include "controls/mainwindowcontrols.h"

#include <QObject>

class PlaylistEditing;
class QMimeData;
struct DroppedFiles;

// Drops on the current playlist. An entry dragged within it moves where it is
// dropped. Audio files dragged from a track list or a file manager are
// inserted there, as a click in a track list would add them; local files and
// folders off the PSP's drive are asked to be sent to the PSP, their tracks
// to follow at the same place. What is not a local file, and folders and
// other files on the drive, are left out, and a message says which.
class PlaylistDrops : public QObject
{
    Q_OBJECT
public:
    PlaylistDrops(QWidget &window, PlaylistEditing &editing, const PlaylistPanel &playlist,
                  const QLineEdit &lettre, LanguageFlag languageFlag);

    void List1_DragDrop(int position, const QMimeData *data);

Q_SIGNALS:
    // Local files off the PSP were dropped at position, among entries
    // already inserted there: the tracks of paths[i] belong after the first
    // entriesBefore[i] of them.
    void sendRequested(int position, const QStringList &paths, const QList<int> &entriesBefore);

private:
    void sayWhatWasLeftOut(const DroppedFiles &files);

    QWidget &m_window;
    PlaylistEditing &m_editing;
    PlaylistPanel m_playlist;
    const QLineEdit &m_lettre;
    LanguageFlag m_languageFlag;
};
