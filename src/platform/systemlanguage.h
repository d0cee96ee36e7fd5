#pragma once

#include <QtGlobal>

namespace platform {

// The Windows language identifier (LANGID) of the system's default locale.
quint16 systemDefaultLangId();

} // namespace platform
