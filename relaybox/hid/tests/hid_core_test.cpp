// The scan, the path ID check and the affinity rules over a fake system.
#include "relaybox/hid/hid_core.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace orvex::hid;

namespace {

struct FakeDevice {
    HidAttributes attributes;
    bool opens = true;
    bool attributesReadable = true;
    HidCaps caps;
};

class FakeSystem : public IHidSystem {
public:
    std::vector<std::pair<std::string, FakeDevice>> devices;
    int opened = 0;

    void Add(const std::string& path, uint16_t vid, uint16_t pid) {
        FakeDevice d;
        d.attributes = {vid, pid, 1};
        devices.emplace_back(path, d);
    }
    std::vector<std::string> EnumerateInterfacePaths() override {
        std::vector<std::string> paths;
        for (auto& [p, d] : devices) paths.push_back(p);
        return paths;
    }
    std::unique_ptr<IHidDevice> Open(const std::string& path, bool) override {
        for (auto& [p, d] : devices)
            if (p == path && d.opens) {
                ++opened;
                return std::make_unique<Handle>(d);
            }
        return nullptr;
    }

private:
    struct Handle : IHidDevice {
        explicit Handle(const FakeDevice& d) : device(d) {}
        bool GetAttributes(HidAttributes& a) override {
            if (!device.attributesReadable) return false;
            a = device.attributes;
            return true;
        }
        bool GetCaps(HidCaps& c) override {
            c = device.caps;
            return true;
        }
        ReadStatus ReadReport(uint8_t*, uint32_t, uint32_t) override { return ReadStatus::Failed; }
        bool SetFeature(const uint8_t*, uint32_t) override { return false; }
        bool GetFeature(uint8_t*, uint32_t) override { return false; }
        FakeDevice device;
    };
};

std::string RealPath(const char* ids, int n) {
    return std::string("\\\\?\\hid#") + ids + "#7&1a2b3c&0&000" + std::to_string(n) +
           "#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

} // namespace

TEST(HexId4, PadsToFourUpperCaseDigitsAndRefusesLongerIds) {
    EXPECT_EQ(HexId4(0x6A3), "06A3");
    EXPECT_EQ(HexId4(0xD05), "0D05");
    EXPECT_EQ(HexId4(0), "0000");
    EXPECT_EQ(HexId4(0xF), "000F");
    EXPECT_EQ(HexId4(0xFFFF), "FFFF");
    EXPECT_EQ(HexId4(0x10000), "");
}

TEST(PathCarriesIds, ReadsTheFixedPlacesInEitherCase) {
    EXPECT_TRUE(PathCarriesIds(RealPath("vid_06a3&pid_0d05", 1), 0x06A3, 0x0D05));
    EXPECT_TRUE(PathCarriesIds(RealPath("VID_06A3&PID_0D05", 1), 0x06A3, 0x0D05));
    EXPECT_FALSE(PathCarriesIds(RealPath("vid_06a3&pid_0d06", 1), 0x06A3, 0x0D05));
    EXPECT_FALSE(PathCarriesIds(RealPath("vid_06a3&pid_0d05", 1), 0x06A3, 0));
    // IDs at other places (a different path form) do not match.
    EXPECT_FALSE(PathCarriesIds("\\\\?\\hidx#vid_06a3&pid_0d05", 0x06A3, 0x0D05));
    // Too short, and an ID of more than 4 digits.
    EXPECT_FALSE(PathCarriesIds("\\\\?\\hid#vid_06a3&pid_0d", 0x06A3, 0x0D05));
    EXPECT_FALSE(PathCarriesIds("", 0x06A3, 0x0D05));
    EXPECT_FALSE(PathCarriesIds(RealPath("vid_06a3&pid_0d05", 1), 0x106A3, 0x0D05));
}

TEST(Scan, RecordsMatchingDevicesInEnumerationOrder) {
    FakeSystem system;
    system.Add(RealPath("vid_046d&pid_c077", 1), 0x046D, 0xC077);
    system.Add(RealPath("vid_06a3&pid_0d05", 2), 0x06A3, 0x0D05);
    system.Add(RealPath("vid_06a3&pid_0d06", 3), 0x06A3, 0x0D06);
    system.Add(RealPath("VID_06A3&PID_0D05", 4), 0x06A3, 0x0D05);
    ScanPaths paths;
    paths[2] = "older";
    ASSERT_EQ(Scan(system, 0x06A3, 0x0D05, paths), 2);
    EXPECT_EQ(paths[0], RealPath("vid_06a3&pid_0d05", 2));
    EXPECT_EQ(paths[1], RealPath("VID_06A3&PID_0D05", 4));
    EXPECT_EQ(paths[2], "older") << "positions beyond the count keep their values";
    EXPECT_EQ(system.opened, 4);
}

TEST(Scan, NeedsBothTheAttributesAndThePath) {
    FakeSystem system;
    // Attributes say Radio Panel, path says otherwise, and the reverse.
    system.Add(RealPath("vid_06a3&pid_0d06", 1), 0x06A3, 0x0D05);
    system.Add(RealPath("vid_06a3&pid_0d05", 2), 0x06A3, 0x0D06);
    ScanPaths paths;
    EXPECT_EQ(Scan(system, 0x06A3, 0x0D05, paths), 0);
    // Product 0 passes the attribute test but then the path must show "0000".
    EXPECT_EQ(Scan(system, 0x06A3, 0, paths), 0);
    system.Add(RealPath("vid_06a3&pid_0000", 3), 0x06A3, 0x1234);
    EXPECT_EQ(Scan(system, 0x06A3, 0, paths), 1);
    EXPECT_EQ(paths[0], RealPath("vid_06a3&pid_0000", 3));
}

TEST(Scan, SkipsDevicesThatCannotBeOpenedOrRead) {
    FakeSystem system;
    system.Add(RealPath("vid_06a3&pid_0d05", 1), 0x06A3, 0x0D05);
    system.Add(RealPath("vid_06a3&pid_0d05", 2), 0x06A3, 0x0D05);
    system.Add(RealPath("vid_06a3&pid_0d05", 3), 0x06A3, 0x0D05);
    system.devices[0].second.opens = false;
    system.devices[1].second.attributesReadable = false;
    ScanPaths paths;
    ASSERT_EQ(Scan(system, 0x06A3, 0x0D05, paths), 1);
    EXPECT_EQ(paths[0], RealPath("vid_06a3&pid_0d05", 3));
}

TEST(Scan, IgnoresMatchingDevicesBeyondSixteen) {
    FakeSystem system;
    for (int i = 1; i <= 18; ++i) system.Add(RealPath("vid_06a3&pid_0d67", i), 0x06A3, 0x0D67);
    ScanPaths paths;
    EXPECT_EQ(Scan(system, 0x06A3, 0x0D67, paths), 16);
    EXPECT_EQ(paths[15], RealPath("vid_06a3&pid_0d67", 16));
}

TEST(GetCapabilities, LeavesThePreviousCapsWhenThePathIsGone) {
    FakeSystem system;
    system.Add(RealPath("vid_06a3&pid_0d05", 1), 0x06A3, 0x0D05);
    system.devices[0].second.caps.FeatureReportByteLength = 23;
    HidCaps caps;
    ASSERT_TRUE(GetCapabilities(system, RealPath("vid_06a3&pid_0d05", 1), caps));
    EXPECT_EQ(caps.FeatureReportByteLength, 23);
    EXPECT_FALSE(GetCapabilities(system, RealPath("vid_06a3&pid_0d05", 9), caps));
    EXPECT_EQ(caps.FeatureReportByteLength, 23);
}

// A device behind the system's HID class driver: every feature buffer must
// be at least the collection's length, or the call fails.
class ClassDriverDevice final : public IHidDevice {
public:
    ClassDriverDevice(uint16_t featureLength, bool capsReadable, std::vector<std::vector<uint8_t>>& sent)
        : length_(featureLength), capsReadable_(capsReadable), sent_(sent) {}
    bool GetAttributes(HidAttributes&) override { return false; }
    bool GetCaps(HidCaps& c) override {
        if (!capsReadable_) return false;
        c.FeatureReportByteLength = length_;
        return true;
    }
    ReadStatus ReadReport(uint8_t*, uint32_t, uint32_t) override { return ReadStatus::Failed; }
    bool SetFeature(const uint8_t* report, uint32_t size) override {
        if (size < length_) return false;
        sent_.emplace_back(report, report + size);
        return true;
    }
    bool GetFeature(uint8_t* report, uint32_t size) override {
        if (size < length_) return false;
        for (uint32_t i = 1; i < size; ++i) report[i] = static_cast<uint8_t>(0x40 + i);
        return true;
    }

private:
    uint16_t length_;
    bool capsReadable_;
    std::vector<std::vector<uint8_t>>& sent_;
};

TEST(FeatureLengthDevice, ShortReportsArePaddedToTheCollectionsLengthForEveryKind) {
    // The BIP: 2-byte brightness and 7-byte tile reports in one collection.
    std::vector<std::vector<uint8_t>> sent;
    FeatureLengthDevice bip(std::make_unique<ClassDriverDevice>(7, true, sent));
    EXPECT_EQ(bip.FeatureLength(), 7u);
    const uint8_t brightness[2] = {0xB2, 0x64};
    ASSERT_TRUE(bip.SetFeature(brightness, 2)) << "without padding the driver refuses it";
    const uint8_t tiles[7] = {0xB8, 1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(bip.SetFeature(tiles, 7));
    ASSERT_TRUE(bip.SetFeature(brightness, 2));
    EXPECT_EQ(sent, (std::vector<std::vector<uint8_t>>{{0xB2, 0x64, 0, 0, 0, 0, 0},
                                                       {0xB8, 1, 2, 3, 4, 5, 6},
                                                       {0xB2, 0x64, 0, 0, 0, 0, 0}}))
        << "no byte of the tile report is left behind in the padding";

    // Reads: made at the collection's length, cut back to the caller's
    // size; the bytes beyond it are not touched.
    uint8_t read[4] = {0xB8, 0, 0, 0xEE};
    ASSERT_TRUE(bip.GetFeature(read, 3));
    EXPECT_EQ(std::vector<uint8_t>(read, read + 4), (std::vector<uint8_t>{0xB8, 0x41, 0x42, 0xEE}));

    // The Radio (23), Multi (13) and Switch (2) panels: reports of their own
    // length or longer go through unchanged.
    for (uint16_t length : {uint16_t{23}, uint16_t{13}, uint16_t{2}}) {
        sent.clear();
        FeatureLengthDevice panel(std::make_unique<ClassDriverDevice>(length, true, sent));
        std::vector<uint8_t> report(length, 0xFF);
        report[0] = 0;
        ASSERT_TRUE(panel.SetFeature(report.data(), length)) << length;
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], report);
        std::vector<uint8_t> positions(4, 0);
        EXPECT_TRUE(panel.GetFeature(positions.data(), 4)) << length;
        EXPECT_EQ(positions[1], 0x41);
    }

    // Without readable capabilities nothing is changed.
    sent.clear();
    FeatureLengthDevice unknown(std::make_unique<ClassDriverDevice>(7, false, sent));
    EXPECT_EQ(unknown.FeatureLength(), 0u);
    EXPECT_FALSE(unknown.SetFeature(brightness, 2));
}

TEST(Affinity, ReaderAndTimerRules) {
    struct Case {
        uint64_t mask, reader, timer;
    };
    const Case cases[] = {
        {0, 1, 0},      {1, 1, 1},      {2, 1, 2},       {3, 2, 2},      {4, 2, 4},
        {6, 2, 4},      {7, 4, 4},      {8, 4, 12},      {14, 4, 12},    {15, 12, 12},
        {0xFF, 0xFC, 12}, {0x1FFFF, 0xFFFC, 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AutomaticReaderAffinity(c.mask), c.reader) << "mask " << c.mask;
        EXPECT_EQ(AutomaticTimerAffinity(c.mask), c.timer) << "mask " << c.mask;
    }
}

// Machines of n logical processors (mask with the n low bits set): the loops
// keep off processors 0 and 1 at every size; from 32 processors on the mask
// is not read as a negative number (which pinned both to processor 0).
TEST(Affinity, MasksOfEveryMachineSizeKeepOffTheFirstProcessors) {
    struct Case {
        int processors;
        uint64_t reader, timer;
    };
    const Case cases[] = {
        {2, 0x2, 0x2},
        {4, 0xC, 12},
        {8, 0xFC, 12},
        {16, 0xFFFC, 12},
        {24, 0xFFFC, 12},
        {28, 0xFFFC, 12},
        {32, 0xFFFFFFFCull, 12},
        {48, 0xFFFFFFFFFFFCull, 12},
        {64, ~uint64_t{3}, 12},
    };
    for (const auto& c : cases) {
        const uint64_t mask = c.processors == 64 ? ~uint64_t{0} : (uint64_t{1} << c.processors) - 1;
        EXPECT_EQ(AutomaticReaderAffinity(mask), c.reader) << c.processors << " processors";
        EXPECT_EQ(AutomaticTimerAffinity(mask), c.timer) << c.processors << " processors";
    }
}

// Below 32 processors every mask gives what the 32-bit signed rule gave.
TEST(Affinity, MasksBelowThirtyTwoProcessorsKeepTheirResults) {
    const auto oldReader = [](int32_t m) -> int32_t { return m < 3 ? 1 : m < 7 ? 2 : m < 15 ? 4 : (m & 0xFFFC); };
    const auto oldTimer = [](int32_t m) -> int32_t { return m < 2 ? m : m < 4 ? 2 : m < 8 ? 4 : 12; };
    std::vector<uint64_t> masks;
    for (uint64_t m = 0; m <= 0x1FFFF; ++m) masks.push_back(m);
    for (int n = 17; n < 32; ++n) {
        masks.push_back((uint64_t{1} << n) - 1);
        masks.push_back(uint64_t{1} << (n - 1));
        masks.push_back(((uint64_t{1} << n) - 1) & ~uint64_t{0xF0F0});
    }
    for (uint64_t m : masks) {
        ASSERT_EQ(AutomaticReaderAffinity(m), static_cast<uint64_t>(oldReader(static_cast<int32_t>(m)))) << m;
        ASSERT_EQ(AutomaticTimerAffinity(m), static_cast<uint64_t>(oldTimer(static_cast<int32_t>(m)))) << m;
    }
}
