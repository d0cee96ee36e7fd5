#pragma once

#include "controls/mainwindowcontrols.h"

#include <QObject>

class StorageLayout;
class VolumeNotifier;

// Reacts to volumes that arrive and leave: a volume holding a PSP folder
// becomes the PSP in use and the main window shows its panels, pointed at the
// PSP's folders; the PSP in use going away closes the window, which ends the
// program.
class PspConnection : public QObject
{
    Q_OBJECT
public:
    PspConnection(QWidget &window, const MainWindowControls &controls, VolumeNotifier *SysInfo1);

    void SysInfo1_DeviceArrival(int deviceType, int deviceId, const QString &deviceName,
                                int deviceData);
    void SysInfo1_DeviceRemoveComplete(int deviceType, int deviceId, const QString &deviceName,
                                       int deviceData);

    // Treats a folder as a PSP volume that has just arrived: a PSP plugged in
    // before the program started, or a copy of one on disk. A folder that
    // does not exist, or a file, is reported and the window keeps waiting.
    void connectFolder(const QString &folder);

private:
    void showConnectedLayout();
    void createMissingFolders(const StorageLayout &layout);

    QWidget &m_window;
    MainWindowControls m_controls;
};
