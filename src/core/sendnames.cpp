#include "core/sendnames.h"

namespace sendnames {

namespace {

bool refusedByFat(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f || QStringView(u"\"*/:<>?\\|").contains(c);
}

bool isSpaceOrDot(QChar c)
{
    return c == u' ' || c == u'.';
}

// A name beginning with "." is hidden on Linux and macOS, and some listings
// skip it; FAT drops a space or a dot at the end.
QString trimmed(QString name)
{
    qsizetype start = 0;
    while (start < name.size() && isSpaceOrDot(name.at(start)))
        ++start;
    qsizetype end = name.size();
    while (end > start && isSpaceOrDot(name.at(end - 1)))
        --end;
    return name.mid(start, end - start);
}

} // namespace

QString fatSafe(const QString &name, int maxLength)
{
    QString safe = name;
    for (QChar &c : safe) {
        if (refusedByFat(c))
            c = u'_';
    }
    safe = trimmed(safe);
    if (safe.size() > maxLength) {
        qsizetype cut = maxLength;
        if (safe.at(cut - 1).isHighSurrogate())
            --cut;
        safe = trimmed(safe.left(cut));
    }
    return safe;
}

QString albumFolder(const QString &albumArtist, const QString &artist, const QString &album,
                    const QString &sourceFolder)
{
    const QString by = fatSafe(albumArtist.trimmed().isEmpty() ? artist : albumArtist);
    const QString title = fatSafe(album);
    QString name;
    if (!title.isEmpty())
        name = fatSafe(by.isEmpty() ? title : by + QStringLiteral(" - ") + title);
    if (name.isEmpty())
        name = fatSafe(sourceFolder);
    return name.isEmpty() ? QStringLiteral("Music") : name;
}

QString trackFile(int trackNumber, const QString &title, const QString &sourceBaseName,
                  const QString &extension)
{
    const QString suffix = u'.' + extension;
    const int room = 255 - int(suffix.size());
    QString stem = fatSafe(title, room);
    if (!stem.isEmpty() && trackNumber > 0)
        stem = fatSafe(QStringLiteral("%1 ").arg(trackNumber % 100, 2, 10, QLatin1Char('0')) + stem,
                       room);
    if (stem.isEmpty())
        stem = fatSafe(sourceBaseName, room);
    if (stem.isEmpty())
        stem = QStringLiteral("Track");
    return stem + suffix;
}

QString numbered(const QString &fileName, int n)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString suffix = dot < 0 ? QString() : fileName.mid(dot);
    const QString mark = QStringLiteral(" (%1)").arg(n);
    const QString stem =
        fatSafe(dot < 0 ? fileName : fileName.left(dot), 255 - int(suffix.size() + mark.size()));
    return stem + mark + suffix;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace sendnames
