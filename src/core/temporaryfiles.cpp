#include "core/temporaryfiles.h"

#include "platform/volumeroot.h"

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

QString unusedTemporaryName(const VolumeRoot &folder)
{
    for (;;) {
        const QString name = u"zarvello-"_s +
                             QString::number(QRandomGenerator::global()->generate(), 16) +
                             u".tmp"_s;
        if (folder.status(name).kind == VolumeRoot::Kind::Missing)
            return name;
    }
}

const QRegularExpression &temporaryNamePattern()
{
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(u"zarvello-[0-9a-f]{1,8}\\.tmp(\\.[A-Za-z0-9]{6})?"_s));
    return pattern;
}

QStringList removeLeftovers(const VolumeRoot &folder, const QRegularExpression &pattern)
{
    QStringList folders;
    for (const VolumeRoot::Entry &entry : folder.entries(QString())) {
        if (entry.isFolder)
            folders.append(entry.name);
        // A size is what the listing gives a plain file, never a link.
        else if (entry.size >= 0 && pattern.match(entry.name).hasMatch())
            folder.remove(entry.name);
    }
    return folders;
}
