// Platform-free parts of the device layer: the device-path ID check, the scan
// over an IHidSystem, the capability read, and the automatic processor
// affinity of the reader and timer loops.
#pragma once

#include "relaybox/hid/hid_device.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvex::hid {

inline constexpr int kMaxScanPaths = 16;
using ScanPaths = std::array<std::string, kMaxScanPaths>;

// An ID as 4 upper-case hexadecimal digits with leading zeros; an ID that
// needs more than 4 digits gives an empty text (which never matches a path).
std::string HexId4(uint32_t id);

// True when the path carries the IDs at their fixed places: the 4 characters
// from character 13 (1-based), upper-cased, equal HexId4(vendorId), and the 4
// from character 22 equal HexId4(productId). This fits paths of the form
// \\?\hid#vid_06a3&pid_0d05...
bool PathCarriesIds(const std::string& path, uint32_t vendorId, uint32_t productId);

// Enumerates the system's HID interfaces, opens each (not overlapped), reads
// its attributes and records, from position 0 on, the paths whose vendor and
// product IDs match (a productId of 0 passes the attribute test for any
// product) and whose path carries the IDs. Devices that cannot be opened or
// whose attributes cannot be read are skipped. At most kMaxScanPaths are
// recorded; further matching devices are ignored. Positions beyond the
// result keep what they held. Returns the number recorded.
int Scan(IHidSystem& system, uint32_t vendorId, uint32_t productId, ScanPaths& paths);

// Opens the path (not overlapped) and reads its capabilities into `caps`.
// False, with `caps` untouched, when the path cannot be opened or the
// capabilities cannot be read.
bool GetCapabilities(IHidSystem& system, const std::string& path, HidCaps& caps);

// A device whose feature reports travel at the collection's
// FeatureReportByteLength, as the system's HID class driver wants every
// buffer: it refuses a shorter one. A shorter report is padded with zeros
// to that length, and a shorter read is made at that length and cut back
// to the caller's size. Longer buffers go through as they are (the driver
// uses what the collection defines). The length is read from the
// capabilities once, at construction; without them nothing changes.
// Writing and reading allocate nothing. Like the device, one thread at a time.
class FeatureLengthDevice final : public IHidDevice {
public:
    explicit FeatureLengthDevice(std::unique_ptr<IHidDevice> device);
    uint32_t FeatureLength() const { return static_cast<uint32_t>(scratch_.size()); }

    bool GetAttributes(HidAttributes& attributes) override { return device_->GetAttributes(attributes); }
    bool GetCaps(HidCaps& caps) override { return device_->GetCaps(caps); }
    ReadStatus ReadReport(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override {
        return device_->ReadReport(buffer, size, timeoutMs);
    }
    bool SetFeature(const uint8_t* report, uint32_t size) override;
    bool GetFeature(uint8_t* report, uint32_t size) override;

private:
    std::unique_ptr<IHidDevice> device_;
    std::vector<uint8_t> scratch_;  // FeatureLength() bytes
};

// Opens `path` (not overlapped) for feature reports at the collection's
// length; nullptr when it cannot be opened.
std::unique_ptr<IHidDevice> OpenForFeatureReports(IHidSystem& system, const std::string& path);

// Automatic affinity masks chosen from the process mask m. Both keep the
// loops off the first processors, which the simulator and the system use
// most:
// reader: 1 if m < 3; 2 if m < 7; 4 if m < 15; m & 0xFFFC while m has fewer
//         than 32 processors' bits (below bit 31); from there on every
//         processor of m but the first two (m & ~3).
// timer:  m if m < 2; 2 if m < 4; 4 if m < 8; otherwise 12.
// The comparisons are on the whole 64-bit mask: a mask of 32 or more
// processors is a large mask, not a negative number.
uint64_t AutomaticReaderAffinity(uint64_t processMask);
uint64_t AutomaticTimerAffinity(uint64_t processMask);

} // namespace orvex::hid
