#include "core/namepatterns.h"

namespace {

bool hasWildcard(QStringView text)
{
    return text.contains(u'*') || text.contains(u'?') || text.contains(u'[');
}

} // namespace

NamePatterns::NamePatterns(const QString &patterns)
{
    for (const QString &part : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty())
            continue;
        if (pattern.startsWith(u"*.") && !hasWildcard(QStringView(pattern).mid(1)))
            m_suffixes.append(pattern.mid(1));
        else
            m_others.append(
                QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                   QRegularExpression::CaseInsensitiveOption));
    }
}

bool NamePatterns::matches(QStringView name) const
{
    for (const QString &suffix : m_suffixes) {
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    }
    for (const QRegularExpression &pattern : m_others) {
        if (pattern.match(name.toString()).hasMatch())
            return true;
    }
    return false;
}
