#pragma once

#include <QString>

namespace platform {

// A folder that only the user reaches, where the programs of the user's
// session leave what lets them find one another; empty when there is none.
QString sessionFolder();

} // namespace platform
