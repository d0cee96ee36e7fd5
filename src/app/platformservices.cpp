#include "app/platformservices.h"

#include "platform/ansicodepage.h"
#include "platform/systemlanguage.h"

PlatformServices PlatformServices::system()
{
    return {platform::systemDefaultLangId, platform::systemAnsiCodePage(), Shell::create(),
            VolumeNotifier::create()};
}
