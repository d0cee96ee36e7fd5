// Starts as the program does, linked as the program is, and says what it
// cost once the main window is on screen. The benchmark runs it many times.

#include "app/application.h"
#include "app/frmmain.h"
#include "core/version.h"
#include "platform/displayplatform.h"
#include "platform/sessioninstance.h"
#include "probeoutput.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::SessionInstance session(version::applicationId());
    // Another start's instance would take this one's window.
    if (session.handOver(QString()))
        return 1;
    platform::chooseDisplayPlatform(argc, argv);
    QApplication app(argc, argv);
    prepareApplication();
    FrmMain window(PlatformServices::system());
    window.showCentred();
    return printWhenShown(window);
}
