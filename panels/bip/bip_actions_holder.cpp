#include "panels/bip/bip_actions_holder.h"

#include "config/number_text.h"
#include "config/text_util.h"

#include <algorithm>
#include <vector>

namespace orvex::panels::bip {

namespace {

const std::string kEmpty;

// The function a stored or chosen index stands for: an index out of range
// or an empty entry is no function.
std::int32_t UsableFunction(std::int32_t function) {
    return IsTileFunction(function) && !IsEmptyTileFunction(function) ? function : 0;
}

// Two setups that store the same: the colour and the threshold count only
// for a function that has them.
bool SameSetup(const BIPTileSetup& a, const BIPTileSetup& b) {
    if (a.Function != b.Function) return false;
    const BIPTileFunction& f = TileFunction(a.Function);
    return (!f.hasColorSel || a.Color == b.Color) && (!f.hasThresholdSel || a.Threshold == b.Threshold);
}

} // namespace

const char* TileColourWord(std::int32_t colour) {
    switch (colour) {
    case kTileRed: return "Red";
    case kTileGreen: return "Green";
    case kTileYellow: return "Yellow";
    default: return "";
    }
}

std::optional<std::int32_t> TileColourFromWord(std::string_view word) {
    const std::string lower = config::ToLowerAscii(word);
    if (lower == "red") return kTileRed;
    if (lower == "green") return kTileGreen;
    if (lower == "yellow") return kTileYellow;
    return std::nullopt;
}

cBIPPanelActionHolder::cBIPPanelActionHolder(config::cConfiguration& configuration) : configuration_(configuration) {
    LoadDefaults();
}

std::int32_t cBIPPanelActionHolder::GetTileFunction(int tile) const {
    return IsTile(tile) ? tiles_[static_cast<std::size_t>(tile)].Function : 0;
}

void cBIPPanelActionHolder::SetTileFunction(int tile, std::int32_t function) {
    if (!IsTile(tile)) return;
    const std::int32_t usable = UsableFunction(function);
    const BIPTileFunction& f = TileFunction(usable);
    tiles_[static_cast<std::size_t>(tile)] = BIPTileSetup{usable, f.DefaultThreshold, f.DefaultColor};
}

std::int32_t cBIPPanelActionHolder::GetColor(int tile) const {
    return IsTile(tile) ? tiles_[static_cast<std::size_t>(tile)].Color : 0;
}

bool cBIPPanelActionHolder::SetColor(int tile, std::int32_t colour) {
    if (!IsTile(tile) || !TileColourOf(colour)) return false;
    tiles_[static_cast<std::size_t>(tile)].Color = colour;
    return true;
}

std::int32_t cBIPPanelActionHolder::GetThreshold(int tile) const {
    return IsTile(tile) ? tiles_[static_cast<std::size_t>(tile)].Threshold : 0;
}

void cBIPPanelActionHolder::SetThreshold(int tile, std::int32_t value) {
    if (!IsTile(tile)) return;
    tiles_[static_cast<std::size_t>(tile)].Threshold = std::clamp(value, kMinThreshold, kMaxThreshold);
}

bool cBIPPanelActionHolder::hasThresholdSel(int tile) const {
    return TileFunction(GetTileFunction(tile)).hasThresholdSel;
}

bool cBIPPanelActionHolder::hasColorSel(int tile) const { return TileFunction(GetTileFunction(tile)).hasColorSel; }

const std::string& cBIPPanelActionHolder::GetName(int tile) const {
    return IsTile(tile) ? TileFunction(GetTileFunction(tile)).Name : kEmpty;
}

const std::string& cBIPPanelActionHolder::GetDescription(int tile) const {
    return IsTile(tile) ? TileFunction(GetTileFunction(tile)).Description : kEmpty;
}

std::int32_t cBIPPanelActionHolder::GetTilesGroup(int tile) const {
    return TileFunction(GetTileFunction(tile)).Group;
}

void cBIPPanelActionHolder::ClearTile(int tile) {
    if (IsTile(tile)) tiles_[static_cast<std::size_t>(tile)] = BIPTileSetup{};
}

void cBIPPanelActionHolder::ClearAllTiles() {
    for (int tile = 0; tile < kTileCount; ++tile) ClearTile(tile);
}

void cBIPPanelActionHolder::LoadDefaults() { ClearAllTiles(); }

void cBIPPanelActionHolder::SetTiles(const BIPTileSetups& tiles) {
    for (int tile = 0; tile < kTileCount; ++tile) {
        const BIPTileSetup& in = tiles[static_cast<std::size_t>(tile)];
        BIPTileSetup& out = tiles_[static_cast<std::size_t>(tile)];
        out = BIPTileSetup{UsableFunction(in.Function), std::clamp(in.Threshold, kMinThreshold, kMaxThreshold),
                           TileColourOf(in.Color).value_or(kTileDark)};
        if (out.Function == 0) out = BIPTileSetup{};
    }
}

std::string cBIPPanelActionHolder::SectionName() const { return "BIPPanel" + config::DecimalText(PanelIndex); }

std::string cBIPPanelActionHolder::FilePath() const { return file_.Path(); }

std::optional<int> cBIPPanelActionHolder::TileOfKey(const std::string& key) const {
    // "T" (upper case only) and a tile number.
    if (key.size() < 2 || key[0] != 'T') return std::nullopt;
    const auto tile = config::ToInteger(std::string_view(key).substr(1), configuration_.Locale());
    if (!tile || !IsTile(*tile)) return std::nullopt;
    return *tile;
}

BIPTileSetups cBIPPanelActionHolder::ReadTiles(config::IIniStore& store, const std::string& path,
                                               const std::string& section) const {
    BIPTileSetups tiles{};
    for (const std::string& key : store.KeyNames(path, section))
        if (const auto tile = TileOfKey(key))
            tiles[static_cast<std::size_t>(*tile)] = LoadTile(store.ReadString(path, section, key, ""));
    return tiles;
}

void cBIPPanelActionHolder::LoadSetup() {
    LoadDefaults();
    tiles_ = ReadTiles(configuration_.Store(), file_.Load(), SectionName());
}

BIPTileSetup cBIPPanelActionHolder::LoadTile(const std::string& value) const {
    const std::vector<std::string_view> fields = config::SplitAll(value, ',');
    const std::int32_t function = FindTileFunction(fields[0]);
    const BIPTileFunction& f = TileFunction(function);
    BIPTileSetup setup{function, 0, 0};
    if (f.hasColorSel)
        setup.Color = fields.size() < 2 ? f.DefaultColor : TileColourFromWord(fields[1]).value_or(f.DefaultColor);
    if (f.hasThresholdSel) {
        if (fields.size() < 3) {
            setup.Threshold = f.DefaultThreshold;
        } else {
            const auto number = config::ParseRoundedInteger(fields[2], configuration_.Locale());
            setup.Threshold = number && *number >= kMinThreshold && *number <= kMaxThreshold
                                  ? static_cast<std::int32_t>(*number)
                                  : 0;
        }
    }
    return setup;
}

std::string cBIPPanelActionHolder::TileValue(int tile) const {
    const std::int32_t function = GetTileFunction(tile);
    if (function == 0) return "";
    const BIPTileFunction& f = TileFunction(function);
    std::string value = f.Key;
    if (f.hasColorSel) {
        // A colour that has no word is stored as the default colour: leaving
        // the field out would move the threshold into the colour's place,
        // and it would read back as the default threshold.
        const char* word = TileColourWord(GetColor(tile));
        if (*word == '\0') word = TileColourWord(f.DefaultColor);
        value += ',';
        value += word;
    }
    if (f.hasThresholdSel) value += "," + config::DecimalText(GetThreshold(tile));
    return value;
}

bool cBIPPanelActionHolder::SaveSetup() {
    // Back to the profile the values came from, as for every panel kind.
    return file_.Save([this](config::IIniStore& store, const std::string& path) {
        const std::string section = SectionName();
        // A tile whose keys already load to its setup is left as written (a
        // hand-written spelling, an unknown function or colour word that loads
        // as what the tile still holds). Any other tile loses every key that
        // loads into it, then gets "T<tile>" when it has a function.
        const BIPTileSetups onFile = ReadTiles(store, path, section);
        for (int tile = 0; tile < kTileCount; ++tile) {
            const auto t = static_cast<std::size_t>(tile);
            if (SameSetup(onFile[t], tiles_[t])) continue;
            const std::string key = "T" + config::DecimalText(tile);
            // The store deletes the first line of a name in any case, so one
            // line goes at a time until nothing of the tile (nor a line that
            // would take "T<tile>" under another case) is left.
            for (std::size_t guard = store.KeyNames(path, section).size(); guard > 0; --guard) {
                const auto names = store.KeyNames(path, section);
                const auto left = std::find_if(names.begin(), names.end(), [&](const std::string& n) {
                    return TileOfKey(n) == tile || config::EqualsNoCase(n, key);
                });
                if (left == names.end()) break;
                if (!store.DeleteKey(path, section, *left)) return;
            }
            const std::string value = TileValue(tile);
            if (!value.empty() && !store.WriteString(path, section, key, value)) return;
        }
    });
}

} // namespace orvex::panels::bip
