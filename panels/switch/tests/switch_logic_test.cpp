#include "panels/switch/switch_logic.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "panels/switch/switch_input.h"
#include "panels/switch/switch_lamps.h"
#include "simlink/tests/fake_link.h"
#include "tests/support/panel_logic_fakes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace orvex::panels::switchpanel {
namespace {

using Log = std::vector<std::string>;

struct RecordingControl final : ISwitchPanelControl {
    std::vector<std::array<std::int32_t, 3>> lights; // nose, left, right
    void ChangeLights(std::optional<std::int32_t> n, std::optional<std::int32_t> l,
                      std::optional<std::int32_t> r) override {
        lights.push_back({n.value_or(-1), l.value_or(-1), r.value_or(-1)});
    }
};

using test::FakeWait;
using test::RecordingTarget;

struct SwitchLogicFixture : ::testing::Test, test::LogicEnvironment {
    Log log;
    RecordingTarget target{log};
    FakeWait wait{log, FakeWait::Logging::OnMark};
    RecordingControl control;
    cSwitchPanelLogic logic{state, offsets, link, target, wait, config, control};

    // Waits show in the log where they happened.
    struct MarkingTarget final : actions::IActionTarget {
        SwitchLogicFixture& f;
        explicit MarkingTarget(SwitchLogicFixture& fixture) : f(fixture) {}
        void SetVirtualButton(std::uint8_t j, std::uint8_t b, bool p, bool i) override {
            f.wait.Mark();
            f.target.SetVirtualButton(j, b, p, i);
        }
        void SendKeystroke(std::uint8_t k, std::uint8_t q) override {
            f.wait.Mark();
            f.target.SendKeystroke(k, q);
        }
        void SendFsControl(std::int32_t c, std::int32_t p, bool i) override {
            f.wait.Mark();
            f.target.SendFsControl(c, p, i);
        }
        bool ReadOffset(std::int32_t o, std::int32_t s, std::uint64_t& v) override { return f.target.ReadOffset(o, s, v); }
        void WriteOffset(std::int32_t o, std::int32_t s, std::uint64_t v, bool i) override {
            f.wait.Mark();
            f.target.WriteOffset(o, s, v, i);
        }
    };

    void Start(const std::string& section = "", std::uint8_t specialMode = 0) {
        store.SetFileText("C:\\Orvex\\Default.ini", "[SwitchPanel1]\n" + section);
        config.SpecialMode = specialMode;
        logic.PanelIndex = 1;
        logic.StartUp();
    }
    void Tick() {
        std::int32_t r = 0;
        offsets.QueueReadAll(r);
        link.LinkProcess(r);
        logic.RefreshData();
    }
    void Process() {
        std::int32_t r = 0;
        link.LinkProcess(r);
    }
    void PutLong(std::int32_t offset, std::int32_t v) { std::memcpy(link.table.data() + offset, &v, 4); }
    std::int32_t Long(std::int32_t offset) const {
        std::int32_t v;
        std::memcpy(&v, link.table.data() + offset, 4);
        return v;
    }
    std::int16_t Short(std::int32_t offset) const {
        std::int16_t v;
        std::memcpy(&v, link.table.data() + offset, 2);
        return v;
    }
    double Double(std::int32_t offset) const {
        double v;
        std::memcpy(&v, link.table.data() + offset, 8);
        return v;
    }
    // The FSUIPC controls sent, in order, as "control,parameter".
    std::vector<std::string> Controls() const {
        std::vector<std::string> out;
        for (const auto& r : link.processed) {
            if (!r.write || r.offset != simlink::kFsControlOffset) continue;
            std::int32_t w[2];
            std::memcpy(w, r.bytes.data(), 8);
            out.push_back(std::to_string(w[0]) + "," + std::to_string(static_cast<std::uint32_t>(w[1])));
        }
        return out;
    }
    // Offsets written (not read) by the last processed batches.
    std::vector<std::int32_t> Written() const {
        std::vector<std::int32_t> out;
        for (const auto& r : link.processed)
            if (r.write) out.push_back(r.offset);
        return out;
    }
};

TEST_F(SwitchLogicFixture, RegistersItsOffsetsOnceAndTranslatesBits) {
    logic.RefreshData(); // before StartUp: nothing registered, nothing lit
    EXPECT_TRUE(control.lights.empty());
    Start();
    EXPECT_EQ(offsets.Count(), 5u);
    EXPECT_EQ(offsets.Item("FUELPUMPS")->Offset, 0x3125);
    EXPECT_EQ(offsets.Item("GEARLEFT")->Offset, 0x0BF4);
    logic.SetupChanged();
    EXPECT_EQ(offsets.Count(), 5u);
    EXPECT_EQ(cSwitchPanelLogic::SwitchIndex(0x000001), kSelBoth);
    EXPECT_EQ(cSwitchPanelLogic::SwitchIndex(0x123), 0);
}

TEST_F(SwitchLogicFixture, BuiltInSwitchesWriteTheirOffsetsWithTheNextProcessCall) {
    Start();
    logic.SwitchChange(kBat, true);
    logic.SwitchChange(kAvionics, true);
    logic.SwitchChange(kPitot, true);
    logic.SwitchChange(kAlt, true);
    logic.SwitchChange(kDeIce, true);
    logic.SwitchChange(kCowl, true);
    logic.SwitchChange(kFuelPump, true);
    EXPECT_EQ(link.processCalls, 0); // all queued
    Process();
    EXPECT_EQ(link.table[0x3102], 1);
    EXPECT_EQ(link.table[0x3103], 1);
    EXPECT_EQ(link.table[0x029C], 1);
    EXPECT_EQ(link.table[0x3125], 15);
    for (std::int32_t o : {0x3B78, 0x3AB8, 0x39F8, 0x3938}) EXPECT_EQ(Long(o), 1) << o;
    for (std::int32_t o : {0x08B2, 0x094A, 0x09E2, 0x0A7A}) EXPECT_EQ(Short(o), 1) << o;
    // Cowl flaps: 0 when the switch is on (open), 1 when off.
    for (std::int32_t o : {0x37F0, 0x3730, 0x3670, 0x35B0}) EXPECT_EQ(Double(o), 0.0) << o;
    logic.SwitchChange(kCowl, false);
    logic.SwitchChange(kBat, false);
    Process();
    EXPECT_EQ(Double(0x35B0), 1.0);
    EXPECT_EQ(link.table[0x3102], 0);
}

TEST_F(SwitchLogicFixture, SingleEngineOptionsFollowTheRadioPanelsUpperSelector) {
    Start("SingleFuelPump=1\nSingleAltSwitch=1\nSingleCowlFlaps=1\nSingleDeIce=1\nSingleStarterSelector=1\n");
    state.RadioUpperSelection = 3; // NAV1: engine 3
    link.table[0x3125] = 0x02;     // engine 2's pump runs
    Tick();
    logic.SwitchChange(kFuelPump, true);
    logic.SwitchChange(kAlt, true);
    logic.SwitchChange(kDeIce, true);
    logic.SwitchChange(kCowl, false);
    logic.SelectorChange(kSelBoth, kSelL);
    Process();
    EXPECT_EQ(link.table[0x3125], 0x02 | 0x04);
    EXPECT_EQ(Written(), (std::vector<std::int32_t>{0x3125, 0x39F8, 0x09E2, 0x3670, 0x09C2}));
    EXPECT_EQ(Short(0x09C2), 3);
    Tick();
    logic.SwitchChange(kFuelPump, false);
    Process();
    EXPECT_EQ(link.table[0x3125], 0x02);
    // No valid engine: nothing is written.
    state.RadioUpperSelection = 0;
    link.processed.clear();
    logic.SwitchChange(kAlt, false);
    logic.SwitchChange(kFuelPump, true);
    Process();
    EXPECT_TRUE(Written().empty());
}

TEST_F(SwitchLogicFixture, MagnetoWritesThePositionToEveryEngine) {
    Start();
    logic.SelectorChange(kSelStart, kSelBoth);
    Process();
    for (std::int32_t o : {0x0892, 0x092A, 0x09C2, 0x0A5A}) EXPECT_EQ(Short(o), 4) << o;
    logic.SelectorChange(kSelOff, kSelR);
    Process();
    EXPECT_EQ(Short(0x0A5A), 0);
    link.processed.clear();
    logic.SelectorChange(0, kSelOff); // between positions: nothing
    EXPECT_TRUE(link.queue.empty());
}

TEST_F(SwitchLogicFixture, MagnetoWithVirtualButtonsReleasesTheOldPositionThenPressesTheNew) {
    Start("SwitchSELALLOff=VButton,64,4\nSwitchSELSTARTOn=VButton,64,5\nSwitchSELROn=VKey,82,0,0\n");
    MarkingTarget marking(*this);
    cSwitchPanelLogic marked{state, offsets, link, marking, wait, config, control};
    marked.PanelIndex = 1;
    marked.StartUp();
    marked.SelectorChange(kSelStart, kSelBoth);
    wait.Mark();
    EXPECT_EQ(log, (Log{"press 64,4", "wait 50", "release 64,4", "press 64,5", "wait 50", "release 64,5"}));
    EXPECT_TRUE(link.queue.empty()); // no magneto write for a bound action
    log.clear();
    marked.SelectorChange(kSelR, kSelStart); // START's Off is "Offset": nothing for it
    EXPECT_EQ(log, (Log{"key 82,0"}));
}

TEST_F(SwitchLogicFixture, SwitchActionsByKind) {
    Start("SwitchBATOn=VButton,66,7\nSwitchBATOff=VKey,66,2,0\nSwitchPANELOn=None\n");
    MarkingTarget marking(*this);
    cSwitchPanelLogic marked{state, offsets, link, marking, wait, config, control};
    marked.PanelIndex = 1;
    marked.StartUp();
    marked.SwitchChange(kBat, true);
    wait.Mark();
    marked.SwitchChange(kBat, false);
    EXPECT_EQ(log, (Log{"press 66,7", "wait 50", "release 66,7", "key 66,2"}));
    EXPECT_TRUE(link.queue.empty());
    // PANEL "None" on: the lights stay; off still clears the bit.
    link.Put(0x0D0C, {0x21, 0});
    marked.SwitchChange(kPanel, true);
    EXPECT_EQ(link.processCalls, 0);
    marked.SwitchChange(kPanel, false);
    Process();
    EXPECT_EQ(Short(0x0D0C), 0x01);
}

TEST_F(SwitchLogicFixture, LightsChangeOnlyTheirBitAndOnlyWhenItDiffers) {
    Start();
    link.Put(0x0D0C, {0x01, 0x80}); // NAV on, and a bit of another program's (the sign bit)
    logic.SwitchChange(kNav, true); // already on: read, nothing written
    EXPECT_TRUE(link.queue.empty());
    logic.SwitchChange(kBeacon, true);
    logic.SwitchChange(kStrobe, true); // reads after the queued write: both bits survive
    logic.SwitchChange(kNav, false);
    Process();
    EXPECT_EQ(static_cast<std::uint16_t>(Short(0x0D0C)), 0x8000 | 0x02 | 0x10);
    const std::pair<int, std::int32_t> bits[] = {{kPanel, 0x20}, {kTaxi, 0x08}, {kLanding, 0x04}};
    for (auto [index, bit] : bits) {
        link.Put(0x0D0C, {0, 0});
        logic.SwitchChange(index, true);
        Process();
        EXPECT_EQ(Short(0x0D0C), bit) << index;
    }
    // A read that fails leaves the lights alone.
    link.Put(0x0D0C, {0x3F, 0});
    link.processFails = true;
    logic.SwitchChange(kLanding, false);
    link.processFails = false;
    Process();
    EXPECT_EQ(Short(0x0D0C), 0x3F);
}

TEST_F(SwitchLogicFixture, GearLeverByKind) {
    Start();
    logic.GearUp();
    Process();
    EXPECT_EQ(Long(0x0BE8), 0);
    logic.GearDown();
    Process();
    EXPECT_EQ(Long(0x0BE8), 16383);

    Start("SwitchGEARDOWNOn=VButton,64,20\nSwitchGEARUPOn=VButton,64,19\n");
    logic.GearDown();
    logic.GearUp();
    EXPECT_EQ(log, (Log{"press 64,20", "release 64,19", "press 64,19", "release 64,20"}));
    log.clear();
    // A key on one side and a button on the other: the key's stale fields
    // are no button to release.
    Start("SwitchGEARDOWNOn=VButton,64,20\nSwitchGEARUPOn=VKey,71,0,103\n");
    logic.GearDown();
    logic.GearUp();
    EXPECT_EQ(log, (Log{"press 64,20", "key 71,0"}));
}

TEST_F(SwitchLogicFixture, CustomActionsOnSwitchesTheMagnetoAndTheGear) {
    Start("SwitchTAXIOn=Control,66587,8\nSwitchTAXIOff=Toggle,0x0D0C,2,8\nSwitchSELROn=Set,0x66C0,1,1\n"
          "SwitchSELLOn=Step,0x66C1,1,-1,-5,5,0\nSwitchGEARUPOn=Set,0x0BE8,4,0\n"
          "SwitchGEARDOWNOn=Control,66080,0\n");
    logic.SwitchChange(kTaxi, true);
    logic.SwitchChange(kTaxi, false);
    logic.SelectorChange(kSelR, kSelOff);
    logic.SelectorChange(kSelL, kSelR);
    logic.GearUp();
    logic.GearDown();
    EXPECT_EQ(log, (Log{"control 66587,8", "write 0x0D0C,2,8", "write 0x66C0,1,1", "write 0x66C1,1,255",
                        "write 0x0BE8,4,0", "control 66080,0"}))
        << "no 50 ms wait and no release for custom actions";
    EXPECT_TRUE(link.queue.empty());
}

TEST_F(SwitchLogicFixture, NgxGearAndLights) {
    Start("SwitchGEARDOWNOn=None\n", kSpecialModeNgx);
    logic.GearDown(); // whatever the bound action
    EXPECT_EQ(wait.waited, 1000u);
    logic.GearUp();
    Process();
    EXPECT_EQ(Controls(), (std::vector<std::string>{"70087,536870912", "70087,536870912", "70087,2147483648"}));

    struct Case {
        int index;
        std::int32_t positionOffset;
        std::uint8_t position;
        bool on;
        std::vector<std::string> controls;
        std::uint32_t waited;
    };
    const std::string L = ",536870912", R = ",2147483648";
    const Case cases[] = {
        {kPanel, 0x642F, 0, true, {"69890" + L, "69890" + L}, 1000},
        {kPanel, 0x642F, 0, false, {"69890" + L}, 0},
        {kPanel, 0x642F, 1, true, {"69890" + L}, 0},
        {kPanel, 0x642F, 1, false, {}, 0},
        {kPanel, 0x642F, 2, false, {"69890" + R}, 0},
        {kBeacon, 0x6501, 0, true, {"69756" + L}, 0},
        {kBeacon, 0x6501, 1, false, {"69756" + L}, 0},
        {kBeacon, 0x6501, 1, true, {}, 0},
        {kNav, 0x6500, 0, false, {"69755" + R}, 0},
        {kNav, 0x6500, 1, true, {"69755" + L}, 0},
        {kStrobe, 0x6500, 0, true, {"69755" + R, "69755" + R}, 1000},
        {kStrobe, 0x6500, 1, true, {"69755" + R}, 0},
        {kStrobe, 0x6500, 2, false, {"69755" + L}, 0},
        {kStrobe, 0x6500, 2, true, {}, 0},
        {kTaxi, 0x64FA, 0, true, {"69749" + L}, 0},
        {kTaxi, 0x64FA, 1, false, {"69749" + L}, 0},
        {kLanding, 0, 0, true, {"69742" + L}, 0},
        {kLanding, 0, 0, false, {"69742" + R}, 0},
    };
    for (const Case& c : cases) {
        link.processed.clear();
        wait.waited = 0;
        if (c.positionOffset) link.table[static_cast<std::size_t>(c.positionOffset)] = c.position;
        logic.SwitchChange(c.index, c.on);
        Process();
        EXPECT_EQ(Controls(), c.controls) << c.index << " " << int{c.position} << " " << c.on;
        EXPECT_EQ(wait.waited, c.waited) << c.index;
    }
    EXPECT_EQ(Short(0x0D0C), 0); // the standard light bits are never touched
}

TEST_F(SwitchLogicFixture, GearLampsFollowTheGearWhenManaged) {
    Start();
    PutLong(0x281C, 1);
    PutLong(0x0BEC, 8000);  // nose in transit
    PutLong(0x0BF0, 16383); // right down
    PutLong(0x0BF4, 0);     // left up
    state.AircraftHasRetractableGear = false;
    state.SimVersion = 8;
    Tick(); // not managed: dark, as last sent, so nothing is written
    EXPECT_TRUE(control.lights.empty());
    state.AircraftHasRetractableGear = true;
    Tick();
    Tick(); // the same colours: one report
    ASSERT_EQ(control.lights.size(), 1u);
    EXPECT_EQ(control.lights[0], (std::array<std::int32_t, 3>{kLampRed, kLampOff, kLampGreen}));
    PutLong(0x281C, 0); // battery off: all dark
    Tick();
    EXPECT_EQ(control.lights.back(), (std::array<std::int32_t, 3>{0, 0, 0}));
    // FS2004 with the option: managed without detection; without it, dark.
    PutLong(0x281C, 1);
    state.AircraftHasRetractableGear = false;
    state.SimVersion = kSimVersionFs2004;
    Tick();
    EXPECT_EQ(control.lights.back()[0], kLampRed);
    logic.ActionsHolder().RetractableGear = false;
    Tick();
    EXPECT_EQ(control.lights.back(), (std::array<std::int32_t, 3>{0, 0, 0}));
}

TEST_F(SwitchLogicFixture, LampsComeBackAfterTheSimulatorWasLost) {
    Start();
    state.AircraftHasRetractableGear = true;
    PutLong(0x281C, 1);
    PutLong(0x0BEC, 16383);
    Tick();
    logic.TurnOffLights();
    EXPECT_EQ(control.lights.back(), (std::array<std::int32_t, 3>{0, 0, 0}));
    Tick();
    EXPECT_EQ(control.lights.back()[0], kLampGreen);
    EXPECT_EQ(control.lights.size(), 3u);
}

} // namespace
} // namespace orvex::panels::switchpanel
