#include "core/entry.h"

#include "core/folderpath.h"

#include <algorithm>
#include <QList>

QString playlistEntry(const QString &driveRoot, const QString &folder, const QString &fileName)
{
    const QString root = folderpath::rootForm(driveRoot);
    QString path = folderpath::join(folder, fileName);
    // Below the root, keep the part after it; the root's own separator
    // becomes the entry's leading backslash.
    if (folderpath::isWithin(folder, root))
        path = path.mid(root.size() - 1);
    path.replace(u'/', u'\\');
    return path.startsWith(u'\\') ? path : u'\\' + path;
}

bool isControlCharacter(QChar c)
{
    const char16_t code = c.unicode();
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool fitsInEntry(QStringView name)
{
    return std::none_of(name.cbegin(), name.cend(), isControlCharacter);
}

QString withVisibleMarks(const QString &text)
{
    const auto unseen = [](char32_t code) {
        const QChar::Category category = QChar::category(code);
        return category == QChar::Other_Control || category == QChar::Other_PrivateUse;
    };
    // Most lines hold none: a look at the UTF-16 units tells, the private-use
    // planes 15 and 16 by their high surrogates.
    const auto mayBeUnseen = [](QChar c) {
        const char16_t unit = c.unicode();
        return unit < 0xA0
                   ? isControlCharacter(c)
                   : (unit >= 0xE000 && unit <= 0xF8FF) || (unit >= 0xDB80 && unit <= 0xDBFF);
    };
    if (std::none_of(text.cbegin(), text.cend(), mayBeUnseen))
        return text;
    const QList<uint> codes = text.toUcs4();
    QString shown;
    shown.reserve(text.size());
    for (const uint code : codes) {
        if (unseen(code))
            shown.append(QChar::ReplacementCharacter);
        else
            shown.append(QStringView(QChar::fromUcs4(code)));
    }
    return shown;
}

bool namesTrack(QStringView entry)
{
    return !entry.trimmed().isEmpty() && !entry.startsWith(u'#');
}

QString entryFilePath(const QString &driveRoot, const QString &entry)
{
    const QString root = folderpath::rootForm(driveRoot);
    QString relative = entry;
    relative.replace(u'\\', u'/');
    const QString path = folderpath::normalised(folderpath::join(root, relative));
    return folderpath::isWithin(path, root) ? path : QString();
}
