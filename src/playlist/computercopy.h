#pragma once

#include "controls/languageflag.h"
#include "controls/mainwindowcontrols.h"
#include "playlist/playlistfolder.h"

#include <QObject>

class QAction;

// "Save a copy on the computer...", in the menu of the saved playlists: the
// selected playlist written where the user chooses, as a playlist that
// desktop players open, naming the tracks on the PSP.
class ComputerCopy : public QObject
{
    Q_OBJECT
public:
    ComputerCopy(QWidget &window, const SavedPanel &saved, const PlaylistFolder &folder,
                 const QLineEdit &lettre, LanguageFlag languageFlag, int codePage);

    void applyTexts();

    // Writes the copy of the selected playlist to the given file, telling
    // the user when it cannot.
    void saveCopy(const QString &target);

private:
    void command_Click();

    QWidget &m_window;
    SavedPanel m_saved;
    PlaylistFolder m_folder;
    const QLineEdit &m_lettre;
    LanguageFlag m_languageFlag;
    int m_codePage;
    QAction *m_command;
};
