#include "tools/virtualpanels/bip_face.h"

#include <algorithm>

namespace orvex::virtualpanels::bip {

namespace {

constexpr size_t kTileReportLength = 1 + 2 * kRows;

// The tile grid: eight columns, three rows, with a gap between tiles.
constexpr double kGridLeft = 26, kGridTop = 42;
constexpr double kTileWidth = 84, kTileHeight = 52, kGap = 6;

} // namespace

Tiles DecodeTiles(const std::vector<uint8_t>& report) {
    Tiles tiles{};
    if (report.size() < kTileReportLength || report[0] != kTileReportId) return tiles;
    for (int i = 0; i < kTiles; ++i) {
        const int row = i / kColumns, column = i % kColumns;
        const bool green = (report[static_cast<size_t>(1 + row)] >> column) & 1;
        const bool red = (report[static_cast<size_t>(1 + kRows + row)] >> column) & 1;
        tiles[static_cast<size_t>(i)] = green && red ? Tile::Yellow : green ? Tile::Green : red ? Tile::Red : Tile::Dark;
    }
    return tiles;
}

int DecodeBrightness(const std::vector<uint8_t>& report) {
    if (report.size() < 2 || report[0] != kBrightnessReportId) return 100;
    return std::min<int>(report[1], 100);
}

char TileLetter(Tile tile) {
    switch (tile) {
    case Tile::Green: return 'G';
    case Tile::Red: return 'R';
    case Tile::Yellow: return 'Y';
    case Tile::Dark: break;
    }
    return '-';
}

std::string TilesText(const Tiles& tiles) {
    std::string text;
    for (int i = 0; i < kTiles; ++i) {
        if (i > 0 && i % kColumns == 0) text += ' ';
        text += TileLetter(tiles[static_cast<size_t>(i)]);
    }
    return text;
}

namespace face {

RectF TileAt(int index) {
    index = std::clamp(index, 0, kTiles - 1);
    const int row = index / kColumns, column = index % kColumns;
    const double left = kGridLeft + column * (kTileWidth + kGap);
    const double top = kGridTop + row * (kTileHeight + kGap);
    return {left, top, left + kTileWidth, top + kTileHeight};
}

RectF HelpLine() { return {20, kHeight - 26, kWidth - 20, kHeight - 8}; }

} // namespace face

} // namespace orvex::virtualpanels::bip
