#include "panels/bip/bip_setup_model.h"

#include <algorithm>

namespace orvex::panels::bip {

namespace {

const BIPTileSetup kNoTile{};

} // namespace

std::string BIPProfileLabelText(const std::string& currentProfile) {
    return "Currently in use Profile:  " + currentProfile;
}

bool IsOfferedFunction(int function) {
    return function >= 1 && function < kTileFunctionCount && !IsEmptyTileFunction(function);
}

std::vector<int> FunctionsOfGroup(int group) {
    std::vector<int> out;
    for (int f = 1; f < kTileFunctionCount; ++f)
        if (IsOfferedFunction(f) && TileFunction(f).Group == group) out.push_back(f);
    return out;
}

std::string FunctionOptionCaption(int function) {
    switch (function) {
    case 0: return kNoFunctionCaption;
    case kFnLeftEngFire: return "LEFT ENGINE FIRE";
    case kFnRightEngFire: return "RIGHT ENGINE FIRE";
    case kFnBeaconLight: return "BEACON LIGHTS";
    case kFnLandingLight: return "LANDING LIGHTS";
    default: break;
    }
    if (!IsOfferedFunction(function)) return "";
    std::string caption = TileFunction(function).Name;
    std::replace(caption.begin(), caption.end(), '.', ' ');
    return caption;
}

int ColorOptionOf(std::int32_t colour) {
    for (std::size_t i = 0; i < kColorOptionColours.size(); ++i)
        if (kColorOptionColours[i] == colour) return static_cast<int>(i);
    return -1;
}

void BIPSetupModel::CopyFrom(const cBIPPanelActionHolder& holder) {
    tiles_ = holder.Tiles();
    current_ = 0;
}

void BIPSetupModel::CopyTo(cBIPPanelActionHolder& holder) const { holder.SetTiles(tiles_); }

bool BIPSetupModel::SelectTile(int tile) {
    if (!IsTile(tile)) return false;
    current_ = tile;
    return true;
}

void BIPSetupModel::ChooseFunction(int function) {
    const int chosen = IsOfferedFunction(function) ? function : 0;
    BIPTileSetup& tile = tiles_[static_cast<std::size_t>(current_)];
    if (tile.Function == chosen) return;
    const BIPTileFunction& f = TileFunction(chosen);
    tile = BIPTileSetup{chosen, f.DefaultThreshold, f.DefaultColor};
}

bool BIPSetupModel::ChooseColorOption(int option) {
    BIPTileSetup& tile = tiles_[static_cast<std::size_t>(current_)];
    if (option < 0 || option >= static_cast<int>(kColorOptionColours.size())) return false;
    if (!TileFunction(tile.Function).hasColorSel) return false;
    tile.Color = kColorOptionColours[static_cast<std::size_t>(option)];
    return true;
}

void BIPSetupModel::SetThreshold(int value) {
    BIPTileSetup& tile = tiles_[static_cast<std::size_t>(current_)];
    if (!TileFunction(tile.Function).hasThresholdSel) return;
    tile.Threshold = std::clamp(value, kThresholdSliderMin, kThresholdSliderMax);
}

void BIPSetupModel::ClearCurrentTile() { tiles_[static_cast<std::size_t>(current_)] = BIPTileSetup{}; }

void BIPSetupModel::ClearAllTiles() { tiles_.fill(BIPTileSetup{}); }

const BIPTileSetup& BIPSetupModel::Tile(int tile) const {
    return IsTile(tile) ? tiles_[static_cast<std::size_t>(tile)] : kNoTile;
}

const std::string& BIPSetupModel::Legend(int tile) const { return TileFunction(Tile(tile).Function).Name; }

std::int32_t BIPSetupModel::TileColour(int tile) const {
    const BIPTileSetup& setup = Tile(tile);
    if (!TileFunction(setup.Function).hasColorSel) return kTileDark;
    return TileColourOf(setup.Color).value_or(kTileDark);
}

BIPSetupView BIPSetupModel::View() const {
    const BIPTileSetup& tile = tiles_[static_cast<std::size_t>(current_)];
    const BIPTileFunction& f = TileFunction(tile.Function);
    BIPSetupView view;
    view.Tile = current_;
    view.Function = tile.Function;
    view.Description = f.Description;
    view.ColorEnabled = f.hasColorSel;
    view.ColorOption = f.hasColorSel ? ColorOptionOf(tile.Color) : -1;
    view.ThresholdEnabled = f.hasThresholdSel;
    view.Threshold = f.hasThresholdSel ? std::clamp(tile.Threshold, kThresholdSliderMin, kThresholdSliderMax) : 0;
    view.Tab = TabOfGroup(f.Group);
    return view;
}

} // namespace orvex::panels::bip
