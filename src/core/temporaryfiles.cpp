#include "core/temporaryfiles.h"

#include <algorithm>
#include <cerrno>
#include <QCryptographicHash>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace {

constexpr int partLength = 8;

// The check that follows a temporary name's random part: a name the program
// did not make almost never carries the right one.
QString checkOf(QStringView random)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArrayView("Zarvello temporary file "));
    hash.addData(random.toLatin1());
    return QString::fromLatin1(hash.result().toHex().left(partLength));
}

bool isLowerHex(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
    });
}

} // namespace

Result<std::unique_ptr<VolumeRoot::NewFile>> createTemporaryFile(const VolumeRoot &folder)
{
    constexpr int tries = 8;
    for (int i = 1;; ++i) {
        const QString random =
            u"%1"_s.arg(QRandomGenerator::global()->generate(), partLength, 16, QLatin1Char('0'));
        const QString name = u"zarvello-"_s + random + u'-' + checkOf(random) + u".tmp"_s;
        Result<std::unique_ptr<VolumeRoot::NewFile>> made = folder.createNew(name);
        if (made || made.error().errorNumber != EEXIST || i == tries)
            return made;
    }
}

bool isTemporaryName(QStringView name)
{
    const QStringView prefix = u"zarvello-";
    const QStringView suffix = u".tmp";
    if (name.size() != prefix.size() + 2 * partLength + 1 + suffix.size() ||
        !name.startsWith(prefix) || !name.endsWith(suffix) ||
        name.at(prefix.size() + partLength) != u'-')
        return false;
    const QStringView random = name.mid(prefix.size(), partLength);
    const QStringView check = name.mid(prefix.size() + partLength + 1, partLength);
    return isLowerHex(random) && check == checkOf(random);
}

QStringList removeLeftovers(const VolumeRoot &folder)
{
    QStringList folders;
    for (const VolumeRoot::Entry &entry : folder.entries(QString()).valueOr({})) {
        if (entry.kind == VolumeRoot::Kind::Folder)
            folders.append(entry.name);
        // One that cannot be removed now is left for the next sweep.
        else if (entry.kind == VolumeRoot::Kind::File && isTemporaryName(entry.name))
            static_cast<void>(folder.remove(entry.name));
    }
    return folders;
}
