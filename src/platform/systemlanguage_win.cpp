#include "platform/systemlanguage.h"

#include <windows.h>

namespace platform {

quint16 systemDefaultLangId()
{
    return GetSystemDefaultLangID();
}

} // namespace platform
