#include "tools/virtualpanels/bip_window_win32.h"

#include <string>

namespace orvex::virtualpanels {

using namespace colours;
using bip::Tile;
namespace bface = bip::face;

namespace {

constexpr COLORREF kUnlit = RGB(28, 30, 33);        // a tile's glass with the light off
constexpr COLORREF kUnlitEdge = RGB(54, 57, 62);
constexpr COLORREF kFrame = RGB(9, 9, 11);          // the dark frame the tiles sit in
constexpr double kLeastLight = 0.22;                // a lit tile at backlight 0

COLORREF Lit(Tile tile) {
    switch (tile) {
    case Tile::Green: return RGB(52, 226, 86);
    case Tile::Red: return RGB(242, 52, 40);
    case Tile::Yellow: return RGB(255, 208, 48);
    case Tile::Dark: break;
    }
    return kUnlit;
}

} // namespace

BipPanelWindow::BipPanelWindow(Engine& engine, int device, int bipNumber)
    : FaceWindow(engine, device, bface::kWidth, bface::kHeight), number_(bipNumber) {}

BipPanelWindow::~BipPanelWindow() { Close(); }

SIZE BipPanelWindow::OuterSize() { return OuterSizeFor(bface::kWidth, bface::kHeight); }

bool BipPanelWindow::Open(int x, int y, bool show) {
    return OpenFace("OrvexVirtualBipPanel", "Virtual BIP Panel " + std::to_string(number_), x, y, show);
}

COLORREF BipPanelWindow::TilePaint(Tile tile, int brightness) {
    if (tile == Tile::Dark) return kUnlit;
    const double level = brightness < 0 ? 0 : brightness > 100 ? 1 : brightness / 100.0;
    return Canvas::Mix(kUnlit, Lit(tile), kLeastLight + (1 - kLeastLight) * level);
}

void BipPanelWindow::OnView(const PanelView& next) {
    if (next.feature != view_.feature) tiles_ = bip::DecodeTiles(next.feature);
    if (next.brightness != view_.brightness) brightness_ = bip::DecodeBrightness(next.brightness);
}

void BipPanelWindow::Draw(HDC dc, double scale) const {
    const Canvas c(dc, scale);
    DrawPlate(c, bface::kWidth, bface::kHeight, "BIP  BACKLIT INFORMATION PANEL",
              "Virtual BIP Panel " + std::to_string(number_) + "   device " + std::to_string(device_) +
                  "   light " + std::to_string(brightness_) + "%",
              view_.present);
    const RectF first = bface::TileAt(0), last = bface::TileAt(bip::kTiles - 1);
    c.RoundRect({first.left - 6, first.top - 6, last.right + 6, last.bottom + 6}, 5, kFrame, kPlateEdge, 1);
    for (int i = 0; i < bip::kTiles; ++i) {
        const RectF r = bface::TileAt(i);
        const Tile tile = tiles_[static_cast<size_t>(i)];
        const COLORREF paint = TilePaint(tile, brightness_);
        if (tile == Tile::Dark) {
            c.RoundRect(r, 3, paint, kUnlitEdge, 1);
        } else {
            // A lit tile glows brighter in its middle.
            c.RoundRect(r, 3, Canvas::Mix(paint, kUnlit, 0.25), Canvas::Mix(paint, RGB(255, 255, 255), 0.2), 1);
            c.RoundRect({r.left + 5, r.top + 5, r.right - 5, r.bottom - 5}, 3, paint, paint, 0);
        }
        // The tile's number and position, where a legend would be printed.
        const std::string label = std::to_string(i) + "  (" + std::to_string(i / bip::kColumns + 1) + "," +
                                  std::to_string(i % bip::kColumns + 1) + ")";
        c.Text(r, label, 10, true, tile == Tile::Dark ? kPrintDim : RGB(20, 20, 22));
    }
    c.Text(bface::HelpLine(),
           "Tiles show the last tile report (0xB8); the light level the last brightness report (0xB2)   \xB7   "
           "the BIP sends no input",
           10, false, kHelp);
}

} // namespace orvex::virtualpanels
