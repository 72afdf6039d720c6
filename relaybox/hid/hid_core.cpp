#include "relaybox/hid/hid_core.h"

#include <algorithm>
#include <cctype>

namespace orvex::hid {

std::string HexId4(uint32_t id) {
    if (id > 0xFFFF) return {};
    static const char digits[] = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i) {
        text[static_cast<size_t>(i)] = digits[id & 0xF];
        id >>= 4;
    }
    return text;
}

namespace {

// The 4 characters from 1-based position `first`, upper-cased; shorter when
// the path ends earlier.
std::string UpperField(const std::string& path, size_t first) {
    if (path.size() < first) return {};
    std::string field = path.substr(first - 1, 4);
    for (char& c : field) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return field;
}

} // namespace

bool PathCarriesIds(const std::string& path, uint32_t vendorId, uint32_t productId) {
    const std::string vendor = HexId4(vendorId);
    const std::string product = HexId4(productId);
    if (vendor.empty() || product.empty()) return false;
    return UpperField(path, 13) == vendor && UpperField(path, 22) == product;
}

int Scan(IHidSystem& system, uint32_t vendorId, uint32_t productId, ScanPaths& paths) {
    int count = 0;
    for (const std::string& path : system.EnumerateInterfacePaths()) {
        auto device = system.Open(path, false);
        if (!device) continue;
        HidAttributes attributes;
        if (!device->GetAttributes(attributes)) continue;
        const bool idsMatch = attributes.vendorId == vendorId &&
                              (productId == 0 || attributes.productId == productId);
        if (!idsMatch || !PathCarriesIds(path, vendorId, productId)) continue;
        // More matching devices than positions: the rest are ignored.
        if (count == kMaxScanPaths) continue;
        paths[static_cast<size_t>(count++)] = path;
    }
    return count;
}

bool GetCapabilities(IHidSystem& system, const std::string& path, HidCaps& caps) {
    auto device = system.Open(path, false);
    if (!device) return false;
    HidCaps read;
    if (!device->GetCaps(read)) return false;
    caps = read;
    return true;
}

uint64_t AutomaticReaderAffinity(uint64_t m) {
    if (m < 3) return 1;
    if (m < 7) return 2;
    if (m < 15) return 4;
    // Below 32 processors the rule keeps its old result (processors 2-15).
    if (m < (uint64_t{1} << 31)) return m & 0xFFFC;
    return m & ~uint64_t{3};
}

uint64_t AutomaticTimerAffinity(uint64_t m) {
    if (m < 2) return m;
    if (m < 4) return 2;
    if (m < 8) return 4;
    return 12;
}

FeatureLengthDevice::FeatureLengthDevice(std::unique_ptr<IHidDevice> device) : device_(std::move(device)) {
    HidCaps caps;
    if (device_ && device_->GetCaps(caps)) scratch_.assign(caps.FeatureReportByteLength, 0);
}

bool FeatureLengthDevice::SetFeature(const uint8_t* report, uint32_t size) {
    if (report == nullptr || size == 0 || size >= FeatureLength()) return device_->SetFeature(report, size);
    std::copy(report, report + size, scratch_.begin());
    std::fill(scratch_.begin() + size, scratch_.end(), uint8_t{0});
    return device_->SetFeature(scratch_.data(), FeatureLength());
}

bool FeatureLengthDevice::GetFeature(uint8_t* report, uint32_t size) {
    if (report == nullptr || size == 0 || size >= FeatureLength()) return device_->GetFeature(report, size);
    std::fill(scratch_.begin(), scratch_.end(), uint8_t{0});
    scratch_[0] = report[0];  // the report id asked for
    if (!device_->GetFeature(scratch_.data(), FeatureLength())) return false;
    std::copy(scratch_.begin(), scratch_.begin() + size, report);
    return true;
}

std::unique_ptr<IHidDevice> OpenForFeatureReports(IHidSystem& system, const std::string& path) {
    std::unique_ptr<IHidDevice> device = system.Open(path, false);
    if (!device) return nullptr;
    return std::make_unique<FeatureLengthDevice>(std::move(device));
}

} // namespace orvex::hid
