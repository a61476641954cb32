#pragma once
// The operator's choices for riding through line faults, kept in the
// store's "Faults" section. `retries`: how often a module command without a
// valid reply is sent again before the failure path runs (0 to 3, 0 by
// default: a missed reply fails at once). `reconnect`: a line fault closes
// the line without a box and the same device is tried again until it is
// back (off by default: the failure boxes and steps as always).

namespace corvale {

struct FaultSettings {
    int retries = 0;
    bool reconnect = false;
};

// The stored choices; a missing or unreadable value is its default, a
// number out of range the nearest allowed.
FaultSettings LoadFaultSettings();
// False when the store could not be written.
bool StoreFaultSettings(const FaultSettings& settings);

} // namespace corvale
