// Starts as the program does, linked as the program is, and says what it
// cost once the main window is on screen. The benchmark runs it many times.

#include "app/application.h"
#include "app/frmmain.h"
#include "app/sessioninstance.h"
#include "platform/displayplatform.h"
#include "probeoutput.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::chooseDisplayPlatform(argc, argv);
    QApplication app(argc, argv);
    prepareApplication();
    SessionInstance session;
    // Another start's instance would take this one's window.
    if (session.handOver(QString()))
        return 1;
    FrmMain window(PlatformServices::system());
    window.showCentred();
    session.listenOnceShown(*window.windowHandle());
    return printWhenShown(window);
}
