#pragma once

#include "platform/shell.h"
#include "platform/volumenotifier.h"

#include <functional>
#include <memory>

// The operating-system services the main window depends on. The program uses
// the system's own; tests put fakes in their place.
struct PlatformServices
{
    std::function<quint16()> systemDefaultLangId;
    // The code page playlist files are written and read in.
    int ansiCodePage = 0;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<VolumeNotifier> volumes; // never null

    static PlatformServices system();
};
