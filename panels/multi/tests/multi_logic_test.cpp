// The Multi Panel logic against an in-memory FSUIPC: rows and lamps, the
// built-in knob, button, trim, flaps and auto-throttle behaviour of the
// standard, 737NGX and MD-80 modes, and the bound action patterns.
#include "panels/multi/multi_logic.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "simlink/tests/fake_link.h"
#include "tests/support/panel_logic_fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace orvex::panels::multi {
namespace {

using Log = std::vector<std::string>;
using Controls = std::vector<std::pair<std::int32_t, std::int32_t>>;

struct RecordingControl final : IMultiPanelControl {
    std::string upper = "?", lower = "?";
    int lamps = -1;
    int writes = 0, forced = 0, turnedOff = 0;
    bool dark = false;
    std::vector<std::int16_t> rotAccelerations, trimAccelerations;
    void WriteDisplay(const std::optional<std::string>& u, const std::optional<std::string>& l,
                      std::optional<std::uint8_t> lampByte, bool force) override {
        if (u) upper = *u;
        if (l) lower = *l;
        if (lampByte) lamps = *lampByte;
        ++writes;
        forced += force;
        dark = false;
    }
    void TurnOffDisplay() override {
        ++turnedOff;
        dark = true;
    }
    void GetPositions() override {}
    void SetRotAcceleration(std::int16_t v) override { rotAccelerations.push_back(v); }
    void SetTrimAcceleration(std::int16_t v) override { trimAccelerations.push_back(v); }
};

using test::FakeWait;
using test::RecordingTarget;

struct LogicFixture : ::testing::Test, test::LogicEnvironment {
    RecordingTarget target;
    FakeWait wait;
    RecordingControl control;
    cMultiPanelLogic logic{state, offsets, link, target, wait, config, control};

    void Start(const std::string& section = "", std::uint8_t specialMode = 0) {
        store.SetFileText("C:\\Orvex\\Default.ini", "[MultiPanel1]\n" + section);
        config.SpecialMode = specialMode;
        Put32(0x281C, 1);
        Put32(0x2E80, 1);
        logic.PanelIndex = 1;
        logic.StartUp();
    }
    void Put8(std::int32_t offset, std::uint8_t v) { link.table[static_cast<std::size_t>(offset)] = v; }
    void Put16(std::int32_t offset, std::int32_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        std::memcpy(link.table.data() + offset, &u, 2);
    }
    void Put32(std::int32_t offset, std::int32_t v) { std::memcpy(link.table.data() + offset, &v, 4); }
    void PutFloat(std::int32_t offset, float v) { std::memcpy(link.table.data() + offset, &v, 4); }
    std::int32_t Get32(std::int32_t offset) const {
        std::int32_t v;
        std::memcpy(&v, link.table.data() + offset, 4);
        return v;
    }
    std::int16_t Get16(std::int32_t offset) const {
        std::int16_t v;
        std::memcpy(&v, link.table.data() + offset, 2);
        return v;
    }
    // Sends what is queued, reads the registered offsets and refreshes.
    void Tick() {
        std::int32_t r = 0;
        offsets.QueueReadAll(r);
        link.LinkProcess(r);
        logic.RefreshData();
    }
    void Flush() {
        std::int32_t r = 0;
        link.LinkProcess(r);
    }
    // Queued writes of the current batch other than controls: (offset, value).
    std::vector<std::pair<std::int32_t, std::int32_t>> Writes() const {
        std::vector<std::pair<std::int32_t, std::int32_t>> out;
        for (const auto& q : link.queue) {
            if (!q.write || q.offset == simlink::kFsControlOffset) continue;
            std::int32_t v = 0;
            std::memcpy(&v, q.bytes.data(), std::min<std::size_t>(q.bytes.size(), 4));
            if (q.bytes.size() == 2) v = static_cast<std::int16_t>(v);
            out.emplace_back(q.offset, v);
        }
        return out;
    }
    // Every control sent, processed or still queued, in order.
    Controls Sent() const {
        Controls out;
        for (const auto* list : {&link.processed, &link.queue})
            for (const auto& q : *list) {
                if (!q.write || q.offset != simlink::kFsControlOffset) continue;
                std::int32_t w[2];
                std::memcpy(w, q.bytes.data(), 8);
                out.emplace_back(w[0], w[1]);
            }
        return out;
    }
    void ClearLink() {
        link.queue.clear();
        link.processed.clear();
    }
    void Select(int position) { logic.SelectorChange(position, logic.Selector()); }
};

// --- Standard mode ----------------------------------------------------------

TEST_F(LogicFixture, StandardRowsByTheSelector) {
    Start();
    Put32(0x07D4, static_cast<std::int32_t>(10000 / 3.28084 * 65536));  // altitude 10,000 ft
    Put16(0x07F2, -500);
    Put16(0x07E2, 250);
    Put16(0x07CC, 65536 * 90 / 360);
    Put16(0x0C4E, 45);
    Put16(0x0C5E, 270);
    Tick();
    EXPECT_EQ(control.upper, "");  // before the first selector position
    EXPECT_EQ(control.lower, "");

    Select(kAlt);
    Tick();
    EXPECT_EQ(control.upper, "10000");
    EXPECT_EQ(control.lower, "-500");
    Select(kIas);
    Tick();
    EXPECT_EQ(control.upper, "250");
    EXPECT_EQ(control.lower, "");
    Select(kHdg);
    Tick();
    EXPECT_EQ(control.upper, "090");
    Select(kCrs);
    Tick();
    EXPECT_EQ(control.upper, "045");

    // The course source: NAV2 fixed, or following radio panel 1's upper selector.
    logic.ActionsHolder().CourseSel = 2;
    Tick();
    EXPECT_EQ(control.upper, "270");
    logic.ActionsHolder().CourseSel = 0;
    for (auto [selection, shown] : {std::pair{1, "045"}, {2, "270"}, {3, "045"}, {4, "270"}}) {
        state.RadioUpperSelection = static_cast<std::uint8_t>(selection);
        Tick();
        EXPECT_EQ(control.upper, shown) << selection;
    }
    logic.ActionsHolder().CourseSel = 7;  // names no radio: NAV1
    Tick();
    EXPECT_EQ(control.upper, "045");
}

TEST_F(LogicFixture, LampsNeedTheValueOneExactly) {
    Start();
    Select(kAlt);
    Put32(0x07BC, 1);  // AP
    Put32(0x07C4, 2);  // NAV: not 1
    Put32(0x0800, 1);  // APR
    Put32(0x0804, 1);  // REV (back course)
    Tick();
    EXPECT_EQ(control.lamps, 0x01 | 0x40 | 0x80);
}

TEST_F(LogicFixture, PowerBlanksAndRestoresAndSelectorChangesForceOneWrite) {
    Start();
    Select(kAlt);
    Tick();
    EXPECT_EQ(control.forced, 1);  // the write after the selector change
    Tick();
    EXPECT_EQ(control.forced, 1);
    Put32(0x2E80, 0);  // battery on, avionics off
    Tick();
    Tick();
    EXPECT_TRUE(control.dark);
    EXPECT_EQ(control.turnedOff, 2);
    Put32(0x2E80, 1);
    Put32(0x07BC, 1);
    Tick();
    EXPECT_FALSE(control.dark);
    EXPECT_EQ(control.upper, "00000");
    EXPECT_EQ(control.lamps, 1);
}

TEST_F(LogicFixture, StandardAltitudeAndVerticalSpeedStepsAndLimits) {
    Start();
    Select(kAlt);
    Put32(0x07D4, static_cast<std::int32_t>(std::lround(99000 / 3.28084 * 65536)));
    Tick();
    logic.Rotary(kUp, 20);
    ASSERT_EQ(Writes().size(), 1u);
    EXPECT_EQ(Writes()[0].first, 0x07D4);
    EXPECT_NEAR(Writes()[0].second * 3.28084 / 65536, 99000, 0.5);  // stays at the top
    Tick();
    Put32(0x07D4, static_cast<std::int32_t>(std::lround(50 / 3.28084 * 65536)));
    Tick();
    logic.Rotary(kDown, 1);
    EXPECT_EQ(Writes(), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x07D4, 0}}));
    // A second step before the next refresh goes on from the first.
    logic.Rotary(kUp, 5);
    EXPECT_NEAR(Writes()[1].second * 3.28084 / 65536, 500, 0.5);

    Tick();
    Select(kVs);
    Put16(0x07F2, 9800);
    Tick();
    logic.Rotary(kUp, 5);
    EXPECT_EQ(Writes().back(), (std::pair<std::int32_t, std::int32_t>{0x07F2, 9900}));
    Tick();
    Put16(0x07F2, -9500);
    Tick();
    logic.Rotary(kDown, 10);
    EXPECT_EQ(Writes().back(), (std::pair<std::int32_t, std::int32_t>{0x07F2, -9900}));
}

// Two Multi Panels on one autopilot turned before a refresh has read the
// first one's write back (the window busy elsewhere, or a refresh from reads
// taken before the write): every step counts, and the rows never fall back
// to the old value for a moment.
TEST_F(LogicFixture, StepsNotYetReadBackCountForEveryPanel) {
    Start();
    RecordingControl control2;
    cMultiPanelLogic second{state, offsets, link, target, wait, config, control2};
    second.PanelIndex = 2;
    second.StartUp();
    const auto feet = [&] { return std::lround(Get32(0x07D4) * 3.28084 / 65536); };
    Put32(0x07D4, static_cast<std::int32_t>(std::lround(10000 / 3.28084 * 65536)));
    Put16(0x07CC, static_cast<std::int32_t>(std::lround(359 * 65536.0 / 360)));
    // Both panels on one position, both refreshed from the simulator.
    const auto selectBoth = [&](int position) {
        Select(position);
        second.SelectorChange(position, second.Selector());
        Tick();
        second.RefreshData();
    };
    selectBoth(kAlt);

    logic.Rotary(kUp, 1);
    second.Rotary(kUp, 1);
    logic.Rotary(kUp, 2);
    Tick();
    second.RefreshData();
    EXPECT_EQ(feet(), 10400);
    EXPECT_EQ(control.upper, "10400");
    EXPECT_EQ(control2.upper, "10400");

    // A refresh whose reads came before the write shows the write.
    logic.Rotary(kUp, 1);
    logic.RefreshData();
    EXPECT_EQ(control.upper, "10500");
    logic.Rotary(kUp, 1);
    Tick();
    EXPECT_EQ(feet(), 10600);

    // Degrees convert the same way back: the heading wraps once, not twice.
    selectBoth(kHdg);
    logic.Rotary(kUp, 1);
    second.Rotary(kUp, 1);
    Tick();
    EXPECT_EQ(std::lround(static_cast<std::uint16_t>(Get16(0x07CC)) * 360.0 / 65536), 1);
}

TEST_F(LogicFixture, StandardSpeedHeadingAndCourseSteps) {
    Start();
    Select(kIas);
    Put16(0x07E2, 3);
    Tick();
    logic.Rotary(kDown, 5);
    EXPECT_EQ(Writes().back(), (std::pair<std::int32_t, std::int32_t>{0x07E2, 0}));  // not below 0
    logic.Rotary(kUp, 10);
    EXPECT_EQ(Writes().back(), (std::pair<std::int32_t, std::int32_t>{0x07E2, 10}));

    Tick();
    Select(kHdg);
    const auto heading = [&](int degrees, int direction, int speed) {
        Flush();
        Put16(0x07CC, static_cast<std::int32_t>(std::lround(degrees * 65536.0 / 360)));
        Tick();
        logic.Rotary(direction, speed);
        const auto written = static_cast<std::uint16_t>(Writes().back().second);
        return static_cast<int>(std::lround(written * 360.0 / 65536));
    };
    EXPECT_EQ(heading(358, kUp, 5), 0);     // 363 is above 359: 0, not 3
    EXPECT_EQ(heading(2, kDown, 5), 359);   // -3: 359
    EXPECT_EQ(heading(359, kUp, 1), 0);
    EXPECT_EQ(heading(100, kDown, 10), 90);

    Tick();
    Select(kCrs);
    logic.ActionsHolder().CourseSel = 2;
    Put16(0x0C5E, 0);
    Tick();
    logic.Rotary(kDown, 20);
    EXPECT_EQ(Writes().back(), (std::pair<std::int32_t, std::int32_t>{0x0C5E, 359}));
}

TEST_F(LogicFixture, StandardButtonsToggleTheirHoldAndAprAlsoTheGlideslope) {
    Start();
    Put32(0x07BC, 0);
    logic.ButtonClick(kAp);
    EXPECT_EQ(Writes(), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x07BC, 1}}));
    Flush();
    Put32(0x0800, 0);
    logic.ButtonLongClick(kApr);
    EXPECT_EQ(Writes(), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x0800, 1}, {0x07FC, 1}}));
    Flush();
    logic.ButtonClick(kApr);  // any non-zero value toggles to 0
    EXPECT_EQ(Writes(), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x0800, 0}, {0x07FC, 0}}));
    Flush();
    Put32(0x0804, 5);
    logic.ButtonClick(kRev);
    EXPECT_EQ(Writes(), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x0804, 0}}));

    // A read the simulator does not answer writes nothing.
    Flush();
    link.processFails = true;
    logic.ButtonClick(kHdgButton);
    link.processFails = false;
    EXPECT_TRUE(Writes().empty());
    logic.ButtonClick(0);
    logic.ButtonClick(9);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(LogicFixture, BoundActionsReplaceTheBuiltInBehaviour) {
    Start("ButtonActionAP=None\n"
          "LongButtonActionHDG=VButton,64,3\n"
          "RotUpActionALT=VKey,38,2,0\n"
          "TrimActionUP=VButton,65,1\n"
          "FlapsActionDOWN=VKey,70,0,70\n"
          "AutoThrottleActionARM=None\n");
    logic.ButtonClick(kAp);
    logic.ButtonLongClick(kHdgButton);
    Select(kAlt);
    logic.Rotary(kUp, 3);
    logic.Trim(kUp, 2);
    logic.Flaps(kDown);
    logic.AutoThrottleChange(true);
    EXPECT_EQ(target.log, (Log{"press 64,3", "release 64,3", "key 38,2", "key 38,2", "key 38,2", "press 65,1",
                               "release 65,1", "press 65,1", "release 65,1", "key 70,0"}));
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(Sent().empty());
    logic.AutoThrottleChange(false);
    EXPECT_EQ(Writes(), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x0810, 0}}));
    EXPECT_GT(wait.pumps, 0);  // events end by letting messages run
}

TEST_F(LogicFixture, CustomActionsOnEveryKindOfEvent) {
    Start("SelectorActionVS=Control,66587,2\nButtonActionAP=Toggle,0x66C0,1,0x80\n"
          "LongButtonActionHDG=Set,0x66C1,1,-1\nRotUpActionHDG=Step,0x66C2,2,1,0,359,1\n"
          "RotDownActionHDG=Step,0x66C2,2,-1,0,359,1\nTrimActionDOWN=Control,65607,0\n"
          "FlapsActionUP=Set,0x66C4,4,7\nAutoThrottleActionOFF=Toggle,0x66C8,8,0x8000000000000001\n");
    Select(kVs);
    Select(kHdg);
    logic.ButtonClick(kAp);
    logic.ButtonLongClick(kHdgButton);
    logic.Rotary(kUp, 2);
    logic.Rotary(kDown, 5);
    logic.Trim(kDown, 2);
    logic.Flaps(kUp);
    logic.AutoThrottleChange(false);
    EXPECT_EQ(target.log, (Log{"control 66587,2", "write 0x66C0,1,128", "write 0x66C1,1,255", "write 0x66C2,2,2",
                               "write 0x66C2,2,357", "control 65607,0", "control 65607,0", "write 0x66C4,4,7",
                               "write 0x66C8,8,9223372036854775809"}));
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(LogicFixture, SelectorButtonsArePressedOnArrivalAndReleasedOnLeaving) {
    Start("SelectorActionALT=VButton,64,1\nSelectorActionVS=VButton,64,2\nSelectorActionHDG=VKey,72,0,72\n"
          "RotaryAccelerationVS=7\nTrimAcceleration=3\n");
    logic.SelectorChange(kAlt, kNoPosition);
    logic.SelectorChange(kVs, kAlt);
    logic.SelectorChange(kHdg, kVs);   // a keystroke; the VS button is let go
    logic.SelectorChange(kIas, kHdg);  // none
    EXPECT_EQ(target.log, (Log{"press 64,1", "press 64,2", "release 64,1", "key 72,0", "release 64,2"}));
    EXPECT_EQ(logic.Selector(), kIas);
    // Each move applies the position's knob acceleration and the trim's.
    EXPECT_EQ(control.rotAccelerations, (std::vector<std::int16_t>{1, 7, 1, 1}));
    EXPECT_EQ(control.trimAccelerations.back(), 3);
    logic.SelectorChange(9, kIas);
    EXPECT_EQ(logic.Selector(), kNoPosition);
}

TEST_F(LogicFixture, StandardTrimStepsCapsAndReverse) {
    Start("TrimSensitivity=10\n");
    Put16(0x0BC0, 16000);
    logic.Trim(kUp, 5);  // 5 * 10 * 8 = 400
    EXPECT_EQ(Get16(0x0BC0), 16383);  // written at once, capped
    Put16(0x0BC0, -16000);
    logic.Trim(kDown, 5);
    EXPECT_EQ(Get16(0x0BC0), -16383);
    Put16(0x0BC0, 100);
    logic.Trim(kDown, 1);
    EXPECT_EQ(Get16(0x0BC0), 20);
    // Reversed: up moves down and down moves up, kept within range both ways.
    logic.ActionsHolder().ReverseTrim = 1;
    Put16(0x0BC0, 16300);
    logic.Trim(kDown, 20);
    EXPECT_EQ(Get16(0x0BC0), 16383);
    Put16(0x0BC0, 0);
    logic.Trim(kUp, 1);
    EXPECT_EQ(Get16(0x0BC0), -80);
    // A sensitivity from the file too large for 16 bits still steps to the end.
    logic.ActionsHolder().ReverseTrim = 0;
    logic.ActionsHolder().TrimSensitivity = 30000;
    Put16(0x0BC0, 0);
    logic.Trim(kUp, 20);
    EXPECT_EQ(Get16(0x0BC0), 16383);
}

TEST_F(LogicFixture, StandardFlapsStepByTheDetentIncrement) {
    Start();
    Put16(0x3BFA, 4096);
    Put16(0x0BDC, 8192);
    logic.Flaps(kDown);
    EXPECT_EQ(Writes(), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x0BDC, 12288}}));
    Flush();
    Put16(0x0BDC, 2000);
    logic.Flaps(kUp);
    EXPECT_EQ(Writes().back().second, 0);
    Flush();
    Put16(0x0BDC, 16000);
    logic.Flaps(kDown);
    EXPECT_EQ(Writes().back().second, 16383);
    Flush();
    logic.ActionsHolder().ReverseFlaps = 1;
    Put16(0x0BDC, 8192);
    logic.Flaps(kUp);
    EXPECT_EQ(Writes().back().second, 12288);
}

TEST_F(LogicFixture, StandardAutoThrottleWritesTheArmSwitch) {
    Start();
    logic.AutoThrottleChange(true);
    EXPECT_EQ(Writes(), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x0810, 1}}));
}

// --- 737NGX -----------------------------------------------------------------

TEST_F(LogicFixture, NgxRegistersTheLampsOfTheChosenItems) {
    Start("NGXAPShort=17\nNGXHDGShort=16\n", kSpecialModeNgx);
    EXPECT_FALSE(offsets.OffsetExists("AP-MASTER"));  // SPD INTV has no lamp
    ASSERT_NE(offsets.Item("AP-HDG-HOLD"), nullptr);
    EXPECT_EQ(offsets.Item("AP-HDG-HOLD")->Offset, 0x6537);
    EXPECT_EQ(offsets.Item("AP-HDG-HOLD")->DataType(), 1);
    EXPECT_EQ(offsets.Item("AP-BC-HOLD")->Offset, 0x6541);  // REV: VOR LOC
    EXPECT_EQ(offsets.Item("AP-IAS-VAL")->Offset, 0x6524);
    EXPECT_EQ(offsets.Item("AP-IAS-VAL")->DataType(), 7);
    EXPECT_EQ(offsets.Item("AT-ARM")->Offset, 0x6535);
    EXPECT_EQ(offsets.Count(), 2u + 7 + 11);

    Put8(0x6537, 1);
    Put8(0x6541, 1);
    Select(kAlt);
    Tick();
    EXPECT_EQ(control.lamps, 0x02 | 0x80);

    // Back to the standard mode: the standard offsets, the NGX ones gone.
    config.SpecialMode = 0;
    logic.SetupChanged();
    EXPECT_EQ(offsets.Item("AP-MASTER")->Offset, 0x07BC);
    EXPECT_FALSE(offsets.OffsetExists("AT-ARM"));
    EXPECT_EQ(offsets.Count(), 2u + 14);
}

TEST_F(LogicFixture, NgxRowsWithMachBlanksAndPatterns) {
    Start("", kSpecialModeNgx);
    Put16(0x652E, 35000);
    Put16(0x6530, -500);
    PutFloat(0x6524, 0.78f);
    Put16(0x652C, 5);
    Put16(0x6520, 123);
    Select(kVs);
    Tick();
    EXPECT_EQ(control.upper, "35000");
    EXPECT_EQ(control.lower, "-0500");
    Put8(0x6532, 1);
    Tick();
    EXPECT_EQ(control.lower, "");
    Select(kIas);
    Tick();
    EXPECT_EQ(control.upper, "0.780");  // shown as 0, blank, 7, 8, 0
    PutFloat(0x6524, 250.0f);
    Tick();
    EXPECT_EQ(control.upper, "250");
    Put8(0x6528, 1);
    Tick();
    EXPECT_EQ(control.upper, "");
    Select(kHdg);
    Tick();
    EXPECT_EQ(control.upper, "005");
    Select(kCrs);
    Tick();
    EXPECT_EQ(control.upper, "123");
}

TEST_F(LogicFixture, NgxButtonsClickTheirItems) {
    Start("NGXIASLong=21\nButtonActionNAV=VButton,66,4\n", kSpecialModeNgx);
    logic.ButtonClick(kAp);
    logic.ButtonLongClick(kAp);
    logic.ButtonLongClick(kIasButton);
    logic.ButtonClick(kNav);  // a bound virtual button, not the NGX item
    EXPECT_EQ(Sent(), (Controls{{70034, 0x20000000}, {70035, 0x20000000}, {69972, 0x20000000}}));
    EXPECT_EQ(target.log, (Log{"press 66,4", "release 66,4"}));
}

TEST_F(LogicFixture, NgxKnobTurnsTheWheels) {
    Start("CourseSel=2\n", kSpecialModeNgx);
    const std::pair<int, Controls> cases[] = {
        {kAlt, {{70032, 16384}, {70032, 8192}}},
        {kVs, {{70033, 8192}, {70033, 16384}}},  // the V/S wheel the other way
        {kIas, {{70016, 16384}, {70016, 8192}}},
        {kHdg, {{70022, 16384}, {70022, 8192}}},
        {kCrs, {{70041, 16384}, {70041, 8192}}},  // right course
    };
    for (const auto& [position, expected] : cases) {
        ClearLink();
        Select(position);
        logic.Rotary(kUp, 20);
        logic.Rotary(kDown, 1);
        EXPECT_EQ(Sent(), expected) << position;
    }
    EXPECT_TRUE(Writes().empty());
}

TEST_F(LogicFixture, NgxAutoThrottleClicksOnlyAgainstTheAircraftsSwitch) {
    Start("", kSpecialModeNgx);
    Put8(0x6535, 0);
    Tick();
    logic.AutoThrottleChange(false);
    EXPECT_TRUE(Sent().empty());
    logic.AutoThrottleChange(true);
    EXPECT_EQ(Sent(), (Controls{{70012, 0x20000000}}));
    ClearLink();
    Put8(0x6535, 1);
    Tick();
    logic.AutoThrottleChange(true);
    EXPECT_TRUE(Sent().empty());
    logic.AutoThrottleChange(false);
    EXPECT_EQ(Sent(), (Controls{{70012, 0x20000000}}));
}

TEST_F(LogicFixture, NgxTrimSendsEachStepAndWaitsAndFlapsSendTheirControls) {
    Start("", kSpecialModeNgx);
    logic.Trim(kUp, 3);
    EXPECT_EQ(Sent(), (Controls{{65615, 0}, {65615, 0}, {65615, 0}}));
    EXPECT_TRUE(link.queue.empty());  // sent one by one
    EXPECT_GE(wait.slept, 150u);
    ClearLink();
    logic.ActionsHolder().ReverseTrim = 1;
    logic.Trim(kUp, 1);
    EXPECT_EQ(Sent(), (Controls{{65607, 0}}));

    ClearLink();
    logic.Flaps(kUp);
    logic.Flaps(kDown);
    logic.ActionsHolder().ReverseFlaps = 1;
    logic.Flaps(kUp);
    EXPECT_EQ(Sent(), (Controls{{65759, 0}, {65758, 0}, {65758, 0}}));
}

// --- MD-80 ------------------------------------------------------------------

TEST_F(LogicFixture, MaddogRegistersNothingAndKeepsItsValues) {
    Start("", kSpecialModeMaddog);
    EXPECT_EQ(offsets.Count(), 2u);  // the master switches
    const auto& md = logic.Maddog();
    EXPECT_EQ(md.Airspeed, 100);
    EXPECT_EQ(md.Mach, 500);
    EXPECT_EQ(md.RevCycle, 1);
    Select(kAlt);
    EXPECT_EQ(control.upper, "00000");
    EXPECT_EQ(control.lower, "0");
    Select(kIas);
    EXPECT_EQ(control.upper, "100");
    EXPECT_EQ(control.lower, "0");  // IAS, HDG and CRS leave the lower row
    Tick();
    EXPECT_EQ(control.lamps, 0);
}

TEST_F(LogicFixture, MaddogKnobLimitsRowsAndControls) {
    Start("RotUpActionALT=None\n", kSpecialModeMaddog);  // bound actions do not apply
    Select(kAlt);
    logic.Rotary(kUp, 20);
    EXPECT_EQ(control.upper, "02000");
    EXPECT_EQ(Sent(), (Controls{{69662, 2000}, {69663, 2000}}));
    logic.Rotary(kDown, 20);
    logic.Rotary(kDown, 20);
    EXPECT_EQ(logic.Maddog().Altitude, 0);

    ClearLink();
    Select(kVs);
    for (int i = 0; i < 5; ++i) logic.Rotary(kUp, 10);
    EXPECT_EQ(logic.Maddog().VerticalSpeed, 4000);
    EXPECT_EQ(control.lower, "4000");
    ClearLink();
    logic.Rotary(kDown, 1);
    EXPECT_EQ(Sent(), (Controls{{69677, 1}, {69676, 1}, {69660, 3900}}));
    for (int i = 0; i < 7; ++i) logic.Rotary(kDown, 20);
    EXPECT_EQ(logic.Maddog().VerticalSpeed, -8000);

    ClearLink();
    Select(kIas);
    logic.Rotary(kDown, 5);
    EXPECT_EQ(logic.Maddog().Airspeed, 100);
    for (int i = 0; i < 20; ++i) logic.Rotary(kUp, 20);
    EXPECT_EQ(logic.Maddog().Airspeed, 350);
    EXPECT_EQ(control.upper, "350");
    EXPECT_EQ(Sent().back(), (std::pair<std::int32_t, std::int32_t>{69661, 350}));

    logic.ButtonLongClick(kRev);  // Mach mode
    EXPECT_EQ(control.upper, "0500");
    EXPECT_EQ(control.lamps & 0x80, 0x80);
    ClearLink();
    logic.Rotary(kDown, 1);
    EXPECT_EQ(logic.Maddog().Mach, 500);
    for (int i = 0; i < 30; ++i) logic.Rotary(kUp, 20);
    EXPECT_EQ(logic.Maddog().Mach, 900);
    EXPECT_EQ(Sent().back(), (std::pair<std::int32_t, std::int32_t>{69654, 900}));
    logic.ButtonLongClick(kRev);
    EXPECT_EQ(control.upper, "350");

    ClearLink();
    Select(kHdg);
    logic.Rotary(kDown, 5);
    EXPECT_EQ(control.upper, "355");
    logic.Rotary(kUp, 10);
    EXPECT_EQ(Sent(), (Controls{{69656, 355}, {69656, 5}}));
    ClearLink();
    state.RadioUpperSelection = 4;
    logic.ActionsHolder().CourseSel = 0;
    Select(kCrs);
    logic.Rotary(kDown, 1);
    EXPECT_EQ(Sent(), (Controls{{65717, 359}}));
}

TEST_F(LogicFixture, MaddogButtonsSendTheirControls) {
    Start("ButtonActionHDG=None\n", kSpecialModeMaddog);
    for (int b = kHdgButton; b <= kApr; ++b) logic.ButtonClick(b);
    EXPECT_EQ(Sent(), (Controls{{69659, 1}, {69672, 1}, {69669, 1}, {69663, 0}, {69664, 1}, {69676, 1}, {69674, 1}}));
    ClearLink();
    for (int b = kHdgButton; b <= kApr; ++b) logic.ButtonLongClick(b);
    EXPECT_EQ(Sent(), (Controls{{69658, 1}, {69673, 1}, {69677, 1}, {69679, 1}, {69678, 1}, {69675, 1}}));

    // AP toggles, on click and long click alike; the lamp follows.
    ClearLink();
    logic.ButtonClick(kAp);
    Tick();
    EXPECT_EQ(control.lamps & 1, 1);
    logic.ButtonLongClick(kAp);
    Tick();
    EXPECT_EQ(control.lamps & 1, 0);
    EXPECT_EQ(Sent(), (Controls{{69666, 1}, {69666, 0}}));

    // The IAS hold in Mach mode.
    ClearLink();
    logic.ButtonLongClick(kRev);
    logic.ButtonClick(kIasButton);
    EXPECT_EQ(Sent(), (Controls{{69655, 1}, {69745, 1}}));
}

TEST_F(LogicFixture, MaddogRevClicksCycleTheirValue) {
    Start("", kSpecialModeMaddog);
    for (int i = 0; i < 7; ++i) logic.ButtonClick(kRev);
    Controls expected;
    for (int v : {1, 5, 3, 4, 6, 2, 1}) {
        expected.emplace_back(69740, v);
        expected.emplace_back(69671, 1);
    }
    EXPECT_EQ(Sent(), expected);
    // A new configuration starts the MD-80's values over.
    logic.SetupChanged();
    EXPECT_EQ(logic.Maddog().RevCycle, 1);
}

TEST_F(LogicFixture, MaddogAutoThrottleIgnoresTheBoundActionAndTrimDoesNot) {
    Start("AutoThrottleActionARM=None\nTrimActionDOWN=None\n", kSpecialModeMaddog);
    logic.AutoThrottleChange(true);
    logic.AutoThrottleChange(false);
    EXPECT_EQ(Sent(), (Controls{{69665, 1}, {69665, 0}}));
    Put16(0x0BC0, 0);
    logic.Trim(kDown, 1);
    EXPECT_EQ(Get16(0x0BC0), 0);
    logic.Trim(kUp, 1);
    EXPECT_EQ(Get16(0x0BC0), 32);  // as in the standard mode
    logic.SelectorChange(kAlt, 0);
    EXPECT_TRUE(target.log.empty());
}

TEST_F(LogicFixture, NothingHappensBeforeStartUpOrWithoutAPosition) {
    logic.RefreshData();
    EXPECT_EQ(control.writes, 0);
    EXPECT_EQ(control.turnedOff, 0);
    Start();
    logic.Rotary(kUp, 1);
    logic.Rotary(2, 1);
    logic.Trim(5, 1);
    logic.Flaps(-1);
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(target.log.empty());
}

} // namespace
} // namespace orvex::panels::multi
