#include "panels/bip/bip_actions_holder.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

#include <string>

namespace orvex::panels::bip {
namespace {

constexpr const char* kProfile = "C:\\Orvex\\Default.ini";

struct BIPHolderFixture : ::testing::Test {
    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config{store, "C:\\Orvex", messages};
    cBIPPanelActionHolder holder{config};

    void Load(const std::string& section, int panel = 1) {
        store.SetFileText(kProfile, "[BIPPanel" + std::to_string(panel) + "]\n" + section);
        holder.PanelIndex = static_cast<std::int16_t>(panel);
        holder.LoadSetup();
    }
    std::string Stored(const std::string& key, int panel = 1) {
        return store.ReadString(kProfile, "BIPPanel" + std::to_string(panel), key, "<none>");
    }
    BIPTileSetup Tile(int t) const { return holder.Tiles()[static_cast<std::size_t>(t)]; }
};

TEST_F(BIPHolderFixture, MissingFieldsTakeTheCatalogueDefaults) {
    Load("T5=OIL_PRESSURE\nT0=GEAR_DOWN,Yellow\nT1=GEAR_DOWN,blue\nT2=COMBINED_GEAR\nT3=VAC_LOW,green\n");
    EXPECT_EQ(Tile(5), (BIPTileSetup{9, 20, kTileYellow}));
    EXPECT_EQ(Tile(0), (BIPTileSetup{24, 0, kTileYellow}));
    EXPECT_EQ(Tile(1), (BIPTileSetup{24, 0, kTileGreen}));  // unknown word: default colour
    EXPECT_EQ(Tile(2), (BIPTileSetup{52, 0, 0}));
    EXPECT_EQ(Tile(3), (BIPTileSetup{44, 60, kTileGreen}));
    EXPECT_EQ(holder.GetName(5), "OIL.PRESSURE");
    EXPECT_TRUE(holder.hasThresholdSel(5));
    EXPECT_FALSE(holder.hasColorSel(2));
    EXPECT_EQ(holder.GetTilesGroup(3), kGroupMisc);
}

TEST_F(BIPHolderFixture, GarbageThresholdsLoadAsZeroAndUnknownKeysAsNoFunction) {
    Load("T5=OIL_PRESSURE,RED,150\nT6=OIL_PRESSURE,Green,abc\nT7=OIL_PRESSURE,Yellow,-1\n"
         "T8=OIL_PRESSURE,Yellow,100\nT9=oil_pressure,Yellow,20\nT10=\nT11=ENG_FIRE,Red,55\n");
    EXPECT_EQ(Tile(5), (BIPTileSetup{9, 0, kTileRed}));
    EXPECT_EQ(Tile(6), (BIPTileSetup{9, 0, kTileGreen}));
    EXPECT_EQ(Tile(7), (BIPTileSetup{9, 0, kTileYellow}));
    EXPECT_EQ(Tile(8), (BIPTileSetup{9, 100, kTileYellow}));
    EXPECT_EQ(Tile(9), BIPTileSetup{});
    EXPECT_EQ(Tile(10), BIPTileSetup{});
    EXPECT_EQ(Tile(11), (BIPTileSetup{1, 0, kTileRed}));  // no threshold: the field is ignored
}

TEST_F(BIPHolderFixture, OnlyUpperCaseTileKeysInRangeAreRead) {
    Load("T24=ENG_FIRE\nt3=ENG_FIRE\nTX=ENG_FIRE\nT=ENG_FIRE\nT-1=ENG_FIRE\nT23=DME\nX1=ENG_FIRE\n");
    for (int t = 0; t < 23; ++t) EXPECT_EQ(Tile(t), BIPTileSetup{}) << t;
    EXPECT_EQ(Tile(23), (BIPTileSetup{27, 0, kTileGreen}));
}

TEST_F(BIPHolderFixture, LoadStartsFromEmptyTilesAndMissingSectionIsEmpty) {
    Load("T4=DME\n");
    ASSERT_EQ(holder.GetTileFunction(4), 27);
    Load("T2=NAV\n", 2);  // a different section: nothing of panel 1 remains
    EXPECT_EQ(holder.GetTileFunction(4), 0);
    EXPECT_EQ(holder.GetTileFunction(2), 35);
    store.RemoveFile(kProfile);
    holder.LoadSetup();
    for (int t = 0; t < kTileCount; ++t) EXPECT_EQ(Tile(t), BIPTileSetup{});
}

TEST_F(BIPHolderFixture, SaveWritesEveryTileKeyAndRoundTrips) {
    Load("Other=kept\nT9=DME\n");
    holder.ClearAllTiles();
    holder.SetTileFunction(0, 9);
    holder.SetTileFunction(1, 24);
    holder.SetColor(1, kTileRed);
    holder.SetTileFunction(2, 52);
    holder.SetTileFunction(3, 44);
    holder.SetThreshold(3, 35);
    holder.SaveSetup();
    EXPECT_EQ(Stored("T0"), "OIL_PRESSURE,Yellow,20");
    EXPECT_EQ(Stored("T1"), "GEAR_DOWN,Red");
    EXPECT_EQ(Stored("T2"), "COMBINED_GEAR");
    EXPECT_EQ(Stored("T3"), "VAC_LOW,Yellow,35");
    EXPECT_EQ(Stored("T9"), "<none>");
    EXPECT_EQ(Stored("Other"), "kept");

    const BIPTileSetups saved = holder.Tiles();
    holder.LoadSetup();
    EXPECT_EQ(holder.Tiles(), saved);
}

// A save used to delete the key of a tile that loaded as no function (an
// unknown function word, perhaps of a later catalogue) and to write a new
// "T5" beside a hand-written "T05", which the next load then read instead.
TEST_F(BIPHolderFixture, SaveKeepsUnchangedTilesAsWrittenAndReplacesEverySpellingOfAChangedOne) {
    Load("T1=SOME_LATER_TILE,Red\nT05=ENG_FIRE\nT7=OIL_PRESSURE,Purple,20\nt9=ENG_FIRE\n");
    holder.SaveSetup();
    EXPECT_EQ(store.FileText(kProfile),
              "[BIPPanel1]\r\nT1=SOME_LATER_TILE,Red\r\nT05=ENG_FIRE\r\nT7=OIL_PRESSURE,Purple,20\r\nt9=ENG_FIRE\r\n");

    holder.ClearTile(5);
    holder.SetTileFunction(1, FindTileFunction("ENG_FIRE"));
    holder.SaveSetup();
    EXPECT_EQ(Stored("T05"), "<none>");
    EXPECT_EQ(Stored("T1"), "ENG_FIRE,Red");
    EXPECT_EQ(Stored("t9"), "ENG_FIRE");  // not a tile key: left alone
    cBIPPanelActionHolder again{config};
    again.PanelIndex = 1;
    again.LoadSetup();
    EXPECT_EQ(again.Tiles(), holder.Tiles());
}

TEST_F(BIPHolderFixture, EmptyPanelSavesNothing) {
    Load("T0=DME\nT23=NAV\n");
    holder.ClearAllTiles();
    holder.SaveSetup();
    EXPECT_EQ(store.KeyNames(kProfile, "BIPPanel1").size(), 0u);
}

TEST_F(BIPHolderFixture, AColourWithoutAWordKeepsTheThresholdInItsPlace) {
    // SetTiles would refuse it; a tile's colour can still be dark (0).
    holder.PanelIndex = 1;
    holder.SetTileFunction(4, 10);
    holder.SetThreshold(4, 33);
    ASSERT_TRUE(holder.SetColor(4, kTileDark));
    holder.SaveSetup();
    EXPECT_EQ(Stored("T4"), "ENG_1_OIL_PRESSURE,Yellow,33");
    holder.LoadSetup();
    EXPECT_EQ(holder.GetThreshold(4), 33);
}

TEST_F(BIPHolderFixture, SettersKeepValuesThatReadBack) {
    holder.SetTileFunction(2, 44);
    EXPECT_EQ(Tile(2), (BIPTileSetup{44, 60, kTileYellow}));
    EXPECT_FALSE(holder.SetColor(2, 12345));
    EXPECT_EQ(holder.GetColor(2), kTileYellow);
    holder.SetThreshold(2, 150);
    EXPECT_EQ(holder.GetThreshold(2), 100);
    holder.SetThreshold(2, -5);
    EXPECT_EQ(holder.GetThreshold(2), 0);
    holder.SetTileFunction(3, 42);  // an empty entry
    holder.SetTileFunction(4, 70);
    EXPECT_EQ(Tile(3), BIPTileSetup{});
    EXPECT_EQ(Tile(4), BIPTileSetup{});
    holder.SetTileFunction(24, 1);
    EXPECT_EQ(holder.GetTileFunction(24), 0);
    EXPECT_EQ(holder.GetName(24), "");
    holder.ClearTile(2);
    EXPECT_EQ(Tile(2), BIPTileSetup{});
}

TEST(BIPColourWords, BothWays) {
    EXPECT_STREQ(TileColourWord(kTileRed), "Red");
    EXPECT_STREQ(TileColourWord(kTileGreen), "Green");
    EXPECT_STREQ(TileColourWord(kTileYellow), "Yellow");
    EXPECT_STREQ(TileColourWord(0), "");
    EXPECT_EQ(TileColourFromWord("YeLLoW"), kTileYellow);
    EXPECT_EQ(TileColourFromWord("blue"), std::nullopt);
    EXPECT_EQ(TileColourFromWord(""), std::nullopt);
}

} // namespace
} // namespace orvex::panels::bip
