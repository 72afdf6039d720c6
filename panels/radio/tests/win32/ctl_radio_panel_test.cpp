// The Radio Panel control against a virtual panel: input through a Relaybox
// reader, displays through feature reports, positions, the start-up
// animation and the blanking when the control goes.
#include "panels/radio/win32/ctl_radio_panel.h"

#include "tests/support/panel_control_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <memory>
#include <string>
#include <vector>

using namespace orvex;
using namespace orvex::panels::radio;
using relaybox::test::PumpFor;
using relaybox::test::PumpUntil;

namespace {

const std::string& Instance() {
    static const std::string name = test::InstanceName("RadioControlTests");
    return name;
}

class RecordingEvents final : public IRadioPanelEvents, public test::EventLog {
public:
    void RawInput(const std::array<std::uint8_t, 4>&) override { ++raw; }
    void ButtonClick(std::int32_t m) override { Add("click " + std::to_string(m)); }
    void ButtonLongClick(std::int32_t m) override { Add("long " + std::to_string(m)); }
    void ButtonDown(std::int32_t m) override { Add("down " + std::to_string(m)); }
    void ButtonUp(std::int32_t m) override { Add("up " + std::to_string(m)); }
    void RotaryUp(std::int32_t k, std::int16_t s) override { Add("rotup " + std::to_string(k) + " " + std::to_string(s)); }
    void RotaryDown(std::int32_t k, std::int16_t s) override {
        Add("rotdown " + std::to_string(k) + " " + std::to_string(s));
    }
    void SelectorChange(std::int16_t sel, std::int32_t v, std::int32_t p) override {
        Add("sel " + std::to_string(sel) + " " + std::to_string(v) + " " + std::to_string(p));
    }
    void SetupRequest() override { Add("setup"); }

};

std::vector<std::uint8_t> Blanked() {
    std::vector<std::uint8_t> report(23, 0xFF);
    report[0] = 0;
    return report;
}

class RadioControlTest : public test::PanelControlTest<ctlRadioPanel, RecordingEvents> {
protected:
    static void SetUpTestSuite() { RegisterServer(Instance()); }
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartPanel(Instance(), "--radio 1"));
        ASSERT_TRUE(control->Create(parent, 1, events, [this] { return threshold; }, waitHost));
    }

    std::int32_t threshold = 500;
};

} // namespace

TEST_F(RadioControlTest, DecodesThePanelAndWritesItsDisplays) {
    ExpectFixedSize();

    ConnectPanel();

    // One notch clockwise: two pulse pairs, one step; the first report also
    // reports both selectors.
    ASSERT_TRUE(panels.Ok("turn 1 upper-inner 1"));
    ASSERT_TRUE(WaitFor("rotup 0 1")) << events.log.size();
    EXPECT_EQ(events.log.at(0), "sel 1 65536 0");
    EXPECT_EQ(events.log.at(1), "sel 2 8388608 0");
    int steps = 0;
    for (const auto& e : events.log) steps += e.rfind("rot", 0) == 0;
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(control->Screen().knobAngle[0], 15);
    EXPECT_GE(events.raw, 4);

    // Displays: sent once, in the panel's digit codes.
    const std::uint64_t writes = panels.FeatureWrites(1);
    control->WriteDisplay(std::string("118.02"), std::string("121,50"), std::nullopt, std::nullopt);
    std::vector<std::uint8_t> expected(23, 0xFF);
    expected[0] = 0;
    expected[21] = expected[22] = 0;
    const std::uint8_t digits[10] = {0x01, 0x01, 0xD8, 0x00, 0x02, 0x01, 0x02, 0xD1, 0x05, 0x00};
    for (int i = 0; i < 10; ++i) expected[static_cast<size_t>(1 + i)] = digits[i];
    EXPECT_EQ(panels.LastFeature(1, 0), expected);
    EXPECT_EQ(panels.FeatureWrites(1), writes + 1);
    control->WriteDisplay(std::string("118.02"), std::string("121.50"), std::nullopt, std::nullopt);
    EXPECT_EQ(panels.FeatureWrites(1), writes + 1) << "nothing changed, nothing sent";
    EXPECT_EQ(control->Standby1Value(), "121.50");
    control->Active2Value("7");
    EXPECT_EQ(panels.LastFeature(1, 0).at(15), 0x07);
    EXPECT_EQ(control->FeatureReportsSent(), 2u);

    // Selectors: a move, then the positions read from the panel.
    ASSERT_TRUE(panels.Ok("selector 1 upper nav2"));
    ASSERT_TRUE(WaitFor("sel 1 524288 65536"));
    events.log.clear();
    control->GetPositions();
    EXPECT_EQ(events.log, (std::vector<std::string>{"sel 1 524288 0", "sel 2 8388608 0"}));
    EXPECT_EQ(control->Screen().needleAngle[0], 108);

    // A short press clicks before it is up; the on-screen button says so.
    events.log.clear();
    ASSERT_TRUE(panels.Ok("press 1 act1"));
    ASSERT_TRUE(WaitFor("down 16384"));
    EXPECT_TRUE(control->Screen().buttonPressed[0]);
    ASSERT_TRUE(panels.Ok("release 1 act1"));
    ASSERT_TRUE(WaitFor("up 16384"));
    EXPECT_EQ(events.log, (std::vector<std::string>{"down 16384", "click 16384", "up 16384"}));
    // A long press: the timer raises the long click while it is held.
    events.log.clear();
    threshold = 100;
    ASSERT_TRUE(panels.Ok("press 1 act2"));
    ASSERT_TRUE(WaitFor("long 32768"));
    ASSERT_TRUE(panels.Ok("release 1 act2"));
    ASSERT_TRUE(WaitFor("up 32768"));
    EXPECT_EQ(events.log, (std::vector<std::string>{"down 32768", "long 32768", "up 32768"}));

    ::SendMessageA(control->SetupButton(), BM_CLICK, 0, 0);
    EXPECT_TRUE(events.Has("setup"));

    // Going away blanks the panel.
    control.reset();
    EXPECT_EQ(panels.LastFeature(1, 0), Blanked());
}

TEST_F(RadioControlTest, MovedToAMonitorOfOtherScalingItRescalesAndKeepsLiveFonts) {
    const UINT start = win32::WindowDpi(control->Handle());
    const HFONT startFont = win32::MessageFont(start);
    auto buttonWidth = [&] {
        RECT rc{};
        ::GetWindowRect(control->SetupButton(), &rc);
        return rc.right - rc.left;
    };
    const int startButton = buttonWidth();
    const UINT next = start * 3 / 2;

    control->RescaleTo(next);
    RECT rc{};
    ::GetWindowRect(control->Handle(), &rc);
    EXPECT_EQ(rc.right - rc.left, ctlRadioPanel::FixedSize(next).cx);
    EXPECT_EQ(rc.bottom - rc.top, ctlRadioPanel::FixedSize(next).cy);
    EXPECT_NEAR(buttonWidth(), startButton * 3 / 2, 1);
    const auto buttonFont = reinterpret_cast<HFONT>(::SendMessageA(control->SetupButton(), WM_GETFONT, 0, 0));
    EXPECT_EQ(buttonFont, win32::MessageFont(next));
    // The font of the first DPI is still alive for the windows that use it.
    LOGFONTA lf{};
    EXPECT_GT(::GetObjectA(startFont, sizeof lf, &lf), 0);
    EXPECT_EQ(win32::MessageFont(start), startFont) << "one font per DPI, made once";
    LOGFONTA big{};
    ASSERT_GT(::GetObjectA(buttonFont, sizeof big, &big), 0);
    EXPECT_GT(std::abs(big.lfHeight), std::abs(lf.lfHeight));

    // And back, as when the window returns to the first monitor.
    control->RescaleTo(start);
    ::GetWindowRect(control->Handle(), &rc);
    EXPECT_EQ(rc.right - rc.left, ctlRadioPanel::FixedSize(start).cx);
    EXPECT_EQ(buttonWidth(), startButton);
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageA(control->SetupButton(), WM_GETFONT, 0, 0)), startFont);
}

TEST_F(RadioControlTest, SplashWalksAZeroRoundThePanelThenBlanksIt) {
    ConnectPanel();
    const std::uint64_t writes = panels.FeatureWrites(1);
    const DWORD start = ::GetTickCount();
    control->Splash();
    EXPECT_GE(::GetTickCount() - start, 20u * 60u - 30u);
    EXPECT_EQ(panels.FeatureWrites(1), writes + 21) << "twenty steps and the blanking";
    EXPECT_EQ(panels.LastFeature(1, 0), Blanked());
    EXPECT_EQ(control->Active1Value(), "");
    // After the blanking the same texts go out again.
    control->WriteDisplay(std::string("1"), std::nullopt, std::nullopt, std::nullopt);
    control->TurnOffDisplay();
    control->WriteDisplay(std::string("1"), std::nullopt, std::nullopt, std::nullopt);
    EXPECT_EQ(panels.FeatureWrites(1), writes + 24);
    EXPECT_EQ(panels.LastFeature(1, 0).at(5), 0x01);

    // A path that is not a panel still gets a reader, but no output.
    RecordingEvents other;
    ctlRadioPanel lost;
    ASSERT_TRUE(lost.Create(parent, 2, other, nullptr, waitHost, 0, 200));
    std::string path = panels.Path(1);
    path.replace(path.find("#1#"), 3, "#99#");
    EXPECT_TRUE(lost.Connect(path)) << lost.ConnectError();
    EXPECT_FALSE(lost.DeviceOpen());
    lost.WriteDisplay(std::string("5"), std::nullopt, std::nullopt, std::nullopt);
    EXPECT_EQ(lost.FeatureReportsSent(), 1u);
    other.log.clear();
    lost.GetPositions();
    EXPECT_TRUE(other.log.empty()) << "an unreadable panel reports no positions";
}

// The reader has the device open when Connect returns, so that a knob
// turned (or a selector moved) the moment a panel is back is not lost, and
// positions read after Connect are followed by every later move.
TEST_F(RadioControlTest, ANotchTurnedTheMomentConnectReturnsIsRead) {
    // A second reader keeps the server running between the rounds.
    RecordingEvents keeperEvents;
    ctlRadioPanel keeper;
    ASSERT_TRUE(keeper.Create(parent, 2, keeperEvents, nullptr, waitHost, 0, 200));
    ASSERT_TRUE(keeper.Connect(panels.Path(1))) << keeper.ConnectError();
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(control->Connect(panels.Path(1))) << control->ConnectError();
        events.log.clear();
        ASSERT_TRUE(panels.Ok("turn 1 upper-inner 1 100"));
        EXPECT_TRUE(WaitFor("rotup 0 1")) << "round " << round << ": " << events.log.size() << " events";
        control->ReleaseDevice(false);
    }
}
