#pragma once

#include "controls/languageflag.h"
#include "controls/mainwindowcontrols.h"
#include "controls/secondarywindow.h"

#include <QIcon>
#include <QMainWindow>

// The advanced media browser: walks the folders of the PSP's drive and
// chooses audio files for the current playlist. While it is open it takes the
// place of the main window's track panel, stays above other windows and keeps
// its place beside the main window.
class FileBrowse : public SecondaryWindow<QMainWindow>
{
    Q_OBJECT
public:
    FileBrowse(QWidget &owner, LanguageFlag languageFlag, const TrackPanel &mainTracks,
               const QIcon &icon);

    void Form_Load() override;
    void applyTexts() override;

    // Shows the browser in place of the main window's track panel, in the
    // folder that panel has open.
    void open();
    // A new PSP is in use: a shown browser moves to the folder the main
    // window's track panel now has open, on that drive alone; a hidden one
    // forgets the previous PSP and lists the new one when it is opened.
    void followNewPsp();
    // Moves to 850 twips below and 3825 twips left of the main window's top left corner.
    void followOwner();

    DirListBox *Dir1 = nullptr;
    FileListBox *music = nullptr;
    QAction *addall = nullptr;
    QAction *end = nullptr;

Q_SIGNALS:
    // A file was chosen; entry is its playlist entry.
    void entryChosen(const QString &entry);

protected:
    // A hidden window's frame is not known yet, so where it was placed while
    // hidden may be off by the frame: it is placed again each time it is shown,
    // and once more when it first appears, framed.
    void placeWhenShown() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void replaceMainTracks();
    // Takes the place of the main window's track panel, on its drive and in
    // its folder.
    void followMainTracks();
    void Dir1_Change();
    void music_Click();
    void addall_Click();
    void end_Click();
    void Form_Unload();

    TrackPanel m_mainTracks;
    QIcon m_icon;
};
