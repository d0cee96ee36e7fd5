#include "platform/localelanguage.h"
#include "platform/systemlanguage.h"

namespace platform {

quint16 systemDefaultLangId()
{
    return langIdFromPosixLocale(messagesLocaleFromEnvironment());
}

} // namespace platform
