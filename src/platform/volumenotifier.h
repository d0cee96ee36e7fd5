#pragma once

#include "platform/volumeroot.h"

#include <memory>
#include <QObject>
#include <QString>

// Reports volumes that are attached to or removed from the system, on the
// user-interface thread. Both notifications carry the same four values:
//  - deviceType: 2 for a volume; other kinds of device carry other values;
//  - deviceId: on Windows the unit mask (bit n = the drive n letters after A);
//    0 where volumes have no drive letters;
//  - deviceName: where volumes have no drive letters, the folder the volume
//    is mounted on, with "/" separators ("/media/psp"); empty on Windows;
//  - deviceData: the volume's flags; 0 for a newly attached drive.
// The base class raises nothing by itself; tests emit its signals directly.
class VolumeNotifier : public QObject
{
    Q_OBJECT
public:
    static constexpr int volumeDeviceType = 2;

    explicit VolumeNotifier(QObject *parent = nullptr) : QObject(parent) {}

    // The system's own notifications on this platform.
    static std::unique_ptr<VolumeNotifier> create();

    // Opens the root of a volume this notifier reported as attached, so that
    // it is looked at and changed only through that handle; null when what is
    // there now is not that volume (it has left). The base opens any folder
    // named; a system notifier that can tell checks it is still the volume.
    virtual std::unique_ptr<VolumeRoot> openVolume(const QString &root) const
    {
        return VolumeRoot::open(root);
    }

    // A folder the user named as a PSP's storage: a volume's mount point, a
    // folder within a volume, or a copy on the computer's disk. root is the
    // folder held open (null when there is no folder); holder names the
    // volume whose removal takes the folder away, as a removal notification
    // would name it. The base knows no volumes: the folder is its own.
    struct OpenedFolder
    {
        std::unique_ptr<VolumeRoot> root;
        QString holder;
    };
    virtual OpenedFolder openFolder(const QString &folder) const
    {
        return {VolumeRoot::open(folder), folder};
    }

Q_SIGNALS:
    void deviceArrival(int deviceType, int deviceId, const QString &deviceName, int deviceData);
    void deviceRemoveComplete(int deviceType, int deviceId, const QString &deviceName,
                              int deviceData);
};
