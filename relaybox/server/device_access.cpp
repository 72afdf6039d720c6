#include "relaybox/server/device_access.h"

#include "relaybox/hid/hid_core.h"
#include "relaybox/hid/hid_system.h"
#include "relaybox/process_priority.h"

namespace orvex::relaybox::server {

static_assert(kMaxPaths == hid::kMaxScanPaths);

hid::IHidSystem& Devices() { return hid::DefaultHidSystem(); }

int ScanDevices(uint32_t vendorId, uint32_t productId, PathTable& paths) {
    return hid::Scan(Devices(), vendorId, productId, paths);
}

bool ReadCapabilities(const std::string& path, hid::HidCaps& caps) {
    return hid::GetCapabilities(Devices(), path, caps);
}

uint64_t AutomaticReaderAffinity(uint64_t processMask) { return hid::AutomaticReaderAffinity(processMask); }

uint64_t AutomaticTimerAffinity(uint64_t processMask) { return hid::AutomaticTimerAffinity(processMask); }

void ApplyLoopPriority(long priority, long affinity, uint64_t (*automatic)(uint64_t processMask)) {
    process::SetProcessPriority(0, 0, static_cast<uint32_t>(priority));
    const uint64_t processMask = process::CurrentProcessAffinity();
    // With the process mask unknown there is nothing to choose from: the
    // affinity is left as it is rather than pinned to processor 0.
    const uint64_t mask =
        affinity == -1 ? (processMask == 0 ? 0 : automatic(processMask)) : static_cast<uint32_t>(affinity);
    if (mask != 0) process::SetCurrentProcessAffinity(mask);
}

} // namespace orvex::relaybox::server
