#include "app/application.h"
#include "app/frmmain.h"
#include "app/sessioninstance.h"
#include "platform/displayplatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (const std::optional<int> exitCode = answerInformationOptions(argc, argv))
        return *exitCode;
    platform::chooseDisplayPlatform(argc, argv);
    QApplication app(argc, argv);
    prepareApplication();
    const QString place = placeArgument();
    SessionInstance session;
    if (session.handOver(place))
        return 0;
    FrmMain window(PlatformServices::system());
    QObject::connect(&session, &SessionInstance::placeRequested, &window, &FrmMain::takeOverStart);
    window.showCentred();
    session.listenOnceShown(*window.windowHandle());
    window.openWhenShown(place);
    return app.exec();
}
