#include "app/application.h"

#include "core/folderpath.h"
#include "core/version.h"
#include "platform/fontfiles.h"

#include <QCommandLineParser>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcStartup, "zarvello.startup")

} // namespace

void prepareApplication()
{
    QCoreApplication::setApplicationName(version::applicationTitle());
    QCoreApplication::setApplicationVersion(version::numbers());
    QGuiApplication::setDesktopFileName(version::applicationId());

    // Fonts the system keeps out of its font lookup's sight; a family already
    // known, the system's own or loaded before, is not loaded twice.
    for (const platform::FontFiles &font : platform::lookAlikeFontFiles()) {
        if (QFontDatabase::hasFamily(font.family))
            continue;
        for (const QString &path : font.paths) {
            if (QFontDatabase::addApplicationFont(path) < 0)
                qCWarning(lcStartup) << "cannot load" << path << "-" << font.family
                                     << "texts are drawn in a substitute font";
        }
    }

    // Metric-compatible or look-alike fonts where the Windows ones are absent;
    // fontconfig already maps Arial, Times New Roman and Courier New.
    const std::pair<const char *, QStringList> substitutes[] = {
        {"Comic Sans MS", {QStringLiteral("Comic Neue")}},
        {"Verdana", {QStringLiteral("DejaVu Sans")}},
        {"MS UI Gothic", {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")}},
        // Tahoma, Windows' own successor to MS Sans Serif, is nearly as narrow,
        // so that texts laid out for it fit; Liberation Sans is wider.
        {"MS Sans Serif", {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans")}},
        {"Segoe UI", {QStringLiteral("Liberation Sans")}},
        {"Century", {QStringLiteral("C059"), QStringLiteral("Century Schoolbook L")}},
    };
    for (const auto &[family, replacements] : substitutes)
        QFont::insertSubstitutions(QLatin1String(family), replacements);
}

QString folderArgument()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes music playlists on a PSP plugged in over USB."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("folder"),
        QStringLiteral("A PSP's storage, or a copy of it, to use as if it had just been plugged "
                       "in (a path or a file:// URI)."),
        QStringLiteral("[folder]"));
    parser.process(*QCoreApplication::instance());
    const QStringList folders = parser.positionalArguments();
    return folders.isEmpty() ? QString() : folderpath::fromArgument(folders.first());
}
