#pragma once

#include <QObject>

class FrmMain;
class DirListBox;
class FileListBox;

// The main window's track panel: a folder list and the audio files of the
// opened folder, which a click or "add all" appends to the current playlist.
class TrackLibrary : public QObject
{
    Q_OBJECT
public:
    explicit TrackLibrary(FrmMain &main);

    void Dir1_Change();
    void music_Click();
    void Command5_Click();
    void Command6_Click();

private:
    FrmMain &m_main;
};

// Appends the file selected in a track list, in the folder opened in a folder
// list, to the current playlist. Shared by the track panel and the browser.
void appendSelectedTrack(FrmMain &main, const DirListBox &folders, const FileListBox &tracks);

// Selects every file of a track list in turn, so that each is appended once,
// in list order, the one selected before included; the last stays selected.
void selectEveryTrack(FileListBox &tracks);
