#include "panels/bip/bip_tiles.h"

#include "config/text_util.h"

#include <algorithm>

namespace orvex::panels::bip {

namespace {

constexpr std::size_t kGreenByte = 1;  // + row
constexpr std::size_t kRedByte = 4;    // + row

} // namespace

std::optional<std::int32_t> TileColourOf(std::int32_t colour) {
    switch (colour) {
    case kTileDark:
    case kTileRed:
    case kTileGreen:
    case kTileYellow: return colour;
    default: return std::nullopt;
    }
}

BrightnessReport MakeBrightnessReport(int level) {
    return {kBrightnessReportId, static_cast<std::uint8_t>(std::clamp(level, 0, kMaxBrightness))};
}

BIPTileState::BIPTileState() { report_[0] = kTileReportId; }

std::optional<std::int32_t> BIPTileState::Normalise(std::int32_t colour) const {
    // The four colours first: a button face that happens to equal one of
    // them must not turn that colour dark.
    if (auto known = TileColourOf(colour)) return known;
    if (colour == buttonFace_) return kTileDark;
    return std::nullopt;
}

bool BIPTileState::Apply(int index, std::int32_t colour) {
    auto& slot = colours_[static_cast<std::size_t>(index)];
    if (slot == colour) return false;
    slot = colour;
    const auto row = static_cast<std::size_t>(TileRow(index));
    const auto bit = static_cast<std::uint8_t>(1u << TileColumn(index));
    std::uint8_t& green = report_[kGreenByte + row];
    std::uint8_t& red = report_[kRedByte + row];
    const bool greenOn = colour == kTileGreen || colour == kTileYellow;
    const bool redOn = colour == kTileRed || colour == kTileYellow;
    green = static_cast<std::uint8_t>(greenOn ? (green | bit) : (green & ~bit));
    red = static_cast<std::uint8_t>(redOn ? (red | bit) : (red & ~bit));
    return true;
}

bool BIPTileState::TurnTile(int index, std::int32_t colour) {
    if (!IsTile(index)) return false;
    const auto wanted = Normalise(colour);
    return wanted && Apply(index, *wanted);
}

bool BIPTileState::TurnAllTiles(const std::array<std::int32_t, kTileCount>& colours) {
    bool changed = false;
    for (int i = 0; i < kTileCount; ++i)
        if (const auto wanted = Normalise(colours[static_cast<std::size_t>(i)])) changed = Apply(i, *wanted) || changed;
    return changed;
}

bool BIPTileState::TurnPanel(std::int32_t colour) {
    const auto wanted = Normalise(colour);
    if (!wanted) return false;
    for (int i = 0; i < kTileCount; ++i) Apply(i, *wanted);
    return true;
}

std::int32_t BIPTileState::TileColour(int index) const {
    return IsTile(index) ? colours_[static_cast<std::size_t>(index)] : kTileDark;
}

std::int32_t BIPTileState::FillColour(int index) const {
    const std::int32_t colour = TileColour(index);
    return colour == kTileDark ? buttonFace_ : colour;
}

bool BIPTileState::AllDark() const {
    return std::all_of(colours_.begin(), colours_.end(), [](std::int32_t c) { return c == kTileDark; });
}

std::optional<TileLabelLayout> LayoutTileLabel(int index, std::string_view text) {
    if (!IsTile(index)) return std::nullopt;
    TileLabelLayout layout;
    if (text.empty()) return layout;  // all empty, positions kept
    const std::vector<std::string_view> lines = config::SplitAll(text, '.');
    const int top = TileRow(index) * kTileRowHeightTwips;
    auto set = [&](std::size_t label, std::string_view line, int offset) {
        layout.Lines[label].Text = std::string(line);
        layout.Lines[label].Top = top + offset;
    };
    switch (lines.size()) {
    case 1:
        set(0, "", 90);
        set(1, lines[0], 270);
        set(2, "", 450);
        break;
    case 2:
        set(0, lines[0], 150);
        set(1, "", 270);
        set(2, lines[1], 390);
        break;
    case 3:
        set(0, lines[0], 90);
        set(1, lines[1], 270);
        set(2, lines[2], 450);
        break;
    default:
        return std::nullopt;  // no room for more lines: the labels stay as they are
    }
    return layout;
}

SplashStepChanges SplashStep(int step) {
    SplashStepChanges out;
    if (step < 0 || step >= kSplashSteps) return out;
    auto add = [&](int tile, std::int32_t colour) { out.Changes[out.Count++] = TileChange{tile, colour}; };
    if (step < kTileCount) add(step, kTileGreen);
    if (step >= 1 && step <= kTileCount) add(step - 1, kTileYellow);
    if (step >= 2 && step <= kTileCount + 1) add(step - 2, kTileRed);
    if (step >= 3) add(step - 3, kTileDark);
    return out;
}

} // namespace orvex::panels::bip
