// What the server's objects need from the device layer, in one place.
#pragma once

#include "relaybox/hid/hid_device.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvex::relaybox::server {

inline constexpr int kMaxPaths = 16;
using PathTable = std::array<std::string, kMaxPaths>;  // hid::ScanPaths

// The system's HID devices (real and virtual panels), shared by all threads.
hid::IHidSystem& Devices();

// Records the paths of matching devices from position 0 on and returns
// their number (0-16); positions beyond it keep what they held.
int ScanDevices(uint32_t vendorId, uint32_t productId, PathTable& paths);

// Reads a device's capabilities; false, with `caps` untouched, when the
// path cannot be opened or read.
bool ReadCapabilities(const std::string& path, hid::HidCaps& caps);

// The affinity masks chosen automatically from the process mask.
uint64_t AutomaticReaderAffinity(uint64_t processMask);
uint64_t AutomaticTimerAffinity(uint64_t processMask);

// Sets the process's priority class and affinity as a loop's Priority and
// Affinity ask; an Affinity of -1 takes the mask `automatic` picks, and a
// mask of 0 leaves the affinity alone.
void ApplyLoopPriority(long priority, long affinity, uint64_t (*automatic)(uint64_t processMask));

} // namespace orvex::relaybox::server
