#pragma once

#include <QString>
#include <QtGlobal>

// The drive letter a volume notification names: "A" for bit 0 up to "Z" for
// bit 25. Only a mask with exactly one of those bits set names a drive; any
// other mask gives an empty string.
QString DriveLetterFromUnitMask(quint32 unitMask);

// The root folder (in folder form, ending in '/') of the volume a notification
// names: the device name where the platform gives one, otherwise the drive of
// the unit mask ("E:/"). Empty when the notification names no single drive.
QString volumeRootPath(int deviceId, const QString &deviceName);

// Whether a notification names the volume whose root is given: by its root
// where the platform reports roots, by its drive's bit in the unit mask
// otherwise (a removal may name several drives at once).
bool notificationNamesVolume(int deviceId, const QString &deviceName, const QString &root);
