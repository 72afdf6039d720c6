#include "panels/radio/radio_logic.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "simlink/tests/fake_link.h"
#include "tests/support/panel_logic_fakes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

// Counts the allocations made while counting is on.
namespace {
bool g_countAllocations = false;
int g_allocations = 0;
} // namespace

// The replacements pair malloc with free; GCC, seeing them inlined into
// code that calls the standard operator new, warns of a mismatch that is not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
    if (g_countAllocations) ++g_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace orvex::panels::radio {
namespace {

using Log = std::vector<std::string>;

struct RecordingControl final : IRadioPanelControl {
    std::vector<std::pair<int, std::int16_t>> accelerations;
    std::array<std::string, 4> shown; // active upper, standby upper, active lower, standby lower
    bool dark = false;
    void SetAcceleration(int index, std::int16_t value) override { accelerations.emplace_back(index, value); }
    void WriteDisplay(const std::optional<std::string>& a, const std::optional<std::string>& b,
                      const std::optional<std::string>& c, const std::optional<std::string>& d) override {
        shown = {a.value_or("?"), b.value_or("?"), c.value_or("?"), d.value_or("?")};
        dark = false;
    }
    void TurnOffDisplay() override { dark = true; }
};

using test::FakeWait;
using test::RecordingTarget;

struct LogicFixture : ::testing::Test, test::LogicEnvironment {
    Log log;
    RecordingTarget target{log};
    FakeWait wait{log, FakeWait::Logging::EverySleep};
    RecordingControl control;
    cRadioPanelLogic logic{state, offsets, link, target, wait, config, control};

    void Start(const std::string& section = "", std::uint8_t specialMode = 0) {
        store.SetFileText("C:\\Orvex\\Default.ini", "[RadioPanel1]\n" + section);
        config.SpecialMode = specialMode;
        link.Put(0x281C, {1});
        link.Put(0x2E80, {1});
        logic.PanelIndex = 1;
        logic.StartUp();
    }
    void Bcd(std::int32_t offset, int v) {
        link.Put(offset, {static_cast<std::uint8_t>((v / 10 % 10) << 4 | v % 10),
                          static_cast<std::uint8_t>((v / 1000 % 10) << 4 | v / 100 % 10)});
    }
    int BcdAt(std::int32_t offset) const {
        const auto lo = link.table[static_cast<std::size_t>(offset)], hi = link.table[static_cast<std::size_t>(offset) + 1];
        return (hi >> 4) * 1000 + (hi & 15) * 100 + (lo >> 4) * 10 + (lo & 15);
    }
    void Tick() {
        std::int32_t r = 0;
        offsets.QueueReadAll(r);
        link.LinkProcess(r);
        logic.RefreshData();
    }
    // Queued writes of the current batch: (offset, first 32-bit word, second word).
    std::vector<std::vector<std::int32_t>> Queued() const {
        std::vector<std::vector<std::int32_t>> out;
        for (const auto& q : link.queue) {
            if (!q.write) continue;
            std::int32_t w[2] = {0, 0};
            std::memcpy(w, q.bytes.data(), std::min<std::size_t>(q.bytes.size(), 8));
            out.push_back(q.offset == simlink::kFsControlOffset ? std::vector{q.offset, w[0], w[1]}
                                                                : std::vector{q.offset, w[0]});
        }
        return out;
    }
    void Turn(int ring, int dir, int selector = 1, int speed = 1) { logic.Rotary(ring, dir, selector, speed); }
};

TEST(RadioLogicStatic, TranslatesSelectorValuesAndKnobs) {
    const std::pair<std::int32_t, std::int32_t> table[] = {
        {0x010000, 1}, {0x800000, 1}, {0x020000, 2}, {0x000100, 2}, {0x040000, 3}, {0x000200, 3}, {0x080000, 4},
        {0x000400, 4}, {0x100000, 5}, {0x000800, 5}, {0x200000, 6}, {0x001000, 6}, {0x400000, 7}, {0x002000, 7},
        {0, 0},        {0x030000, 0}, {0x4000, 0}};
    for (auto [value, position] : table) EXPECT_EQ(cRadioPanelLogic::SelectorPosition(value), position) << value;
    EXPECT_EQ(cRadioPanelLogic::TranslateKnob(0).Ring, 0);
    EXPECT_EQ(cRadioPanelLogic::TranslateKnob(1).Ring, 1);
    EXPECT_EQ(cRadioPanelLogic::TranslateKnob(1).Selector, 1);
    EXPECT_EQ(cRadioPanelLogic::TranslateKnob(2).Selector, 2);
    EXPECT_EQ(cRadioPanelLogic::TranslateKnob(3).Ring, 1);
    EXPECT_EQ(cRadioPanelLogic::TranslateKnob(4).Selector, 0);
}

TEST_F(LogicFixture, RegistersItsOffsetsAndTheNgxUnitOnlyInThatMode) {
    logic.RefreshData(); // before StartUp: nothing registered, nothing shown
    EXPECT_EQ(control.shown[0], "");
    Start("RotAccelerationCOM1=10\n", 2);
    EXPECT_EQ(offsets.Count(), 23u);
    EXPECT_TRUE(offsets.OffsetExists("NGX-IN-HPA"));
    EXPECT_EQ(offsets.Item("QNH")->Offset, 0x0330);
    EXPECT_EQ(control.accelerations, (std::vector<std::pair<int, std::int16_t>>{{1, 10}, {2, 10}}));
    config.SpecialMode = 0;
    logic.SetupChanged();
    EXPECT_FALSE(offsets.OffsetExists("NGX-IN-HPA"));
    EXPECT_EQ(offsets.Count(), 22u);
}

TEST_F(LogicFixture, ComShowsWhatWasReadAndTunesFromItsChannelWithWraps) {
    Start();
    Bcd(0x034E, 2150); // COM1 active 121.50
    Bcd(0x311A, 1802); // standby 118.02, the channel 118.025
    Tick();
    EXPECT_EQ(control.shown[0], "121.50");
    EXPECT_EQ(control.shown[1], "118.02");
    Turn(kInnerRing, kUp);
    EXPECT_EQ(BcdAt(0x311A), 1805);
    Turn(kInnerRing, kUp); // a second step before the refresh goes on from the first
    EXPECT_EQ(BcdAt(0x311A), 1807);

    const std::tuple<int, int, int, int, int> cases[] = {
        // standby digits, ring, direction, speed, digits written
        {3697, kOuterRing, kUp, 1, 1897},   // 136.975 -> 137.975 -> 118.975
        {1800, kInnerRing, kDown, 1, 3697}, // 118.000 -> 117.975 -> 136.975
        {2000, kOuterRing, kUp, 5, 2500},   // speed multiplies the step
        {2000, kInnerRing, kDown, 5, 1987},
        {3650, kOuterRing, kUp, 20, 1850},  // 156.5: whole turns of the band, never 137.50
    };
    for (auto [digits, ring, dir, speed, expected] : cases) {
        Bcd(0x311A, digits);
        Tick();
        Turn(ring, dir, 1, speed);
        EXPECT_EQ(BcdAt(0x311A), expected) << digits;
    }
}

// A second Radio Panel on the same radio (or the simulator itself) changed
// the standby frequency since this panel's last refresh: the step goes on
// from what the simulator holds, neither lost nor undoing the other's.
TEST_F(LogicFixture, ATuneStepsFromTheFrequencyTheSimulatorHoldsNow) {
    Start();
    Bcd(0x311A, 1802); // 118.025
    Tick();
    Bcd(0x311A, 1805); // another panel tuned one step up; no refresh came
    Turn(kInnerRing, kUp);
    EXPECT_EQ(BcdAt(0x311A), 1807);
    Bcd(0x311A, 2500);
    Turn(kOuterRing, kDown);
    EXPECT_EQ(BcdAt(0x311A), 2400);

    logic.SelectorChange(2, kNav2, kCom1);
    Bcd(0x3120, 1000); // NAV2 standby 110.00
    Tick();
    Bcd(0x3120, 1100);
    Turn(kInnerRing, kDown, 2);
    EXPECT_EQ(BcdAt(0x3120), 1095);
}

// A frequency written but not yet read back (another Radio Panel's, sent
// after the last refresh's reads were taken) is what the display shows and,
// when the simulator does not answer the read, what the next step starts from.
TEST_F(LogicFixture, AFrequencyOnItsWayCountsUntilItIsReadBack) {
    Start();
    Bcd(0x311A, 1802); // 118.025
    Tick();
    const std::uint16_t onItsWay = 0x1805; // 118.05, queued by another panel
    std::int32_t r = 0;
    ASSERT_TRUE(link.LinkWrite(0x311A, 2, &onItsWay, r));
    logic.RefreshData();
    EXPECT_EQ(control.shown[1], "118.05");

    link.readsFail = true;
    Turn(kInnerRing, kUp);
    EXPECT_EQ(BcdAt(0x311A), 1807) << "stepped from the write, not from 118.025";
}

TEST_F(LogicFixture, NavTuningAndTheMd80Mode) {
    Start();
    logic.SelectorChange(2, kNav1, kCom1);
    const std::tuple<int, int, int, int, int> cases[] = {
        {1795, kInnerRing, kUp, 1, 800},  // 117.95 -> 108.00
        {800, kInnerRing, kDown, 1, 1795},
        {1500, kOuterRing, kUp, 5, 1000}, // 120 -> 110
        {1700, kOuterRing, kUp, 20, 1700}, // 137 would be no NAV frequency
    };
    for (auto [digits, ring, dir, speed, expected] : cases) {
        Bcd(0x311E, digits);
        Tick();
        Turn(ring, dir, 2, speed);
        EXPECT_EQ(BcdAt(0x311E), expected) << digits;
    }

    link.queue.clear();
    config.SpecialMode = 1; // the MD-80 tunes the active NAV frequency through its own control
    Bcd(0x0350, 1050);
    Bcd(0x311E, 1700);
    Tick();
    EXPECT_EQ(control.shown[2], "");
    EXPECT_EQ(control.shown[3], "110.50");
    Turn(kInnerRing, kUp, 2);
    EXPECT_EQ(Queued(), (std::vector<std::vector<std::int32_t>>{{simlink::kFsControlOffset, 69633, 0x1055}}));
    EXPECT_EQ(BcdAt(0x311E), 1700) << "no standby write";
}

TEST_F(LogicFixture, ClicksSwapRadiosUnlessTheActionIsNone) {
    Start("ButtonActionCOM1=None\n");
    logic.SelectorChange(2, kNav2, kCom1);
    logic.ButtonClick(kLowerButtonMask);
    logic.ButtonLongClick(kLowerButtonMask);
    logic.ButtonClick(kUpperButtonMask); // COM1: bound to nothing, for both halves
    logic.ButtonClick(0x2000);
    EXPECT_EQ(Queued(), (std::vector<std::vector<std::int32_t>>{{0x3123, 1}, {0x3123, 1}}));
    logic.SelectorChange(1, kCom2, kCom1);
    logic.ButtonClick(kUpperButtonMask);
    EXPECT_EQ(Queued().back(), (std::vector<std::int32_t>{0x3123, 4}));
    EXPECT_EQ(state.RadioUpperSelection, 2);
    logic.SelectorChange(2, kNav1, kCom2);
    logic.SelectorChange(1, kAdf, kCom2);
    EXPECT_EQ(state.RadioUpperSelection, 2) << "only positions 1-4 of the upper selector count";
}

TEST_F(LogicFixture, AdfModesDisplaysAndWrites) {
    Start("ADFMode=3\n");
    logic.SelectorChange(1, kAdf, kCom1);
    Bcd(0x034C, 345);
    Bcd(0x0356, 5); // ADF1 345.5
    Tick();
    EXPECT_EQ(control.shown[0], "0345.5");
    EXPECT_EQ(control.shown[1], "0345.5") << "the standby starts at the active frequency";
    Turn(kOuterRing, kUp, 1, 5);
    Turn(kInnerRing, kDown);
    EXPECT_EQ(BcdAt(0x034C), 345) << "standby steps stay in the program";
    Tick();
    EXPECT_EQ(control.shown[1], "0350.4");
    logic.ButtonClick(kUpperButtonMask);
    EXPECT_EQ(BcdAt(0x034C), 350);
    EXPECT_EQ(BcdAt(0x0356), 4);
    EXPECT_EQ(state.ADFStandby[1], 345.5f);

    // Direct tuning (mode 0) writes main and extension; a thousands digit goes to the extension.
    const std::tuple<int, int, int, float, int, int> cases[] = {
        // main, ext, speed of one outer step up (ADFOutStep 0.5), then written main and ext
        {999, 5, 1, 1000.0f, 0, 100},   // 1000.0: main 0, extension 100
        {999, 5, 2, 1000.5f, 0, 105},
        {345, 105, 1, 1346.0f, 346, 100},
        {799, 109, 1, 100.4f, 100, 4},  // 1799.9 + 0.5 wraps to 100.4
    };
    logic.ActionsHolder().ADFMode = 0;
    logic.ActionsHolder().ADFOutStep = 0.5f;
    logic.SetupChanged();
    for (auto [main, ext, speed, kHz, wroteMain, wroteExt] : cases) {
        Bcd(0x034C, main);
        Bcd(0x0356, ext);
        Tick();
        Turn(kOuterRing, kUp, 1, speed);
        EXPECT_EQ(state.ADFActive[1], kHz);
        EXPECT_EQ(BcdAt(0x034C), wroteMain) << kHz;
        EXPECT_EQ(BcdAt(0x0356), wroteExt) << kHz;
    }
    link.Put(0x0300, {0xD2, 0x04}); // DME1 1234 tenths: whole miles
    Tick();
    EXPECT_EQ(control.shown[0], "123");

    // Mode 2: the click chooses the ADF, a decimal point marks it.
    logic.ActionsHolder().ADFMode = 2;
    logic.SetupChanged();
    Bcd(0x02D4, 1);
    Bcd(0x02D6, 109);
    Tick();
    EXPECT_EQ(control.shown[1], "0100.4.");
    EXPECT_EQ(control.shown[0], "1001.9");
    logic.ButtonClick(kUpperButtonMask);
    Turn(kInnerRing, kUp); // ADFInnStep 0.1 on ADF2
    Tick();
    EXPECT_EQ(control.shown[0], "1002.0.");
    EXPECT_EQ(BcdAt(0x02D4), 2);
    EXPECT_EQ(BcdAt(0x02D6), 100);
}

TEST_F(LogicFixture, DmeModesAndTimeFlag) {
    Start();
    logic.SelectorChange(1, kDme, kCom1);
    link.Put(0x0300, {0x7B, 0}); // DME1 12.3
    link.Put(0x0302, {0x7C, 0x04}); // 114.8 knots
    link.Put(0x0304, {0x70, 0x17}); // 6000 tenths of a second: 10 minutes
    Tick();
    EXPECT_EQ(control.shown[0], "12.3");
    EXPECT_EQ(control.shown[1], " . . .") << "DME2 has no signal";
    logic.ButtonClick(kUpperButtonMask);
    Tick();
    EXPECT_EQ(control.shown[0], "1 12.3");
    EXPECT_EQ(control.shown[1], "115");
    logic.ButtonLongClick(kUpperButtonMask);
    Tick();
    EXPECT_EQ(control.shown[1], "10.");
    logic.ButtonClick(kUpperButtonMask);
    Tick();
    EXPECT_EQ(control.shown[0], "2  . . .");
    EXPECT_EQ(control.shown[1], " . . .");
    logic.ButtonClick(kUpperButtonMask);
    EXPECT_EQ(logic.DmeDisplayMode(1), 1);
}

TEST_F(LogicFixture, TransponderDigitsWrapWithinOctal) {
    Start();
    logic.SelectorChange(1, kXpdr, kCom1);
    Turn(kInnerRing, kUp);
    EXPECT_EQ(link.processed.size(), 0u) << "the code has not been read yet";
    Bcd(0x0354, 7777);
    Tick();
    EXPECT_EQ(control.shown[1], "7.777");
    Turn(kInnerRing, kUp, 1, 20); // the speed does not multiply
    EXPECT_EQ(BcdAt(0x0354), 777);
    Bcd(0x0354, 0);
    Tick();
    Turn(kInnerRing, kDown);
    EXPECT_EQ(BcdAt(0x0354), 7000);
    logic.ButtonClick(kUpperButtonMask);
    logic.ButtonClick(kUpperButtonMask);
    Bcd(0x0354, 1200);
    Tick();
    EXPECT_EQ(control.shown[1], "120.0");
    Turn(kInnerRing, kDown);
    EXPECT_EQ(BcdAt(0x0354), 1270);
}

TEST_F(LogicFixture, AltimeterUnitToggleAndSteps) {
    Start();
    logic.SelectorChange(1, kXpdr, kCom1);
    link.Put(0x0330, {0x54, 0x3F}); // 16212 / 16 = 1013.25 hPa
    Tick();
    EXPECT_EQ(control.shown[0], "29.92");
    Turn(kOuterRing, kUp, 1, 10);
    EXPECT_EQ(logic.Qnh(), 1013.5f);
    logic.ButtonLongClick(kUpperButtonMask);
    Tick();
    EXPECT_EQ(control.shown[0], "1014") << "1013.5 read back";
    Turn(kOuterRing, kUp);
    EXPECT_EQ(link.table[0x0330] | link.table[0x0331] << 8, 1014 * 16) << "hPa steps start from whole hPa";
    link.Put(0x0330, {0xFF, 0xFF});
    Tick();
    Turn(kOuterRing, kUp); // beyond the offset's range: nothing written
    EXPECT_EQ(link.table[0x0330], 0xFF);

    logic.ActionsHolder().AltimeterUnit = kAltimeterHpa;
    logic.SetupChanged();
    logic.ButtonLongClick(kUpperButtonMask);
    EXPECT_FALSE(logic.InchesOfMercury()) << "a fixed unit does not toggle";

    // The 737NGX: its own unit and its own altimeter controls.
    logic.ActionsHolder().AltimeterUnit = kAltimeterToggle;
    config.SpecialMode = 2;
    logic.SetupChanged();
    link.Put(0x0330, {0x54, 0x3F});
    link.Put(0x6516, {1});
    Tick();
    EXPECT_EQ(control.shown[0], "1013");
    link.queue.clear();
    Turn(kOuterRing, kDown);
    logic.ButtonLongClick(kUpperButtonMask);
    EXPECT_EQ(Queued(), (std::vector<std::vector<std::int32_t>>{{simlink::kFsControlOffset, 69997, 8192},
                                                                 {simlink::kFsControlOffset, 69998, 0x20000000}}));
}

TEST_F(LogicFixture, NoPowerBlanksAndNoPositionKeepsTexts) {
    Start();
    Bcd(0x311A, 1802);
    Tick();
    EXPECT_FALSE(control.dark);
    link.Put(0x2E80, {0});
    Tick();
    EXPECT_TRUE(control.dark) << "battery on, avionics off";
    link.Put(0x2E80, {1});
    logic.SelectorChange(1, cRadioPanelLogic::SelectorPosition(0x030000), kCom1);
    EXPECT_EQ(control.accelerations.back(), (std::pair<int, std::int16_t>{1, 0}));
    Bcd(0x311A, 1900);
    Turn(kInnerRing, kUp);
    logic.ButtonClick(kUpperButtonMask);
    EXPECT_TRUE(Queued().empty());
    Tick();
    EXPECT_EQ(control.shown[1], "118.02");
    EXPECT_EQ(BcdAt(0x311A), 1900);
}

TEST_F(LogicFixture, SteadyRefreshAllocatesNothing) {
    Start("DMEMode=2\nADFMode=2\n");
    Bcd(0x034E, 2150);
    Bcd(0x3120, 1795);
    Bcd(0x034C, 345);
    Bcd(0x0356, 105);
    Bcd(0x0354, 7700);
    link.Put(0x0300, {0x7B, 0x00});
    link.Put(0x0330, {0x54, 0x3F});
    const std::pair<int, int> positions[] = {{kCom1, kXpdr}, {kNav2, kAdf}, {kDme, kCom2}};
    for (auto [upper, lower] : positions) {
        logic.SelectorChange(1, upper, 0);
        logic.SelectorChange(2, lower, 0);
        Tick(); // the texts reach their capacity
        g_allocations = 0;
        g_countAllocations = true;
        for (int i = 0; i < 3; ++i) logic.RefreshData();
        g_countAllocations = false;
        EXPECT_EQ(g_allocations, 0) << upper << "/" << lower;
    }
}

TEST_F(LogicFixture, BoundActionsFollowTheirPatterns) {
    Start("SelectorActionNAV1=VButton,64,1\nSelectorActionNAV2=VKey,65,1,65\nOutRotUpNAV1=VButton,64,2\n"
          "ButtonActionNAV1=VButton,64,3\nLongButtonActionNAV1=VButton,64,4\nInnRotDownNAV1=VKey,66,0,0\n");
    logic.SelectorChange(1, kNav1, kCom1);
    EXPECT_EQ(log, (Log{"press 64,1", "sleep 25", "sleep 25", "release 64,1"}));
    log.clear();
    logic.SelectorChange(1, kNav2, kNav1);
    EXPECT_EQ(log, Log{"key 65,1"});
    logic.SelectorChange(1, kNav1, kNav2);
    log.clear();
    Bcd(0x311E, 1000);
    Tick();
    Turn(kOuterRing, kUp, 1, 5);
    Turn(kInnerRing, kDown, 1, 2);
    Turn(kOuterRing, kDown); // still the panel's own tuning
    EXPECT_EQ(BcdAt(0x311E), 900);
    logic.ButtonClick(kUpperButtonMask);
    logic.ButtonUp(kUpperButtonMask);
    logic.ButtonLongClick(kUpperButtonMask);
    logic.ButtonUp(kUpperButtonMask);
    // A long click raised after the release: its button stays pressed.
    logic.ButtonLongClick(kUpperButtonMask);
    Log expected;
    for (int i = 0; i < 5; ++i) expected.insert(expected.end(), {"press 64,2", "release 64,2"});
    expected.insert(expected.end(), {"key 66,0", "key 66,0", "press 64,3", "release 64,3", "press 64,4",
                                     "release 64,4", "press 64,4"});
    EXPECT_EQ(log, expected);
}

TEST_F(LogicFixture, CustomActionsOnEveryKindOfEvent) {
    Start("SelectorActionADF=Control,65580,1\nButtonActionCOM1=Toggle,0x0D0C,2,4\n"
          "LongButtonActionCOM1=Set,0x66C0,1,9\nInnRotUpCOM1=Step,0x66C2,2,10,0,359,1\n"
          "OutRotDownCOM1=Control,65880,0\n");
    logic.SelectorChange(1, kAdf, kCom1);
    EXPECT_EQ(log, Log{"control 65580,1"}) << "no wait and release for a control";
    log.clear();
    logic.SelectorChange(1, kCom1, kAdf);
    target.memory[0x66C2] = 350;
    logic.ButtonClick(kUpperButtonMask);
    logic.ButtonUp(kUpperButtonMask);
    logic.ButtonLongClick(kUpperButtonMask);
    logic.ButtonUp(kUpperButtonMask);
    Turn(kInnerRing, kUp, 1, 3);
    Turn(kOuterRing, kDown, 1, 2);
    EXPECT_EQ(log, (Log{"write 0x0D0C,2,4", "write 0x66C0,1,9", "write 0x66C2,2,20", "control 65880,0",
                        "control 65880,0"}))
        << "one toggle per click, a Set on the long click, one Step write of delta x speed, the control per step";
    EXPECT_TRUE(link.queue.empty()) << "the built-in tuning is replaced";
}

} // namespace
} // namespace orvex::panels::radio
