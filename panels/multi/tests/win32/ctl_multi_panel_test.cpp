// The Multi Panel control against a virtual panel: input through a Relaybox
// reader, the rows and lamps through feature reports, positions, the
// start-up animation and the blanking when the control goes.
#include "panels/multi/win32/ctl_multi_panel.h"

#include "tests/support/panel_control_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

using namespace orvex;
using namespace orvex::panels::multi;
using relaybox::test::PumpFor;
using relaybox::test::PumpUntil;

namespace {

const std::string& Instance() {
    static const std::string name = test::InstanceName("MultiControlTests");
    return name;
}

class RecordingEvents final : public IMultiPanelEvents, public test::EventLog {
public:
    void RawInput(const std::array<std::uint8_t, 4>&) override { ++raw; }
    void ButtonClick(std::int32_t m) override { Add("click " + std::to_string(m)); }
    void ButtonLongClick(std::int32_t m) override { Add("long " + std::to_string(m)); }
    void ButtonDown(std::int32_t m) override { Add("down " + std::to_string(m)); }
    void ButtonUp(std::int32_t m) override { Add("up " + std::to_string(m)); }
    void RotaryUp(std::int16_t s) override { Speed("rotup", s); }
    void RotaryDown(std::int16_t s) override { Speed("rotdown", s); }
    void TrimUp(std::int16_t s) override { Speed("trimup", s); }
    void TrimDown(std::int16_t s) override { Speed("trimdown", s); }
    void FlapsUp() override { Add("flapsup"); }
    void FlapsDown() override { Add("flapsdown"); }
    void SelectorChange(std::int32_t v, std::int32_t p) override {
        Add("sel " + std::to_string(v) + " " + std::to_string(p));
    }
    void AutoThrottleChange(bool armed) override { Add(armed ? "at 1" : "at 0"); }
    void SetupRequest() override { Add("setup"); }

    void Speed(const std::string& what, std::int16_t s) {
        Add(what + " " + std::to_string(s));
        maxSpeed = std::max<int>(maxSpeed, s);
    }
    int maxSpeed = 0;
};

std::vector<std::uint8_t> Report(std::vector<std::uint8_t> upper, std::vector<std::uint8_t> lower, std::uint8_t lamps) {
    std::vector<std::uint8_t> report{0};
    report.insert(report.end(), upper.begin(), upper.end());
    report.insert(report.end(), lower.begin(), lower.end());
    report.push_back(lamps);
    report.push_back(0);
    return report;
}
std::vector<std::uint8_t> SwitchedOff() { return Report({15, 15, 15, 15, 15}, {15, 15, 15, 15, 15}, 0); }

class MultiControlTest : public test::PanelControlTest<ctlMultiPanel, RecordingEvents> {
protected:
    static void SetUpTestSuite() { RegisterServer(Instance()); }
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartPanel(Instance(), "--multi 1"));
        ASSERT_TRUE(control->Create(parent, 1, events, [this] { return threshold; }, waitHost));
    }

    std::int32_t threshold = 500;
};

} // namespace

TEST_F(MultiControlTest, DecodesThePanelAndWritesItsRowsAndLamps) {
    ExpectFixedSize();

    ConnectPanel();

    // One notch clockwise: two pulse pairs, one step; the first report also
    // reports the selector and the auto-throttle switch.
    ASSERT_TRUE(panels.Ok("turn 1 knob 1"));
    ASSERT_TRUE(WaitFor("rotup 1")) << events.log.size();
    ASSERT_GE(events.log.size(), 3u);
    EXPECT_EQ(events.log.at(0), "sel 65536 0");
    EXPECT_EQ(events.log.at(1), "at 0");
    EXPECT_EQ(events.Count("rot"), 1);
    EXPECT_EQ(control->Screen().knobAngle, 15);
    EXPECT_GE(events.raw, 4);

    // The trim wheel both ways, the selector, the flaps lever, the switch.
    ASSERT_TRUE(panels.Ok("turn 1 trim 1"));
    ASSERT_TRUE(WaitFor("trimup 1"));
    ASSERT_TRUE(panels.Ok("turn 1 trim -1"));
    ASSERT_TRUE(WaitFor("trimdown 1"));
    EXPECT_EQ(events.Count("trim"), 2);
    ASSERT_TRUE(panels.Ok("selector 1 mode vs"));
    ASSERT_TRUE(WaitFor("sel 131072 65536"));
    EXPECT_EQ(control->Screen().needleAngle, 320);
    ASSERT_TRUE(panels.Ok("selector 1 flaps up"));
    ASSERT_TRUE(WaitFor("flapsup"));
    ASSERT_TRUE(panels.Ok("selector 1 flaps down"));
    ASSERT_TRUE(WaitFor("flapsdown"));
    EXPECT_EQ(control->Screen().flaps, -1);
    ASSERT_TRUE(panels.Ok("switch 1 at on"));
    ASSERT_TRUE(WaitFor("at 1"));
    EXPECT_TRUE(control->Screen().autoThrottleArmed);

    // A short press clicks once it is up; a long one raises the long click
    // from the timer while it is held, and nothing more when it is up.
    events.log.clear();
    ASSERT_TRUE(panels.Ok("press 1 ap"));
    ASSERT_TRUE(WaitFor("down 8388608"));
    EXPECT_TRUE(control->Screen().buttonPressed[1]);
    ASSERT_TRUE(panels.Ok("release 1 ap"));
    ASSERT_TRUE(WaitFor("up 8388608"));
    ASSERT_TRUE(WaitFor("click 8388608"));
    EXPECT_EQ(events.log, (std::vector<std::string>{"down 8388608", "up 8388608", "click 8388608"}));
    events.log.clear();
    threshold = 100;
    ASSERT_TRUE(panels.Ok("press 1 rev"));
    ASSERT_TRUE(WaitFor("long 16384"));
    ASSERT_TRUE(panels.Ok("release 1 rev"));
    ASSERT_TRUE(WaitFor("up 16384"));
    EXPECT_EQ(events.log, (std::vector<std::string>{"down 16384", "long 16384", "up 16384"}));

    // Rows and lamps: one report, in the panel's digit codes; the same
    // values again send nothing, unless forced.
    const std::uint64_t writes = panels.FeatureWrites(1);
    control->UpperValue(-500);
    control->WriteDisplay(std::nullopt, std::string("12.5"), std::uint8_t{0x81}, false);
    EXPECT_EQ(panels.LastFeature(1, 0), Report({10, 14, 5, 0, 0}, {10, 1, 2, 10, 5}, 0x81));
    EXPECT_EQ(panels.FeatureWrites(1), writes + 2);
    EXPECT_EQ(control->UpperText(), "-500");
    EXPECT_EQ(control->LowerText(), "12.5");
    control->WriteDisplay(std::string("-500"), std::string("12.5"), std::uint8_t{0x81}, false);
    EXPECT_EQ(panels.FeatureWrites(1), writes + 2) << "nothing changed, nothing sent";
    control->WriteDisplay(std::nullopt, std::nullopt, std::nullopt, true);
    EXPECT_EQ(panels.FeatureWrites(1), writes + 3) << "forced";
    control->Lower(123456);
    EXPECT_EQ(panels.LastFeature(1, 0), Report({10, 14, 5, 0, 0}, {2, 3, 4, 5, 6}, 0x81)) << "the last five";

    // The positions read from the panel.
    events.log.clear();
    control->GetPositions();
    EXPECT_EQ(events.log, (std::vector<std::string>{"sel 131072 0"}));

    // Speed-measuring periods.
    control->SetRotAcceleration(10);
    EXPECT_EQ(control->RotSpeedPeriod(), 80u);
    control->SetTrimAcceleration(0);
    EXPECT_EQ(control->TrimSpeedPeriod(), 0u);

    ::SendMessageA(control->SetupButton(), BM_CLICK, 0, 0);
    EXPECT_TRUE(events.Has("setup"));

    // Going away switches the panel off.
    control.reset();
    EXPECT_EQ(panels.LastFeature(1, 0), SwitchedOff());
}

TEST_F(MultiControlTest, FastTurnsSpeedUpTheKnobAndSplashRunsThenSwitchesOff) {
    ConnectPanel();
    // Twelve notches at ten a second into a speed period of 950 ms: about
    // twenty pulses in one period, more than the 16 of the top speed. An idle
    // period brings the speed back to 1.
    // The reader reads once the first report has come through.
    ASSERT_TRUE(panels.Ok("turn 1 knob 1"));
    ASSERT_TRUE(WaitFor("rotup 1"));
    events.log.clear();
    control->SetRotAcceleration(300);
    EXPECT_EQ(control->RotSpeedPeriod(), 950u);
    // The command answers when the turn is done; meanwhile this thread
    // takes the reports, as the program's would.
    auto turn = std::async(std::launch::async, [this] { return panels.Ok("turn 1 knob 12 10"); });
    ASSERT_TRUE(PumpUntil([&] { return turn.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 5000));
    ASSERT_TRUE(turn.get());
    ASSERT_TRUE(PumpUntil([&] { return events.Count("rotup") >= 12; }, 4000)) << events.Count("rotup");
    EXPECT_EQ(events.Count("rotup"), 12);
    EXPECT_GE(events.maxSpeed, 5);
    ASSERT_TRUE(PumpUntil([&] { return control->Screen().knobSpeed == 1; }, 3000));

    const std::uint64_t writes = panels.FeatureWrites(1);
    const DWORD start = ::GetTickCount();
    control->Splash();
    EXPECT_GE(::GetTickCount() - start, 10u * 100u - 30u);
    EXPECT_EQ(panels.FeatureWrites(1), writes + 12) << "eleven steps and the switching off";
    EXPECT_EQ(panels.LastFeature(1, 0), SwitchedOff());
    EXPECT_EQ(control->UpperText(), "");
    EXPECT_EQ(control->Lamps(), 0);
    // After switching off the same texts go out again; a panel that is off
    // already gets nothing more.
    control->WriteDisplay(std::string("1"), std::nullopt, std::nullopt, false);
    control->TurnOffDisplay();
    control->TurnOffDisplay();
    control->WriteDisplay(std::string("1"), std::nullopt, std::nullopt, false);
    EXPECT_EQ(panels.FeatureWrites(1), writes + 15);
    EXPECT_EQ(panels.LastFeature(1, 0).at(5), 1);

    // A path that is not a panel still gets a reader, but no output.
    RecordingEvents other;
    ctlMultiPanel lost;
    ASSERT_TRUE(lost.Create(parent, 2, other, nullptr, waitHost, 0, 200));
    std::string path = panels.Path(1);
    path.replace(path.find("#1#"), 3, "#99#");
    EXPECT_TRUE(lost.Connect(path)) << lost.ConnectError();
    EXPECT_FALSE(lost.DeviceOpen());
    lost.WriteDisplay(std::string("5"), std::nullopt, std::nullopt, false);
    EXPECT_EQ(lost.FeatureReportsSent(), 1u);
    other.log.clear();
    lost.GetPositions();
    EXPECT_TRUE(other.log.empty()) << "an unreadable panel reports no positions";
}
