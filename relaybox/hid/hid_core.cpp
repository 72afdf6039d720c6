#include "relaybox/hid/hid_core.h"

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

} // namespace orvex::hid
