#include "app/folderpath.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace folderpath {

namespace {

constexpr Qt::CaseSensitivity fileNameCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

// "/" or a drive letter with its separator ("E:/"): the only roots that can be
// told from the text alone.
bool isEvidentRoot(const QString &path)
{
    if (path == u"/"_s)
        return true;
    return path.size() == 3 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':') &&
           path.at(2) == QLatin1Char('/');
}

} // namespace

QString normalised(const QString &path)
{
    if (path.isEmpty())
        return {};
    QString cleaned = QDir::cleanPath(QDir::fromNativeSeparators(path));
    if (cleaned.endsWith(QLatin1Char('/')) && !isEvidentRoot(cleaned))
        cleaned.chop(1);
    return cleaned;
}

QString join(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    QString leaf = name;
    while (leaf.startsWith(QLatin1Char('/')))
        leaf.remove(0, 1);
    if (folder.endsWith(QLatin1Char('/')))
        return folder + leaf;
    return folder + QLatin1Char('/') + leaf;
}

QString rootForm(const QString &root)
{
    QString form = normalised(root);
    if (!form.isEmpty() && !form.endsWith(QLatin1Char('/')))
        form += QLatin1Char('/');
    return form;
}

bool isWithin(const QString &folder, const QString &root)
{
    const QString base = rootForm(root);
    const QString path = normalised(folder);
    if (base.isEmpty() || path.isEmpty())
        return false;
    if (path.startsWith(base, fileNameCase))
        return true;
    // The root itself, written without its trailing separator.
    return path.compare(QStringView(base).chopped(1), fileNameCase) == 0;
}

} // namespace folderpath
