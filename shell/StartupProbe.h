#pragma once

namespace shell {

// For measuring the start: with VELMORA_STARTUP_PROBE set, the program prints one line at the
// first moment it is idle after the organiser window was first painted, with no list read
// still waiting, and ends at once without writing anything. Unset, this does nothing.
void installStartupProbe();

} // namespace shell
