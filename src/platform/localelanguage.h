#pragma once

#include <QByteArray>

namespace platform {

// Windows language identifier of English (United States), the answer for a
// locale that names no language.
constexpr quint16 englishUnitedStates = 0x0409;

// Maps a POSIX locale name such as "fr_BE.UTF-8@euro" to its Windows language
// identifier. An empty, "C" or "POSIX" locale, or one that Windows does not
// number, counts as English (United States).
quint16 langIdFromPosixLocale(const QByteArray &locale);

// The language and territory of a POSIX locale name ("fr_BE" of
// "fr_BE.UTF-8@euro"); empty for a locale that names no language ("", "C",
// "POSIX").
QByteArray posixLanguageAndTerritory(const QByteArray &locale);

// The locale that the C library uses for messages: LC_ALL, then LC_MESSAGES,
// then LANG, the first one that is set and not empty.
QByteArray messagesLocaleFromEnvironment();

} // namespace platform
