#include "core/sendnames.h"

#include "platform/ansicodepage.h"
#include "platform/transliteration.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace sendnames {

namespace {

// The folder of tracks that nothing else names; also the album of an artist's
// tracks that name none, so that a send in either interface language finds
// them again.
const QString fallbackFolder = QStringLiteral("Music");

bool refusedByFat(QChar c)
{
    switch (c.unicode()) {
    case u'"':
    case u'*':
    case u'/':
    case u':':
    case u'<':
    case u'>':
    case u'?':
    case u'\\':
    case u'|':
    case 0x7f:
        return true;
    default:
        return c.unicode() < 0x20;
    }
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

qsizetype characterLength(QStringView text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

bool codePageHas(const AnsiCodec &codec, QStringView character)
{
    return codec.firstUnmappable(character) < 0;
}

// The characters of the text that the code page has, the others left out.
QString keptCharacters(QStringView text, const AnsiCodec &codec)
{
    QString kept;
    for (qsizetype i = 0; i < text.size();) {
        const QStringView character = text.mid(i, characterLength(text, i));
        if (codePageHas(codec, character))
            kept += character;
        i += character.size();
    }
    return kept;
}

QString clean(const QString &name, const AnsiCodec &codec, int maxLength = 255)
{
    return fatSafe(representable(name, codec), maxLength);
}

QString joined(const QString &by, const QString &title)
{
    return fatSafe(by.isEmpty() ? title : by + QStringLiteral(" - ") + title);
}

// Folders that hold music without naming its artist or album: the home
// folder and those the desktop keeps for files.
const QStringList &generalFolders()
{
    static const QStringList folders = [] {
        QStringList found;
        for (const QStandardPaths::StandardLocation location :
             {QStandardPaths::HomeLocation, QStandardPaths::MusicLocation,
              QStandardPaths::DownloadLocation, QStandardPaths::DesktopLocation,
              QStandardPaths::DocumentsLocation}) {
            for (const QString &path : QStandardPaths::standardLocations(location))
                found.append(QDir::cleanPath(path));
        }
        return found;
    }();
    return folders;
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

QString representable(const QString &name, const AnsiCodec &codec)
{
    if (codec.firstUnmappable(name) < 0)
        return name;
    // An accent kept apart from its letter, as some file systems store it,
    // joins it first: most code pages have the two as one character.
    const QString text = name.normalized(QString::NormalizationForm_C);
    QString result;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype lacking = codec.firstUnmappable(QStringView(text).mid(i));
        if (lacking < 0) {
            result += QStringView(text).mid(i);
            break;
        }
        result += QStringView(text).mid(i, lacking);
        i += lacking;
        // A whole run is spelled at once: a word reads differently from its
        // letters one by one.
        qsizetype end = i;
        while (end < text.size() &&
               !codePageHas(codec, QStringView(text).mid(end, characterLength(text, end))))
            end += characterLength(text, end);
        const QString spelled =
            keptCharacters(platform::asciiSpelling(QStringView(text).mid(i, end - i)), codec);
        result += spelled;
        // What is left out leaves no double space behind.
        if (spelled.isEmpty() && result.endsWith(u' ') && end < text.size() && text.at(end) == u' ')
            ++end;
        i = end;
    }
    return result;
}

QString albumFolder(const QString &albumArtist, const QString &artist, const QString &album,
                    const QString &sourceFolder, const QString &artistFolder,
                    const AnsiCodec &codec)
{
    QString by = clean(albumArtist, codec);
    if (by.isEmpty())
        by = clean(artist, codec);
    const QString title = clean(album, codec);
    const QString folder = clean(sourceFolder, codec);
    QString name;
    if (!title.isEmpty()) {
        name = joined(by, title);
    } else if (!by.isEmpty()) {
        const QString byPrefix = by + QStringLiteral(" - ");
        if (sameName(QStringView(folder).left(byPrefix.size()), byPrefix))
            name = folder;
        else
            name = joined(by, folder.isEmpty() || sameName(folder, by) ? fallbackFolder : folder);
    } else {
        const QString above = clean(artistFolder, codec);
        name = above.isEmpty() || folder.isEmpty() || sameName(above, folder)
                   ? folder
                   : joined(above, folder);
    }
    return name.isEmpty() ? fallbackFolder : name;
}

QString artistFolderOf(const QString &sourcePath)
{
    static const QString temporary =
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::TempLocation)) + u'/';
    const QString folder = QDir::cleanPath(QFileInfo(sourcePath).path());
    const QString above = QFileInfo(folder).path();
    if (folder.startsWith(temporary) || generalFolders().contains(folder) ||
        generalFolders().contains(above))
        return {};
    return QFileInfo(above).fileName();
}

QString trackFile(int disc, int trackNumber, const QString &title, const QString &sourceBaseName,
                  const QString &extension, const AnsiCodec &codec)
{
    const QString suffix = u'.' + extension;
    const int room = 255 - int(suffix.size());
    QString stem = clean(title, codec, room);
    if (!stem.isEmpty() && trackNumber > 0) {
        QString number = QStringLiteral("%1 ").arg(trackNumber % 100, 2, 10, QLatin1Char('0'));
        if (disc > 0)
            number.prepend(QString::number(disc) + u'-');
        stem = fatSafe(number + stem, room);
    }
    if (stem.isEmpty())
        stem = clean(sourceBaseName, codec, room);
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

QString nameKey(QStringView name)
{
    // Most names are ASCII, whose folding is plain lower case; Qt's folding
    // of any text takes far longer.
    QString key(name.size(), Qt::Uninitialized);
    QChar *out = key.data();
    for (const QChar c : name) {
        if (c.unicode() >= 0x80)
            return name.toString().toCaseFolded();
        *out++ = c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 0x20) : c;
    }
    return key;
}

bool sameName(QStringView a, QStringView b)
{
    return nameKey(a) == nameKey(b);
}

} // namespace sendnames
