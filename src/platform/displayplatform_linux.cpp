#include "platform/displayplatform.h"

#include <optional>
#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace platform {

QByteArray displayPlatformFor(const QStringList &arguments, const QProcessEnvironment &environment)
{
    // Read the way Qt reads its own options: "--" counts as "-", and a
    // "-platform" with nothing after it is ignored.
    std::optional<QByteArray> named;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QStringView argument = arguments.at(i);
        if (argument.startsWith(u"--"))
            argument = argument.mid(1);
        if (argument == u"-platform" && i + 1 < arguments.size())
            return {}; // Qt applies it, over QT_QPA_PLATFORM too
        if (argument.startsWith(u"-platform="))
            named = argument.mid(10).toLocal8Bit();
    }
    if (named)
        return *named;
    // Qt treats an empty QT_QPA_PLATFORM as unset.
    if (!environment.value(u"QT_QPA_PLATFORM"_s).isEmpty())
        return {};

    const bool wayland = environment.value(u"XDG_SESSION_TYPE"_s) == u"wayland" ||
                         !environment.value(u"WAYLAND_DISPLAY"_s).isEmpty();
    const bool x = !environment.value(u"DISPLAY"_s).isEmpty();
    if (wayland && x)
        return QByteArrayLiteral("xcb;wayland");
    return {};
}

namespace {

bool chosen = false;
QByteArray userValue;
bool userValueSet = false;

// Runs once the application object has picked its platform: puts
// QT_QPA_PLATFORM back as it was, so that a file manager or web browser
// started from here opens the way the desktop would open it.
void restoreEnvironment()
{
    if (!chosen)
        return;
    chosen = false;
    if (userValueSet)
        qputenv("QT_QPA_PLATFORM", userValue);
    else
        qunsetenv("QT_QPA_PLATFORM");
}

} // namespace

void chooseDisplayPlatform(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QByteArray platform =
        displayPlatformFor(arguments, QProcessEnvironment::systemEnvironment());
    if (platform.isEmpty())
        return;
    userValueSet = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    userValue = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", platform);
    chosen = true;
    qAddPreRoutine(restoreEnvironment);
}

} // namespace platform
