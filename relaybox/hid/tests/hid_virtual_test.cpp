// The device layer against virtual panels in another process: the scan,
// reads with time-outs, feature reports, unplugging.
#include "relaybox/hid/hid_core.h"
#include "relaybox/hid/hid_system.h"
#include "tools/virtualpanels/virtualpanels_client.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>
#include <thread>

using namespace orvex::hid;
using orvex::virtualpanels::VirtualPanelsProcess;

namespace {

constexpr uint32_t kSaitek = 0x06A3;

// Each test gets its own instance name, so that tests may run side by side.
std::string UniqueInstance() {
    static int serial = 0;
    return "OrvexHidTest" + std::to_string(::GetCurrentProcessId()) + "." + std::to_string(++serial);
}

class VirtualDevices : public ::testing::Test {
protected:
    void Publish(const std::string& panels) {
        ASSERT_TRUE(panels_.Start("--hidden --pipe " + UniqueInstance() + " " + panels));
        system_ = MakeVirtualHidSystem(panels_.Instance());
    }
    std::unique_ptr<IHidDevice> OpenDevice(int number, bool overlapped = true) {
        return system_->Open(panels_.Path(number), overlapped);
    }
    static ULONGLONG Now() { return ::GetTickCount64(); }

    VirtualPanelsProcess panels_;
    std::unique_ptr<IHidSystem> system_;
};

} // namespace

TEST_F(VirtualDevices, ScanFindsEachKindInOrderWithItsIdsAndCaps) {
    Publish("--radio 2 --multi 1 --switch 1 --bip 1");
    ScanPaths paths;
    ASSERT_EQ(Scan(*system_, kSaitek, 0x0D05, paths), 2);
    EXPECT_EQ(paths[0], panels_.Path(1));
    EXPECT_EQ(paths[1], panels_.Path(2));
    EXPECT_EQ(paths[0], "\\\\?\\hid#vid_06a3&pid_0d05&virt#1#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_EQ(Scan(*system_, kSaitek, 0x0D06, paths), 1);
    EXPECT_EQ(paths[0], panels_.Path(3));
    EXPECT_EQ(Scan(*system_, kSaitek, 0x0D67, paths), 1);
    EXPECT_EQ(Scan(*system_, kSaitek, 0x0B4E, paths), 1);
    EXPECT_EQ(Scan(*system_, kSaitek, 0, paths), 0) << "the path test looks for 0000";
    EXPECT_EQ(Scan(*system_, 0x046D, 0x0D05, paths), 0);

    const std::pair<int, uint16_t> sizes[] = {{1, 23}, {3, 13}, {4, 2}, {5, 7}};
    for (auto [device, feature] : sizes) {
        HidCaps caps;
        ASSERT_TRUE(GetCapabilities(*system_, panels_.Path(device), caps)) << device;
        EXPECT_EQ(caps.FeatureReportByteLength, feature) << device;
        EXPECT_EQ(caps.InputReportByteLength, device == 5 ? 0 : 4) << device;
    }
    HidAttributes attributes;
    auto multi = OpenDevice(3, false);
    ASSERT_TRUE(multi);
    ASSERT_TRUE(multi->GetAttributes(attributes));
    EXPECT_EQ(attributes.vendorId, kSaitek);
    EXPECT_EQ(attributes.productId, 0x0D06);
}

TEST_F(VirtualDevices, UpperCaseIdsInAPathMatch) {
    Publish("--upper --switch 2");
    ScanPaths paths;
    ASSERT_EQ(Scan(*system_, kSaitek, 0x0D67, paths), 2);
    EXPECT_NE(paths[1].find("VID_06A3&PID_0D67"), std::string::npos);
}

TEST_F(VirtualDevices, ReadDeliversReportsInOrderAndTimesOutWhenSilent) {
    Publish("--radio 1");
    auto reader = OpenDevice(1);
    ASSERT_TRUE(reader);
    std::array<uint8_t, 4> r{};

    // Silent: the read waits the time-out and leaves nothing pending.
    const ULONGLONG t0 = Now();
    EXPECT_EQ(reader->ReadReport(r.data(), 4, 300), ReadStatus::Timeout);
    const ULONGLONG waited = Now() - t0;
    EXPECT_GE(waited, 250u);
    EXPECT_LT(waited, 1500u);

    // Reports injected while nobody reads are kept, in order, for this handle.
    ASSERT_TRUE(panels_.Ok("input 1 00112233"));
    ASSERT_TRUE(panels_.Ok("input 1 00445566"));
    ASSERT_TRUE(panels_.Ok("press 1 act1"));
    ASSERT_EQ(reader->ReadReport(r.data(), 4, 1000), ReadStatus::Report);
    EXPECT_EQ(r, (std::array<uint8_t, 4>{0x00, 0x11, 0x22, 0x33}));
    ASSERT_EQ(reader->ReadReport(r.data(), 4, 1000), ReadStatus::Report);
    EXPECT_EQ(r, (std::array<uint8_t, 4>{0x00, 0x44, 0x55, 0x66}));
    ASSERT_EQ(reader->ReadReport(r.data(), 4, 1000), ReadStatus::Report);
    EXPECT_EQ(r, (std::array<uint8_t, 4>{0x00, 0x81, 0x40, 0x00})) << "COM1 twice and the upper ACT/STBY";

    // A knob turn: two set/clear pulse pairs per notch, all delivered.
    ASSERT_TRUE(panels_.Ok("turn 1 0 3 100"));
    int sets = 0, clears = 0;
    while (reader->ReadReport(r.data(), 4, 300) == ReadStatus::Report) ++((r[3] & 0x01) ? sets : clears);
    EXPECT_EQ(sets, 6);
    EXPECT_EQ(clears, 6);

    // A cancelled read leaves no request behind: after a time-out the next
    // report still arrives, once, for the next read.
    EXPECT_EQ(reader->ReadReport(r.data(), 4, 100), ReadStatus::Timeout);
    ASSERT_TRUE(panels_.Ok("release 1 act1"));
    ASSERT_EQ(reader->ReadReport(r.data(), 4, 1000), ReadStatus::Report);
    EXPECT_EQ(r[2], 0x00);
    EXPECT_EQ(reader->ReadReport(r.data(), 4, 200), ReadStatus::Timeout);

    // Every open handle gets each report, like a HID driver's per-handle buffer.
    auto second = OpenDevice(1);
    ASSERT_TRUE(second);
    ASSERT_TRUE(panels_.Ok("selector 1 upper nav1"));
    ASSERT_EQ(reader->ReadReport(r.data(), 4, 1000), ReadStatus::Report);
    EXPECT_EQ(r[1], 0x84);
    ASSERT_EQ(second->ReadReport(r.data(), 4, 1000), ReadStatus::Report);
    EXPECT_EQ(r[1], 0x84);
}

TEST_F(VirtualDevices, AReportArrivingDuringAWaitEndsIt) {
    Publish("--multi 1");
    auto reader = OpenDevice(1);
    ASSERT_TRUE(reader);
    ASSERT_TRUE(panels_.Ok("stats 1"));
    std::array<uint8_t, 4> r{};
    // The hold presses at once and releases 400 ms later: the second read
    // is already waiting when the release comes.
    std::string reply;
    std::jthread script([&] { reply = panels_.Command("hold 1 ap 400"); });
    ASSERT_EQ(reader->ReadReport(r.data(), 4, 2000), ReadStatus::Report);
    EXPECT_EQ(r[1] & 0x80, 0x80);
    const ULONGLONG t0 = Now();
    ASSERT_EQ(reader->ReadReport(r.data(), 4, 3000), ReadStatus::Report);
    EXPECT_EQ(r[1] & 0x80, 0);
    EXPECT_LT(Now() - t0, 1500u) << "the read ended with the report, not the time-out";
    script.join();
    EXPECT_EQ(reply, "ok");
}

TEST_F(VirtualDevices, FeatureReportsRoundTripAndAreCounted) {
    Publish("--radio 1 --multi 1 --bip 1");
    auto radio = OpenDevice(1, false);
    ASSERT_TRUE(radio);
    std::array<uint8_t, 23> display{};
    display.fill(0xFF);
    display[0] = 0;
    display[1] = 0x01;
    display[5] = 0xD8;
    ASSERT_TRUE(radio->SetFeature(display.data(), 23));
    EXPECT_EQ(panels_.LastFeature(1, 0), std::vector<uint8_t>(display.begin(), display.end()));
    EXPECT_FALSE(radio->SetFeature(display.data(), 13)) << "a Multi Panel's size on a Radio Panel";
    EXPECT_EQ(panels_.FeatureWrites(1), 1u);

    // GetFeature answers with the positions in bytes 1-3.
    ASSERT_TRUE(panels_.Ok("selector 1 lower adf"));
    std::array<uint8_t, 23> read{};
    ASSERT_TRUE(radio->GetFeature(read.data(), 23));
    EXPECT_EQ(read[1], 0x01);
    EXPECT_EQ(read[2], 0x08);
    EXPECT_EQ(read[3], 0x00);

    // The BIP's 2-byte brightness report is shorter than its 7-byte tile
    // report: refused bare, as the system's HID class driver refuses it,
    // and accepted padded to the collection's feature length.
    auto raw = OpenDevice(3, false);
    ASSERT_TRUE(raw);
    const uint8_t brightness[2] = {0xB2, 100};
    EXPECT_FALSE(raw->SetFeature(brightness, 2));
    EXPECT_TRUE(panels_.LastFeature(3, 0xB2).empty());
    raw.reset();
    auto bip = OpenForFeatureReports(*system_, panels_.Path(3));
    ASSERT_TRUE(bip);
    const uint8_t tiles[7] = {0xB8, 0xFF, 0, 0, 0xFF, 0, 0x81};
    ASSERT_TRUE(bip->SetFeature(brightness, 2));
    ASSERT_TRUE(bip->SetFeature(tiles, 7));
    EXPECT_EQ(panels_.LastFeature(3, 0xB2), (std::vector<uint8_t>{0xB2, 100}));
    uint8_t level[2] = {0xB2, 0};
    ASSERT_TRUE(bip->GetFeature(level, 2)) << "a short read is made at the collection's length";
    EXPECT_EQ(level[1], 100);
    EXPECT_EQ(panels_.LastFeature(3, 0xB8), std::vector<uint8_t>(tiles, tiles + 7));
    uint8_t back[7] = {0xB8};
    ASSERT_TRUE(bip->GetFeature(back, 7));
    EXPECT_EQ(std::vector<uint8_t>(back, back + 7), std::vector<uint8_t>(tiles, tiles + 7));
    EXPECT_EQ(panels_.FeatureWrites(3), 2u);
    EXPECT_EQ(panels_.FeatureWrites(2), 0u) << "nothing sent to a panel nobody wrote";
}

// The Switch Panel's feature report holds its gear lamps only: a read
// never answers with the switches' positions, which come in input reports.
TEST_F(VirtualDevices, SwitchPanelAnswersNoFeatureReadAndTakesItsLamps) {
    Publish("--switch 1");
    auto device = OpenDevice(1, false);
    ASSERT_TRUE(device);
    ASSERT_TRUE(panels_.Ok("switch 1 bat on"));
    std::array<uint8_t, 4> read{};
    EXPECT_FALSE(device->GetFeature(read.data(), 4));
    // The gear lamps report.
    const uint8_t lamps[2] = {0x00, 0x35};
    ASSERT_TRUE(device->SetFeature(lamps, 2));
    EXPECT_EQ(panels_.LastFeature(1, 0), (std::vector<uint8_t>{0x00, 0x35}));
}

TEST_F(VirtualDevices, UnpluggedDevicesVanishFailAndComeBack) {
    Publish("--radio 2");
    const std::string path = panels_.Path(2);
    auto reader = OpenDevice(2);
    auto writer = OpenDevice(2, false);
    ASSERT_TRUE(reader && writer);
    HidCaps caps;
    ASSERT_TRUE(GetCapabilities(*system_, path, caps));

    ASSERT_TRUE(panels_.Ok("unplug 2"));
    ScanPaths paths;
    EXPECT_EQ(Scan(*system_, kSaitek, 0x0D05, paths), 1);
    EXPECT_EQ(paths[0], panels_.Path(1));
    caps.FeatureReportByteLength = 99;
    EXPECT_FALSE(GetCapabilities(*system_, path, caps));
    EXPECT_EQ(caps.FeatureReportByteLength, 99) << "the previous capabilities stay";
    EXPECT_FALSE(system_->Open(path, true));

    // The open handles fail; a read waits out its time-out rather than spinning.
    std::array<uint8_t, 4> r{};
    const ULONGLONG t0 = Now();
    EXPECT_EQ(reader->ReadReport(r.data(), 4, 300), ReadStatus::Failed);
    EXPECT_GE(Now() - t0, 250u);
    std::array<uint8_t, 23> display{};
    EXPECT_FALSE(writer->SetFeature(display.data(), 23));
    EXPECT_FALSE(writer->GetFeature(display.data(), 23));
    EXPECT_EQ(panels_.Command("press 2 act1"), "error device 2 is unplugged");

    ASSERT_TRUE(panels_.Ok("plug 2"));
    EXPECT_EQ(Scan(*system_, kSaitek, 0x0D05, paths), 2);
    auto again = system_->Open(path, true);
    ASSERT_TRUE(again);
    ASSERT_TRUE(panels_.Ok("press 2 act2"));
    ASSERT_EQ(again->ReadReport(r.data(), 4, 1000), ReadStatus::Report);
    EXPECT_EQ(r[2], 0x80);
}

TEST(DefaultSystem, CombinesRealAndVirtualDevices) {
    VirtualPanelsProcess panels;
    const std::string instance = UniqueInstance();
    ASSERT_TRUE(panels.Start("--hidden --pipe " + instance + " --bip 1"));
    auto combined = MakeCombinedHidSystem(MakeRealHidSystem(), MakeVirtualHidSystem(instance));
    const auto paths = combined->EnumerateInterfacePaths();
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(paths.back(), panels.Path(1));
    ScanPaths found;
    EXPECT_EQ(Scan(*combined, kSaitek, 0x0B4E, found), 1);
    // With no virtual-panel program the virtual half lists nothing.
    panels.Stop();
    auto none = MakeVirtualHidSystem(instance);
    EXPECT_TRUE(none->EnumerateInterfacePaths().empty());
    EXPECT_FALSE(none->Open(found[0], false));
}
