#include "panels/bip/bip_catalog.h"

#include "panels/bip/bip_tiles.h"

namespace orvex::panels::bip {

namespace {

constexpr const char* kGroupNames[kTileGroupCount + 1] = {
    "", "Engines", "Fuel", "Gear", "Navigation", "Lights", "Audio", "Misc", "NGX",
};

// Index 0 and the empty entries (42, 43, 46) stay as they are built: no
// legend, key or help text, group 0. Texts are in the program's ANSI code
// page (0xB0 is the degree sign).
TileCatalog BuildCatalog() {
    TileCatalog c{};
    AddTileFunction(c, 0, kGroupNone, "", false, 0, false, 0, "");
    AddTileFunction(c, 1, kGroupEngines, "ENG.FIRE", false, 0, true, kTileRed,
                    "One or more engines are on fire. Standard and NGX modes supported.");
    AddTileFunction(c, 2, kGroupEngines, "ENG 1.FIRE", false, 0, true, kTileRed,
                    "Engine 1 is on fire. Standard and NGX mode supported.");
    AddTileFunction(c, 3, kGroupEngines, "ENG 2.FIRE", false, 0, true, kTileRed,
                    "Engine 2 is on fire. Standard and NGX mode supported.");
    AddTileFunction(c, 4, kGroupEngines, "ENG 3.FIRE", false, 0, true, kTileRed,
                    "Engine 3 is on fire. Only standard mode supported.");
    AddTileFunction(c, 5, kGroupEngines, "ENG 4.FIRE", false, 0, true, kTileRed,
                    "Engine 4 is on fire. Only standard mode supported.");
    AddTileFunction(c, 6, kGroupEngines, "LEFT ENG.FIRE", false, 0, true, kTileRed,
                    "Left Engine is on fire.  Same as ENG 1 FIRE. Standard and NGX mode supported.");
    AddTileFunction(c, 7, kGroupEngines, "RIGHT ENG.FIRE", false, 0, true, kTileRed,
                    "Right Engine is on fire. Same as ENG 2 FIRE. Standard and NGX mode supported.");
    AddTileFunction(c, 8, kGroupEngines, "LOW.PRESSURE", true, 19, true, kTileRed,
                    "Fuel pressure is below the threshold. Threshold scale: 0%=0 psi, 100%=20 psi. Not available on every aircraft. Standard and NGX mode supported. Threshold has no effect in NGX mode.");
    AddTileFunction(c, 9, kGroupEngines, "OIL.PRESSURE", true, 20, true, kTileYellow,
                    "Engine oil pressure is below the threshold. Threshold scale: 0%=0 psi, 100%=100 psi. Standard and NGX mode supported. In NGX mode it's referred to APU oil pressure. Threshold has no effect in NGX mode.");
    AddTileFunction(c, 10, kGroupEngines, "ENG 1.OIL.PRESSURE", true, 20, true, kTileYellow,
                    "Engine 1 oil pressure is below the threshold. Threshold scale: 0%=0 psi, 100%=100 psi. Standard and NGX mode supported. Threshold has no effect in NGX mode.");
    AddTileFunction(c, 11, kGroupEngines, "ENG 2.OIL.PRESSURE", true, 20, true, kTileYellow,
                    "Engine 2 oil pressure is below the threshold. Threshold scale: 0%=0 psi, 100%=100 psi. Standard and NGX mode supported. Threshold has no effect in NGX mode.");
    AddTileFunction(c, 12, kGroupEngines, "ENG 3.OIL.PRESSURE", true, 20, true, kTileYellow,
                    "Engine 3 oil pressure is below the threshold. Threshold scale: 0%=0 psi, 100%=100 psi. Only standard mode supported.");
    AddTileFunction(c, 13, kGroupEngines, "ENG 4.OIL.PRESSURE", true, 20, true, kTileYellow,
                    "Engine 4 oil pressure is below the threshold. Threshold scale: 0%=0 psi, 100%=100 psi. Only standard mode supported.");
    AddTileFunction(c, 14, kGroupEngines, "ENG.OIL.TEMP", true, 65, true, kTileYellow,
                    "Engine oil temperature is over the threshold. Threshold scale: 0%=0\xB0" "C , 100%=200\xB0" "C . Only standard mode supported.");
    AddTileFunction(c, 15, kGroupEngines, "ENG 1.OIL TEMP", true, 65, true, kTileYellow,
                    "Engine 1 oil temperature is over the threshold. Threshold scale: 0%=0\xB0" "C , 100%=200\xB0" "C . Only standard mode supported.");
    AddTileFunction(c, 16, kGroupEngines, "ENG 2.OIL TEMP", true, 65, true, kTileYellow,
                    "Engine 2 oil temperature is over the threshold. Threshold scale: 0%=0\xB0" "C , 100%=200\xB0" "C . Only standard mode supported.");
    AddTileFunction(c, 17, kGroupEngines, "ENG 3.OIL TEMP", true, 65, true, kTileYellow,
                    "Engine 3 oil temperature is over the threshold. Threshold scale: 0%=0\xB0" "C , 100%=200\xB0" "C . Only standard mode supported.");
    AddTileFunction(c, 18, kGroupEngines, "ENG 4.OIL TEMP", true, 65, true, kTileYellow,
                    "Engine 4 oil temperature is over the threshold. Threshold scale: 0%=0\xB0" "C , 100%=200\xB0" "C . Only standard mode supported.");
    AddTileFunction(c, 19, kGroupFuel, "FUEL.LOW", true, 15, true, kTileYellow,
                    "Total fuel level is below the threshold. Threshold is the sum of all tanks residual level percentage. Standard and NGX mode supported. Threshold has no effect in NGX mode.");
    AddTileFunction(c, 20, kGroupFuel, "LEFT.FUEL.LOW", true, 15, true, kTileYellow,
                    "Left fuel tank level is below the threshold. Threshold is left tank residual level percentage. Only standard mode supported.");
    AddTileFunction(c, 21, kGroupFuel, "CENTRE.FUEL.LOW", true, 15, true, kTileYellow,
                    "Center fuel tank level is below the threshold. Threshold is center tank residual level percentage. Only standard mode supported.");
    AddTileFunction(c, 22, kGroupFuel, "RIGHT.FUEL.LOW", true, 15, true, kTileYellow,
                    "Right fuel tank level is below the threshold. Threshold is right tank residual level percentage. Only standard mode supported.");
    AddTileFunction(c, 23, kGroupFuel, "FUEL.CROSS.FEED", false, 0, true, kTileGreen,
                    "Fuel cross feed valve is open. Standard and NGX mode supported.");
    AddTileFunction(c, 24, kGroupGear, "GEAR.DOWN", false, 0, true, kTileGreen,
                    "All Gears are down and locked. Attention: Nose/Tail, Right and Left gears are checked. If current aircraft has no retractable Nose/Tail gear don't use this tile. Standard and NGX mode supported.");
    AddTileFunction(c, 25, kGroupGear, "GEAR.UP", false, 0, true, kTileGreen,
                    "All gears are retracted. Attention: Nose/Tail, Right and Left gears are checked. If current aircraft has no retractable Nose/Tail gear don't use this tile. Standard and NGX mode supported.");
    AddTileFunction(c, 26, kGroupGear, "GEAR.UNSAFE", false, 0, true, kTileYellow,
                    "At least one gear is travelling. Attention: Nose/Tail, Right and Left gears are checked. If current aircraft has no retractable Nose/Tail gear don't use this tile. Standard and NGX mode supported.");
    AddTileFunction(c, 27, kGroupAudio, "DME", false, 0, true, kTileGreen,
                    "DME ident sound is active. Only standard mode supported.");
    AddTileFunction(c, 28, kGroupNavigation, "GPS", false, 0, true, kTileGreen,
                    "NAV mode is bound to GPS. Only standard mode supported.");
    AddTileFunction(c, 29, kGroupAudio, "NAV 1", false, 0, true, kTileGreen,
                    "NAV 1 ident sound is active. Only standard mode supported.");
    AddTileFunction(c, 30, kGroupAudio, "NAV 2", false, 0, true, kTileGreen,
                    "NAV 2 ident sound is active. Only standard mode supported.");
    AddTileFunction(c, 31, kGroupAudio, "COM 1", false, 0, true, kTileGreen,
                    "COM 1 ident sound is active. Only standard mode supported.");
    AddTileFunction(c, 32, kGroupAudio, "COM 2", false, 0, true, kTileGreen,
                    "COM 2 ident sound is active. Only standard mode supported.");
    AddTileFunction(c, 33, kGroupAudio, "BOTH", false, 0, true, kTileGreen,
                    "Both COM ident sound is active. Only standard mode supported.");
    AddTileFunction(c, 34, kGroupAudio, "MKR", false, 0, true, kTileGreen,
                    "MKR ident sound is active. Only standard mode supported.");
    AddTileFunction(c, 35, kGroupNavigation, "NAV", false, 0, true, kTileGreen,
                    "NAV mode is bound to VOR. Only standard mode supported.");
    AddTileFunction(c, 36, kGroupAudio, "ADF", false, 0, true, kTileGreen,
                    "ADF ident sound is active. Only standard mode supported.");
    AddTileFunction(c, 37, kGroupNavigation, "AUTO.PILOT", false, 0, true, kTileGreen,
                    "Auto pilot is active. Only standard mode supported.");
    AddTileFunction(c, 38, kGroupNavigation, "AP.MASTER", false, 0, true, kTileGreen,
                    "Auto pilot is active. Only standard mode supported.");
    AddTileFunction(c, 39, kGroupLights, "BEACON.LIGHT", false, 0, true, kTileGreen,
                    "Beacon lights are on. Standard and NGX mode supported.");
    AddTileFunction(c, 40, kGroupLights, "LANDING.LIGHT", false, 0, true, kTileGreen,
                    "Landing lights are on. Standard and NGX mode supported.");
    AddTileFunction(c, 41, kGroupLights, "STROBE.LIGHT", false, 0, true, kTileGreen,
                    "Strobe lights are on. Standard and NGX mode supported.");
    AddTileFunction(c, 44, kGroupMisc, "VAC.LOW", true, 60, true, kTileYellow,
                    "Gyro vacuum pump pressure is below threshold. Only standard mode support. Threshold scale: 0%=0 HhIn , 100%=5 HgIn .");
    AddTileFunction(c, 45, kGroupMisc, "MASTER.CAUTION", false, 0, true, kTileYellow,
                    "Master Caution annunciator. Only NGX mode is supported (no default aircrafts).");
    AddTileFunction(c, 47, kGroupMisc, "STALL.WARNING", false, 0, true, kTileYellow,
                    "Stall warning annunciator. Only standard mode support.");
    AddTileFunction(c, 48, kGroupMisc, "DOOR.WARNING", false, 0, true, kTileYellow,
                    "Open doors warning annunciator. Standard and NGX mode supported.");
    AddTileFunction(c, 49, kGroupMisc, "ROTOR.LOW.RPM", true, 20, true, kTileYellow,
                    "Rotor RPM is below the threshold. Only standard mode support. Threshold scale: 0%=rotor stopped , 100%=rotor at full RPM .");
    AddTileFunction(c, 50, kGroupMisc, "PITOT.HEAT", false, 0, true, kTileGreen,
                    "Pitot heat annunciator. Standard and NGX mode supported.");
    AddTileFunction(c, 51, kGroupMisc, "PARKING.BRAKES", false, 0, true, kTileGreen,
                    "Parking brakes annunciator. Standard and NGX mode supported.");
    AddTileFunction(c, 52, kGroupGear, "COMBINED.GEAR", false, 0, false, 0,
                    "Custom tile. Off when all gears are retracted, Green when all gears are down and locked, Red when at least one gear is travelling. Attention: Nose/Tail, Right and left gears are checked. If current aircraft has no retractable Nose/Tail gear don't use this tile.  Standard and NGX mode supported.");
    AddTileFunction(c, 53, kGroupGear, "NOSE.GEAR", false, 0, false, 0,
                    "Custom tile. Off when nose gear is retracted, Green when nose gear is down and locked, Red when nose gear is travelling. Standard and NGX mode supported.");
    AddTileFunction(c, 54, kGroupGear, "RIGHT.GEAR", false, 0, false, 0,
                    "Custom tile. Off when right gear is retracted, Green when right gear is down and locked, Red when right gear is travelling. Standard and NGX mode supported.");
    AddTileFunction(c, 55, kGroupGear, "LEFT.GEAR", false, 0, false, 0,
                    "Custom tile. Off when left gear is retracted, Green when left gear is down and locked, Red when left gear is travelling. Standard and NGX mode supported.");
    AddTileFunction(c, 56, kGroupNavigation, "COMBINED.OMI", false, 0, false, 0,
                    "Custom tile. OMI marker beacon ident annunciator. Green=Outer, Red=Middle, Yellow=Inner. Standard and NGX mode supported");
    AddTileFunction(c, 57, kGroupNavigation, "OUTER.MARKER", false, 0, true, kTileGreen,
                    "Custom tile. Outer marker beacon ident annunciator. Standard and NGX mode supported.");
    AddTileFunction(c, 58, kGroupNavigation, "MIDDLE.MARKER", false, 0, true, kTileRed,
                    "Custom tile. Middle marker beacon ident annunciator. Standard and NGX mode supported.");
    AddTileFunction(c, 59, kGroupNavigation, "INNER.MARKER", false, 0, true, kTileYellow,
                    "Custom tile. Inner marker beacon ident annunciator. Standard and NGX mode supported.");
    AddTileFunction(c, 60, kGroupLights, "NAV.LIGHT", false, 0, true, kTileGreen,
                    "Navigation lights are on. Standard and NGX mode supported.");
    AddTileFunction(c, 61, kGroupLights, "TAXI.LIGHT", false, 0, true, kTileGreen,
                    "Taxi lights are on. Standard and NGX mode supported.");
    AddTileFunction(c, 62, kGroupLights, "INSTR.LIGHT", false, 0, true, kTileGreen,
                    "Instruments lights are on. Standard and NGX mode supported.");
    AddTileFunction(c, 63, kGroupLights, "RECOG.LIGHT", false, 0, true, kTileGreen,
                    "Recognition lights are on. Standard and NGX mode supported.");
    AddTileFunction(c, 64, kGroupLights, "WING.LIGHT", false, 0, true, kTileGreen,
                    "Wing lights are on. Standard and NGX mode supported.");
    AddTileFunction(c, 65, kGroupLights, "LOGO.LIGHT", false, 0, true, kTileGreen,
                    "Logo lights are on. Standard and NGX mode supported.");
    AddTileFunction(c, 66, kGroupLights, "CABIN.LIGHT", false, 0, true, kTileGreen,
                    "Cabin lights are on. Standard and NGX mode supported.");
    AddTileFunction(c, 67, kGroupNgx, "A/P.P/RST", false, 0, false, 0,
                    "A/P P/RST Annunciator. Only NGX mode supported.");
    AddTileFunction(c, 68, kGroupNgx, "A/T.P/RST", false, 0, false, 0,
                    "A/T P/RST Annunciator. Only NGX mode supported.");
    AddTileFunction(c, 69, kGroupNgx, "FMC.P/RST", false, 0, false, 0,
                    "FMC P/RST Annunciator. Only NGX mode supported.");
    return c;
}

} // namespace

const char* TileGroupName(int group) { return group >= 1 && group <= kTileGroupCount ? kGroupNames[group] : ""; }

std::string TileKeyOf(std::string_view name) {
    std::string key;
    key.reserve(name.size());
    for (char ch : name) {
        if (ch == '/') continue;
        key.push_back(ch == '.' || ch == ' ' ? '_' : ch);
    }
    return key;
}

void AddTileFunction(TileCatalog& catalog, int index, std::int32_t group, std::string_view name, bool hasThreshold,
                     std::int32_t defaultThreshold, bool hasColor, std::int32_t defaultColor,
                     std::string_view description) {
    if (!IsTileFunction(index)) return;
    BIPTileFunction& f = catalog[static_cast<std::size_t>(index)];
    f.Name = std::string(name);
    f.Key = TileKeyOf(name);
    f.Description = std::string(description);
    f.hasThresholdSel = hasThreshold;
    f.DefaultThreshold = defaultThreshold;
    f.hasColorSel = hasColor;
    f.DefaultColor = defaultColor;
    f.Group = group;
}

const TileCatalog& BIPTileCatalog() {
    static const TileCatalog catalog = BuildCatalog();
    return catalog;
}

void InitTileCatalog() { static_cast<void>(BIPTileCatalog()); }

const BIPTileFunction& TileFunction(int index) {
    const TileCatalog& catalog = BIPTileCatalog();
    return catalog[static_cast<std::size_t>(IsTileFunction(index) ? index : 0)];
}

int FindTileFunction(std::string_view key) {
    // An empty key would match index 0 or an empty entry: both are no function.
    if (key.empty()) return 0;
    const TileCatalog& catalog = BIPTileCatalog();
    for (int i = 0; i < kTileFunctionCount; ++i)
        if (catalog[static_cast<std::size_t>(i)].Key == key) return i;
    return 0;
}

} // namespace orvex::panels::bip
