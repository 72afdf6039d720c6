// What the BIP setup dialog binds to the configuration, kept apart from the
// window so that it builds and is tested without Windows: the function
// options by group and their captions, the colour options, the threshold
// slider, and the editing itself. The dialog loads its own holder from the
// profile (LoadSetup), copies it into a BIPSetupModel, lets the user edit
// the model, and on OK copies the model back (CopyTo) and saves the holder
// (SaveSetup); Cancel just drops the model.
#pragma once

#include "panels/bip/bip_actions_holder.h"
#include "panels/bip/bip_catalog.h"
#include "panels/bip/bip_tiles.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvex::panels::bip {

// Texts of the dialog.
inline constexpr const char* kBIPSetupCaption = "ORVEX - BIP Panel Configuration";
inline constexpr const char* kNoFunctionCaption = "No Function";
inline constexpr const char* kTileHint = "Click on the tile you want to setup";
std::string BIPProfileLabelText(const std::string& currentProfile);  // "Currently in use Profile:  " + name

// The function options. Every catalogue function 1-69 with a legend is
// offered in the frame of its group; the empty entries (42, 43, 46) are not
// offered, and 0 is the "No Function" option outside the frames.
bool IsOfferedFunction(int function);
// The offered functions of a group 1-8, in index order.
std::vector<int> FunctionsOfGroup(int group);
// The option's caption: the legend with "." as a blank ("ENG 1 FIRE",
// "A/P P/RST"), except "LEFT ENGINE FIRE" (6), "RIGHT ENGINE FIRE" (7),
// "BEACON LIGHTS" (39), "LANDING LIGHTS" (40); "No Function" for 0; "" for
// an index that is not offered.
std::string FunctionOptionCaption(int function);
// The tab strip: tab t (0-7) shows group t + 1.
constexpr int TabOfGroup(int group) { return group >= 1 && group <= kTileGroupCount ? group - 1 : -1; }
constexpr int GroupOfTab(int tab) { return tab >= 0 && tab < kTileGroupCount ? tab + 1 : kGroupNone; }

// The colour options: 0 "Red", 1 "Green", 2 "Yellow".
inline constexpr std::array<const char*, 3> kColorOptionCaptions = {"Red", "Green", "Yellow"};
inline constexpr std::array<std::int32_t, 3> kColorOptionColours = {kTileRed, kTileGreen, kTileYellow};
// The option of a colour, -1 for none.
int ColorOptionOf(std::int32_t colour);

// The threshold slider, in percent as stored.
inline constexpr int kThresholdSliderMin = 0;
inline constexpr int kThresholdSliderMax = 100;

// What the controls show for the current tile.
struct BIPSetupView {
    int Tile = 0;
    std::int32_t Function = 0;         // the checked option
    std::string Description;           // lblDescription
    bool ColorEnabled = false;         // frameColor
    int ColorOption = -1;              // the checked optTileColor, -1 for none
    bool ThresholdEnabled = false;     // frameThreshold
    int Threshold = 0;                 // sliderThreshold
    int Tab = -1;                      // the tab (and frame) to show; -1: leave as it is
};

class BIPSetupModel {
public:
    // Takes the holder's tiles; the current tile becomes 0.
    void CopyFrom(const cBIPPanelActionHolder& holder);
    // Puts the tiles into the holder (through its checks).
    void CopyTo(cBIPPanelActionHolder& holder) const;

    int CurrentTile() const { return current_; }
    // Makes a tile current (false, changing nothing, out of range).
    bool SelectTile(int tile);
    // A function option clicked: a different function takes the catalogue's
    // default colour and threshold; the same one keeps them. An index that
    // is not offered counts as no function.
    void ChooseFunction(int function);
    // A colour option clicked (0-2); false for any other index or when the
    // tile's function has no colour choice.
    bool ChooseColorOption(int option);
    // The slider moved (clamped to 0-100); ignored when the function has no
    // threshold.
    void SetThreshold(int value);
    void ClearCurrentTile();
    void ClearAllTiles();

    const BIPTileSetup& Tile(int tile) const;  // an empty record out of range
    const BIPTileSetups& Tiles() const { return tiles_; }
    // The legend of a tile (the catalogue name of its function).
    const std::string& Legend(int tile) const;
    // The tile's on-screen colour: its colour for a function with a colour
    // choice, else dark (kTileDark).
    std::int32_t TileColour(int tile) const;
    BIPSetupView View() const;

private:
    BIPTileSetups tiles_{};
    int current_ = 0;
};

} // namespace orvex::panels::bip
