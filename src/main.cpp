#include "app/application.h"
#include "app/frmmain.h"
#include "platform/displayplatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::chooseDisplayPlatform(argc, argv);
    QApplication app(argc, argv);
    prepareApplication();
    FrmMain window(PlatformServices::system());
    window.showCentred();
    return app.exec();
}
