#include "core/temporaryfiles.h"

#include <cerrno>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

Result<std::unique_ptr<VolumeRoot::NewFile>> createTemporaryFile(const VolumeRoot &folder)
{
    constexpr int tries = 8;
    for (int i = 1;; ++i) {
        const QString name = u"zarvello-"_s +
                             QString::number(QRandomGenerator::global()->generate(), 16) +
                             u".tmp"_s;
        Result<std::unique_ptr<VolumeRoot::NewFile>> made = folder.createNew(name);
        if (made || made.error().errorNumber != EEXIST || i == tries)
            return made;
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
    for (const VolumeRoot::Entry &entry : folder.entries(QString()).valueOr({})) {
        if (entry.kind == VolumeRoot::Kind::Folder)
            folders.append(entry.name);
        // One that cannot be removed now is left for the next sweep.
        else if (entry.kind == VolumeRoot::Kind::File && pattern.match(entry.name).hasMatch())
            static_cast<void>(folder.remove(entry.name));
    }
    return folders;
}
