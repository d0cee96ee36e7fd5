#include "app/application.h"
#include "app/commandline.h"
#include "app/commandsync.h"
#include "app/frmmain.h"
#include "core/version.h"
#include "platform/displayplatform.h"
#include "platform/sessioninstance.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (const std::optional<int> exitCode = answerInformationOptions(argc, argv))
        return *exitCode;
    if (const std::optional<int> exitCode = answerMisuse(argc, argv))
        return *exitCode;
    if (const std::optional<int> exitCode = answerKeepOptions(argc, argv))
        return *exitCode;
    if (const std::optional<int> exitCode = answerSyncOption(argc, argv))
        return *exitCode;
    platform::SessionInstance session(version::applicationId());
    // A later start hands its place over before it opens a display.
    const std::optional<QString> early = placeBeforeApplication(argc, argv);
    if (early && session.handOver(placeUri(*early)))
        return endHandOver(*early, session.refused());
    platform::chooseDisplayPlatform(argc, argv);
    QApplication app(argc, argv);
    prepareApplication();
    // Qt's options, now taken out, were what kept the place from being read early.
    const QString place = early ? *early : placeArgument();
    if (!early && session.handOver(placeUri(place)))
        return endHandOver(place, session.refused());
    FrmMain window(PlatformServices::system());
    QObject::connect(&session, &platform::SessionInstance::requested, &window,
                     &FrmMain::takeOverStart);
    window.showCentred();
    window.openWhenShown(place);
    return app.exec();
}
