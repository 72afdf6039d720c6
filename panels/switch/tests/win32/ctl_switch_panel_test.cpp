// The Switch Panel control against a virtual panel: input through a
// Relaybox reader, the gear lamps through feature reports, the positions
// of the last report replayed, the start-up lamp show and the darkening when the
// control goes.
#include "panels/switch/win32/ctl_switch_panel.h"

#include "tests/support/panel_control_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace orvex;
using namespace orvex::panels::switchpanel;
using relaybox::test::PumpFor;
using relaybox::test::PumpUntil;

namespace {

const std::string& Instance() {
    static const std::string name = test::InstanceName("SwitchControlTests");
    return name;
}

class RecordingEvents final : public ISwitchPanelEvents, public test::EventLog {
public:
    void RawInput(const std::array<std::uint8_t, 4>&) override { ++raw; }
    void SwitchChange(std::int32_t bit, bool on) override {
        Add("switch " + std::to_string(SwitchIndexOf(bit)) + (on ? " on" : " off"));
    }
    void SelectorChange(std::int32_t n, std::int32_t p) override {
        Add("selector " + std::to_string(SwitchIndexOf(n)) + " " + std::to_string(SwitchIndexOf(p)));
    }
    void GearUp() override { Add("gear up"); }
    void GearDown() override { Add("gear down"); }
    void SetupRequest() override { Add("setup"); }

};

class SwitchControlTest : public test::PanelControlTest<ctlSwitchPanel, RecordingEvents> {
protected:
    static void SetUpTestSuite() { RegisterServer(Instance()); }
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartPanel(Instance(), "--switch 1"));
        ASSERT_TRUE(control->Create(parent, 1, events, waitHost));
    }
    std::vector<std::uint8_t> Lamps() { return panels.LastFeature(1, 0); }
};

} // namespace

TEST_F(SwitchControlTest, DecodesThePanelAndWritesItsLamps) {
    ExpectFixedSize();

    ConnectPanel();
    // Before the panel sent anything, nothing is known of its switches.
    control->GetPositions();
    EXPECT_TRUE(events.log.empty());
    // The first report (BAT on) raises every position: magneto OFF, the
    // thirteen switches, the lever DOWN (the virtual panel's start).
    ASSERT_TRUE(panels.Ok("switch 1 bat on"));
    ASSERT_TRUE(WaitFor("gear down")) << events.log.size();
    ASSERT_EQ(events.log.size(), 15u);
    EXPECT_EQ(events.log.front(), "selector 1 0");
    EXPECT_EQ(events.log.at(1), "switch 6 on");
    EXPECT_EQ(events.log.at(2), "switch 7 off");
    EXPECT_TRUE(control->Screen().switchOn[0]);

    // Later reports raise only what changed; leaving DOWN raises nothing.
    events.log.clear();
    ASSERT_TRUE(panels.Ok("selector 1 magneto both"));
    ASSERT_TRUE(WaitFor("selector 4 1"));
    ASSERT_TRUE(panels.Ok("switch 1 landing on"));
    ASSERT_TRUE(WaitFor("switch 18 on"));
    ASSERT_TRUE(panels.Ok("gear 1 up"));
    ASSERT_TRUE(WaitFor("gear up"));
    EXPECT_EQ(events.log, (std::vector<std::string>{"selector 4 1", "switch 18 on", "gear up"}));
    EXPECT_EQ(control->Screen().selector, kSelBoth);
    EXPECT_EQ(control->Screen().gear, LeverPosition::Up);

    // The positions of the last report, all of them again; the panel's
    // feature report (its lamps) is not read for them.
    events.log.clear();
    const std::string statsBefore = panels.Command("stats 1");
    control->GetPositions();
    EXPECT_EQ(panels.Command("stats 1"), statsBefore);
    ASSERT_EQ(events.log.size(), 15u);
    EXPECT_EQ(events.log.front(), "selector 4 0");
    EXPECT_EQ(events.log.back(), "gear up");

    // Lamps: one report per change.
    const std::uint64_t writes = panels.FeatureWrites(1);
    control->ChangeLights(kLampGreen, kLampRed, kLampBoth);
    EXPECT_EQ(Lamps(), (std::vector<std::uint8_t>{0, 0x35}));
    control->ChangeLights(kLampGreen, kLampRed, kLampBoth);
    EXPECT_EQ(panels.FeatureWrites(1), writes + 1);
    control->ChangeLights(kLampGreen, std::nullopt, std::nullopt);
    EXPECT_EQ(Lamps(), (std::vector<std::uint8_t>{0, 0x01}));
    EXPECT_EQ(control->LampColour(Gear::Left), kLampOff);

    ::SendMessageA(control->SetupButton(), BM_CLICK, 0, 0);
    EXPECT_TRUE(events.Has("setup"));

    // Going away darkens the lamps.
    control.reset();
    EXPECT_EQ(Lamps(), (std::vector<std::uint8_t>{0, 0}));
}

TEST_F(SwitchControlTest, SplashLightsEachColourOnEachLampThenDarkens) {
    ConnectPanel();
    const std::uint64_t writes = panels.FeatureWrites(1);
    const DWORD start = ::GetTickCount();
    control->Splash();
    EXPECT_GE(::GetTickCount() - start, 9u * 100u - 30u);
    EXPECT_EQ(panels.FeatureWrites(1), writes + 10);
    EXPECT_EQ(Lamps(), (std::vector<std::uint8_t>{0, 0}));

    // A path that is not a panel still gets a reader, but no output.
    RecordingEvents other;
    ctlSwitchPanel lost;
    ASSERT_TRUE(lost.Create(parent, 2, other, waitHost, 0, 200));
    std::string path = panels.Path(1);
    path.replace(path.find("#1#"), 3, "#99#");
    EXPECT_TRUE(lost.Connect(path)) << lost.ConnectError();
    EXPECT_FALSE(lost.DeviceOpen());
    lost.ChangeLights(kLampGreen, kLampGreen, kLampGreen);
    EXPECT_EQ(lost.LampReportsSent(), 1u);
    lost.GetPositions();
    EXPECT_TRUE(other.log.empty()) << "an unreadable panel reports no positions";
}

TEST_F(SwitchControlTest, TheReaderAppliesTheGeneralSetupsServerPriority) {
    // What the general setup gives for Relaybox reaches the server through
    // the reader's loop.
    control->SetReaderPriority(IDLE_PRIORITY_CLASS, -1);
    ConnectPanel();
    EXPECT_TRUE(PumpUntil([] { return relaybox::test::ServerPriorityClass() == IDLE_PRIORITY_CLASS; }, 4000))
        << relaybox::test::ServerPriorityClass();
}
