#pragma once

#include <QMainWindow>

class FrmMain;
class DirListBox;
class FileListBox;
class QAction;

// The advanced media browser: walks the folders of the PSP's drive and adds
// audio files to the current playlist. It stays above other windows and
// follows the main window, in place of the main window's track panel.
class FileBrowse : public QMainWindow
{
    Q_OBJECT
public:
    explicit FileBrowse(FrmMain &main);

    void Form_Load();
    // Caption and menu captions in the interface language.
    void applyTexts();

    DirListBox *Dir1 = nullptr;
    FileListBox *music = nullptr;
    QAction *addall = nullptr;
    QAction *end = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Dir1_Change();
    void music_Click();
    void addall_Click();
    void end_Click();
    void Form_Unload();

    FrmMain &m_main;
};
