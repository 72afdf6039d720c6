// The fixed table of the functions a BIP tile can show: the legend printed
// on the tile, the key a profile stores it under, its help text, whether
// the user sets a threshold or a colour for it and their defaults, and the
// group the setup dialog lists it in. Built once (InitTileCatalog at
// start-up, or on first use) and read-only afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvex::panels::bip {

inline constexpr int kTileFunctionCount = 70;  // indices 0-69; 0 = no function
constexpr bool IsTileFunction(int index) { return index >= 0 && index < kTileFunctionCount; }

// Groups of the setup dialog, 1-8 (0 for no function and the empty entries).
enum TileGroup : std::int32_t {
    kGroupNone = 0,
    kGroupEngines = 1,
    kGroupFuel = 2,
    kGroupGear = 3,
    kGroupNavigation = 4,
    kGroupLights = 5,
    kGroupAudio = 6,
    kGroupMisc = 7,
    kGroupNgx = 8,
};
inline constexpr int kTileGroupCount = 8;
// "Engines", "Fuel", "Gear", "Navigation", "Lights", "Audio", "Misc", "NGX"
// for 1-8; "" otherwise.
const char* TileGroupName(int group);

struct BIPTileFunction {
    std::string Name;         // legend; "." separates its lines
    std::string Key;          // Name with "." and " " as "_" and "/" removed
    std::string Description;  // help text
    bool hasThresholdSel = false;
    std::int32_t DefaultThreshold = 0;  // percent 0-100
    bool hasColorSel = false;
    std::int32_t DefaultColor = 0;      // kTileRed, kTileGreen, kTileYellow; 0 for fixed colours
    std::int32_t Group = kGroupNone;
};

using TileCatalog = std::array<BIPTileFunction, kTileFunctionCount>;

// The program-wide catalogue (built on first use).
const TileCatalog& BIPTileCatalog();
// Builds the catalogue; matches the panel kinds' start-up hook. Calling it
// again changes nothing.
void InitTileCatalog();

// The record of an index; the empty record (no function) for an index out
// of range.
const BIPTileFunction& TileFunction(int index);
// The first index whose Key equals `key` exactly (with case); 0 when none
// does, so an empty or unknown key is no function.
int FindTileFunction(std::string_view key);
// The stored key of a legend: every "." and blank as "_", every "/" removed.
std::string TileKeyOf(std::string_view name);

// Stores a record at `index` (out of range: nothing) with its Key derived
// from the name. The catalogue is made of these calls.
void AddTileFunction(TileCatalog& catalog, int index, std::int32_t group, std::string_view name,
                     bool hasThreshold, std::int32_t defaultThreshold, bool hasColor, std::int32_t defaultColor,
                     std::string_view description);

// Catalogue indices the logic and the setup dialog refer to by name.
inline constexpr int kFnEngFire = 1;
inline constexpr int kFnGearDown = 24;
inline constexpr int kFnGearUp = 25;
inline constexpr int kFnGearUnsafe = 26;
inline constexpr int kFnLeftEngFire = 6;
inline constexpr int kFnRightEngFire = 7;
inline constexpr int kFnBeaconLight = 39;
inline constexpr int kFnLandingLight = 40;
inline constexpr int kFnCombinedGear = 52;
inline constexpr int kFnLeftGear = 55;
inline constexpr int kFnCombinedOmi = 56;
inline constexpr int kFnInnerMarker = 59;
inline constexpr int kFnApPrst = 67;
inline constexpr int kFnFmcPrst = 69;
// Empty entries (no legend, key or help text).
constexpr bool IsEmptyTileFunction(int index) { return index == 42 || index == 43 || index == 46; }
// The gear functions: GEAR.DOWN, GEAR.UP, GEAR.UNSAFE and the custom gear tiles.
constexpr bool IsGearFunction(int index) {
    return (index >= kFnGearDown && index <= kFnGearUnsafe) || (index >= kFnCombinedGear && index <= kFnLeftGear);
}

} // namespace orvex::panels::bip
