// The BIP's output: 24 annunciator tiles (3 rows of 8), each dark, green,
// red or yellow (green and red together), composed into the panel's 7-byte
// tile report, plus the 2-byte brightness report, the tiles' legend layout
// and the start-up light show. No platform code: the Windows control holds
// one BIPTileState, sends its report when an operation says so and paints
// its on-screen copy from it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvex::panels::bip {

// Tile colours as RGB colour numbers (red in the low byte).
inline constexpr std::int32_t kTileDark = 0;
inline constexpr std::int32_t kTileRed = 255;
inline constexpr std::int32_t kTileGreen = 65280;
inline constexpr std::int32_t kTileYellow = 65535;
// The usual button-face colour (RGB 240, 240, 240) that dark tiles are
// shown in on screen until the control tells the state its real one.
inline constexpr std::int32_t kDefaultButtonFace = 0x00F0F0F0;

inline constexpr int kTileCount = 24;
inline constexpr int kTileRows = 3;
inline constexpr int kTileColumns = 8;
constexpr bool IsTile(int index) { return index >= 0 && index < kTileCount; }
constexpr int TileRow(int index) { return index / kTileColumns; }     // 0 = top row
constexpr int TileColumn(int index) { return index % kTileColumns; }  // 0 = leftmost

// One of the four tile colours, or nothing for any other number.
std::optional<std::int32_t> TileColourOf(std::int32_t colour);

// Feature reports.
inline constexpr std::uint8_t kTileReportId = 0xB8;
inline constexpr std::uint8_t kBrightnessReportId = 0xB2;
inline constexpr std::size_t kTileReportSize = 7;
inline constexpr std::size_t kBrightnessReportSize = 2;
// Byte 0 the id; bytes 1-3 the green bits of rows 1-3, bytes 4-6 the red
// bits (bit n = column n).
using TileReport = std::array<std::uint8_t, kTileReportSize>;
using BrightnessReport = std::array<std::uint8_t, kBrightnessReportSize>;

inline constexpr int kMaxBrightness = 100;
// Id 0xB2 and the level, clamped to 0-100.
BrightnessReport MakeBrightnessReport(int level);
// What connecting sends, in order: brightness 0; twice the 7-byte buffer
// under the brightness id with every other byte zero (which blanks the
// tiles of whatever showed them before); then brightness 5, 10 ... 100
// without a pause (the backlight fades in). After that the buffer is the
// tile report, all tiles dark.
inline constexpr int kFadeInStep = 5;
inline constexpr TileReport kBlankingReport = {kBrightnessReportId, 0, 0, 0, 0, 0, 0};

// The colour state of the 24 tiles and the tile report it makes. Every
// operation returns true when the report must be sent now (Report()).
class BIPTileState {
public:
    BIPTileState();

    // The on-screen button-face colour: a requested colour equal to it
    // means dark, as 0 does.
    void SetButtonFace(std::int32_t colour) { buttonFace_ = colour; }
    std::int32_t ButtonFace() const { return buttonFace_; }

    // One tile. Green sets its green bit and clears its red one, red the
    // other way round, yellow sets both, dark clears both. True when the
    // tile changed. A tile index out of range or a colour that is none of
    // the four (nor the button face) changes nothing.
    bool TurnTile(int index, std::int32_t colour);
    // Every tile; one report when at least one changed. Colours that are
    // none of the four leave their tile as it is.
    bool TurnAllTiles(const std::array<std::int32_t, kTileCount>& colours);
    // All 24 tiles to one colour. Always true for one of the four colours
    // (the report is sent even when nothing changed, which puts the panel
    // back in step with the state); false, changing nothing, for any other.
    bool TurnPanel(std::int32_t colour);

    const TileReport& Report() const { return report_; }
    // The colour a tile shows: kTileDark, kTileRed, kTileGreen or
    // kTileYellow (kTileDark for an index out of range).
    std::int32_t TileColour(int index) const;
    // The same for painting: dark as the button-face colour.
    std::int32_t FillColour(int index) const;
    bool AllDark() const;

private:
    // Sets the tile's colour and bits; `colour` is one of the four.
    bool Apply(int index, std::int32_t colour);
    // One of the four colours, or nothing.
    std::optional<std::int32_t> Normalise(std::int32_t colour) const;

    TileReport report_{};
    std::array<std::int32_t, kTileCount> colours_{};
    std::int32_t buttonFace_ = kDefaultButtonFace;
};

// The legend of a tile on its three labels (lblTileR1-3), split at ".".
// Tops are in twips from the control's top; a missing top leaves the label
// where it is.
struct TileLabelLine {
    std::string Text;
    std::optional<int> Top;
};
struct TileLabelLayout {
    std::array<TileLabelLine, 3> Lines;
};
// Row r = index / 8:
//   empty text: all three empty, positions unchanged;
//   one line:   "" at r*720+90, the line at r*720+270, "" at r*720+450;
//   two lines:  the first at r*720+150, "" at r*720+270, the second at r*720+390;
//   three:      the lines at r*720+90, +270, +450.
// Nothing (leave the labels as they are) for four lines or more or a tile
// index out of range.
std::optional<TileLabelLayout> LayoutTileLabel(int index, std::string_view text);
inline constexpr int kTileRowHeightTwips = 720;
// The control's fixed size in twips.
inline constexpr int kBIPControlWidthTwips = 10905;
inline constexpr int kBIPControlHeightTwips = 2865;

// The start-up light show: a green-yellow-red band runs across the panel
// tile by tile. Start with TurnPanel(kTileDark); for step 0 to
// kSplashSteps - 1 apply the step's changes in order through TurnTile (a
// report after each that changed) and wait kSplashStepWaitMs, letting
// window messages run; end with TurnPanel(kTileDark).
inline constexpr int kSplashSteps = 27;
inline constexpr int kSplashStepWaitMs = 50;
struct TileChange {
    int Tile;
    std::int32_t Colour;
};
struct SplashStepChanges {
    std::array<TileChange, 4> Changes{};
    std::size_t Count = 0;
};
// Step k: tile k green (k < 24), tile k-1 yellow (1 <= k <= 24), tile k-2
// red (2 <= k <= 25), tile k-3 dark (k >= 3). Empty for a step out of range.
SplashStepChanges SplashStep(int step);

} // namespace orvex::panels::bip
