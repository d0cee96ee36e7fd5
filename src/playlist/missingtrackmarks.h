#pragma once

#include "controls/languageflag.h"
#include "controls/mainwindowcontrols.h"
#include "playlist/missingtracks.h"

// Greys the entries of the current playlist whose file is not on the PSP, with
// a tool tip saying so, and shows how many there are in the playlist's
// heading. Nothing about the entries changes: saving writes them as they are.
class MissingTrackMarks : public QObject
{
    Q_OBJECT
public:
    MissingTrackMarks(const PlaylistPanel &playlist, const QLineEdit &lettre,
                      LanguageFlag languageFlag, QObject *parent);

    // Checks the entries now in the list against the PSP in use, off the
    // window's thread; marks appear as the check goes on.
    void recheck();

private:
    void startCheck();
    void mark(const QHash<QString, int> &missing);
    void showCount(int count);

    PlaylistPanel m_playlist;
    const QLineEdit &m_lettre;
    LanguageFlag m_languageFlag;
    MissingTracks m_check;
};
