#include "core/folderpath.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace folderpath {

namespace {

constexpr Qt::CaseSensitivity fileNameCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

// "E:" or "E:/..." on any platform, so that paths of a Windows drive read the
// same everywhere.
bool hasDriveLetter(const QString &path)
{
    return path.size() >= 2 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':') &&
           (path.size() == 2 || path.at(2) == QLatin1Char('/'));
}

} // namespace

QString normalised(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QString slashed = QDir::fromNativeSeparators(path);
    // The drive letter is kept apart so that ".." can never climb over it.
    const qsizetype driveLength = hasDriveLetter(slashed) ? 2 : 0;
    QString rest = QDir::cleanPath(slashed.mid(driveLength));
    // cleanPath keeps a ".." that would climb above the root; there is
    // nothing above it.
    while (rest == u"/.." || rest.startsWith(u"/../"))
        rest.remove(0, 3);
    // Emptied by the above, or a bare drive letter: the root.
    if (rest.isEmpty())
        rest = u"/"_s;
    return slashed.left(driveLength) + rest;
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

QString fileSystemRoot(const QString &path)
{
    const QString slashed = QDir::fromNativeSeparators(path);
    return hasDriveLetter(slashed) ? slashed.left(2) + u'/' : u"/"_s;
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

bool samePath(const QString &a, const QString &b)
{
    return a.compare(b, fileNameCase) == 0;
}

FollowedPath follow(const QString &path, const QString &realRoot)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty())
        return {};
    return {isWithin(real, realRoot) ? FollowedPath::Place::Within : FollowedPath::Place::Outside,
            real};
}

bool isElsewhere(const QString &argument)
{
    // A scheme of two characters or more followed by a slash: "E:/" is a
    // drive, "psp:copy" a folder with a colon in its name.
    static const QRegularExpression uri(u"^[A-Za-z][A-Za-z0-9+.-]+:/"_s);
    return uri.match(argument).hasMatch() && !QUrl(argument).isLocalFile();
}

QString fromArgument(const QString &argument)
{
    if (isElsewhere(argument))
        return argument;
    QUrl url(argument);
    // "file://localhost/..." is this computer, not a share called localhost.
    if (url.isLocalFile() && url.host() == u"localhost")
        url.setHost(QString());
    const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
    return normalised(QDir::current().absoluteFilePath(path));
}

} // namespace folderpath
