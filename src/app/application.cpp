#include "app/application.h"

#include "core/folderpath.h"
#include "core/version.h"

#include <QCommandLineParser>
#include <QFont>
#include <QGuiApplication>

void prepareApplication()
{
    QCoreApplication::setApplicationName(version::applicationTitle());
    QCoreApplication::setApplicationVersion(version::numbers());
    QGuiApplication::setDesktopFileName(version::applicationId());

    // Metric-compatible or look-alike fonts where the Windows ones are absent;
    // fontconfig already maps Arial, Times New Roman and Courier New.
    const std::pair<const char *, QStringList> substitutes[] = {
        {"Comic Sans MS", {QStringLiteral("Comic Neue")}},
        {"Verdana", {QStringLiteral("DejaVu Sans")}},
        {"MS UI Gothic", {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")}},
        {"MS Sans Serif", {QStringLiteral("Liberation Sans")}},
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
