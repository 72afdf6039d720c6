// The BIP's tiles as the program draws them on screen, both in the panel's
// device control and in its setup dialog: 24 tile shapes in three rows of
// eight, each filled with its colour (dark in the button-face colour) and
// printed with up to three legend lines.
#pragma once

#include "panels/bip/bip_tiles.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvex::panels::bip::win32 {

// The three legend lines of every tile (lblTileR1-R3) with their tops, in
// twips from the top of the tile rows, as SetTileLabel leaves them.
class TileLegends {
public:
    TileLegends();

    // Lays the legend of `text` ("." separates its lines) on the tile's
    // lines; false (the lines as they were) when the text has more than
    // three lines or the tile does not exist.
    bool Set(int tile, std::string_view text);
    // Line 0-2 of a tile ("" out of range) and its top in twips.
    const std::string& Line(int tile, int line) const;
    int LineTop(int tile, int line) const;

private:
    std::array<std::array<std::string, 3>, kTileCount> text_{};
    std::array<std::array<int, 3>, kTileCount> top_{};
};

// Where the tiles lie in a client area `area` pixels wide and tall: three
// rows of equal height (720 twips at the control's size), eight columns
// with `gap` pixels between them and `margin` pixels at the sides.
class TileGrid {
public:
    TileGrid(const RECT& area, int margin, int gap);

    // The shape of a tile, and the band of its row (the labels' tops are
    // measured from the band's top).
    RECT Shape(int tile) const;
    RECT RowBand(int tile) const;
    // The tile under a point; -1 for none.
    int TileAt(POINT point) const;

private:
    RECT area_;
    int margin_, gap_;
};

// The screen colour of a tile colour number: the colour numbers are the
// system's RGB numbers; 0 (dark) is the button face.
COLORREF TileFill(std::int32_t colour);

// Paints one tile: its shape filled with `fill` and edged `edgeWidth` pixels
// wide, and its legend lines centred at their tops in the selected font.
void PaintTile(HDC dc, const TileGrid& grid, int tile, COLORREF fill, const TileLegends& legends, int edgeWidth);

} // namespace orvex::panels::bip::win32
