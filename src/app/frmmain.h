#pragma once

#include "app/forms.h"
#include "app/platformservices.h"
#include "app/texts.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QLineEdit;
class ListBox;
class FileListBox;
class DirListBox;
class TextBox;

// The main window. Its controls hold the program's shared state: the language
// flag (Text2), the PSP drive root (lettre), the current playlist (List1) and
// its name (Text1), the saved playlists (File2) and the track browser (Dir1,
// music). The behaviour of each panel lives with its subsystem; this class
// builds the window, starts the program and ends it.
class FrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit FrmMain(PlatformServices services, QWidget *parent = nullptr);
    ~FrmMain() override;

    // Shows the window centred on the screen, as at start-up.
    void showCentred();

    // The interface language, as the language flag holds it.
    Language language() const;

    QString GetSystemLanguageCode() const;
    void PositionMediaBrowser();
    void UnloadAllForms();
    bool OpenBrowser(const QString &address);

    Forms &forms() { return *m_forms; }
    PlatformServices &services() { return m_services; }

    // Controls, in stacking order from the bottom.
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Image2 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    FileListBox *music = nullptr;
    DirListBox *Dir1 = nullptr;
    ListBox *List1 = nullptr;
    TextBox *Text1 = nullptr;
    FileListBox *File2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QLineEdit *lettre = nullptr;
    QLineEdit *Text2 = nullptr;
    VolumeNotifier *SysInfo1 = nullptr;

    // Menus.
    QMenu *file = nullptr;
    QAction *mnnew = nullptr;
    QAction *bar = nullptr;
    QAction *save = nullptr;
    QAction *barre1 = nullptr;
    QAction *explore = nullptr;
    QAction *barre2 = nullptr;
    QAction *about = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void setTabOrder();
    void Form_Load();
    void Form_Unload();
    void applyEnglishTexts();
    void explore_Click();
    void about_Click();

    PlatformServices m_services;
    Forms *m_forms = nullptr;
};
