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

// The loops' Affinity fields are 32-bit, and so is the rule.
uint64_t AutomaticReaderAffinity(uint64_t processMask) {
    return static_cast<uint32_t>(hid::AutomaticReaderAffinity(static_cast<int32_t>(processMask)));
}

uint64_t AutomaticTimerAffinity(uint64_t processMask) {
    return static_cast<uint32_t>(hid::AutomaticTimerAffinity(static_cast<int32_t>(processMask)));
}

void ApplyLoopPriority(long priority, long affinity, uint64_t (*automatic)(uint64_t processMask)) {
    process::SetProcessPriority(0, 0, static_cast<uint32_t>(priority));
    const uint64_t processMask = process::CurrentProcessAffinity();
    const uint64_t mask = affinity == -1 ? automatic(processMask) : static_cast<uint32_t>(affinity);
    if (mask != 0) process::SetCurrentProcessAffinity(mask);
}

} // namespace orvex::relaybox::server
