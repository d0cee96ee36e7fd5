#include "psp/unitmask.h"

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

QString volumeRoot(int deviceId, const QString &deviceName)
{
    if (!deviceName.isEmpty())
        return deviceName.endsWith(u'/') ? deviceName : deviceName + u'/';
    const QString letter = DriveLetterFromUnitMask(static_cast<quint32>(deviceId));
    return letter.isEmpty() ? QString() : letter + QStringLiteral(":/");
}
