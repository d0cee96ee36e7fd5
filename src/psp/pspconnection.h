#pragma once

#include "controls/mainwindowcontrols.h"

#include <memory>
#include <QMessageBox>
#include <QObject>

class VolumeNotifier;
class VolumeRoot;
struct VolumeSetup;

// Reacts to volumes that arrive and leave: a volume holding a PSP folder
// becomes the PSP in use and the main window shows its panels, pointed at the
// PSP's folders; the PSP in use going away closes the window, which ends the
// program. A device that keeps arriving gets at most one box of each kind at a
// time, since each box waits in an event loop of its own where the next
// arrival comes in.
class PspConnection : public QObject
{
    Q_OBJECT
public:
    PspConnection(QWidget &window, const MainWindowControls &controls, VolumeNotifier &SysInfo1);

    void SysInfo1_DeviceArrival(int deviceType, int deviceId, const QString &deviceName,
                                int deviceData);
    void SysInfo1_DeviceRemoveComplete(int deviceType, int deviceId, const QString &deviceName,
                                       int deviceData);

    // Treats a folder as a PSP volume that has just arrived: a PSP plugged in
    // before the program started, a folder within one, or a copy of one on
    // disk. The removal of the volume that holds the folder ends the program.
    // A folder that does not exist, or a file, or no PSP, is told in the
    // notice, which waits for nothing (the folder may come from another
    // program), and the window keeps waiting.
    void connectFolder(const QString &folder);

    // The PSP in use opened afresh, null when there is none or it has left:
    // a volume that arrived is checked to be that volume still; a folder
    // named as a PSP is opened as it is.
    std::unique_ptr<VolumeRoot> openInUse() const;

Q_SIGNALS:
    // A PSP is now the one in use; root is its drive root, in folder form.
    void pspInUse(const QString &root);
    // The PSP in use has left; the window closes right after.
    void pspLeft();

private:
    // Makes the PSP opened at a root the one in use; holder names the volume
    // whose removal takes it away.
    void usePsp(const QString &root, const QString &holder, bool named,
                std::unique_ptr<VolumeRoot> volume);
    void showConnectedLayout();
    void reportFolderProblems(const QString &root, const VolumeSetup &setup);
    void showOnce(bool &open, const QString &text, QMessageBox::Icon icon);

    QWidget &m_window;
    MainWindowControls m_controls;
    VolumeNotifier &m_volumes;
    bool m_notAPspOpen = false;
    // The folder problems in the box open now, and those of a PSP that came
    // into use meanwhile.
    QString m_problemsShown;
    QString m_unreportedProblems;
    QString m_holder;
    // The PSP in use was named as a folder rather than arriving as a volume.
    bool m_named = false;
};
