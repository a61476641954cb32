#pragma once
// The operator's choices for riding through line faults, kept in the
// store's "Faults" section. `retries`: how often a module command without a
// valid reply is sent again before the failure path runs (0 to 3, 0 by
// default: a missed reply fails at once).

namespace corvale {

struct FaultSettings {
    int retries = 0;
};

// The stored choices; a missing or unreadable value is its default, a
// number out of range the nearest allowed.
FaultSettings LoadFaultSettings();
// False when the store could not be written.
bool StoreFaultSettings(const FaultSettings& settings);

} // namespace corvale
