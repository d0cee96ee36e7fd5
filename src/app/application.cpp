#include "app/application.h"

#include "app/exitstatus.h"
#include "core/folderpath.h"
#include "core/languagecode.h"
#include "core/texts.h"
#include "core/version.h"
#include "platform/fontfiles.h"
#include "platform/systemlanguage.h"

#include <cstdio>
#include <QCommandLineParser>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QUrl>

namespace {

Q_LOGGING_CATEGORY(lcStartup, "zarvello.startup")

} // namespace

void prepareApplication()
{
    QCoreApplication::setApplicationName(version::applicationTitle());
    QCoreApplication::setApplicationVersion(version::numbers());
    QGuiApplication::setDesktopFileName(version::applicationId());
    // The window is laid out with its menu bar inside it, at a fixed size: a
    // desktop's global menu would leave a gap, and asking the desktop whether
    // it has one costs every start a round trip.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);

    // Fonts the system keeps out of its font lookup's sight; a family already
    // known, the system's own or loaded before, is not loaded twice.
    for (const FontFiles &font : platform::lookAlikeFontFiles()) {
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

namespace {

const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
const QCommandLineOption versionOption(QStringList{QStringLiteral("v"), QStringLiteral("version")});

// Qt's own options are single-dash words ("-platform", "-reverse"), which must
// not read as a string of one-letter options ("-r -e -v ...").
void describeOptions(QCommandLineParser &parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({helpOption, versionOption});
}

// Qt's options are not known before the application object exists: the full
// check comes with it.
void parseBeforeApplication(QCommandLineParser &parser, int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    describeOptions(parser);
    parser.parse(arguments);
}

QString firstPlace(const QCommandLineParser &parser)
{
    const QStringList places = parser.positionalArguments();
    return places.isEmpty() ? QString() : folderpath::fromArgument(places.first());
}

} // namespace

Language commandLineLanguage()
{
    return isFrenchCode(languageCode(platform::systemDefaultLangId())) ? Language::French
                                                                       : Language::English;
}

std::optional<int> answerInformationOptions(int argc, char *argv[])
{
    QCommandLineParser parser;
    parseBeforeApplication(parser, argc, argv);
    QString answer;
    if (parser.isSet(helpOption)) {
        answer = texts::commandLineHelp.in(commandLineLanguage());
    } else if (parser.isSet(versionOption)) {
        answer = version::applicationTitle() + u' ' + version::numbers() + u'\n';
    } else {
        return std::nullopt;
    }
    std::fputs(answer.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

QString placeArgument()
{
    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(*QCoreApplication::instance());
    return firstPlace(parser);
}

std::optional<QString> placeBeforeApplication(int argc, char *argv[])
{
    QCommandLineParser parser;
    parseBeforeApplication(parser, argc, argv);
    if (!parser.unknownOptionNames().isEmpty())
        return std::nullopt;
    return firstPlace(parser);
}

QString placeUri(const QString &place)
{
    if (place.isEmpty() || folderpath::isElsewhere(place))
        return place;
    return QUrl::fromLocalFile(place).toString(QUrl::FullyEncoded);
}

int endHandOver(const QString &place, const QString &refused)
{
    if (refused.isEmpty())
        return exitCode(ExitStatus::Done);
    const QString why = folderpath::isElsewhere(place)
                            ? texts::argumentElsewhere.in(commandLineLanguage()).arg(place)
                            : refused + u'.';
    std::fputs((why + u'\n').toLocal8Bit().constData(), stderr);
    return exitCode(ExitStatus::Usage);
}
