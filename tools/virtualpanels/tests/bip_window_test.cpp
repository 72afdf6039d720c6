// The drawn BIP in one process with its engine: its tiles follow the tile
// reports a writer sends, its light the brightness reports, and it redraws
// only when what it shows changes.
#include "tools/virtualpanels/bip_window_win32.h"
#include "tools/virtualpanels/tests/face_window_fixture.h"

using namespace orvex::virtualpanels;

namespace {

class BipWindow : public FaceWindowFixture<BipPanelWindow, PanelKind::Bip> {
protected:
    bool Send(std::vector<uint8_t> report) {
        return writer_->SetFeature(report.data(), static_cast<uint32_t>(report.size()));
    }
    bool Redrawn(uint64_t before) {
        return Pump([&] { return window_->Redraws() > before; }, 2000);
    }
};

} // namespace

TEST_F(BipWindow, TilesAndLightFollowTheFeatureReports) {
    EXPECT_EQ(bip::TilesText(window_->Shown()), "-------- -------- --------");
    EXPECT_EQ(window_->Brightness(), 100);

    uint64_t before = window_->Redraws();
    ASSERT_TRUE(Send({0xB8, 0x01, 0x02, 0x00, 0x01, 0x00, 0x80}));
    ASSERT_TRUE(Redrawn(before));
    EXPECT_EQ(bip::TilesText(window_->Shown()), "Y------- -G------ -------R");
    // The same report again changes nothing on screen.
    before = window_->Redraws();
    ASSERT_TRUE(Send({0xB8, 0x01, 0x02, 0x00, 0x01, 0x00, 0x80}));
    Pump({}, 200);
    EXPECT_EQ(window_->Redraws(), before);

    // The light dims the tiles; the tiles stay as they were.
    EXPECT_FALSE(Send({0xB2, 30})) << "shorter than the longest feature report";
    ASSERT_TRUE(Send({0xB2, 30, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(Redrawn(before));
    EXPECT_EQ(window_->Brightness(), 30);
    EXPECT_EQ(bip::TilesText(window_->Shown()), "Y------- -G------ -------R");
    // A report of the wrong size is refused and shows nothing.
    EXPECT_FALSE(Send({0xB8, 0xFF, 0xFF, 0xFF}));
    // Drawing what it shows (the window is hidden, so ask for it).
    ::SendMessageA(window_->Handle(), WM_PAINT, 0, 0);
    // The mouse does nothing on a panel without input.
    before = window_->Redraws();
    Click(Centre(bip::face::TileAt(0)));
    Pump({}, 100);
    EXPECT_EQ(window_->Redraws(), before);
}

TEST(BipTilePaint, LitTilesFadeWithTheLightButStayVisible) {
    const COLORREF dark = BipPanelWindow::TilePaint(bip::Tile::Dark, 100);
    EXPECT_EQ(BipPanelWindow::TilePaint(bip::Tile::Dark, 0), dark);
    const COLORREF full = BipPanelWindow::TilePaint(bip::Tile::Green, 100);
    const COLORREF dim = BipPanelWindow::TilePaint(bip::Tile::Green, 0);
    EXPECT_GT(GetGValue(full), GetGValue(dim));
    EXPECT_GT(GetGValue(dim), GetGValue(dark) + 20);
    EXPECT_NE(BipPanelWindow::TilePaint(bip::Tile::Red, 100), BipPanelWindow::TilePaint(bip::Tile::Yellow, 100));
}
