#include "tools/virtualpanels/multi_window_win32.h"

#include <cmath>
#include <string>

namespace orvex::virtualpanels {

using namespace colours;
using multi::Hit;
using multi::Part;
namespace mface = multi::face;

namespace {

constexpr COLORREF kMetal = RGB(196, 199, 205);
constexpr COLORREF kMetalDark = RGB(92, 95, 101);
constexpr COLORREF kSlot = RGB(10, 10, 12);

bool Hovered(const Hit& hover, Part part, int index = -1) {
    return hover.part == part && (index < 0 || hover.index == index);
}

RectF Grown(const RectF& r, double by) { return {r.left - by, r.top - by, r.right + by, r.bottom + by}; }

// A bat-handle toggle or lever knob seen from the front: a shaft from
// `from` to `to` with a rounded tip.
void DrawShaft(const Canvas& c, PointF from, PointF to, double width) {
    c.Line({from.x + 1, from.y + 2}, {to.x + 1, to.y + 2}, width, RGB(8, 8, 10));
    c.Line(from, to, width, kMetalDark);
    c.Line(from, to, width * 0.45, kMetal);
    c.Dome({to, width * 0.85}, kMetalDark, RGB(240, 240, 242), 8);
}

} // namespace

MultiPanelWindow::MultiPanelWindow(Engine& engine, int device, int multiNumber)
    : FaceWindow(engine, device, mface::kWidth, mface::kHeight), number_(multiNumber) {}

MultiPanelWindow::~MultiPanelWindow() { Close(); }

SIZE MultiPanelWindow::OuterSize() { return OuterSizeFor(mface::kWidth, mface::kHeight); }

bool MultiPanelWindow::Open(int x, int y, bool show) {
    return OpenFace("OrvexVirtualMultiPanel", "Virtual Multi Panel " + std::to_string(number_), x, y, show);
}

void MultiPanelWindow::OnView(const PanelView& next) {
    moving_.Seen(multi::ModeAt(next.positions));
    switching_.Seen(multi::AutoThrottleArmed(next.positions) ? 1 : 0);
    if (next.feature != view_.feature) displays_ = multi::Decode(next.feature);
}

int MultiPanelWindow::ModeNow() const { return moving_.At(multi::ModeAt(view_.positions)); }

bool MultiPanelWindow::ArmedNow() const {
    return switching_.At(multi::AutoThrottleArmed(view_.positions) ? 1 : 0) == 1;
}

void MultiPanelWindow::Send(const Hit& hit, const std::string& command) {
    const int mode = multi::ModeTarget(command);
    if (mode >= 0) moving_.Sent(mode);
    if (hit.part == Part::AutoThrottle) switching_.Sent(ArmedNow() ? 0 : 1);
    // Turns of one wheel queue behind each other, so that its pulse trains never mix.
    engine_.Submit(command, hit.part == Part::Knob ? "knob" : hit.part == Part::Trim ? "trim" : "");
}

void MultiPanelWindow::OnMouseDown(PointF point, bool left) {
    const Hit hit = multi::ControlAt(point);
    if (hit.part == Part::Button || hit.part == Part::Flaps) {
        if (!left || held_.part != Part::None) return;
        auto command = multi::HoldCommand(device_, hit, true);
        if (!command) return;
        held_ = hit;
        ::SetCapture(Handle());
        Send(hit, *command);
        Redraw();
        return;
    }
    if (auto command = multi::ClickCommand(device_, hit, left, ModeNow(), ArmedNow())) Send(hit, *command);
}

void MultiPanelWindow::OnWheel(PointF point, int notches) {
    const Hit hit = multi::ControlAt(point);
    if (auto command = multi::WheelCommand(device_, hit, notches, ModeNow())) Send(hit, *command);
}

bool MultiPanelWindow::OnHover(PointF point) {
    const Hit hit = multi::ControlAt(point);
    if (hit != hover_) {
        hover_ = hit;
        ResetWheel();
        Redraw();
    }
    return hit.part != Part::None;
}

void MultiPanelWindow::OnRelease() {
    if (held_.part == Part::None) return;
    const Hit hit = held_;
    held_ = {};  // first, as giving up the capture comes back here
    if (auto command = multi::HoldCommand(device_, hit, false)) Send(hit, *command);
    if (::GetCapture() == Handle()) ::ReleaseCapture();
    Redraw();
}

void MultiPanelWindow::Draw(HDC dc, double scale) const {
    const Canvas c(dc, scale);
    DrawPlate(c, mface::kWidth, mface::kHeight, "PRO FLIGHT  MULTI PANEL",
              "Virtual Multi Panel " + std::to_string(number_) + "   device " + std::to_string(device_),
              view_.present);
    c.Line({16, 192}, {610, 192}, 1, RGB(48, 51, 56));
    DrawSelector(c);
    DrawDisplays(c);

    // The knob; its mark and ridges turn with its pulses.
    const CircleF knob = mface::Knob();
    DrawKnob(c, knob.centre, knob.radius, multi::KnobDegrees(view_.pulses), 44, RGB(52, 55, 60), RGB(96, 100, 108));
    if (Hovered(hover_, Part::Knob)) {
        c.Ring({knob.centre, knob.radius + 3}, kAccent, 1.5);
        c.Text({knob.centre.x - knob.radius - 26, knob.centre.y - 9, knob.centre.x - knob.radius - 6,
                knob.centre.y + 9},
               "\xAB", 14, true, hover_.index == 0 ? kAccent : kPrintDim);
        c.Text({knob.centre.x + knob.radius + 6, knob.centre.y - 9, knob.centre.x + knob.radius + 26,
                knob.centre.y + 9},
               "\xBB", 14, true, hover_.index == 1 ? kAccent : kPrintDim);
    }

    DrawButtons(c);
    DrawLevers(c);
    DrawTrimWheel(c);
    c.Text(mface::HelpLine(),
           "Wheel or click on the knob or the trim wheel: turn it   \xB7   click a mode or the selector   \xB7   "
           "hold a button or the flaps lever   \xB7   click AUTO THROTTLE",
           10, false, kHelp);
}

void MultiPanelWindow::DrawSelector(const Canvas& c) const {
    const int at = multi::ModeAt(view_.positions);
    for (int i = 0; i < multi::kModes; ++i) {
        const bool chosen = i == at;
        const bool hovered = Hovered(hover_, Part::ModePosition, i);
        c.Disc(mface::ModeLamp(i), chosen ? kAccent : RGB(72, 75, 81));
        c.Text(mface::ModeLabel(i), multi::kModeLabels[i], 10.5, true,
               chosen ? kAccent : hovered ? RGB(255, 255, 255) : kPrint);
    }
    const CircleF selector = mface::Selector();
    const double angle = at >= 0 ? mface::ModeAngle(at) : 0;
    DrawKnob(c, selector.centre, selector.radius, angle, 20, RGB(58, 61, 67), RGB(104, 108, 116));
    if (at >= 0)
        c.Line(OnCircle(selector.centre, 4, angle), OnCircle(selector.centre, selector.radius - 3, angle), 3.6,
               RGB(245, 245, 245));
    if (Hovered(hover_, Part::Selector)) c.Ring({selector.centre, selector.radius + 3}, kAccent, 1.5);
}

void MultiPanelWindow::DrawDisplays(const Canvas& c) const {
    const RectF glass = mface::DisplayWindow();
    c.RoundRect(Grown(glass, 3), 5, RGB(8, 8, 9), RGB(62, 65, 71), 1);
    c.Fill(glass, kGlass);
    // Which values the rows stand for, by the selector: ALT over VS, or one name over nothing.
    const int at = multi::ModeAt(view_.positions);
    const bool altitude = at <= 1;
    const char* upper = at < 0 ? "" : altitude ? "ALT" : multi::kModeLabels[at];
    const char* lower = at >= 0 && altitude ? "VS" : "";
    c.Text(mface::RowLabel(0), upper, 11, true, kPrintDim, DT_LEFT);
    c.Text(mface::RowLabel(1), lower, 11, true, kPrintDim, DT_LEFT);
    for (int row = 0; row < multi::kRows; ++row)
        for (int i = 0; i < kDisplayDigits; ++i)
            DrawDigit(c, mface::DigitCell(row, i),
                      displays_.rows[static_cast<size_t>(row)][static_cast<size_t>(i)], false);
}

void MultiPanelWindow::DrawButtons(const Canvas& c) const {
    for (int i = 0; i < multi::kButtons; ++i) {
        const RectF r = mface::Button(i);
        const bool pressed = (held_.part == Part::Button && held_.index == i) ||
                             (view_.positions & multi::ButtonBit(i)) != 0;
        const bool lit = (displays_.lamps >> i & 1) != 0;
        // Red while pressed, yellow when its lamp is lit, white otherwise.
        const COLORREF face = pressed ? RGB(214, 52, 40) : lit ? RGB(255, 214, 64) : RGB(214, 216, 220);
        // The outline under the mouse and a lit lamp's glow go under the button.
        if (Hovered(hover_, Part::Button, i)) c.RoundRect(Grown(r, 4.5), 8, kPlate, kAccent, 1.5);
        if (lit && !pressed) c.RoundRect(Grown(r, 3), 7, Canvas::Mix(kPlate, face, 0.35), kPlate, 0);
        c.RoundRect({r.left + 1, r.top + 2, r.right + 1, r.bottom + 2}, 5, RGB(8, 8, 10), RGB(8, 8, 10), 0);
        const RectF top = pressed ? RectF{r.left, r.top + 1.5, r.right, r.bottom + 1.5} : r;
        c.RoundRect(top, 5, face, Canvas::Mix(face, RGB(0, 0, 0), 0.4), 1);
        c.Text(top, multi::kButtonLabels[i], 11, true, pressed ? RGB(255, 240, 236) : RGB(34, 34, 38));
    }
}

void MultiPanelWindow::DrawLevers(const Canvas& c) const {
    // The auto-throttle switch: a bat handle up at ARM, down at OFF.
    const RectF at = mface::AutoThrottle();
    const double atX = (at.left + at.right) / 2, atY = (at.top + at.bottom) / 2;
    const bool armed = multi::AutoThrottleArmed(view_.positions);
    c.Text({at.left - 30, 36, at.right + 30, 50}, "AUTO THROTTLE", 9.5, true, kPrintDim);
    c.Text({at.left, at.top + 2, at.right, at.top + 16}, "ARM", 10, true, armed ? kAccent : kPrint);
    c.Text({at.left, at.bottom - 16, at.right, at.bottom - 2}, "OFF", 10, true, armed ? kPrint : kAccent);
    c.Disc({{atX, atY}, 13}, RGB(12, 12, 14));
    c.Disc({{atX, atY}, 9}, kMetalDark);
    DrawShaft(c, {atX, atY}, {atX, atY + (armed ? -34 : 34)}, 7);
    if (Hovered(hover_, Part::AutoThrottle)) c.Ring({{atX, atY}, 16}, kAccent, 1.5);

    // The flaps lever: up or down while held, else in the middle.
    const RectF flaps = mface::Flaps();
    const double fx = (flaps.left + flaps.right) / 2, fy = (flaps.top + flaps.bottom) / 2;
    const int lever = held_.part == Part::Flaps ? (held_.index == 0 ? 1 : -1) : multi::FlapsAt(view_.positions);
    c.Text({flaps.left - 10, 36, flaps.right + 10, 50}, "FLAPS", 9.5, true, kPrintDim);
    c.Text({flaps.left, flaps.top + 2, flaps.right, flaps.top + 16}, "UP", 10, true, lever > 0 ? kAccent : kPrint);
    c.Text({flaps.left, flaps.bottom - 16, flaps.right, flaps.bottom - 2}, "DN", 10, true,
           lever < 0 ? kAccent : kPrint);
    c.RoundRect({fx - 5, flaps.top + 22, fx + 5, flaps.bottom - 22}, 4, kSlot, RGB(62, 65, 71), 1);
    const double handleY = fy - lever * 30.0;
    c.RoundRect({fx - 19, handleY - 7 + 2, fx + 21, handleY + 7 + 2}, 5, RGB(8, 8, 10), RGB(8, 8, 10), 0);
    c.RoundRect({fx - 20, handleY - 7, fx + 20, handleY + 7}, 5, kMetal, kMetalDark, 1);
    c.Line({fx - 14, handleY}, {fx + 14, handleY}, 1.2, kMetalDark);
    if (Hovered(hover_, Part::Flaps))
        c.Ring({{fx, hover_.index == 0 ? flaps.top + 9 : flaps.bottom - 9}, 12}, kAccent, 1.2);
}

void MultiPanelWindow::DrawTrimWheel(const Canvas& c) const {
    const RectF wheel = mface::TrimWheel();
    c.Text({wheel.left - 30, 36, wheel.right + 30, 50}, "PITCH TRIM", 9.5, true, kPrintDim);
    c.Text({wheel.left - 24, wheel.top, wheel.left - 4, wheel.top + 14}, "UP", 9.5, true,
           Hovered(hover_, Part::Trim, 0) ? kAccent : kPrint);
    c.Text({wheel.left - 24, wheel.bottom - 14, wheel.left - 4, wheel.bottom}, "DN", 9.5, true,
           Hovered(hover_, Part::Trim, 1) ? kAccent : kPrint);
    if (Hovered(hover_, Part::Trim)) c.RoundRect(Grown(wheel, 6), 8, kPlate, kAccent, 1.5);
    c.RoundRect(Grown(wheel, 3), 6, kSlot, RGB(62, 65, 71), 1);
    // The rim seen edge on: bands lighter towards the middle like a cylinder, ridges that
    // run up as it trims up.
    const double height = wheel.Height();
    constexpr int kBands = 24;
    for (int i = 0; i < kBands; ++i) {
        const double y0 = wheel.top + height * i / kBands, y1 = wheel.top + height * (i + 1) / kBands;
        const double middle = std::abs((y0 + y1) / 2 - (wheel.top + wheel.bottom) / 2) / (height / 2);
        c.Fill({wheel.left + 2, y0, wheel.right - 2, y1 + 0.5},
               Canvas::Mix(RGB(96, 100, 108), RGB(22, 23, 26), middle * middle));
    }
    constexpr double kPitch = 9;
    const double shift = std::fmod(static_cast<double>(multi::TrimNotches(view_.pulses)) * kPitch / 3, kPitch);
    for (double y = wheel.top + kPitch - (shift < 0 ? shift + kPitch : shift); y < wheel.bottom - 1; y += kPitch) {
        const double middle = std::abs(y - (wheel.top + wheel.bottom) / 2) / (height / 2);
        c.Line({wheel.left + 5, y}, {wheel.right - 5, y}, 2.2 * (1 - 0.6 * middle),
               Canvas::Mix(RGB(18, 18, 20), RGB(40, 41, 45), middle));
    }
}

} // namespace orvex::virtualpanels
