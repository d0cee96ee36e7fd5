#include "core/languagecode.h"

QString languageCode(quint16 langId)
{
    const QString hex = QString::number(langId, 16).toUpper().right(3);
    const uint value = hex.toUInt(nullptr, 16);
    return QStringLiteral("&H") + hex + QStringLiteral(" / ") + QString::number(value);
}

bool isFrenchCode(const QString &code)
{
    return code == QStringLiteral("&H40C / 1036");
}
