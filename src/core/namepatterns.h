#pragma once

#include <QList>
#include <QRegularExpression>
#include <QStringList>

// Wildcard patterns separated by ";" ("*.mp3;*.wav"), which names match
// without regard to case. A name matches when it matches any pattern.
class NamePatterns
{
public:
    explicit NamePatterns(const QString &patterns = QString());

    bool matches(QStringView name) const;

private:
    // "*.mp3" and the like, by far the most common, compare suffixes: a
    // regular expression per name would cost more than reading the folder.
    QStringList m_suffixes;
    QList<QRegularExpression> m_others;
};
