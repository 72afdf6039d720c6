// The BIP control against a virtual BIP through a Relaybox reader: the
// backlight fading in on connection, tile reports sent only when a tile
// changes, the whole-panel reports, the legends, the start-up light show
// and the darkening when the control goes.
#include "panels/bip/win32/ctl_bip_panel.h"

#include "tests/support/panel_control_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace orvex;
using namespace orvex::panels::bip;
using relaybox::test::PumpFor;

namespace {

struct BipEvents final : IBIPPanelEvents, test::EventLog {
    void SetupRequest() override { Add("setup"); }
};

const std::string& Instance() {
    static const std::string name = test::InstanceName("BipControlTests");
    return name;
}

using Bytes = std::vector<std::uint8_t>;

class BipControlTest : public test::PanelControlTest<ctlBIPPanel, BipEvents> {
protected:
    static void SetUpTestSuite() { RegisterServer(Instance()); }
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartPanel(Instance(), "--bip 1"));
        ASSERT_TRUE(control->Create(parent, 1, events, waitHost));
    }
    Bytes Tiles() { return panels.LastFeature(1, kTileReportId); }
    std::string TilesText() { return panels.Command("tiles 1"); }
    std::uint64_t Writes() { return panels.FeatureWrites(1); }
};

std::string Legend(const ctlBIPPanel& control, int tile) {
    const auto& l = control.Legends();
    return l.Line(tile, 0) + "|" + l.Line(tile, 1) + "|" + l.Line(tile, 2);
}

} // namespace

TEST_F(BipControlTest, FadesInThenSendsTileReportsOnlyWhenATileChanges) {
    ExpectFixedSize();
    int failures = 0;
    control->OnDeviceFailed = [&] { ++failures; };
    ConnectPanel();
    // Brightness 0, the two 7-byte blanking buffers, then 5 ... 100. Every
    // report travels at the collection's length (7 bytes), which the virtual
    // panel, like the system's HID class driver, accepts and no other; a
    // panel that refused the blanking would not be taken for gone either.
    EXPECT_EQ(panels.LastFeature(1, kBrightnessReportId), (Bytes{0xB2, 100}));
    EXPECT_EQ(Writes(), 23u);
    EXPECT_NE(panels.Command("stats 1").find("rejected=0"), std::string::npos) << panels.Command("stats 1");
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(Tiles().empty()) << "no tile report before the first tile operation";

    control->TurnPanel(kTileDark);
    EXPECT_EQ(Tiles(), (Bytes{0xB8, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Writes(), 24u);

    // One tile: green, yellow, red.
    control->TurnTile(9, kTileGreen);
    EXPECT_EQ(Tiles(), (Bytes{0xB8, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00}));
    control->TurnTile(9, kTileYellow);
    EXPECT_EQ(Tiles(), (Bytes{0xB8, 0x00, 0x02, 0x00, 0x00, 0x02, 0x00}));
    control->TurnTile(9, kTileRed);
    EXPECT_EQ(Tiles(), (Bytes{0xB8, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}));
    EXPECT_EQ(TilesText(), "ok -------- -R------ --------");
    EXPECT_EQ(control->TileColour(9), kTileRed);
    // The colour it shows already, or a colour that is none of the four:
    // nothing is sent.
    const std::uint64_t writes = Writes();
    control->TurnTile(9, kTileRed);
    control->TurnTile(9, 12345);
    control->TurnTile(24, kTileGreen);
    EXPECT_EQ(Writes(), writes);
    // The button-face colour stands for dark, as on screen.
    control->TurnTile(9, static_cast<std::int32_t>(::GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(Tiles(), (Bytes{0xB8, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(control->TileColour(9), kTileDark);
    EXPECT_EQ(static_cast<COLORREF>(control->FillColour(9)), ::GetSysColor(COLOR_BTNFACE));

    // Every tile at once: nothing for an unchanged array, one report for
    // several changes.
    std::array<std::int32_t, kTileCount> colours{};
    const std::uint64_t before = Writes();
    control->TurnAllTiles(colours);
    EXPECT_EQ(Writes(), before);
    colours[0] = kTileGreen;
    colours[8] = kTileRed;
    colours[23] = kTileYellow;
    control->TurnAllTiles(colours);
    EXPECT_EQ(Writes(), before + 1);
    EXPECT_EQ(TilesText(), "ok G------- R------- -------Y");

    // The whole panel: always sent, also unchanged.
    control->TurnPanel(kTileGreen);
    EXPECT_EQ(Tiles(), (Bytes{0xB8, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00}));
    control->TurnPanel(kTileRed);
    EXPECT_EQ(Tiles(), (Bytes{0xB8, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF}));
    control->TurnPanel(kTileYellow);
    control->TurnPanel(kTileYellow);
    EXPECT_EQ(Tiles(), (Bytes{0xB8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Writes(), before + 5);
    control->TurnPanel(777);
    EXPECT_EQ(Writes(), before + 5) << "no report for a colour that is none of the four";
    EXPECT_EQ(control->TileReportsSent(), Writes() - 23);

    // Legends: one, two or three lines; four or more leave the labels.
    control->SetTileLabel(3, "ENG.FIRE");
    EXPECT_EQ(Legend(*control, 3), "ENG||FIRE");
    EXPECT_EQ(control->Legends().LineTop(3, 0), 150);
    control->SetTileLabel(11, "ENG 1.OIL.PRESSURE");
    EXPECT_EQ(Legend(*control, 11), "ENG 1|OIL|PRESSURE");
    EXPECT_EQ(control->Legends().LineTop(11, 2), 720 + 450);
    control->SetTileLabel(11, "A.B.C.D");
    EXPECT_EQ(Legend(*control, 11), "ENG 1|OIL|PRESSURE");
    control->SetTileLabel(20, "GPS");
    EXPECT_EQ(Legend(*control, 20), "|GPS|");
    control->SetTileLabel(3, "");
    EXPECT_EQ(Legend(*control, 3), "||");
    // Painting the tiles as they stand.
    ::RedrawWindow(control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    ::SendMessageA(control->SetupButton(), BM_CLICK, 0, 0);
    EXPECT_TRUE(events.Has("setup"));

    // Going away darkens the panel.
    control.reset();
    EXPECT_EQ(Tiles(), (Bytes{0xB8, 0, 0, 0, 0, 0, 0}));
}

TEST_F(BipControlTest, SplashRunsABandAcrossThePanelThenDarkens) {
    ConnectPanel();
    const std::uint64_t writes = Writes();
    const DWORD start = ::GetTickCount();
    control->Splash();
    EXPECT_GE(::GetTickCount() - start, 27u * 50u - 30u);
    // Dark before and after, and one report for each tile change of the
    // 27 steps: 1 + 2 + 3 + 21 x 4 + 3 + 2 + 1.
    EXPECT_EQ(Writes(), writes + 2 + 96);
    EXPECT_EQ(Tiles(), (Bytes{0xB8, 0, 0, 0, 0, 0, 0}));

    // A path that is not a panel still gets a reader, but no output.
    BipEvents other;
    ctlBIPPanel lost;
    ASSERT_TRUE(lost.Create(parent, 2, other, waitHost, 0, 200));
    std::string path = panels.Path(1);
    path.replace(path.find("#1#"), 3, "#99#");
    EXPECT_TRUE(lost.Connect(path)) << lost.ConnectError();
    EXPECT_FALSE(lost.DeviceOpen());
    lost.TurnTile(0, kTileGreen);
    EXPECT_EQ(lost.TileReportsSent(), 1u);
    EXPECT_EQ(lost.TileColour(0), kTileGreen) << "the screen copy follows all the same";
    PumpFor(50);
}
