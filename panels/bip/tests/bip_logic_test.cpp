#include "panels/bip/bip_logic.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "panels/bip/bip_catalog.h"
#include "simlink/tests/fake_link.h"

#include "tests/support/panel_logic_fakes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace orvex::panels::bip {
namespace {

// A device control over a real tile state, counting what would be sent.
struct FakeControl final : IBIPPanelControl {
    BIPTileState tiles;
    std::array<std::string, kTileCount> labels;
    int reports = 0;
    int turnTileCalls = 0;
    int turnAllCalls = 0;
    int turnPanelCalls = 0;

    void SetTileLabel(int tile, const std::string& text) override {
        if (IsTile(tile)) labels[static_cast<std::size_t>(tile)] = text;
    }
    void TurnTile(int tile, std::int32_t colour) override {
        ++turnTileCalls;
        if (tiles.TurnTile(tile, colour)) ++reports;
    }
    void TurnAllTiles(const std::array<std::int32_t, kTileCount>& colours) override {
        ++turnAllCalls;
        if (tiles.TurnAllTiles(colours)) ++reports;
    }
    void TurnPanel(std::int32_t colour) override {
        ++turnPanelCalls;
        if (tiles.TurnPanel(colour)) ++reports;
    }
    std::int32_t TileColour(int tile) const override { return tiles.TileColour(tile); }
};

struct BIPLogicFixture : ::testing::Test, test::LogicEnvironment {
    FakeControl control;
    cBIPPanelLogic logic{state, offsets, config, control};

    // Tiles as "T<n>=<value>" lines; power on unless told otherwise.
    void Start(const std::string& section, std::uint8_t specialMode = 0, bool power = true) {
        store.SetFileText("C:\\Orvex\\Default.ini", "[BIPPanel1]\n" + section);
        config.SpecialMode = specialMode;
        logic.PanelIndex = 1;
        logic.StartUp();
        Power(power, power);
    }
    void Power(bool battery, bool avionics) {
        Put<std::int32_t>(0x281C, battery ? 1 : 0);
        Put<std::int32_t>(0x2E80, avionics ? 1 : 0);
    }
    template <class T>
    void Put(std::int32_t offset, T value) {
        std::memcpy(link.table.data() + offset, &value, sizeof(T));
    }
    void Tick() {
        std::int32_t r = 0;
        offsets.QueueReadAll(r);
        link.LinkProcess(r);
        logic.RefreshData();
    }
    std::int32_t Colour(int tile) const { return control.tiles.TileColour(tile); }
};

TEST_F(BIPLogicFixture, StartUpShowsLegendsAndRegistersByMode) {
    Start("T0=ENG_FIRE\nT1=GEAR_DOWN\nT2=FUEL_LOW\nT9=AP_PRST\n");
    EXPECT_EQ(control.labels[0], "ENG.FIRE");
    EXPECT_EQ(control.labels[9], "A/P.P/RST");
    EXPECT_EQ(control.labels[5], "");
    EXPECT_TRUE(logic.GearTilesUsed());
    for (const char* key : {"MASTERBATTERY", "MASTERAVIONICS", "ENGINE-FIRE", "GEARNOSE", "GEARRIGHT", "GEARLEFT",
                            "FUEL-CAPACITY", "FUEL-QUANTITY"})
        EXPECT_TRUE(offsets.OffsetExists(key)) << key;
    EXPECT_FALSE(offsets.OffsetExists("NGX-FIRE-ENG1"));
    EXPECT_FALSE(offsets.OffsetExists("NGX-MAIN_annunAP1"));  // nothing in standard mode

    // The 737NGX profile: its annunciators are added, nothing is removed.
    config.SpecialMode = kSpecialModeNgx;
    logic.SetupChanged();
    for (const char* key : {"NGX-FIRE-ENG1", "NGX-FIRE-ENG2", "NGX-MAIN_annunGEAR_transit2",
                            "NGX-MAIN_annunGEAR_locked3", "NGX-WARN_annunFUEL", "NGX-MAIN_annunAP1", "NGX-ANY_AP_Mode",
                            "ENGINE-FIRE"})
        EXPECT_TRUE(offsets.OffsetExists(key)) << key;
    const simlink::cOFFSET* mode = offsets.Item("NGX-ANY_AP_Mode");
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->Offset, 0x6545);
    EXPECT_EQ(mode->DataType(), 5);

    store.SetFileText("C:\\Orvex\\Default.ini", "[BIPPanel1]\nT0=DME\n");
    logic.ActionsHolder().LoadSetup();
    logic.SetupChanged();
    EXPECT_FALSE(logic.GearTilesUsed());
    EXPECT_EQ(control.labels[1], "");
}

TEST_F(BIPLogicFixture, PowerOffDarkensEverythingOnce) {
    Start("T0=ENG_FIRE\nT1=NAV\nT2=NAV_LIGHT\n");
    Put<std::uint16_t>(0x0D0C, 0x001);
    Tick();
    EXPECT_EQ(Colour(1), kTileGreen);
    EXPECT_EQ(Colour(2), kTileGreen);
    const int before = control.reports;
    Tick();
    EXPECT_EQ(control.reports, before);  // nothing changed, nothing sent

    Power(true, false);  // battery on, avionics off
    Tick();
    EXPECT_TRUE(control.tiles.AllDark());
    EXPECT_EQ(control.turnPanelCalls, 1);
    Tick();
    Tick();
    EXPECT_EQ(control.turnPanelCalls, 1);  // already dark: no report per tick

    Power(true, true);
    Tick();
    EXPECT_EQ(Colour(1), kTileGreen);
}

TEST_F(BIPLogicFixture, SeveralChangesInOneTickGoOutAsOneReport) {
    Start("T0=NAV_LIGHT\nT1=TAXI_LIGHT\nT2=CABIN_LIGHT\nT3=BEACON_LIGHT\n");
    Put<std::uint16_t>(0x0D0C, 0x001 | 0x008 | 0x200);
    Tick();
    EXPECT_EQ(control.reports, 1);
    EXPECT_EQ(control.turnAllCalls, 1);
    EXPECT_EQ(Colour(3), kTileDark);
    Put<std::uint16_t>(0x0D0C, 0x001 | 0x008 | 0x200 | 0x002);
    Tick();
    EXPECT_EQ(control.turnTileCalls, 1);
    EXPECT_EQ(control.reports, 2);
    EXPECT_EQ(Colour(3), kTileGreen);
}

TEST_F(BIPLogicFixture, SetupOpenFreezesTheTiles) {
    Start("T0=STALL_WARNING\n");
    Put<std::uint8_t>(0x036C, 1);
    Tick();
    ASSERT_EQ(Colour(0), kTileYellow);
    state.BIPSetupOpen = true;
    Put<std::uint8_t>(0x036C, 0);
    Power(false, false);
    Tick();
    EXPECT_EQ(Colour(0), kTileYellow);
    state.BIPSetupOpen = false;
    Power(true, true);
    Tick();
    EXPECT_EQ(Colour(0), kTileDark);
}

TEST_F(BIPLogicFixture, ThresholdFunctionsCompareAtTheirScale) {
    Start("T0=OIL_PRESSURE,Yellow,20\nT1=ENG_OIL_TEMP,Red,65\nT2=VAC_LOW,Yellow,60\n"
          "T3=LOW_PRESSURE,Red,19\nT4=LEFT_FUEL_LOW,Yellow,15\nT5=ENG_4_OIL_PRESSURE,Green,20\n");
    Put<std::uint16_t>(0x08BA, 5999);
    Put<std::uint16_t>(0x08B8, 15211);
    Put<double>(0x0B18, 2.99);
    Put<std::int32_t>(0x08F8, 569);      // just under 19 x 30
    Put<std::int32_t>(0x0B7C, 1258290);  // 15% of a full tank is 1258291
    Put<std::uint16_t>(0x0A82, 6000);
    Tick();
    EXPECT_EQ(Colour(0), kTileYellow);
    EXPECT_EQ(Colour(1), kTileRed);
    EXPECT_EQ(Colour(2), kTileYellow);
    EXPECT_EQ(Colour(3), kTileRed);
    EXPECT_EQ(Colour(4), kTileYellow);
    EXPECT_EQ(Colour(5), kTileDark);

    Put<std::uint16_t>(0x08BA, 6000);
    Put<std::uint16_t>(0x08B8, 15210);
    Put<double>(0x0B18, 3.0);
    Put<std::int32_t>(0x08F8, 570);
    Put<std::int32_t>(0x0B7C, 8388608);  // a full tank is not low
    Tick();
    for (int t = 0; t < 5; ++t) EXPECT_EQ(Colour(t), kTileDark) << t;
}

TEST_F(BIPLogicFixture, RotorLowRpmLightsBelowItsThresholdOfFullRotorSpeed) {
    Start("T0=ROTOR_LOW_RPM\nT1=ROTOR_LOW_RPM,Red,90\n");
    EXPECT_TRUE(offsets.OffsetExists("ROTOR-RPM"));
    Put<std::int32_t>(0x0908, 3276);  // just under 20 % of 16384
    Tick();
    EXPECT_EQ(Colour(0), kTileYellow) << "the catalogue's colour and 20 %";
    EXPECT_EQ(Colour(1), kTileRed);
    Put<std::int32_t>(0x0908, 3277);
    Tick();
    EXPECT_EQ(Colour(0), kTileDark);
    EXPECT_EQ(Colour(1), kTileRed);
    Put<std::int32_t>(0x0908, 16384);  // the rotor at full speed
    Tick();
    EXPECT_EQ(Colour(1), kTileDark);
}

TEST_F(BIPLogicFixture, FuelLowWithoutCapacityKeepsTheTile) {
    Start("T0=FUEL_LOW,Yellow,15\n");
    Put<std::int32_t>(0x1240, 100);
    Put<std::int32_t>(0x1264, 10);
    Tick();
    ASSERT_EQ(Colour(0), kTileYellow);
    Put<std::int32_t>(0x1240, 0);
    Tick();
    EXPECT_EQ(Colour(0), kTileYellow);
    Put<std::int32_t>(0x1240, 100);
    Put<std::int32_t>(0x1264, 50);
    Tick();
    EXPECT_EQ(Colour(0), kTileDark);
}

TEST_F(BIPLogicFixture, StandardGearStates) {
    Start("T0=GEAR_DOWN\nT1=GEAR_UP\nT2=GEAR_UNSAFE\nT3=COMBINED_GEAR\nT4=NOSE_GEAR\nT5=LEFT_GEAR\n");
    auto gear = [&](std::int32_t nose, std::int32_t right, std::int32_t left) {
        Put(0x0BEC, nose);
        Put(0x0BF0, right);
        Put(0x0BF4, left);
        Tick();
    };
    gear(0, 0, 0);
    EXPECT_EQ(Colour(0), kTileDark);
    EXPECT_EQ(Colour(1), kTileGreen);
    EXPECT_EQ(Colour(3), kTileDark);
    gear(16383, 16383, 16383);
    EXPECT_EQ(Colour(0), kTileGreen);
    EXPECT_EQ(Colour(1), kTileDark);
    EXPECT_EQ(Colour(3), kTileGreen);
    EXPECT_EQ(Colour(4), kTileGreen);
    gear(16383, 16383, 8000);
    EXPECT_EQ(Colour(2), kTileYellow);
    EXPECT_EQ(Colour(3), kTileRed);
    EXPECT_EQ(Colour(4), kTileGreen);
    EXPECT_EQ(Colour(5), kTileRed);
    gear(16383, 0, 16383);  // some up, some down: the combined tile keeps its colour
    EXPECT_EQ(Colour(3), kTileRed);
    EXPECT_EQ(Colour(2), kTileDark);
}

TEST_F(BIPLogicFixture, NgxGearLockedWinsOverTransit) {
    Start("T0=GEAR_DOWN\nT1=GEAR_UNSAFE\nT2=NOSE_GEAR\nT3=RIGHT_GEAR\nT4=LEFT_GEAR\n", kSpecialModeNgx);
    for (std::int32_t o = 0x6570; o <= 0x6575; ++o) Put<std::uint8_t>(o, 1);
    Tick();
    EXPECT_EQ(Colour(0), kTileGreen);
    EXPECT_EQ(Colour(1), kTileDark);
    Put<std::uint8_t>(0x6573, 0);  // locked1: the right leg is only in transit now
    Tick();
    EXPECT_EQ(Colour(3), kTileRed);
    EXPECT_EQ(Colour(2), kTileGreen);
    EXPECT_EQ(Colour(4), kTileGreen);
    EXPECT_EQ(Colour(1), kTileYellow);
}

TEST_F(BIPLogicFixture, FireAndAnnunciatorsByMode) {
    const std::string tiles = "T0=ENG_FIRE\nT1=ENG_2_FIRE\nT2=ENG_4_FIRE\nT3=DOOR_WARNING\nT4=MASTER_CAUTION\n"
                              "T5=STROBE_LIGHT\nT6=PARKING_BRAKES\n";
    Start(tiles);
    Put<std::uint8_t>(0x3366, 0x08);  // engine 4
    Put<std::uint8_t>(0x3367, 2);
    Put<std::uint8_t>(0x6506, 1);
    Put<std::uint16_t>(0x0D0C, 0x001);
    Put<std::uint16_t>(0x0BC8, 32767);
    Tick();
    EXPECT_EQ(Colour(0), kTileRed);
    EXPECT_EQ(Colour(1), kTileDark);
    EXPECT_EQ(Colour(2), kTileRed);
    EXPECT_EQ(Colour(3), kTileYellow);
    EXPECT_EQ(Colour(4), kTileDark);  // standard mode: never touched
    EXPECT_EQ(Colour(5), kTileDark);  // strobe is bit 0x10 here
    EXPECT_EQ(Colour(6), kTileGreen);

    config.SpecialMode = kSpecialModeNgx;
    logic.SetupChanged();
    Put<std::uint8_t>(0x6505, 1);
    Put<std::uint8_t>(0x6510, 0);
    Put<std::uint8_t>(0x65A7, 0);
    Tick();
    EXPECT_EQ(Colour(0), kTileRed);   // engine 2 of the NGX
    EXPECT_EQ(Colour(1), kTileRed);
    EXPECT_EQ(Colour(2), kTileRed);   // engines 3 and 4 as standard
    EXPECT_EQ(Colour(3), kTileDark);  // doors from the NGX annunciator
    EXPECT_EQ(Colour(4), kTileYellow);
    EXPECT_EQ(Colour(5), kTileGreen);  // strobe follows bit 0x01
    EXPECT_EQ(Colour(6), kTileDark);
}

TEST_F(BIPLogicFixture, MarkersRadiosAndAutopilot) {
    Start("T0=COMBINED_OMI\nT1=MIDDLE_MARKER\nT2=COM_1\nT3=ADF\nT4=GPS\nT5=NAV\nT6=AP_MASTER\n");
    Put<std::uint16_t>(0x0BB0, 1);  // outer
    Put<std::uint16_t>(0x0BAE, 1);  // middle
    Put<std::uint8_t>(0x3122, 0x80);
    Put<std::int32_t>(0x132C, 1);
    Put<std::int32_t>(0x07BC, 1);
    Tick();
    EXPECT_EQ(Colour(0), kTileRed);  // the last true marker wins
    EXPECT_EQ(Colour(1), kTileRed);
    EXPECT_EQ(Colour(2), kTileGreen);
    EXPECT_EQ(Colour(3), kTileDark);
    EXPECT_EQ(Colour(4), kTileGreen);
    EXPECT_EQ(Colour(5), kTileDark);
    EXPECT_EQ(Colour(6), kTileGreen);
    Put<std::uint16_t>(0x0BAC, 1);
    Put<std::int32_t>(0x132C, 0);
    Tick();
    EXPECT_EQ(Colour(0), kTileYellow);
    EXPECT_EQ(Colour(5), kTileGreen);
    for (std::int32_t o : {0x0BAC, 0x0BAE, 0x0BB0}) Put<std::uint16_t>(o, 0);
    Tick();
    EXPECT_EQ(Colour(0), kTileDark);
}

TEST_F(BIPLogicFixture, NgxPresetAnnunciators) {
    Start("T0=AP_PRST\nT1=AT_PRST\nT2=FMC_PRST\nT3=FUEL_CROSS_FEED\n", kSpecialModeNgx);
    Put<std::uint8_t>(0x6550, 1);
    Put<std::int32_t>(0x6545, 0);
    Put<std::uint8_t>(0x6552, 1);
    Put<std::uint8_t>(0x6469, 1);
    Tick();
    EXPECT_EQ(Colour(0), kTileRed);
    EXPECT_EQ(Colour(1), kTileRed);
    EXPECT_EQ(Colour(2), kTileDark);
    EXPECT_EQ(Colour(3), kTileGreen);
    Put<std::int32_t>(0x6545, 1);
    Tick();
    EXPECT_EQ(Colour(0), kTileYellow);
    Put<std::uint8_t>(0x6550, 0);
    Tick();
    EXPECT_EQ(Colour(0), kTileDark);
}

TEST_F(BIPLogicFixture, FunctionsWithoutARuleKeepTheirTile) {
    Start("T0=MASTER_CAUTION\nT1=AP_PRST\nT2=DME\n");
    control.tiles.TurnTile(0, kTileRed);
    control.tiles.TurnTile(1, kTileYellow);
    control.tiles.TurnTile(5, kTileGreen);  // no function: dark
    Tick();
    EXPECT_EQ(Colour(0), kTileRed);     // MASTER.CAUTION in standard mode
    EXPECT_EQ(Colour(1), kTileYellow);  // A/P P/RST in standard mode
    EXPECT_EQ(Colour(5), kTileDark);
    EXPECT_EQ(logic.Evaluate(0), cBIPPanelLogic::kNoChange);
}

TEST_F(BIPLogicFixture, KeysRemovedAndAddedByAnotherPanelAreReadAfresh) {
    // Another panel owns "LIGHTS-SWITCHES" and renews it when its own setup
    // changes; the BIP is not told.
    offsets.AddOffset(0x0D0C, 3, "LIGHTS-SWITCHES");
    Start("T0=NAV_LIGHT\nT1=GPS\n");
    Put<std::uint16_t>(0x0D0C, 0x001);
    Put<std::int32_t>(0x132C, 1);
    Tick();
    ASSERT_EQ(Colour(0), kTileGreen);

    offsets.RemoveOffset("LIGHTS-SWITCHES");
    offsets.AddOffset(0x0D0C, 3, "LIGHTS-SWITCHES");
    Put<std::uint16_t>(0x0D0C, 0);
    Tick();
    EXPECT_EQ(Colour(0), kTileDark);

    // Removed for good: the BIP registers it again, keeps its tiles for
    // the tick in between, then follows the simulator again.
    offsets.RemoveOffset("NAV-GPS-SWITCH");
    Put<std::uint16_t>(0x0D0C, 0x001);
    Put<std::int32_t>(0x132C, 0);
    logic.RefreshData();
    EXPECT_TRUE(offsets.OffsetExists("NAV-GPS-SWITCH"));
    EXPECT_EQ(Colour(0), kTileDark);
    EXPECT_EQ(Colour(1), kTileGreen);
    Tick();
    EXPECT_EQ(Colour(0), kTileGreen);
    EXPECT_EQ(Colour(1), kTileDark);
}

} // namespace
} // namespace orvex::panels::bip
