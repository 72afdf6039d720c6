// The Switch Panel control against a virtual panel: input through a
// Relaybox reader, the gear lamps through feature reports, the positions
// read from the panel, the start-up lamp show and the darkening when the
// control goes.
#include "panels/switch/win32/ctl_switch_panel.h"

#include "relaybox/client/relaybox_client.h"
#include "relaybox/tests/com_test_support.h"
#include "simlink/win32/wait_win32.h"
#include "tools/virtualpanels/virtualpanels_client.h"

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
    static const std::string name = "SwitchControlTests" + std::to_string(::GetCurrentProcessId());
    return name;
}

class RecordingEvents final : public ISwitchPanelEvents {
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

    void Add(const std::string& e) { log.push_back(e); }
    bool Has(const std::string& e) const {
        for (const auto& x : log)
            if (x == e) return true;
        return false;
    }
    int raw = 0;
    std::vector<std::string> log;
};

class SwitchControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::SetEnvironmentVariableA("ORVEX_VIRTUAL_PANELS", Instance().c_str());
        ASSERT_TRUE(relaybox::RunServerRegistration(relaybox::DefaultServerPath(), false));
    }
    void SetUp() override {
        ASSERT_TRUE(panels.Start("--hidden --pipe " + Instance() + " --switch 1"));
        parent = ::CreateWindowExA(0, "STATIC", "switch test", WS_OVERLAPPEDWINDOW, 0, 0, 800, 260, nullptr,
                                   nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(parent);
        control = std::make_unique<ctlSwitchPanel>();
        ASSERT_TRUE(control->Create(parent, 1, events, waitHost));
    }
    void TearDown() override {
        control.reset();
        if (parent) ::DestroyWindow(parent);
        if (!relaybox::test::WaitForServerExit(8000)) {
            ADD_FAILURE() << "the server outlived the control";
            relaybox::test::EndLeftoverServers();
        }
        panels.Stop();
    }
    void ConnectPanel() {
        ASSERT_TRUE(control->Connect(panels.Path(1))) << control->ConnectError();
        EXPECT_TRUE(control->DeviceOpen());
        PumpFor(300);
    }
    bool WaitFor(const std::string& event, DWORD ms = 4000) {
        return PumpUntil([&] { return events.Has(event); }, ms);
    }
    std::vector<std::uint8_t> Lamps() { return panels.LastFeature(1, 0); }

    com::ComApartment apartment;
    virtualpanels::VirtualPanelsProcess panels;
    simlink::Win32WaitHost waitHost;
    RecordingEvents events;
    HWND parent = nullptr;
    std::unique_ptr<ctlSwitchPanel> control;
};

} // namespace

TEST_F(SwitchControlTest, DecodesThePanelAndWritesItsLamps) {
    const SIZE size = ctlSwitchPanel::FixedSize(win32::WindowDpi(control->Handle()));
    RECT rc{};
    ::GetWindowRect(control->Handle(), &rc);
    EXPECT_EQ(rc.right - rc.left, size.cx);
    EXPECT_EQ(rc.bottom - rc.top, size.cy);

    ConnectPanel();
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

    // The positions read from the panel, all of them again.
    events.log.clear();
    control->GetPositions();
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
