#pragma once

// How a run of Zarvello from a terminal ends (--sync, --keep, --forget), so
// that scripts can tell the cases apart; --help and the manual page list them.
enum class ExitStatus : int
{
    Done = 0,
    Failed = 1,
    // Options not used as they are meant; said in one line, with no display.
    Usage = 2,
    // Done, but removals were held for the user's word (--delete).
    RemovalsHeld = 3,
    // Done with what could be seen; some kept entries could not be.
    Unavailable = 4,
    // The PSP's record was written by a newer Zarvello: nothing was written.
    NewerRecord = 5,
    // Another Zarvello is writing to this PSP: nothing was written.
    Busy = 6,
};

constexpr int exitCode(ExitStatus status)
{
    return static_cast<int>(status);
}
