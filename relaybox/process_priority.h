// Process priority and processor affinity, shared by Orvex and Relaybox.
#pragma once

#include <cstdint>

namespace orvex::process {

// Sets the priority class of a process and returns the class in force
// afterwards (0 when it cannot even be read). processId 0 means the process
// of `window` when one is given, else the current process. A process that
// cannot be opened for setting is still read.
uint32_t SetProcessPriority(uint32_t processId, uintptr_t window, uint32_t priorityClass);

// The current process's affinity mask (0 when it cannot be read).
uint64_t CurrentProcessAffinity();

// Applies an affinity mask to the current process; false when refused.
bool SetCurrentProcessAffinity(uint64_t mask);

} // namespace orvex::process
