#include "app/platformservices.h"

#include "platform/systemlanguage.h"

PlatformServices PlatformServices::system()
{
    return {platform::systemDefaultLangId, Shell::create(), VolumeNotifier::create()};
}
