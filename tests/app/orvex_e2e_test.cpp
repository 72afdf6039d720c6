// Orvex end to end: the program's start-up, poll loop and main window run in
// this process, against the real Relaybox server, the simulator stand-in and
// virtual panels in processes of their own.
#include "tests/app/e2e_fixture.h"

#include "app/win32/panel_kinds.h"
#include "common/win32/process_util.h"
#include "panels/multi/multi_display.h"

#include <dbt.h>
#include <tlhelp32.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <span>
#include <sstream>

namespace orvex::app::win32 {
namespace {

TEST_F(OrvexEndToEnd, ConnectionStatusAircraftProfilesAndLossOfTheSimulator) {
    folder.Write("Orvex.ini", "[Profiles]\r\nHeavy= \r\n[Aircrafts]\r\nBoeing 737=Heavy\r\n");
    ASSERT_TRUE(standin->Ok("window close"));
    StartPanels("--radio 1");
    ASSERT_TRUE(StartApp());
    ASSERT_EQ(app->MainWindow()->TabCount(), 2);
    EXPECT_EQ(app->MainWindow()->TabCaption(1), "Radio Panel 1");

    // Waiting: the link is tried about once a second.
    PumpFor(2500);
    EXPECT_FALSE(app->State().SimConnected);
    EXPECT_EQ(Status(StatusPanel::Status), "FSUIPC Status: Disconnected");
    EXPECT_GE(app->Logic().OpenAttempts(), 2u);
    EXPECT_LE(app->Logic().OpenAttempts(), 4u);
    EXPECT_FALSE(app->MainWindow()->TrayConnected());

    // The simulator starts: connected within a second, both versions shown.
    ASSERT_TRUE(standin->Ok("window open"));
    const ULONGLONG opened = ::GetTickCount64();
    ASSERT_TRUE(WaitConnected(2500));
    EXPECT_LE(::GetTickCount64() - opened, 1500u);
    EXPECT_EQ(Status(StatusPanel::Status), "FSUIPC Status: Connected");
    EXPECT_EQ(Status(StatusPanel::FSUIPCver).rfind("FSUIPC Version: ", 0), 0u);
    EXPECT_GT(Status(StatusPanel::FSUIPCver).size(), std::string("FSUIPC Version: ").size());
    EXPECT_EQ(Status(StatusPanel::FSver), "Flight Simulator Version: FSX");
    EXPECT_TRUE(app->MainWindow()->TrayConnected());
    EXPECT_EQ(app->Logic().PollInterval(), 10u);

    // The new aircraft is bound to "Default" and saved.
    ASSERT_TRUE(PumpUntil([&] { return app->State().LastAircraft == "Cessna 172"; }, 2000));
    EXPECT_EQ(app->Configuration().CurrentProfile, "Default");
    EXPECT_NE(folder.Read("Orvex.ini").find("Cessna 172=Default"), std::string::npos);
    EXPECT_EQ(Status(StatusPanel::Aircraft), "Aircraft in use: Cessna 172");

    // An empty title never switches.
    ASSERT_TRUE(standin->Ok("title"));
    PumpFor(300);
    EXPECT_EQ(app->State().LastAircraft, "Cessna 172");

    // A known aircraft selects its profile; the list shows it.
    ASSERT_TRUE(standin->Ok("title Boeing 737"));
    ASSERT_TRUE(PumpUntil([&] { return app->Configuration().CurrentProfile == "Heavy"; }, 2000));
    EXPECT_EQ(app->MainWindow()->SelectedProfileText(), "Heavy");

    // A title differing only in case is another aircraft.
    ASSERT_TRUE(standin->Ok("title BOEING 737"));
    ASSERT_TRUE(PumpUntil([&] { return app->State().LastAircraft == "BOEING 737"; }, 2000));

    // The user picks another profile; the simulator closes and comes back
    // with the same aircraft: no switch back.
    app->Logic().SelectProfile("Default");
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00"));
    ASSERT_TRUE(standin->Ok("window close"));
    ASSERT_TRUE(PumpUntil([&] { return !app->State().SimConnected; }, 2000));
    EXPECT_EQ(Status(StatusPanel::Status), "FSUIPC Status: Disconnected");
    EXPECT_EQ(Status(StatusPanel::FSUIPCver), "FSUIPC Version:");
    EXPECT_EQ(Status(StatusPanel::FSver), "Flight Simulator Version:");
    EXPECT_EQ(Status(StatusPanel::Aircraft), "Aircraft in use:");
    EXPECT_FALSE(app->MainWindow()->TrayConnected());
    EXPECT_EQ(app->MainWindow()->Tray().ToolTip(), "Waiting FS connection...");
    EXPECT_TRUE(WaitDisplays("     |     |     |     ")) << Displays(panels, 1);
    ASSERT_TRUE(standin->Ok("window open"));
    ASSERT_TRUE(WaitConnected(2500));
    PumpFor(300);
    EXPECT_EQ(app->Configuration().CurrentProfile, "Default");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(OrvexEndToEnd, KnobTunesTheSimulatorAndTheDisplayFollowsOneExchangePerTick) {
    StartPanels("--radio 1");
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(WaitConnected());
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00")) << Displays(panels, 1);

    // One notch of the upper inner ring: 118.000 -> 118.025, four BCD digits.
    ASSERT_TRUE(panels.Ok("turn 1 upper-inner 1"));
    ASSERT_TRUE(PumpUntil([&] { return standin->Get(0x311A, 2) == std::vector<uint8_t>{0x02, 0x18}; }, 3000));
    EXPECT_TRUE(WaitDisplays("123.45|118.02|123.45|118.02")) << Displays(panels, 1);

    // Steady state: one exchange per tick, no feature report.
    PumpFor(300);
    const uint64_t writes = panels.FeatureWrites(1);
    const uint64_t simBefore = standin->Exchanges();
    const uint64_t oursBefore = app->Logic().Exchanges();
    PumpFor(1000);
    const uint64_t ours = app->Logic().Exchanges() - oursBefore;
    const uint64_t sim = standin->Exchanges() - simBefore;
    EXPECT_EQ(panels.FeatureWrites(1), writes) << "nothing changed, nothing written";
    EXPECT_GE(ours, 20u) << "ticks every 10 ms";
    EXPECT_LE(sim, ours + 2) << "one exchange per tick";
    EXPECT_GE(sim + 2, ours);

    // ACT/STBY swaps COM1 in the simulator; the display follows.
    ASSERT_TRUE(panels.Ok("hold 1 act1 80"));
    EXPECT_TRUE(WaitDisplays("118.02|123.45|118.02|123.45")) << Displays(panels, 1);

    // The lower half on XPDR: the code with the first digit's point, QNH.
    ASSERT_TRUE(standin->Set(0x0354, {0x00, 0x12}));
    ASSERT_TRUE(standin->SetInt(0x0330, 2, 1013 * 16));
    ASSERT_TRUE(panels.Ok("selector 1 lower xpdr"));
    EXPECT_TRUE(WaitDisplays("118.02|123.45| 29.91| 1.200")) << Displays(panels, 1);
    ASSERT_TRUE(panels.Ok("turn 1 lower-inner 1"));
    EXPECT_TRUE(PumpUntil([&] { return standin->Get(0x0354, 2) == std::vector<uint8_t>{0x00, 0x22}; }, 3000));

    // Power off: dark displays.
    ASSERT_TRUE(standin->SetInt(0x2E80, 4, 0));
    EXPECT_TRUE(WaitDisplays("     |     |     |     ")) << Displays(panels, 1);
}

TEST_F(OrvexEndToEnd, StartUpFindsEachPanelOrReportsThatThereIsNone) {
    // No panel at all.
    ASSERT_FALSE(StartApp());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Title, "  Orvex");
    EXPECT_EQ(messages.shown[0].Text, "No Panel found, check your connections !");
    EXPECT_TRUE(messages.shown[0].Critical);
    app.reset();
    // A first run with no panel leaves its general setup in Orvex.ini.
    EXPECT_NE(folder.Read("Orvex.ini").find("[GeneralSetup]"), std::string::npos);
    messages.shown.clear();

    // No panel, but allowed: one unconnected panel of each kind.
    folder.Write("Orvex.ini", "[GeneralSetup]\r\nLoadWithoutPanels=1\r\n");
    ASSERT_TRUE(StartApp());
    EXPECT_TRUE(messages.shown.empty());
    const std::span<const PanelKind> kinds = PanelKinds();
    ASSERT_EQ(app->MainWindow()->TabCount(), 1 + static_cast<int>(kinds.size()));
    for (std::size_t i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(app->MainWindow()->TabCaption(static_cast<int>(i) + 1), std::string(kinds[i].TabCaption) + "1");
    ASSERT_EQ(app->Logic().Panels().size(), kinds.size());
    EXPECT_TRUE(WaitConnected()) << "the poll loop runs normally";
    PumpFor(200);
    app.reset();
    PumpUntil([] { return RelayboxProcesses() == 0; }, 10000);

    // Two Radio Panels, each with the section of its own number: the second
    // one's ACT/STBY does nothing at COM1.
    folder.Write("Orvex.ini", "");
    folder.Write("Default.ini", "[RadioPanel2]\r\nButtonActionCOM1=None\r\n");
    StartPanels("--radio 2");
    ASSERT_TRUE(StartApp());
    ASSERT_EQ(app->MainWindow()->TabCount(), 3);
    EXPECT_EQ(app->MainWindow()->TabCaption(1), "Radio Panel 1");
    EXPECT_EQ(app->MainWindow()->TabCaption(2), "Radio Panel 2");
    ASSERT_TRUE(WaitConnected());
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00", 1));
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00", 2));
    ASSERT_TRUE(panels.Ok("hold 2 act1 80"));
    PumpFor(500);
    EXPECT_EQ(standin->Get(0x034E, 2), (std::vector<uint8_t>{0x45, 0x23})) << "no swap from panel 2";
    ASSERT_TRUE(panels.Ok("hold 1 act1 80"));
    EXPECT_TRUE(WaitDisplays("118.00|123.45|118.00|123.45", 2)) << "panel 1 swaps; both show it";

    // A second instance is refused.
    config::testing::RecordingMessages second;
    AppEnvironment env;
    env.ProgramFolder = folder.Path() + "\\";
    env.Messages = &second;
    env.InstanceName = "Local\\OrvexEndToEndInstance";
    env.ShowWindow = false;
    OrvexApp another(env);
    EXPECT_FALSE(another.Start());
    ASSERT_EQ(second.shown.size(), 1u);
    EXPECT_EQ(second.shown[0].Title, "Orvex");
    EXPECT_EQ(second.shown[0].Text, "Orvex is already running...");
}

// The feature report a Multi Panel shows for two row texts and a lamp byte.
std::vector<uint8_t> MultiReport(const std::string& upper, const std::string& lower, uint8_t lamps) {
    std::vector<uint8_t> report{0};
    for (const std::string& row : {upper, lower}) {
        const auto digits = panels::multi::EncodeRowText(row);
        report.insert(report.end(), digits.begin(), digits.end());
    }
    report.push_back(lamps);
    report.push_back(0);
    return report;
}

std::int64_t Number(const std::vector<uint8_t>& bytes) {
    std::int64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) value = value * 256 + bytes[i];
    return value;
}

TEST_F(OrvexEndToEnd, MultiPanelBesideARadioPanelWorksTheAutopilot) {
    // The course follows radio panel 1's upper selector.
    folder.Write("Default.ini", "[MultiPanel1]\r\nCourseSel=0\r\n");
    // Autopilot: AP on, HDG hold, heading 90, 1000 m, +500 ft/min, NAV1
    // course 120, NAV2 course 250.
    ASSERT_TRUE(standin->SetInt(0x07BC, 4, 1));
    ASSERT_TRUE(standin->SetInt(0x07C8, 4, 1));
    ASSERT_TRUE(standin->SetInt(0x07D0, 4, 0));
    ASSERT_TRUE(standin->SetInt(0x07CC, 2, 16384));
    ASSERT_TRUE(standin->SetInt(0x07D4, 4, 1000 * 65536));
    ASSERT_TRUE(standin->SetInt(0x07F2, 2, 500));
    ASSERT_TRUE(standin->SetInt(0x0C4E, 2, 120));
    ASSERT_TRUE(standin->SetInt(0x0C5E, 2, 250));
    StartPanels("--radio 1 --multi 1");  // device 1 the Radio Panel, 2 the Multi Panel
    ASSERT_TRUE(StartApp());
    ASSERT_EQ(app->MainWindow()->TabCount(), 3);
    EXPECT_EQ(app->MainWindow()->TabCaption(1), "Radio Panel 1");
    EXPECT_EQ(app->MainWindow()->TabCaption(2), "Multi Panel 1");
    ASSERT_TRUE(WaitConnected());
    const auto shows = [&](const std::vector<uint8_t>& report) {
        return PumpUntil([&] { return panels.LastFeature(2, 0) == report; }, 3000);
    };

    // ALT: the altitude over the vertical speed, the AP and HDG lamps.
    ASSERT_TRUE(shows(MultiReport("03281", "500", 0x03))) << panels.Command("feature 2");
    // One notch clockwise: 100 ft more, written in metres * 65536.
    ASSERT_TRUE(panels.Ok("turn 2 knob 1"));
    ASSERT_TRUE(PumpUntil([&] { return Number(standin->Get(0x07D4, 4)) != 1000 * 65536; }, 3000));
    EXPECT_NEAR(Number(standin->Get(0x07D4, 4)) / 65536.0 * 3.28084, 3381, 1);
    EXPECT_TRUE(shows(MultiReport("03381", "500", 0x03))) << panels.Command("feature 2");

    // The lamps follow the simulator's modes.
    ASSERT_TRUE(standin->SetInt(0x07C8, 4, 0));
    ASSERT_TRUE(standin->SetInt(0x07D0, 4, 1));
    EXPECT_TRUE(shows(MultiReport("03381", "500", 0x11))) << panels.Command("feature 2");

    // HDG: the heading alone; the knob turns it by a degree.
    ASSERT_TRUE(panels.Ok("selector 2 mode hdg"));
    EXPECT_TRUE(shows(MultiReport("090", "", 0x11))) << panels.Command("feature 2");
    ASSERT_TRUE(panels.Ok("turn 2 knob 1"));
    EXPECT_TRUE(PumpUntil([&] { return Number(standin->Get(0x07CC, 2)) == 16566; }, 3000));

    // CRS: the course of the radio chosen on the Radio Panel's upper
    // selector, NAV1 while it shows COM1, NAV2 once it is on COM2.
    ASSERT_TRUE(panels.Ok("selector 2 mode crs"));
    EXPECT_TRUE(shows(MultiReport("120", "", 0x11))) << panels.Command("feature 2");
    ASSERT_TRUE(panels.Ok("selector 1 upper com2"));
    ASSERT_TRUE(PumpUntil([&] { return app->State().RadioUpperSelection == 2; }, 3000));
    EXPECT_TRUE(shows(MultiReport("250", "", 0x11))) << panels.Command("feature 2");
    ASSERT_TRUE(panels.Ok("turn 2 knob -1"));
    EXPECT_TRUE(PumpUntil([&] { return Number(standin->Get(0x0C5E, 2)) == 249; }, 3000));
    EXPECT_EQ(Number(standin->Get(0x0C4E, 2)), 120);

    // The simulator goes: both panels dark; it comes back: shown again.
    const std::vector<uint8_t> off{0, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 0, 0};
    ASSERT_TRUE(standin->Ok("window close"));
    EXPECT_TRUE(shows(off)) << panels.Command("feature 2");
    EXPECT_TRUE(WaitDisplays("     |     |     |     ")) << Displays(panels, 1);
    ASSERT_TRUE(standin->Ok("window open"));
    ASSERT_TRUE(WaitConnected(2500));
    EXPECT_TRUE(shows(MultiReport("249", "", 0x11))) << panels.Command("feature 2");
    EXPECT_TRUE(messages.shown.empty());
}

// What a virtual Switch Panel's gear lamps show ("nose=green left=off right=red").
std::string Lamps(virtualpanels::VirtualPanelsProcess& panels, int device) {
    const std::string reply = panels.Command("lamps " + std::to_string(device));
    return reply.rfind("ok ", 0) == 0 ? reply.substr(3) : reply;
}

TEST_F(OrvexEndToEnd, SwitchPanelWorksTheElectricsLightsGearAndShowsTheGear) {
    folder.Write("Default.ini", "[SwitchPanel1]\r\nSwitchTAXIOn=VButton,64,3\r\n");
    // A retractable gear, down and locked; NAV and BEACON lights on.
    ASSERT_TRUE(standin->SetInt(0x060C, 2, 1));
    for (uint32_t leg : {0x0BECu, 0x0BF0u, 0x0BF4u}) ASSERT_TRUE(standin->SetInt(leg, 4, 16383));
    ASSERT_TRUE(standin->SetInt(0x0D0C, 2, 0x0003));
    ASSERT_TRUE(standin->SetInt(0x3102, 1, 1));
    ASSERT_TRUE(standin->Ok("clearlog"));
    StartPanels("--switch 1");  // magneto OFF, every switch off, the lever DOWN
    ASSERT_TRUE(StartApp());
    ASSERT_EQ(app->MainWindow()->TabCount(), 2);
    EXPECT_EQ(app->MainWindow()->TabCaption(1), "Switch Panel 1");
    ASSERT_TRUE(WaitConnected());
    const auto offsetIs = [&](uint32_t offset, uint32_t size, std::int64_t value) {
        return PumpUntil([&] { return Number(standin->Get(offset, size)) == value; }, 3000);
    };
    const auto lampsAre = [&](const std::string& text) {
        return PumpUntil([&] { return Lamps(panels, 1) == text; }, 3000);
    };

    // The panel has sent nothing yet: nothing is known of its switches, and
    // the simulator keeps its electrics and lights.
    // The gear lamps: battery master on, all three legs down and locked.
    EXPECT_TRUE(lampsAre("nose=green left=green right=green")) << Lamps(panels, 1);
    PumpFor(300);
    EXPECT_EQ(Number(standin->Get(0x3102, 1)), 1) << "battery";
    EXPECT_EQ(Number(standin->Get(0x0D0C, 2)), 0x0003) << "lights";

    // Switches and the magneto reach their offsets.
    ASSERT_TRUE(panels.Ok("switch 1 bat on"));
    EXPECT_TRUE(offsetIs(0x3102, 1, 1));
    ASSERT_TRUE(panels.Ok("switch 1 beacon on"));
    ASSERT_TRUE(panels.Ok("switch 1 landing on"));
    EXPECT_TRUE(offsetIs(0x0D0C, 2, 0x02 | 0x04)) << Number(standin->Get(0x0D0C, 2));
    ASSERT_TRUE(panels.Ok("selector 1 magneto both"));
    EXPECT_TRUE(offsetIs(0x0892, 2, 3));
    EXPECT_TRUE(offsetIs(0x0A5A, 2, 3));
    // TAXI is bound to a virtual button: pressed, then released.
    ASSERT_TRUE(panels.Ok("switch 1 taxi on"));
    EXPECT_TRUE(PumpUntil([&] { return standin->Command("buttons").find("3340") != std::string::npos; }, 3000));
    EXPECT_TRUE(offsetIs(0x3340, 4, 0)) << "released";
    EXPECT_EQ(Number(standin->Get(0x0D0C, 2)), 0x02 | 0x04) << "not the taxi light";

    // The lever up: the stand-in's legs follow it at once, and the lamps go
    // dark; a leg in transit is red, one down and locked green.
    ASSERT_TRUE(panels.Ok("gear 1 up"));
    EXPECT_TRUE(offsetIs(0x0BE8, 4, 0));
    EXPECT_TRUE(lampsAre("nose=off left=off right=off")) << Lamps(panels, 1);
    ASSERT_TRUE(standin->SetInt(0x0BEC, 4, 8000));
    ASSERT_TRUE(standin->SetInt(0x0BF0, 4, 16383));
    EXPECT_TRUE(lampsAre("nose=red left=off right=green")) << Lamps(panels, 1);
    ASSERT_TRUE(panels.Ok("gear 1 down"));
    EXPECT_TRUE(lampsAre("nose=green left=green right=green")) << Lamps(panels, 1);
    // Battery master off: all dark; the simulator goes and comes back: lit again.
    ASSERT_TRUE(standin->SetInt(0x281C, 4, 0));
    EXPECT_TRUE(lampsAre("nose=off left=off right=off")) << Lamps(panels, 1);
    ASSERT_TRUE(standin->SetInt(0x281C, 4, 1));
    EXPECT_TRUE(lampsAre("nose=green left=green right=green")) << Lamps(panels, 1);
    ASSERT_TRUE(standin->Ok("window close"));
    EXPECT_TRUE(lampsAre("nose=off left=off right=off")) << Lamps(panels, 1);
    // While the simulator is away BEACON goes off on the panel, and the
    // simulator's battery is switched off: at connection the simulator is
    // brought into line with the panel's last report.
    ASSERT_TRUE(panels.Ok("switch 1 beacon off"));
    ASSERT_TRUE(standin->SetInt(0x3102, 1, 0));
    PumpFor(200);
    ASSERT_TRUE(standin->Ok("window open"));
    ASSERT_TRUE(WaitConnected(2500));
    EXPECT_TRUE(offsetIs(0x3102, 1, 1)) << "battery on, as on the panel";
    EXPECT_TRUE(offsetIs(0x0D0C, 2, 0x04)) << Number(standin->Get(0x0D0C, 2));
    EXPECT_TRUE(offsetIs(0x0BE8, 4, 16383)) << "gear lever down";
    EXPECT_TRUE(lampsAre("nose=green left=green right=green")) << Lamps(panels, 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(OrvexEndToEnd, CustomActionsReachTheSimulatorFromTheSwitchAndMultiPanels) {
    // FSUIPC 7 with Microsoft Flight Simulator.
    ASSERT_TRUE(standin->Ok("fault version 0x70400000"));
    ASSERT_TRUE(standin->Ok("fault simid 13"));
    folder.Write("Default.ini",
                 "[SwitchPanel1]\r\nSwitchTAXIOn=Control,66587,8\r\nSwitchTAXIOff=set,0x66C0,2,-2\r\n"
                 "SwitchLANDINGOn=Toggle,0x66C2,1,0x81\r\nSwitchBEACONOn=Step,0x66C3,1,-100,-128,127,0\r\n"
                 "[MultiPanel1]\r\nRotUpActionHDG=Step,0x66C4,2,5,0,359,1\r\n");
    ASSERT_TRUE(standin->SetInt(0x66C2, 1, 0x01));
    ASSERT_TRUE(standin->SetInt(0x66C3, 1, 0xC4)); // -60
    ASSERT_TRUE(standin->SetInt(0x66C4, 2, 350));
    StartPanels("--switch 1 --multi 1");  // device 1 the Multi Panel, 2 the Switch Panel
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(WaitConnected());
    EXPECT_EQ(Status(StatusPanel::FSver), "Flight Simulator Version: MSFS");
    EXPECT_EQ(Status(StatusPanel::FSUIPCver).rfind("FSUIPC Version: 7.040", 0), 0u) << Status(StatusPanel::FSUIPCver);
    const auto offsetIs = [&](uint32_t offset, uint32_t size, std::int64_t value) {
        return PumpUntil([&] { return Number(standin->Get(offset, size)) == value; }, 3000);
    };
    ASSERT_TRUE(standin->Ok("clearlog"));

    // A control with its parameter.
    ASSERT_TRUE(panels.Ok("switch 2 taxi on"));
    EXPECT_TRUE(PumpUntil([&] { return standin->Command("controls").find("66587 8") != std::string::npos; }, 3000))
        << standin->Command("controls");
    // A Set of a negative value in two bytes.
    ASSERT_TRUE(panels.Ok("switch 2 taxi off"));
    EXPECT_TRUE(offsetIs(0x66C0, 2, 0xFFFE));
    // A Toggle flips the mask's bits and keeps the others.
    ASSERT_TRUE(panels.Ok("switch 2 landing on"));
    EXPECT_TRUE(offsetIs(0x66C2, 1, 0x80));
    // A signed Step clamps at its minimum: -60 - 100 stops at -128.
    ASSERT_TRUE(panels.Ok("switch 2 beacon on"));
    EXPECT_TRUE(offsetIs(0x66C3, 1, 0x80));
    // A Multi Panel knob on HDG steps and wraps: 350 + 3 x 5 is 5.
    ASSERT_TRUE(panels.Ok("mode 1 hdg"));
    PumpFor(300);
    ASSERT_TRUE(panels.Ok("knob 1 3 4"));
    EXPECT_TRUE(offsetIs(0x66C4, 2, 5)) << Number(standin->Get(0x66C4, 2));
    EXPECT_TRUE(messages.shown.empty());
}

// Two panels of a kind on one radio or autopilot, turned one right after the
// other: Orvex handles both turns before any refresh reads the first one's
// write back, and the second goes on from it instead of writing it again.
TEST_F(OrvexEndToEnd, TwoPanelsOnOneRadioOrAutopilotTurnedTogetherBothCount) {
    ASSERT_TRUE(standin->SetInt(0x07D4, 4, 1000 * 65536));
    ASSERT_TRUE(standin->SetInt(0x311A, 2, 0x1800));
    StartPanels("--radio 2 --multi 2");  // devices 1-2 Radio Panels, 3-4 Multi Panels
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(WaitConnected());
    ASSERT_TRUE(PumpUntil([&] { return Displays(panels, 4).find("03281") != std::string::npos; }, 3000))
        << Displays(panels, 4);
    const auto feet = [&] { return std::lround(Number(standin->Get(0x07D4, 4)) / 65536.0 * 3.28084); };
    for (int round = 1; round <= 3; ++round) {
        ASSERT_TRUE(panels.Ok("knob 3 1"));
        ASSERT_TRUE(panels.Ok("knob 4 1"));
        EXPECT_TRUE(PumpUntil([&] { return feet() == 3281 + 200 * round; }, 3000)) << round << ": " << feet();
        PumpFor(200);
        EXPECT_EQ(feet(), 3281 + 200 * round);
    }
    for (int round = 1; round <= 3; ++round) {
        ASSERT_TRUE(panels.Ok("turn 1 upper-inner 1"));
        ASSERT_TRUE(panels.Ok("turn 2 upper-inner 1"));
        // Two steps of 25 kHz a round, held as BCD to the 10 kHz: 118.05, 118.10, 118.15.
        const int want = round == 1 ? 0x1805 : round == 2 ? 0x1810 : 0x1815;
        EXPECT_TRUE(PumpUntil([&] { return Number(standin->Get(0x311A, 2)) == want; }, 3000))
            << round << ": " << std::hex << Number(standin->Get(0x311A, 2));
        PumpFor(200);
    }
    // Every panel shows what the simulator holds.
    EXPECT_TRUE(PumpUntil([&] { return Displays(panels, 3).find("03881") != std::string::npos; }, 3000))
        << Displays(panels, 3);
    EXPECT_TRUE(PumpUntil([&] { return Displays(panels, 2).find("118.15") != std::string::npos; }, 3000))
        << Displays(panels, 2);
}

// What a virtual BIP's tiles show, one letter a tile by rows ("G------- ...").
std::string BipTiles(virtualpanels::VirtualPanelsProcess& panels, int device) {
    const std::string reply = panels.Command("tiles " + std::to_string(device));
    return reply.rfind("ok ", 0) == 0 ? reply.substr(3) : reply;
}

TEST_F(OrvexEndToEnd, BipPanelLightsItsTilesFromTheSimulatorState) {
    folder.Write("Default.ini", "[BIPPanel1]\r\nT0=GEAR_DOWN\r\nT1=COMBINED_GEAR\r\nT9=BEACON_LIGHT,Yellow\r\n"
                                "T23=OIL_PRESSURE,Red,20\r\n");
    // Gear down and locked, the beacon on, oil pressure well above 20 %.
    for (uint32_t leg : {0x0BECu, 0x0BF0u, 0x0BF4u}) ASSERT_TRUE(standin->SetInt(leg, 4, 16383));
    ASSERT_TRUE(standin->SetInt(0x0D0C, 2, 0x0002));
    ASSERT_TRUE(standin->SetInt(0x08BA, 2, 20000));
    StartPanels("--bip 1");
    ASSERT_TRUE(StartApp());
    ASSERT_EQ(app->MainWindow()->TabCount(), 2);
    EXPECT_EQ(app->MainWindow()->TabCaption(1), "BIP Panel 1");
    // Connected: the backlight faded in to full.
    EXPECT_EQ(panels.LastFeature(1, 0xB2), (std::vector<uint8_t>{0xB2, 100}));
    ASSERT_TRUE(WaitConnected());
    const auto tilesAre = [&](const std::string& text) {
        return PumpUntil([&] { return BipTiles(panels, 1) == text; }, 3000);
    };
    EXPECT_TRUE(tilesAre("GG------ -Y------ --------")) << BipTiles(panels, 1);

    // The simulator's state changes reach the tiles.
    ASSERT_TRUE(standin->SetInt(0x0D0C, 2, 0));
    ASSERT_TRUE(standin->SetInt(0x0BF0, 4, 8000));
    ASSERT_TRUE(standin->SetInt(0x08BA, 2, 100));
    EXPECT_TRUE(tilesAre("-R------ -------- -------R")) << BipTiles(panels, 1);
    // Only changes are sent: a quiet simulator writes nothing more.
    PumpFor(300);
    const uint64_t writes = panels.FeatureWrites(1);
    PumpFor(500);
    EXPECT_EQ(panels.FeatureWrites(1), writes);

    // Avionics off: every tile dark; on again: lit again.
    ASSERT_TRUE(standin->SetInt(0x2E80, 4, 0));
    EXPECT_TRUE(tilesAre("-------- -------- --------")) << BipTiles(panels, 1);
    ASSERT_TRUE(standin->SetInt(0x2E80, 4, 1));
    EXPECT_TRUE(tilesAre("-R------ -------- -------R")) << BipTiles(panels, 1);
    // The simulator goes: the tiles are left as they are; it comes back
    // with the nose leg down: the tiles follow it again.
    ASSERT_TRUE(standin->Ok("window close"));
    EXPECT_TRUE(PumpUntil([&] { return app->State().SimConnected == false; }, 3000));
    PumpFor(300);
    EXPECT_EQ(BipTiles(panels, 1), "-R------ -------- -------R");
    ASSERT_TRUE(standin->SetInt(0x0BF0, 4, 16383));
    ASSERT_TRUE(standin->Ok("window open"));
    ASSERT_TRUE(WaitConnected(2500));
    EXPECT_TRUE(tilesAre("GG------ -------- -------R")) << BipTiles(panels, 1);

    // The program ends: the panel goes dark.
    app.reset();
    EXPECT_EQ(BipTiles(panels, 1), "-------- -------- --------");
    EXPECT_TRUE(messages.shown.empty());
}


// --- Panels that come and go ---------------------------------------------------

// Ends every process of that executable name in the prefix.
void EndProcesses(const char* exe) { relaybox::test::EndProcesses(exe, 5000); }

std::uint64_t Count(virtualpanels::VirtualPanelsProcess& panels, const std::string& what, int device) {
    const std::string reply = panels.Command(what + " " + std::to_string(device));
    return reply.rfind("ok ", 0) == 0 ? std::stoull(reply.substr(3)) : 0;
}

class PanelsComeAndGo : public OrvexEndToEnd {
protected:
    IPanelObject& Panel(int tab) { return *app->MainWindow()->PanelObjects()[static_cast<std::size_t>(tab - 1)]; }
    bool WaitGone(int tab, DWORD ms = 4000) {
        return PumpUntil([&] { return !Panel(tab).DeviceConnected(); }, ms, 5);
    }
    // Waits for the panel to be connected again; the milliseconds it took.
    std::int64_t WaitBack(int tab, DWORD ms = 4000) {
        const ULONGLONG start = ::GetTickCount64();
        if (!PumpUntil([&] { return Panel(tab).DeviceConnected(); }, ms, 5)) return -1;
        return static_cast<std::int64_t>(::GetTickCount64() - start);
    }
    // One notch of the upper inner ring at COM1 reaches the simulator.
    bool KnobTunes(int device, DWORD ms = 5000) {
        const std::vector<uint8_t> before = standin->Get(0x311A, 2);
        if (!panels.Ok("turn " + std::to_string(device) + " upper-inner 1")) return false;
        return PumpUntil([&] { return standin->Get(0x311A, 2) != before; }, ms);
    }
    // The standby text of COM1 as the simulator holds it ("118.02").
    std::string Com1Standby() {
        const std::vector<uint8_t> bcd = standin->Get(0x311A, 2);
        char text[8];
        std::snprintf(text, sizeof(text), "1%02X.%02X", bcd[1], bcd[0]);
        return text;
    }
    bool ShowsCom1(int device, DWORD ms = 3000) {
        return PumpUntil(
            [&] {
                const std::string shown = Displays(panels, device);
                return shown.size() > 12 && shown.substr(7, 6) == Com1Standby();
            },
            ms);
    }
};

TEST_F(PanelsComeAndGo, UnpluggedPanelKeepsItsTabAndComesBackWithItsDisplaysAndKnobs) {
    StartPanels("--radio 1 --multi 1");
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(WaitConnected());
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00"));
    PanelWatcher& watcher = *app->Watcher();
    EXPECT_FALSE(watcher.CheckTimerRunning()) << "nothing runs while every panel is there";

    ASSERT_TRUE(panels.Ok("unplug 1"));
    ASSERT_TRUE(WaitGone(1)) << "the failed reader tells";
    EXPECT_EQ(app->MainWindow()->TabCount(), 3);
    EXPECT_EQ(app->MainWindow()->TabCaption(1), "Radio Panel 1");
    EXPECT_TRUE(watcher.CheckTimerRunning());
    // The rest goes on: the Multi Panel follows the simulator.
    ASSERT_TRUE(standin->SetInt(0x07D4, 4, 2000 * 65536));
    EXPECT_TRUE(PumpUntil([&] { return panels.Command("displays 2").find("06562") != std::string::npos; }, 3000))
        << panels.Command("displays 2");
    EXPECT_TRUE(app->State().SimConnected);
    const std::uint64_t writes = Count(panels, "writes", 1);

    PumpFor(3000);
    ASSERT_TRUE(panels.Ok("plug 1"));
    const std::int64_t back = WaitBack(1);
    ASSERT_GE(back, 0);
    // The goal is two seconds (a check every half second); the bound here
    // only catches a panel that is not looked for at all.
    EXPECT_LE(back, 8000);
    std::printf("[ figure ] unplugged 3 s, plugged: connected again after %lld ms\n", static_cast<long long>(back));
    EXPECT_GT(Count(panels, "writes", 1), writes) << "told everything again";
    EXPECT_TRUE(ShowsCom1(1));
    EXPECT_TRUE(KnobTunes(1)) << "its knobs act on the simulator again";
    EXPECT_TRUE(ShowsCom1(1));
    EXPECT_FALSE(watcher.CheckTimerRunning());

    // All present: no checks, no device opened.
    const std::uint64_t checks = watcher.Checks();
    const std::uint64_t opens = Count(panels, "opens", 1) + Count(panels, "opens", 2);
    PumpFor(1500);
    EXPECT_EQ(watcher.Checks(), checks);
    EXPECT_EQ(Count(panels, "opens", 1) + Count(panels, "opens", 2), opens);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PanelsComeAndGo, PowerCycleAndANewPathGiveThePanelItsOwnSlotBack) {
    StartPanels("--radio 1 --switch 1");
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(WaitConnected());
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00"));

    // A power cycle: the path stays, the panel forgets what it showed.
    ASSERT_TRUE(panels.Ok("powercycle 1 300"));
    EXPECT_TRUE(PumpUntil([&] { return Displays(panels, 1) == "123.45|118.00|123.45|118.00"; }, 4000))
        << Displays(panels, 1);
    EXPECT_TRUE(Panel(1).DeviceConnected());
    EXPECT_TRUE(KnobTunes(1));

    // Into another port: a new path, the same tab and number.
    const std::string oldPath = panels.Path(1);
    ASSERT_TRUE(panels.Ok("replug 1 300"));
    ASSERT_TRUE(PumpUntil([&] { return Panel(1).DevicePath() != oldPath && Panel(1).DeviceConnected(); }, 4000));
    EXPECT_EQ(Panel(1).DevicePath(), panels.Path(1));
    EXPECT_EQ(app->MainWindow()->TabCount(), 3);
    EXPECT_EQ(app->MainWindow()->TabCaption(1), "Radio Panel 1");
    EXPECT_TRUE(ShowsCom1(1));
    EXPECT_TRUE(KnobTunes(1));
    // The Switch Panel was never disturbed.
    EXPECT_TRUE(Panel(2).DeviceConnected());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PanelsComeAndGo, APanelPluggedAfterStartGetsTheNextTabAndItsProfileSection) {
    folder.Write("Default.ini", "[RadioPanel2]\r\nButtonActionCOM1=None\r\n");
    StartPanels("--radio 2");
    ASSERT_TRUE(panels.Ok("unplug 2"));
    ASSERT_TRUE(StartApp());
    ASSERT_EQ(app->MainWindow()->TabCount(), 2);
    ASSERT_TRUE(WaitConnected());

    // Windows announces the new HID interface.
    ASSERT_TRUE(panels.Ok("plug 2"));
    const std::string path = panels.Path(2);
    DEV_BROADCAST_DEVICEINTERFACE_A arrival{};
    arrival.dbcc_size = sizeof(arrival);
    arrival.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    ::SendMessageA(app->MainWindow()->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                   reinterpret_cast<LPARAM>(&arrival));
    ASSERT_EQ(app->MainWindow()->TabCount(), 3);
    EXPECT_EQ(app->MainWindow()->TabCaption(2), "Radio Panel 2");
    EXPECT_TRUE(Panel(2).DeviceConnected());
    EXPECT_EQ(Panel(2).DevicePath(), path);
    ASSERT_EQ(app->Logic().Panels().size(), 2u);
    EXPECT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00", 2)) << Displays(panels, 2);
    // Its own section: ACT/STBY does nothing at COM1 on panel 2.
    ASSERT_TRUE(panels.Ok("hold 2 act1 80"));
    PumpFor(500);
    EXPECT_EQ(standin->Get(0x034E, 2), (std::vector<uint8_t>{0x45, 0x23}));
    EXPECT_TRUE(KnobTunes(2));

    // Windows reports it removed: gone at once, without waiting for its reader.
    std::vector<char> notice(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) + path.size());
    auto* removal = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(notice.data());
    removal->dbcc_size = static_cast<DWORD>(notice.size());
    removal->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::memcpy(removal->dbcc_name, path.c_str(), path.size() + 1);
    ASSERT_TRUE(panels.Ok("unplug 2"));
    ::SendMessageA(app->MainWindow()->Handle(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                   reinterpret_cast<LPARAM>(removal));
    EXPECT_FALSE(Panel(2).DeviceConnected());
    EXPECT_TRUE(Panel(1).DeviceConnected());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PanelsComeAndGo, RelayboxThatEndsIsStartedAgainAndEveryPanelReconnects) {
    StartPanels("--radio 1 --switch 1");
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(WaitConnected());
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00"));
    ASSERT_TRUE(KnobTunes(1));

    const unsigned long server = Panel(1).ServerProcessId();
    ASSERT_NE(server, 0u);
    // Killed; under Wine its class registration dies with the prefix's rpcss.
    const ULONGLONG killed = ::GetTickCount64();
    EndProcesses("Relaybox.exe");
    EndProcesses("rpcss.exe");
    // The reader still knows which server it had: a server that ends before
    // the watcher looks at it is still found to be the one that ended.
    EXPECT_EQ(Panel(1).ServerProcessId(), server);
    ASSERT_TRUE(PumpUntil([&] { return !Panel(1).DeviceConnected(); }, 2000)) << "noticed within two seconds";
    // Input works again: a knob turn reaches the simulator.
    bool works = false;
    while (!works && ::GetTickCount64() - killed < 10000) works = KnobTunes(1, 400);
    ASSERT_TRUE(works);
    std::printf("[ figure ] Relaybox killed: input working again after %llu ms\n", ::GetTickCount64() - killed);
    EXPECT_TRUE(PumpUntil([&] { return Panel(2).DeviceConnected(); }, 3000));
    EXPECT_EQ(RelayboxProcesses(), 1);
    EXPECT_EQ(app->Watcher()->ServerRestarts(), 1u);
    ASSERT_TRUE(panels.Ok("switch 2 bat on"));
    EXPECT_TRUE(PumpUntil([&] { return standin->Get(0x3102, 1) == std::vector<uint8_t>{1}; }, 3000));
    EXPECT_FALSE(app->Watcher()->CheckTimerRunning());
    EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].Text;
}

// A reader's thread in Relaybox ends while Relaybox and the other panel's
// reader run on (its object is disconnected): the panel is connected anew
// to the same Relaybox at once, is told everything again and its knobs act
// on the simulator; the other panel is not disturbed.
TEST_F(PanelsComeAndGo, APanelWhoseReaderIsDisconnectedInARunningRelayboxReconnects) {
    StartPanels("--radio 2");
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(WaitConnected());
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00"));
    PanelWatcher& watcher = *app->Watcher();
    const unsigned long server = Panel(1).ServerProcessId();
    ASSERT_NE(server, 0u);
    const std::uint64_t restores = watcher.Restores();
    const std::uint64_t opens[2] = {Count(panels, "opens", 1), Count(panels, "opens", 2)};
    const std::uint64_t writes[2] = {Count(panels, "writes", 1), Count(panels, "writes", 2)};

    // Relaybox's threads are ended one at a time, newest first, until one
    // was a panel's reader; its main thread (the oldest) is left alone.
    const std::vector<DWORD> threads = relaybox::test::ThreadsOldestFirst(server);
    ULONGLONG ended = 0;
    for (auto it = threads.rbegin(); it + 1 < threads.rend() && watcher.Restores() == restores; ++it) {
        if (!::PostThreadMessageA(*it, WM_QUIT, 0, 0)) continue;
        ended = ::GetTickCount64();
        PumpUntil([&] { return watcher.Restores() != restores; }, 2000, 5);
    }
    ASSERT_EQ(watcher.Restores(), restores + 1) << "noticed within two seconds, without a call or a check";
    std::printf("[ figure ] reader disconnected in a running Relaybox: connected again after %llu ms\n",
                ::GetTickCount64() - ended);
    const int device = Count(panels, "opens", 1) != opens[0] ? 1 : 2;
    const int untouched = 3 - device;
    EXPECT_NE(Count(panels, "opens", device), opens[device - 1]);
    EXPECT_EQ(Count(panels, "opens", untouched), opens[untouched - 1]);
    EXPECT_EQ(watcher.ServerRestarts(), 0u);
    EXPECT_EQ(RelayboxProcesses(), 1);
    EXPECT_EQ(Panel(device).ServerProcessId(), server);
    EXPECT_GT(Count(panels, "writes", device), writes[device - 1]) << "told everything again";
    EXPECT_TRUE(ShowsCom1(device));
    EXPECT_TRUE(KnobTunes(device)) << "its knobs act on the simulator again";
    EXPECT_TRUE(KnobTunes(untouched));
    EXPECT_TRUE(ShowsCom1(device));
    EXPECT_FALSE(watcher.CheckTimerRunning());
    EXPECT_TRUE(messages.shown.empty());
}

// Relaybox is asked to end while it serves: its readers tell Orvex at once,
// and every panel is connected again (COM starts a new Relaybox) well before
// the old one is gone.
TEST_F(PanelsComeAndGo, ARelayboxThatEndsSlowlyLosesNoTimeAndEveryPanelReconnects) {
    StartPanels("--radio 1 --switch 1");
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(WaitConnected());
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00"));
    const unsigned long server = Panel(1).ServerProcessId();
    ASSERT_NE(server, 0u);
    const std::vector<DWORD> threads = relaybox::test::ThreadsOldestFirst(server);
    ASSERT_FALSE(threads.empty());
    const ULONGLONG asked = ::GetTickCount64();
    ASSERT_TRUE(::PostThreadMessageA(threads.front(), WM_QUIT, 0, 0));
    bool works = false;
    while (!works && ::GetTickCount64() - asked < 10000) works = KnobTunes(1, 400);
    ASSERT_TRUE(works);
    std::printf("[ figure ] Relaybox asked to end: input working again after %llu ms\n", ::GetTickCount64() - asked);
    EXPECT_TRUE(PumpUntil([&] { return Panel(2).DeviceConnected() && RelayboxProcesses() == 1; }, 5000));
    EXPECT_NE(Panel(1).ServerProcessId(), server);
    ASSERT_TRUE(panels.Ok("switch 2 bat on"));
    EXPECT_TRUE(PumpUntil([&] { return standin->Get(0x3102, 1) == std::vector<uint8_t>{1}; }, 3000));
    EXPECT_TRUE(ShowsCom1(1));
    EXPECT_FALSE(app->Watcher()->CheckTimerRunning());
    EXPECT_TRUE(messages.shown.empty());
}

// Two Radio Panels and a BIP through a Relaybox restart: every panel comes
// back once and stays; both knobs act on the simulator again.
TEST_F(PanelsComeAndGo, AfterARelayboxRestartEveryPanelStaysAndBothRadiosTune) {
    StartPanels("--radio 2 --bip 1");
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(WaitConnected());
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00"));
    ASSERT_TRUE(KnobTunes(1));
    ASSERT_TRUE(KnobTunes(2));

    const ULONGLONG killed = ::GetTickCount64();
    EndProcesses("Relaybox.exe");
    EndProcesses("rpcss.exe");
    ASSERT_TRUE(PumpUntil([&] { return !Panel(1).DeviceConnected(); }, 2000));
    bool works = false;
    while (!works && ::GetTickCount64() - killed < 10000) works = KnobTunes(1, 400);
    ASSERT_TRUE(works);
    EXPECT_TRUE(PumpUntil([&] { return Panel(2).DeviceConnected() && Panel(3).DeviceConnected(); }, 3000));
    PumpFor(1000);
    const std::uint64_t restores = app->Watcher()->Restores();
    const std::uint64_t bipOpens = Count(panels, "opens", 3);
    PumpFor(3000);
    EXPECT_EQ(app->Watcher()->Restores(), restores) << "no panel is lost and restored again";
    EXPECT_EQ(Count(panels, "opens", 3), bipOpens) << panels.Command("stats 3");
    EXPECT_TRUE(Panel(3).DeviceConnected());
    EXPECT_TRUE(KnobTunes(2)) << panels.Command("stats 2");
    EXPECT_TRUE(KnobTunes(1));
    EXPECT_TRUE(ShowsCom1(2));
    EXPECT_FALSE(app->Watcher()->CheckTimerRunning());
    EXPECT_TRUE(messages.shown.empty());
}

// Relaybox's cold start runs on a thread of its own: the caller goes on at
// once and hears of the start by a message; the started server stays while
// the starter holds it, and after it while the window's own object does.
constexpr UINT kStarted = WM_APP + 99;
TEST_F(PanelsComeAndGo, RelayboxIsStartedOnAThreadOfItsOwnAndHeldUntilTheWindowHasItsObject) {
    ASSERT_TRUE(PumpUntil([] { return RelayboxProcesses() == 0; }, 10000));
    // The window's thread is a single-threaded apartment; the starter's
    // thread is not.
    com::ComApartment apartment(COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(SUCCEEDED(apartment.Result()));
    static bool told = false;
    told = false;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == kStarted) told = true;
        return ::DefWindowProcA(window, message, wParam, lParam);
    };
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OrvexStarterTest";
    ::RegisterClassA(&windowClass);
    orvex::win32::UniqueWindow window(::CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0,
                                                        HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr));
    ASSERT_TRUE(window);
    auto starter = std::make_unique<ServerStarter>(window.get(), kStarted, relaybox::DefaultServerPath(), true);
    EXPECT_FALSE(starter->Finished()) << "the caller does not wait for the start";
    ASSERT_TRUE(PumpUntil([&] { return told; }, 15000));
    ASSERT_TRUE(starter->Finished());
    EXPECT_EQ(starter->Result(), S_OK);
    EXPECT_EQ(RelayboxProcesses(), 1);
    com::ComPtr<IcHidD> own;
    ASSERT_EQ(::CoCreateInstance(CLSID_cHidD, nullptr, CLSCTX_LOCAL_SERVER, IID_IcHidD, own.PutVoid()), S_OK);
    starter.reset();
    PumpFor(1500);
    EXPECT_EQ(RelayboxProcesses(), 1) << "the window's own object holds it";
    short count = -1;
    EXPECT_EQ(own->Scan(kSaitekVendorId, PanelKinds()[0].ProductId, &count), S_OK);
    own.Reset();
    EXPECT_TRUE(PumpUntil([] { return RelayboxProcesses() == 0; }, 10000)) << "let go by both";
}

TEST_F(PanelsComeAndGo, ResumeFromSleepSendsEveryPanelItsStateAgain) {
    StartPanels("--radio 1 --bip 1");
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(WaitConnected());
    ASSERT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00"));
    PumpFor(300);
    const std::uint64_t radio = Count(panels, "writes", 1);
    const std::uint64_t bip = Count(panels, "writes", 2);
    ::SendMessageA(app->MainWindow()->Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_GT(Count(panels, "writes", 1), radio);
    EXPECT_GE(Count(panels, "writes", 2), bip + 2) << "backlight and tiles";
    EXPECT_TRUE(WaitDisplays("123.45|118.00|123.45|118.00"));

    // A panel that did not survive the sleep is handled as gone.
    ASSERT_TRUE(panels.Ok("unplug 1"));
    ::SendMessageA(app->MainWindow()->Handle(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_FALSE(Panel(1).DeviceConnected());
    ASSERT_TRUE(panels.Ok("plug 1"));
    EXPECT_GE(WaitBack(1), 0);
    EXPECT_TRUE(KnobTunes(1)) << Panel(1).DeviceConnected() << " restores " << app->Watcher()->Restores()
                              << " checks " << app->Watcher()->Checks() << " " << panels.Command("stats 1") << " "
                              << app->State().SimConnected;
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace orvex::app::win32
