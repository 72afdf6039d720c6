#include "panels/bip/bip_setup_model.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

namespace orvex::panels::bip {
namespace {

TEST(BIPSetupOptions, GroupsHoldTheOfferedFunctionsOnce) {
    int total = 0;
    for (int group = 1; group <= kTileGroupCount; ++group) {
        for (int f : FunctionsOfGroup(group)) {
            EXPECT_EQ(TileFunction(f).Group, group);
            ++total;
        }
    }
    EXPECT_EQ(total, 66);  // 69 less the three empty entries
    EXPECT_EQ(FunctionsOfGroup(kGroupNgx), (std::vector<int>{67, 68, 69}));
    EXPECT_TRUE(FunctionsOfGroup(0).empty());
    EXPECT_FALSE(IsOfferedFunction(43));
    EXPECT_EQ(TabOfGroup(kGroupEngines), 0);
    EXPECT_EQ(GroupOfTab(7), kGroupNgx);
    EXPECT_EQ(TabOfGroup(0), -1);
}

TEST(BIPSetupOptions, Captions) {
    EXPECT_EQ(FunctionOptionCaption(2), "ENG 1 FIRE");
    EXPECT_EQ(FunctionOptionCaption(67), "A/P P/RST");
    EXPECT_EQ(FunctionOptionCaption(6), "LEFT ENGINE FIRE");
    EXPECT_EQ(FunctionOptionCaption(7), "RIGHT ENGINE FIRE");
    EXPECT_EQ(FunctionOptionCaption(39), "BEACON LIGHTS");
    EXPECT_EQ(FunctionOptionCaption(40), "LANDING LIGHTS");
    EXPECT_EQ(FunctionOptionCaption(0), "No Function");
    EXPECT_EQ(FunctionOptionCaption(46), "");
    EXPECT_EQ(BIPProfileLabelText("Cessna"), "Currently in use Profile:  Cessna");
    EXPECT_EQ(ColorOptionOf(kTileGreen), 1);
    EXPECT_EQ(ColorOptionOf(0), -1);
}

struct BIPSetupModelFixture : ::testing::Test {
    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config{store, "C:\\Orvex", messages};
    cBIPPanelActionHolder holder{config};
    BIPSetupModel model;

    void SetUp() override {
        store.SetFileText("C:\\Orvex\\Default.ini", "[BIPPanel1]\nT0=OIL_PRESSURE,Red,40\nT3=COMBINED_GEAR\n");
        holder.PanelIndex = 1;
        holder.LoadSetup();
        model.CopyFrom(holder);
    }
};

TEST_F(BIPSetupModelFixture, NewFunctionTakesDefaultsSameFunctionKeepsChoices) {
    EXPECT_EQ(model.CurrentTile(), 0);
    BIPSetupView v = model.View();
    EXPECT_EQ(v.Function, 9);
    EXPECT_TRUE(v.ColorEnabled);
    EXPECT_EQ(v.ColorOption, 0);
    EXPECT_TRUE(v.ThresholdEnabled);
    EXPECT_EQ(v.Threshold, 40);
    EXPECT_EQ(v.Tab, TabOfGroup(kGroupEngines));

    model.ChooseFunction(9);  // selecting the tile re-checks its own option
    EXPECT_EQ(model.Tile(0), (BIPTileSetup{9, 40, kTileRed}));
    model.ChooseFunction(10);
    EXPECT_EQ(model.Tile(0), (BIPTileSetup{10, 20, kTileYellow}));

    ASSERT_TRUE(model.SelectTile(3));
    v = model.View();
    EXPECT_FALSE(v.ColorEnabled);
    EXPECT_FALSE(v.ThresholdEnabled);
    EXPECT_EQ(v.ColorOption, -1);
    EXPECT_EQ(v.Tab, TabOfGroup(kGroupGear));
    EXPECT_FALSE(model.ChooseColorOption(1));  // the gear tile sets its own colours
    model.SetThreshold(50);
    EXPECT_EQ(model.Tile(3), (BIPTileSetup{52, 0, 0}));
    EXPECT_EQ(model.TileColour(3), kTileDark);
    EXPECT_EQ(model.Legend(3), "COMBINED.GEAR");
}

TEST_F(BIPSetupModelFixture, EditsReachTheHolderOnlyWhenCopiedBack) {
    model.ChooseColorOption(2);
    model.SetThreshold(130);
    EXPECT_EQ(model.Tile(0), (BIPTileSetup{9, 100, kTileYellow}));
    model.SelectTile(7);
    model.ChooseFunction(43);  // not offered: no function
    EXPECT_EQ(model.Tile(7), BIPTileSetup{});
    model.ChooseFunction(57);
    model.SelectTile(3);
    model.ClearCurrentTile();
    EXPECT_FALSE(model.SelectTile(24));
    EXPECT_EQ(model.CurrentTile(), 3);

    EXPECT_EQ(holder.GetTileFunction(3), 52);  // untouched until copied back (Cancel)
    model.CopyTo(holder);
    holder.SaveSetup();
    EXPECT_EQ(store.ReadString("C:\\Orvex\\Default.ini", "BIPPanel1", "T0", ""), "OIL_PRESSURE,Yellow,100");
    EXPECT_EQ(store.ReadString("C:\\Orvex\\Default.ini", "BIPPanel1", "T7", ""), "OUTER_MARKER,Green");
    EXPECT_EQ(store.ReadString("C:\\Orvex\\Default.ini", "BIPPanel1", "T3", "<none>"), "<none>");

    model.ClearAllTiles();
    for (int t = 0; t < kTileCount; ++t) EXPECT_EQ(model.Tile(t), BIPTileSetup{});
    EXPECT_EQ(model.View().Description, "");
}

TEST_F(BIPSetupModelFixture, CopyToRefusesWhatCouldNotBeStored) {
    // SetTiles checks what it gets, whoever built the array.
    BIPTileSetups bad{};
    bad[0] = BIPTileSetup{46, 20, kTileRed};
    bad[1] = BIPTileSetup{9, 250, 777};
    holder.SetTiles(bad);
    EXPECT_EQ(holder.Tiles()[0], BIPTileSetup{});
    EXPECT_EQ(holder.Tiles()[1], (BIPTileSetup{9, 100, 0}));
}

} // namespace
} // namespace orvex::panels::bip
