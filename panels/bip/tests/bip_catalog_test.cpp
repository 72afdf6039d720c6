#include "panels/bip/bip_catalog.h"

#include "panels/bip/bip_tiles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace orvex::panels::bip {
namespace {

// Index, stored key, group, default colour (-1: the tile sets its own
// colours), default threshold (-1: none), as profiles and the setup dialog
// know them.
struct Expected {
    int Index;
    const char* Key;
    int Group;
    std::int32_t Colour;
    std::int32_t Threshold;
};
constexpr Expected kExpected[] = {
    {1, "ENG_FIRE", 1, kTileRed, -1},
    {2, "ENG_1_FIRE", 1, kTileRed, -1},
    {3, "ENG_2_FIRE", 1, kTileRed, -1},
    {4, "ENG_3_FIRE", 1, kTileRed, -1},
    {5, "ENG_4_FIRE", 1, kTileRed, -1},
    {6, "LEFT_ENG_FIRE", 1, kTileRed, -1},
    {7, "RIGHT_ENG_FIRE", 1, kTileRed, -1},
    {8, "LOW_PRESSURE", 1, kTileRed, 19},
    {9, "OIL_PRESSURE", 1, kTileYellow, 20},
    {10, "ENG_1_OIL_PRESSURE", 1, kTileYellow, 20},
    {11, "ENG_2_OIL_PRESSURE", 1, kTileYellow, 20},
    {12, "ENG_3_OIL_PRESSURE", 1, kTileYellow, 20},
    {13, "ENG_4_OIL_PRESSURE", 1, kTileYellow, 20},
    {14, "ENG_OIL_TEMP", 1, kTileYellow, 65},
    {15, "ENG_1_OIL_TEMP", 1, kTileYellow, 65},
    {16, "ENG_2_OIL_TEMP", 1, kTileYellow, 65},
    {17, "ENG_3_OIL_TEMP", 1, kTileYellow, 65},
    {18, "ENG_4_OIL_TEMP", 1, kTileYellow, 65},
    {19, "FUEL_LOW", 2, kTileYellow, 15},
    {20, "LEFT_FUEL_LOW", 2, kTileYellow, 15},
    {21, "CENTRE_FUEL_LOW", 2, kTileYellow, 15},
    {22, "RIGHT_FUEL_LOW", 2, kTileYellow, 15},
    {23, "FUEL_CROSS_FEED", 2, kTileGreen, -1},
    {24, "GEAR_DOWN", 3, kTileGreen, -1},
    {25, "GEAR_UP", 3, kTileGreen, -1},
    {26, "GEAR_UNSAFE", 3, kTileYellow, -1},
    {27, "DME", 6, kTileGreen, -1},
    {28, "GPS", 4, kTileGreen, -1},
    {29, "NAV_1", 6, kTileGreen, -1},
    {30, "NAV_2", 6, kTileGreen, -1},
    {31, "COM_1", 6, kTileGreen, -1},
    {32, "COM_2", 6, kTileGreen, -1},
    {33, "BOTH", 6, kTileGreen, -1},
    {34, "MKR", 6, kTileGreen, -1},
    {35, "NAV", 4, kTileGreen, -1},
    {36, "ADF", 6, kTileGreen, -1},
    {37, "AUTO_PILOT", 4, kTileGreen, -1},
    {38, "AP_MASTER", 4, kTileGreen, -1},
    {39, "BEACON_LIGHT", 5, kTileGreen, -1},
    {40, "LANDING_LIGHT", 5, kTileGreen, -1},
    {41, "STROBE_LIGHT", 5, kTileGreen, -1},
    {44, "VAC_LOW", 7, kTileYellow, 60},
    {45, "MASTER_CAUTION", 7, kTileYellow, -1},
    {47, "STALL_WARNING", 7, kTileYellow, -1},
    {48, "DOOR_WARNING", 7, kTileYellow, -1},
    {49, "ROTOR_LOW_RPM", 7, kTileYellow, 20},
    {50, "PITOT_HEAT", 7, kTileGreen, -1},
    {51, "PARKING_BRAKES", 7, kTileGreen, -1},
    {52, "COMBINED_GEAR", 3, -1, -1},
    {53, "NOSE_GEAR", 3, -1, -1},
    {54, "RIGHT_GEAR", 3, -1, -1},
    {55, "LEFT_GEAR", 3, -1, -1},
    {56, "COMBINED_OMI", 4, -1, -1},
    {57, "OUTER_MARKER", 4, kTileGreen, -1},
    {58, "MIDDLE_MARKER", 4, kTileRed, -1},
    {59, "INNER_MARKER", 4, kTileYellow, -1},
    {60, "NAV_LIGHT", 5, kTileGreen, -1},
    {61, "TAXI_LIGHT", 5, kTileGreen, -1},
    {62, "INSTR_LIGHT", 5, kTileGreen, -1},
    {63, "RECOG_LIGHT", 5, kTileGreen, -1},
    {64, "WING_LIGHT", 5, kTileGreen, -1},
    {65, "LOGO_LIGHT", 5, kTileGreen, -1},
    {66, "CABIN_LIGHT", 5, kTileGreen, -1},
    {67, "AP_PRST", 8, -1, -1},
    {68, "AT_PRST", 8, -1, -1},
    {69, "FMC_PRST", 8, -1, -1},
};

TEST(BIPTileCatalog, EveryFunctionHasItsKeyGroupAndDefaults) {
    InitTileCatalog();
    std::set<int> listed;
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.Index);
        listed.insert(e.Index);
        const BIPTileFunction& f = BIPTileCatalog()[static_cast<std::size_t>(e.Index)];
        EXPECT_EQ(f.Key, e.Key);
        EXPECT_EQ(TileKeyOf(f.Name), e.Key);  // the key is the name's
        EXPECT_EQ(FindTileFunction(e.Key), e.Index);
        EXPECT_EQ(f.Group, e.Group);
        EXPECT_EQ(f.hasColorSel, e.Colour != -1);
        EXPECT_EQ(f.DefaultColor, e.Colour == -1 ? 0 : e.Colour);
        EXPECT_EQ(f.hasThresholdSel, e.Threshold != -1);
        EXPECT_EQ(f.DefaultThreshold, e.Threshold == -1 ? 0 : e.Threshold);
        EXPECT_FALSE(f.Name.empty());
        EXPECT_FALSE(f.Description.empty());
    }
    // Everything else is empty: no legend, key, text or group.
    for (int i = 0; i < kTileFunctionCount; ++i) {
        if (listed.count(i)) continue;
        SCOPED_TRACE(i);
        const BIPTileFunction& f = TileFunction(i);
        EXPECT_TRUE(f.Name.empty() && f.Key.empty() && f.Description.empty());
        EXPECT_EQ(f.Group, kGroupNone);
        EXPECT_FALSE(f.hasColorSel || f.hasThresholdSel);
    }
    EXPECT_EQ(listed.size() + 4, static_cast<std::size_t>(kTileFunctionCount));  // 0, 42, 43, 46
}

TEST(BIPTileCatalog, KeyDerivationAndLookup) {
    EXPECT_EQ(TileKeyOf("ENG 1.FIRE"), "ENG_1_FIRE");
    EXPECT_EQ(TileKeyOf("A/P.P/RST"), "AP_PRST");
    EXPECT_EQ(TileFunction(67).Name, "A/P.P/RST");
    EXPECT_EQ(FindTileFunction("ENG_FIRE"), 1);
    EXPECT_EQ(FindTileFunction("AP_PRST"), 67);
    EXPECT_EQ(FindTileFunction(""), 0);
    EXPECT_EQ(FindTileFunction("NO_SUCH_TILE"), 0);
    EXPECT_EQ(FindTileFunction("eng_fire"), 0);
    EXPECT_EQ(FindTileFunction("ENG.FIRE"), 0);  // the legend is not the key
    std::set<std::string> keys;
    for (const BIPTileFunction& f : BIPTileCatalog()) {
        if (!f.Key.empty()) {
            EXPECT_TRUE(keys.insert(f.Key).second) << f.Key;
        }
    }
}

TEST(BIPTileCatalog, TextsAndGroupNames) {
    EXPECT_EQ(TileFunction(1).Description, "One or more engines are on fire. Standard and NGX modes supported.");
    EXPECT_EQ(TileFunction(14).Description,
              "Engine oil temperature is over the threshold. Threshold scale: 0%=0\xB0" "C , 100%=200\xB0"
              "C . Only standard mode supported.");
    EXPECT_EQ(TileFunction(6).Description,
              "Left Engine is on fire.  Same as ENG 1 FIRE. Standard and NGX mode supported.");
    EXPECT_EQ(TileFunction(54).Description.rfind("Custom tile.", 0), 0u);
    EXPECT_EQ(TileFunction(99).Name, "");
    EXPECT_EQ(TileFunction(-1).Key, "");
    EXPECT_STREQ(TileGroupName(1), "Engines");
    EXPECT_STREQ(TileGroupName(4), "Navigation");
    EXPECT_STREQ(TileGroupName(8), "NGX");
    EXPECT_STREQ(TileGroupName(0), "");
    EXPECT_STREQ(TileGroupName(9), "");
    // Every legend fits the tile's three lines.
    for (const BIPTileFunction& f : BIPTileCatalog()) EXPECT_TRUE(LayoutTileLabel(0, f.Name)) << f.Name;
}

} // namespace
} // namespace orvex::panels::bip
