#include "core/unitmask.h"

#include "core/folderpath.h"

#include <QChar>

QString DriveLetterFromUnitMask(quint32 unitMask)
{
    quint32 probe = 1;
    for (int i = 0; i < 26; ++i) {
        if (unitMask == probe)
            return QString(QChar(static_cast<char16_t>(u'A' + i)));
        probe *= 2;
    }
    return {};
}

QString volumeRootPath(int deviceId, const QString &deviceName)
{
    if (!deviceName.isEmpty())
        return folderpath::rootForm(deviceName);
    const QString letter = DriveLetterFromUnitMask(static_cast<quint32>(deviceId));
    return letter.isEmpty() ? QString() : letter + QStringLiteral(":/");
}

bool notificationNamesVolume(int deviceId, const QString &deviceName, const QString &root)
{
    if (!deviceName.isEmpty())
        return folderpath::rootForm(deviceName) == folderpath::rootForm(root);
    const int drive = root.isEmpty() ? -1 : root.at(0).toUpper().unicode() - u'A';
    return drive >= 0 && drive < 26 && (quint32(deviceId) & (1u << drive)) != 0;
}
