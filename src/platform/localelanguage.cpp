#include "platform/localelanguage.h"

#include <unicode/uloc.h>

namespace platform {

QByteArray posixLanguageAndTerritory(const QByteArray &locale)
{
    qsizetype end = 0;
    while (end < locale.size() && locale.at(end) != '.' && locale.at(end) != '@')
        ++end;
    const QByteArray base = locale.left(end);
    return base == "C" || base == "POSIX" ? QByteArray() : base;
}

quint16 langIdFromPosixLocale(const QByteArray &locale)
{
    if (posixLanguageAndTerritory(locale).isEmpty())
        return englishUnitedStates;
    char canonical[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    uloc_canonicalize(locale.constData(), canonical, sizeof canonical, &status);
    if (U_FAILURE(status))
        return englishUnitedStates;
    const quint32 lcid = uloc_getLCID(canonical);
    return lcid == 0 ? englishUnitedStates : static_cast<quint16>(lcid & 0xFFFF);
}

QByteArray messagesLocaleFromEnvironment()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

} // namespace platform
