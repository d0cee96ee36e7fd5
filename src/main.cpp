#include "app/application.h"
#include "app/frmmain.h"
#include "platform/displayplatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::chooseDisplayPlatform(argc, argv);
    QApplication app(argc, argv);
    prepareApplication();
    const QString folder = folderArgument();
    FrmMain window(PlatformServices::system());
    window.showCentred();
    if (!folder.isEmpty())
        window.connectFolderWhenShown(folder);
    return app.exec();
}
