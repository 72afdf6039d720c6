#include "panels/bip/bip_tiles.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace orvex::panels::bip {
namespace {

TileReport Bytes(std::uint8_t g1, std::uint8_t g2, std::uint8_t g3, std::uint8_t r1, std::uint8_t r2,
                 std::uint8_t r3) {
    return {kTileReportId, g1, g2, g3, r1, r2, r3};
}

TEST(BIPTileState, OneTileThroughTheColoursSetsAndClearsItsBits) {
    BIPTileState s;
    EXPECT_EQ(s.Report(), Bytes(0, 0, 0, 0, 0, 0));
    // Tile 9: row 1, column 1.
    EXPECT_TRUE(s.TurnTile(9, kTileGreen));
    EXPECT_EQ(s.Report(), Bytes(0, 0x02, 0, 0, 0, 0));
    EXPECT_TRUE(s.TurnTile(9, kTileYellow));
    EXPECT_EQ(s.Report(), Bytes(0, 0x02, 0, 0, 0x02, 0));
    EXPECT_TRUE(s.TurnTile(9, kTileRed));
    EXPECT_EQ(s.Report(), Bytes(0, 0, 0, 0, 0x02, 0));
    EXPECT_EQ(s.TileColour(9), kTileRed);
    EXPECT_TRUE(s.TurnTile(9, kTileDark));
    EXPECT_EQ(s.Report(), Bytes(0, 0, 0, 0, 0, 0));
}

TEST(BIPTileState, CornersMapToTheirRowAndColumnBits) {
    BIPTileState s;
    s.TurnTile(0, kTileGreen);
    s.TurnTile(7, kTileRed);
    s.TurnTile(16, kTileYellow);
    s.TurnTile(23, kTileGreen);
    EXPECT_EQ(s.Report(), Bytes(0x01, 0, 0x81, 0x80, 0, 0x01));
}

TEST(BIPTileState, SameColourSendsNothingAndButtonFaceIsDark) {
    BIPTileState s;
    s.SetButtonFace(0x00C8D0D4);
    EXPECT_FALSE(s.TurnTile(3, kTileDark));
    EXPECT_FALSE(s.TurnTile(3, 0x00C8D0D4));
    EXPECT_TRUE(s.TurnTile(3, kTileGreen));
    EXPECT_FALSE(s.TurnTile(3, kTileGreen));
    EXPECT_TRUE(s.TurnTile(3, 0x00C8D0D4));
    EXPECT_EQ(s.TileColour(3), kTileDark);
    EXPECT_EQ(s.FillColour(3), 0x00C8D0D4);
    EXPECT_TRUE(s.AllDark());
}

TEST(BIPTileState, ButtonFaceEqualToATileColourKeepsThatColour) {
    BIPTileState s;
    s.SetButtonFace(kTileYellow);
    EXPECT_TRUE(s.TurnTile(0, kTileYellow));
    EXPECT_EQ(s.TileColour(0), kTileYellow);
}

TEST(BIPTileState, UnknownColoursAndTilesChangeNothing) {
    BIPTileState s;
    s.TurnTile(5, kTileRed);
    const TileReport before = s.Report();
    EXPECT_FALSE(s.TurnTile(5, 0x123456));
    EXPECT_FALSE(s.TurnTile(-1, kTileGreen));
    EXPECT_FALSE(s.TurnTile(24, kTileGreen));
    EXPECT_FALSE(s.TurnPanel(0x123456));
    EXPECT_EQ(s.Report(), before);
    EXPECT_EQ(s.TileColour(5), kTileRed);
    EXPECT_EQ(s.TileColour(24), kTileDark);
}

TEST(BIPTileState, TurnAllTilesReportsOnceForAnyChange) {
    BIPTileState s;
    std::array<std::int32_t, kTileCount> colours{};
    EXPECT_FALSE(s.TurnAllTiles(colours));
    colours[0] = kTileGreen;
    colours[8] = kTileRed;
    colours[23] = 0x777777;  // skipped
    EXPECT_TRUE(s.TurnAllTiles(colours));
    EXPECT_EQ(s.Report(), Bytes(0x01, 0, 0, 0, 0x01, 0));
    EXPECT_FALSE(s.TurnAllTiles(colours));
}

TEST(BIPTileState, TurnPanelFillsEveryTileAndAlwaysReports) {
    BIPTileState s;
    EXPECT_TRUE(s.TurnPanel(kTileGreen));
    EXPECT_EQ(s.Report(), Bytes(0xFF, 0xFF, 0xFF, 0, 0, 0));
    EXPECT_TRUE(s.TurnPanel(kTileRed));
    EXPECT_EQ(s.Report(), Bytes(0, 0, 0, 0xFF, 0xFF, 0xFF));
    EXPECT_TRUE(s.TurnPanel(kTileYellow));
    EXPECT_EQ(s.Report(), Bytes(0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF));
    EXPECT_TRUE(s.TurnPanel(kTileDark));
    EXPECT_TRUE(s.TurnPanel(kTileDark));  // the panel is put back in step even so
    EXPECT_EQ(s.Report(), Bytes(0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(s.TurnTile(12, kTileDark));
}

TEST(BIPBrightness, ReportIsIdAndClampedLevel) {
    EXPECT_EQ(MakeBrightnessReport(0), (BrightnessReport{0xB2, 0}));
    EXPECT_EQ(MakeBrightnessReport(55), (BrightnessReport{0xB2, 55}));
    EXPECT_EQ(MakeBrightnessReport(250), (BrightnessReport{0xB2, 100}));
    EXPECT_EQ(MakeBrightnessReport(-3), (BrightnessReport{0xB2, 0}));
}

TEST(BIPTileLabel, LinesAndTopsByCount) {
    // Row 1 (tiles 8-15) starts at 720 twips.
    auto two = LayoutTileLabel(9, "ENG.FIRE");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->Lines[0].Text, "ENG");
    EXPECT_EQ(two->Lines[0].Top, 870);
    EXPECT_EQ(two->Lines[1].Text, "");
    EXPECT_EQ(two->Lines[1].Top, 990);
    EXPECT_EQ(two->Lines[2].Text, "FIRE");
    EXPECT_EQ(two->Lines[2].Top, 1110);

    auto one = LayoutTileLabel(0, "DME");
    ASSERT_TRUE(one);
    EXPECT_EQ(one->Lines[0].Text, "");
    EXPECT_EQ(one->Lines[0].Top, 90);
    EXPECT_EQ(one->Lines[1].Text, "DME");
    EXPECT_EQ(one->Lines[1].Top, 270);
    EXPECT_EQ(one->Lines[2].Top, 450);

    auto three = LayoutTileLabel(23, "ENG 1.OIL.PRESSURE");
    ASSERT_TRUE(three);
    EXPECT_EQ(three->Lines[0].Text, "ENG 1");
    EXPECT_EQ(three->Lines[1].Text, "OIL");
    EXPECT_EQ(three->Lines[2].Text, "PRESSURE");
    EXPECT_EQ(three->Lines[0].Top, 1530);
    EXPECT_EQ(three->Lines[2].Top, 1890);
}

TEST(BIPTileLabel, EmptyClearsWithoutMovingAndTooManyLinesLeavesAlone) {
    auto none = LayoutTileLabel(4, "");
    ASSERT_TRUE(none);
    for (const TileLabelLine& line : none->Lines) {
        EXPECT_EQ(line.Text, "");
        EXPECT_FALSE(line.Top);
    }
    EXPECT_FALSE(LayoutTileLabel(4, "A.B.C.D"));
    EXPECT_FALSE(LayoutTileLabel(24, "DME"));
}

TEST(BIPSplash, BandRunsAcrossAndEndsDark) {
    // Played on a state, every tile is lit green, yellow, red in turn and the
    // panel ends dark, with each tile changing exactly four times.
    BIPTileState s;
    std::array<int, kTileCount> changes{};
    std::set<std::pair<int, std::int32_t>> seen;
    for (int k = 0; k < kSplashSteps; ++k) {
        const SplashStepChanges step = SplashStep(k);
        ASSERT_LE(step.Count, 4u);
        for (std::size_t i = 0; i < step.Count; ++i) {
            const TileChange c = step.Changes[i];
            ASSERT_TRUE(IsTile(c.Tile)) << k;
            if (s.TurnTile(c.Tile, c.Colour)) ++changes[static_cast<std::size_t>(c.Tile)];
            seen.insert({c.Tile, c.Colour});
        }
    }
    EXPECT_TRUE(s.AllDark());
    for (int t = 0; t < kTileCount; ++t) {
        EXPECT_EQ(changes[static_cast<std::size_t>(t)], 4) << t;
        for (std::int32_t colour : {kTileGreen, kTileYellow, kTileRed, kTileDark})
            EXPECT_TRUE(seen.count({t, colour})) << t;
    }
    const SplashStepChanges mid = SplashStep(10);
    ASSERT_EQ(mid.Count, 4u);
    EXPECT_EQ(mid.Changes[0].Tile, 10);
    EXPECT_EQ(mid.Changes[0].Colour, kTileGreen);
    EXPECT_EQ(mid.Changes[3].Tile, 7);
    EXPECT_EQ(mid.Changes[3].Colour, kTileDark);
    EXPECT_EQ(SplashStep(kSplashSteps).Count, 0u);
}

} // namespace
} // namespace orvex::panels::bip
