#pragma once

#include <QObject>

class FrmMain;
class StorageLayout;

// Reacts to volumes that arrive and leave: a volume holding a PSP folder
// becomes the PSP in use and the main window shows its panels; the PSP in use
// going away ends the program.
class PspConnection : public QObject
{
    Q_OBJECT
public:
    explicit PspConnection(FrmMain &main);

    void SysInfo1_DeviceArrival(int deviceType, int deviceId, const QString &deviceName,
                                int deviceData);
    void SysInfo1_DeviceRemoveComplete(int deviceType, int deviceId, const QString &deviceName,
                                       int deviceData);

private:
    void showConnectedLayout();
    void createMissingFolders(const StorageLayout &layout);

    FrmMain &m_main;
};
