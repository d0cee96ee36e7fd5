#pragma once

#include "controls/mainwindowcontrols.h"
#include "playlist/playlistfolder.h"

#include <QObject>

class VolumeRoot;

// Deleting the playlist selected in the playlist list, after a question; the
// current playlist then starts afresh.
class PlaylistDeletion : public QObject
{
    Q_OBJECT
public:
    PlaylistDeletion(QWidget &window, const PlaylistPanel &playlist, const SavedPanel &saved,
                     const PlaylistFolder &folder, const QLineEdit &languageFlag);

    void Command4_Click();

private:
    QWidget &m_window;
    PlaylistPanel m_playlist;
    SavedPanel m_saved;
    PlaylistFolder m_folder;
    const QLineEdit &m_languageFlag;
};

// Deletes a file of a folder unless it is missing, not a plain file, or
// read-only as a save judges it, the same for every user.
bool deleteFileUnlessReadOnly(const VolumeRoot &folder, const QString &path);
