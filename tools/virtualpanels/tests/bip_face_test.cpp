#include "tools/virtualpanels/bip_face.h"

#include "tools/virtualpanels/control_commands.h"

#include <gtest/gtest.h>

namespace orvex::virtualpanels::bip {
namespace {

TEST(BipFace, TilesOfTheTileReport) {
    EXPECT_EQ(TilesText(DecodeTiles({})), "-------- -------- --------");
    // Row 1: green column 0, red column 1, both on column 7; row 2 green
    // column 1; row 3 red column 0.
    const Tiles tiles = DecodeTiles({0xB8, 0x81, 0x02, 0x00, 0x82, 0x00, 0x01});
    EXPECT_EQ(TilesText(tiles), "GR-----Y -G------ R-------");
    EXPECT_EQ(tiles[9], Tile::Green);
    EXPECT_EQ(tiles[16], Tile::Red);
    // A brightness report or a short one lights nothing.
    EXPECT_EQ(TilesText(DecodeTiles({0xB2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})), "-------- -------- --------");
    EXPECT_EQ(TilesText(DecodeTiles({0xB8, 0xFF, 0xFF})), "-------- -------- --------");

    EXPECT_EQ(DecodeBrightness({}), 100);
    EXPECT_EQ(DecodeBrightness({0xB2, 0}), 0);
    EXPECT_EQ(DecodeBrightness({0xB2, 55}), 55);
    EXPECT_EQ(DecodeBrightness({0xB2, 200}), 100);
    EXPECT_EQ(DecodeBrightness({0xB8, 10}), 100);
}

TEST(BipFace, TilesLieInRowsOfEightWithoutOverlapping) {
    for (int i = 0; i < kTiles; ++i) {
        const RectF r = face::TileAt(i);
        EXPECT_GT(r.Width(), 0);
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, face::kWidth);
        EXPECT_LE(r.bottom, face::HelpLine().top) << i;
        if (i % kColumns) {
            EXPECT_GT(r.left, face::TileAt(i - 1).right) << i;
        }
        if (i >= kColumns) {
            EXPECT_GT(r.top, face::TileAt(i - kColumns).bottom) << i;
        }
    }
}

TEST(BipFace, TheTilesCommandReadsTheLastTileReport) {
    PanelBank bank;
    bank.Add(PanelKind::Switch);
    bank.Add(PanelKind::Bip);
    EXPECT_EQ(Interpret(bank, "tiles 2").reply, "ok -------- -------- --------");
    const uint8_t tiles[7] = {0xB8, 0x01, 0x00, 0x80, 0x01, 0x00, 0x00};
    const uint8_t light[7] = {0xB2, 40};  // padded to the longest report
    ASSERT_TRUE(bank.Find(2)->model.WriteFeature(tiles, 7));
    ASSERT_TRUE(bank.Find(2)->model.WriteFeature(light, 7));
    EXPECT_EQ(Interpret(bank, "tiles 2").reply, "ok Y------- -------- -------G");
    // The view the window draws holds both reports.
    const PanelView view = ViewOf(*bank.Find(2));
    EXPECT_EQ(view.feature, std::vector<uint8_t>(tiles, tiles + 7));
    EXPECT_EQ(view.brightness, std::vector<uint8_t>(light, light + 2));
    EXPECT_TRUE(ViewOf(*bank.Find(1)).brightness.empty());
    EXPECT_EQ(Interpret(bank, "tiles 1").reply, "error a switch panel has no tiles");
    EXPECT_EQ(Interpret(bank, "tiles 9").reply.rfind("error", 0), 0u);
}

} // namespace
} // namespace orvex::virtualpanels::bip
