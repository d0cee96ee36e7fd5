#include "platform/localelanguage.h"

#include <unicode/uloc.h>

namespace platform {

quint16 langIdFromPosixLocale(const QByteArray &locale)
{
    const QByteArray base =
        locale.left(locale.indexOf('.') < 0 ? locale.size() : locale.indexOf('.'));
    if (base.isEmpty() || base == "C" || base == "POSIX")
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
