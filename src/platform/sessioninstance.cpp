#include "platform/sessioninstance.h"

#include <algorithm>
#include <climits>
#include <QDir>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

// The longest path the system takes, in bytes of UTF-8 or in UTF-16 units,
// ending NUL included.
#ifdef Q_OS_WIN
constexpr qsizetype pathLimit = 32767;
#else
constexpr qsizetype pathLimit = PATH_MAX;
#endif
// Every byte of a path may be written %XX in an address, after "file://".
constexpr qsizetype uriLimit = 3 * pathLimit + 16;

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

} // namespace

QString SessionInstance::refusal(const QStringList &uris)
{
    if (uris.isEmpty())
        return u"No address to open"_s;
    if (uris.size() > maxAddresses)
        return u"At most %1 addresses are taken in one call"_s.arg(maxAddresses);
    for (const QString &uri : uris) {
        // Measured before anything else is done with it.
        if (uri.size() > uriLimit)
            return u"An address is longer than any path of this system"_s;
        if (!uri.startsWith(u"file:", Qt::CaseInsensitive))
            return u"Only file: addresses are opened"_s;
        const QUrl url(uri);
        const QString path = url.isValid() && url.isLocalFile() ? url.toLocalFile() : QString();
        if (!QDir::isAbsolutePath(path))
            return u"An address names no folder of this computer"_s;
#ifdef Q_OS_WIN
        const qsizetype length = path.size();
#else
        const qsizetype length = path.toUtf8().size();
#endif
        if (length >= pathLimit)
            return u"An address is longer than any path of this system"_s;
        if (hasControlCharacter(path))
            return u"An address holds control characters"_s;
    }
    return {};
}

QString SessionInstance::refused() const
{
    return m_refused;
}

} // namespace platform
