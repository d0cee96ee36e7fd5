#pragma once

#include <QString>
#include <QStringView>

namespace platform {

// The text with the letters of other scripts spelled in ASCII Latin letters,
// as far as Unicode knows a spelling: "Кино" gives "Kino", "Été" "Ete",
// "東京" "dong jing". What has no spelling (an emoji) comes back unchanged.
// Safe to use from several threads at once.
QString asciiSpelling(QStringView text);

} // namespace platform
