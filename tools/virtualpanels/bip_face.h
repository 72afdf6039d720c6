// The BIP (backlit information panel) as the virtual panel window draws it,
// without any platform: which of its 24 annunciator tiles the last tile
// report lights and in what colour, how bright the last brightness report
// makes the backlight, and where each tile sits on the face. The BIP sends
// no input, so its face has no controls.
//
// Lengths are in design units: pixels at 96 DPI.
#pragma once

#include "tools/virtualpanels/radio_face.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvex::virtualpanels::bip {

inline constexpr int kRows = 3;
inline constexpr int kColumns = 8;
inline constexpr int kTiles = kRows * kColumns;  // index = row * 8 + column, row 0 at the top

inline constexpr uint8_t kTileReportId = 0xB8;
inline constexpr uint8_t kBrightnessReportId = 0xB2;

enum class Tile : uint8_t { Dark, Green, Red, Yellow };
using Tiles = std::array<Tile, kTiles>;

// The tiles of a tile report (0xB8, green bits of rows 1-3, red bits of rows
// 1-3; bit n = column n; green and red together show yellow). A report that
// is not a whole tile report (none written yet) leaves every tile dark.
Tiles DecodeTiles(const std::vector<uint8_t>& report);
// The backlight level 0-100 of a brightness report (0xB2, level); a level
// above 100 counts as 100. Before any report the panel is at full light.
int DecodeBrightness(const std::vector<uint8_t>& report);

// One letter a tile, the three rows separated by a blank, top row first:
// G green, R red, Y yellow, - dark ("G-------- ..." ).
char TileLetter(Tile tile);
std::string TilesText(const Tiles& tiles);

namespace face {

inline constexpr double kWidth = 760;
inline constexpr double kHeight = 262;

// The tile of index 0-23 (a clamped index outside).
RectF TileAt(int index);
// The line under the tiles that says what the panel shows.
RectF HelpLine();

} // namespace face

} // namespace orvex::virtualpanels::bip
