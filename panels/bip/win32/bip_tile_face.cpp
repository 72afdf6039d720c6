#include "panels/bip/win32/bip_tile_face.h"

#include "common/win32/handles.h"

#include <algorithm>

namespace orvex::panels::bip::win32 {

namespace {

// The labels' tops before any legend is set: where three lines stand.
constexpr int kLineTops[3] = {90, 270, 450};
// A label line's height in twips.
constexpr int kLineHeightTwips = 180;

const std::string kNoText;

} // namespace

TileLegends::TileLegends() {
    for (int t = 0; t < kTileCount; ++t)
        for (int l = 0; l < 3; ++l)
            top_[static_cast<std::size_t>(t)][static_cast<std::size_t>(l)] = TileRow(t) * kTileRowHeightTwips + kLineTops[l];
}

bool TileLegends::Set(int tile, std::string_view text) {
    const std::optional<TileLabelLayout> layout = LayoutTileLabel(tile, text);
    if (!layout) return false;
    for (std::size_t l = 0; l < 3; ++l) {
        const TileLabelLine& line = layout->Lines[l];
        text_[static_cast<std::size_t>(tile)][l] = line.Text;
        if (line.Top) top_[static_cast<std::size_t>(tile)][l] = *line.Top;
    }
    return true;
}

const std::string& TileLegends::Line(int tile, int line) const {
    if (!IsTile(tile) || line < 0 || line > 2) return kNoText;
    return text_[static_cast<std::size_t>(tile)][static_cast<std::size_t>(line)];
}

int TileLegends::LineTop(int tile, int line) const {
    if (!IsTile(tile) || line < 0 || line > 2) return 0;
    return top_[static_cast<std::size_t>(tile)][static_cast<std::size_t>(line)];
}

TileGrid::TileGrid(const RECT& area, int margin, int gap) : area_(area), margin_(margin), gap_(gap) {}

RECT TileGrid::RowBand(int tile) const {
    const int height = static_cast<int>(area_.bottom - area_.top);
    const int row = TileRow(std::clamp(tile, 0, kTileCount - 1));
    return RECT{area_.left, area_.top + ::MulDiv(height, row, kTileRows), area_.right,
                area_.top + ::MulDiv(height, row + 1, kTileRows)};
}

RECT TileGrid::Shape(int tile) const {
    const RECT band = RowBand(tile);
    const int column = TileColumn(std::clamp(tile, 0, kTileCount - 1));
    const int inner = static_cast<int>(area_.right - area_.left) - 2 * margin_ - (kTileColumns - 1) * gap_;
    const int left = static_cast<int>(area_.left) + margin_ + ::MulDiv(inner, column, kTileColumns) + column * gap_;
    const int right = static_cast<int>(area_.left) + margin_ + ::MulDiv(inner, column + 1, kTileColumns) + column * gap_;
    // A little room above and below each tile, one sixteenth of the row.
    const int pad = std::max<int>(1, (band.bottom - band.top) / 16);
    return RECT{left, band.top + pad, right, band.bottom - pad};
}

int TileGrid::TileAt(POINT point) const {
    for (int t = 0; t < kTileCount; ++t) {
        const RECT shape = Shape(t);
        if (::PtInRect(&shape, point)) return t;
    }
    return -1;
}

COLORREF TileFill(std::int32_t colour) {
    if (colour == kTileDark) return ::GetSysColor(COLOR_BTNFACE);
    return static_cast<COLORREF>(colour);
}

void PaintTile(HDC dc, const TileGrid& grid, int tile, COLORREF fill, const TileLegends& legends, int edgeWidth) {
    const RECT shape = grid.Shape(tile);
    const RECT band = grid.RowBand(tile);
    {
        orvex::win32::UniqueGdi brush(::CreateSolidBrush(fill));
        orvex::win32::UniqueGdi pen(::CreatePen(PS_INSIDEFRAME, std::max(1, edgeWidth), RGB(0, 0, 0)));
        orvex::win32::SelectGuard b(dc, brush.get());
        orvex::win32::SelectGuard p(dc, pen.get());
        ::Rectangle(dc, shape.left, shape.top, shape.right, shape.bottom);
    }
    // Black legends on every fill, as printed on the tile's film.
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    const int bandHeight = static_cast<int>(band.bottom - band.top);
    const int rowTwips = TileRow(tile) * kTileRowHeightTwips;
    for (int l = 0; l < 3; ++l) {
        const std::string& text = legends.Line(tile, l);
        if (text.empty()) continue;
        const int top = static_cast<int>(band.top) + ::MulDiv(bandHeight, legends.LineTop(tile, l) - rowTwips, kTileRowHeightTwips);
        const int bottom = top + ::MulDiv(bandHeight, kLineHeightTwips, kTileRowHeightTwips);
        RECT rc{shape.left + 2, top, shape.right - 2, bottom};
        ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
}

} // namespace orvex::panels::bip::win32
