#pragma once

#include <QString>

// The language code shown for a Windows language identifier: "&H" and the last
// three upper-case hexadecimal digits, " / ", then the value of those digits in
// decimal ("&H40C / 1036"). Only the low twelve bits survive, so French of
// France and of Luxembourg share one code.
QString languageCode(quint16 langId);

// The one code that selects the French interface.
bool isFrenchCode(const QString &code);
