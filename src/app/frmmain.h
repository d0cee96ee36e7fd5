#pragma once

#include "app/forms.h"
#include "app/platformservices.h"
#include "controls/mainwindowcontrols.h"
#include "transfer/pspowner.h"

#include <QMainWindow>

class ComputerCopy;
class MusicSend;
class MusicSync;
struct Phrase;
class PlaylistEditing;
class PspConnection;
class QUrl;
struct SentTrack;

// The main window. Its controls hold the program's shared state: the language
// flag (Text2), the PSP drive root (lettre), the current playlist (List1) and
// its name (Text1), the saved playlists (File2) and the track browser (Dir1,
// music). The behaviour of each panel lives with its subsystem, which gets
// the controls it works with; this class builds the window, wires the
// subsystems together, starts the program and ends it.
class FrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit FrmMain(PlatformServices services, QWidget *parent = nullptr);
    ~FrmMain() override;

    // Shows the window centred on the screen, as at start-up.
    void showCentred();
    // Once the window is up, connects to a folder given on the command line
    // as if it were a PSP that has just been plugged in.
    void connectFolderWhenShown(const QString &folder);
    // Once the window is up, opens a place named on the command line, as
    // folderpath::fromArgument() gives it: a folder is connected as above, a
    // place elsewhere is reported. Empty names none.
    void openWhenShown(const QString &place);
    // A later start of the program, or the desktop, asks for the window with
    // the URI of a place (empty for none): the window comes to the front and
    // opens the place as its own.
    void takeOverStart(const QString &uri);

    const MainWindowControls &controls() const { return m_controls; }
    VolumeNotifier &SysInfo1() const { return *m_services.volumes; }
    Forms &forms() { return *m_forms; }
    PlaylistEditing &editing() { return *m_editing; }

    MusicSend &send() { return *m_send; }
    // Files dropped on a list of the PSP's tracks: those off the PSP are sent.
    void sendDropped(const QList<QUrl> &urls);

    QString GetSystemLanguageCode() const;
    void PositionMediaBrowser();
    void UnloadAllForms();
    bool OpenBrowser(const QString &address);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void setTabOrder();
    void connectSubsystems();
    void Form_Load();
    void Form_Unload();
    void applyEnglishTexts();
    void explore_Click();
    // A warning box in the interface language; %1 of the phrase is subject.
    void warn(const Phrase &phrase, const QString &subject);
    // Shows what the PSP in use keeps of the computer.
    void keep_Click();
    // Syncs the PSP in use with its list; whenPlugged: only if it asks for
    // that as it arrives.
    void syncPsp(bool whenPlugged);
    void about_Click();
    // Sends files; position is where their entries go in the current
    // playlist, or -1 for none, the tracks of paths[i] after the first
    // entriesBefore[i] entries there.
    void startSend(int position, const QStringList &paths, const QList<int> &entriesBefore);
    // Puts the entries of the tracks sent for paths where startSend says.
    void insertSent(int position, const QStringList &paths, const QList<int> &entriesBefore,
                    const QList<SentTrack> &tracks);
    void refreshTrackLists();
    // Opens the place the last takeOverStart() named, once no modal window
    // waits for the user.
    void openHandedPlace();

    PlatformServices m_services;
    MainWindowControls m_controls;
    Forms *m_forms = nullptr;
    PlaylistEditing *m_editing = nullptr;
    PspConnection *m_psp = nullptr;
    ComputerCopy *m_copy = nullptr;
    // Holds the PSP in use for the send or sync that writes to it.
    PspOwner m_owner;
    MusicSend *m_send = nullptr;
    MusicSync *m_sync = nullptr;
    QString m_handedPlace;
    bool m_handedPlaceWaits = false;
};
