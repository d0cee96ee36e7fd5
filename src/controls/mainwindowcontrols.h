#pragma once

#include <QList>

class DirListBox;
class FileListBox;
class ListBox;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;
class TextBox;

// The main window's controls hold the program's shared state. The window owns
// them; each subsystem is handed the groups it works with, and nothing else
// of the window. Names are the controls' object names.

// The track panel on the left: the PSP's folders and the audio files of the
// opened one. Image2 takes its place while the advanced browser is open.
struct TrackPanel
{
    QLabel *Label1 = nullptr;
    DirListBox *Dir1 = nullptr;
    FileListBox *music = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QLabel *Image2 = nullptr;

    // The controls that Image2 replaces.
    QList<QWidget *> controls() const;
};

// The current playlist in the middle: its name and its entries.
struct PlaylistPanel
{
    QLabel *Label2 = nullptr;
    TextBox *Text1 = nullptr;
    ListBox *List1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;

    QList<QWidget *> controls() const;
};

// The playlists saved on the PSP, on the right.
struct SavedPanel
{
    QLabel *Label3 = nullptr;
    FileListBox *File2 = nullptr;
    QPushButton *Command4 = nullptr;

    QList<QWidget *> controls() const;
};

struct MainMenus
{
    QMenu *file = nullptr;
    QAction *mnnew = nullptr;
    QAction *send = nullptr;
    QAction *keep = nullptr;
    QAction *sync = nullptr;
    QAction *bar = nullptr;
    QAction *save = nullptr;
    QAction *barre1 = nullptr;
    QAction *explore = nullptr;
    QAction *barre2 = nullptr;
    QAction *about = nullptr;
};

struct MainWindowControls
{
    QLabel *Image1 = nullptr;
    // Asks for the PSP until one is connected.
    QLabel *Label4 = nullptr;
    TrackPanel tracks;
    PlaylistPanel playlist;
    SavedPanel saved;
    // The root of the PSP in use, in the system's notation; empty until one arrives.
    QLineEdit *lettre = nullptr;
    // The interface language flag, read through LanguageFlag.
    QLineEdit *Text2 = nullptr;
    MainMenus menus;
};
