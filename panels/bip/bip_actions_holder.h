// The per-profile configuration of one BIP: for each of the 24 tiles its
// function (a catalogue index), its colour and its threshold. It loads and
// saves section "BIPPanel<n>" of the profile file in use: key "T<tile>" per
// tile with a function, value "<Key>[,<Red|Green|Yellow>][,<threshold>]"
// (colour when the function has a colour choice, threshold when it has a
// threshold), for example OIL_PRESSURE,Yellow,20 or COMBINED_GEAR.
#pragma once

#include "config/configuration.h"
#include "config/profile_file.h"
#include "panels/bip/bip_catalog.h"
#include "panels/bip/bip_tiles.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvex::panels::bip {

inline constexpr std::int32_t kMinThreshold = 0;
inline constexpr std::int32_t kMaxThreshold = 100;

// One tile's configuration. All zero: no function.
struct BIPTileSetup {
    std::int32_t Function = 0;   // catalogue index 0-69
    std::int32_t Threshold = 0;  // percent 0-100; used only with hasThresholdSel
    std::int32_t Color = 0;      // 0, kTileRed, kTileGreen, kTileYellow; used only with hasColorSel
    friend bool operator==(const BIPTileSetup&, const BIPTileSetup&) = default;
};
using BIPTileSetups = std::array<BIPTileSetup, kTileCount>;

// The colour word stored for a colour ("Red", "Green", "Yellow"; "" for any
// other number), and the colour of a stored word, read without regard to
// case (nothing for any other word).
const char* TileColourWord(std::int32_t colour);
std::optional<std::int32_t> TileColourFromWord(std::string_view word);

class cBIPPanelActionHolder {
public:
    // The section is found through the configuration model: its store and
    // the profile path of CurrentProfile. Starts with 24 empty tiles.
    explicit cBIPPanelActionHolder(config::cConfiguration& configuration);
    cBIPPanelActionHolder(const cBIPPanelActionHolder&) = delete;
    cBIPPanelActionHolder& operator=(const cBIPPanelActionHolder&) = delete;

    std::int16_t PanelIndex = 0;  // 1-based panel number; selects the section

    // Tile = 0-23. Getters yield 0 ("", false) for a tile out of range;
    // setters ignore it.
    std::int32_t GetTileFunction(int tile) const;
    // The function (an index out of range or an empty entry counts as no
    // function) with the catalogue's default colour and threshold.
    void SetTileFunction(int tile, std::int32_t function);
    std::int32_t GetColor(int tile) const;
    // False, storing nothing, for a colour other than 0, red, green, yellow.
    bool SetColor(int tile, std::int32_t colour);
    std::int32_t GetThreshold(int tile) const;
    // Clamped to 0-100, so that every stored threshold reads back.
    void SetThreshold(int tile, std::int32_t value);
    // Catalogue data of the tile's function.
    bool hasThresholdSel(int tile) const;
    bool hasColorSel(int tile) const;
    const std::string& GetName(int tile) const;
    const std::string& GetDescription(int tile) const;
    std::int32_t GetTilesGroup(int tile) const;
    // Function, threshold and colour 0.
    void ClearTile(int tile);
    void ClearAllTiles();
    // 24 empty tiles (PanelIndex is kept).
    void LoadDefaults();
    // LoadDefaults, then the section: keys "T0"-"T23" (upper-case T, a
    // number 0-23); anything else is ignored. An unknown key text loads as
    // no function, an unknown colour word as the default colour, a missing
    // colour or threshold as the default, a threshold that is not a number
    // within 0-100 as 0.
    void LoadSetup();
    // Writes "T0"-"T23" to the profile last loaded: a tile without a
    // function deletes its key. The rest of the section, and the keys of a
    // tile whose setup is what they already load as, are left as they are.
    // False, the user told and the file left as it was, when it cannot be
    // written.
    bool SaveSetup();

    // All 24 tiles at once (the setup model copies them in and out).
    const BIPTileSetups& Tiles() const { return tiles_; }
    void SetTiles(const BIPTileSetups& tiles);

    // "BIPPanel" + PanelIndex.
    std::string SectionName() const;
    // The profile file the setup was loaded from (the profile in use before
    // any load); saving goes there.
    std::string FilePath() const;
    // The stored value of a tile ("" for no function).
    std::string TileValue(int tile) const;

private:
    // The tile a key names ("T" and a number 0-23), and the setup a key's
    // value loads as.
    std::optional<int> TileOfKey(const std::string& key) const;
    BIPTileSetup LoadTile(const std::string& value) const;
    // The tiles a section loads as (the last key of a tile wins).
    BIPTileSetups ReadTiles(config::IIniStore& store, const std::string& path, const std::string& section) const;

    config::cConfiguration& configuration_;
    config::ProfileFile file_{configuration_};
    BIPTileSetups tiles_{};
};

} // namespace orvex::panels::bip
