#pragma once

#include <QString>

namespace platform {

// How an eject of a volume ended.
struct EjectOutcome
{
    enum class Kind
    {
        // Unmounted and powered off: safe to unplug.
        PoweredOff,
        // Unmounted; the drive cannot be powered off from here, but nothing
        // is left to write: safe to unplug.
        Unmounted,
        // A program still has files open on it: nothing was done.
        Busy,
        // The system does not let this user unmount it.
        NotAllowed,
        // No disk service knows the volume (none runs, or it is no disk).
        Unknown,
        Failed,
    };
    Kind kind = Kind::Failed;
    // What the system said, for a failure.
    QString detail;

    bool safeToUnplug() const { return kind == Kind::PoweredOff || kind == Kind::Unmounted; }
};

// Unmounts the volume of a device, as VolumeRoot::device() names it
// ("8:17"), then powers its drive off where the system allows, through the
// desktop's disk service (UDisks2 on the system bus). Waits on that
// service: never on the interface thread.
EjectOutcome ejectVolume(const QString &device);

} // namespace platform
