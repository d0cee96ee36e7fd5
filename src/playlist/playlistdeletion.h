#pragma once

#include "controls/languageflag.h"
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
                     const PlaylistFolder &folder, LanguageFlag languageFlag);

    void Command4_Click();

private:
    QWidget &m_window;
    PlaylistPanel m_playlist;
    SavedPanel m_saved;
    PlaylistFolder m_folder;
    LanguageFlag m_languageFlag;
};
