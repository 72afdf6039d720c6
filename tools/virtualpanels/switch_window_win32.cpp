#include "tools/virtualpanels/switch_window_win32.h"

#include <string>

namespace orvex::virtualpanels {

using namespace colours;
using switchpanel::Hit;
using switchpanel::Lamp;
using switchpanel::Part;
namespace sface = switchpanel::face;

namespace {

constexpr COLORREF kSlot = RGB(10, 10, 12);
constexpr COLORREF kLeverOn = RGB(238, 238, 240);
constexpr COLORREF kLeverOff = RGB(120, 123, 129);

COLORREF LampColour(Lamp lamp) {
    switch (lamp) {
    case Lamp::Green: return RGB(48, 230, 80);
    case Lamp::Red: return RGB(240, 48, 36);
    case Lamp::Both: return RGB(255, 214, 40);
    case Lamp::Off: break;
    }
    return RGB(44, 46, 50);
}

bool Hovered(const Hit& hover, Part part, int index = -1) {
    return hover.part == part && (index < 0 || hover.index == index);
}

} // namespace

SwitchPanelWindow::SwitchPanelWindow(Engine& engine, int device, int switchNumber)
    : FaceWindow(engine, device, sface::kWidth, sface::kHeight), number_(switchNumber) {}

SwitchPanelWindow::~SwitchPanelWindow() { Close(); }

SIZE SwitchPanelWindow::OuterSize() { return OuterSizeFor(sface::kWidth, sface::kHeight); }

bool SwitchPanelWindow::Open(int x, int y, bool show) {
    return OpenFace("OrvexVirtualSwitchPanel", "Virtual Switch Panel " + std::to_string(number_), x, y, show);
}

void SwitchPanelWindow::OnView(const PanelView& next) {
    moving_.Seen(switchpanel::MagnetoAt(next.positions));
    if (next.feature != view_.feature) lamps_ = switchpanel::DecodeLamps(next.feature);
}

int SwitchPanelWindow::MagnetoNow() const { return moving_.At(switchpanel::MagnetoAt(view_.positions)); }

void SwitchPanelWindow::Send(const std::string& command) {
    const int target = switchpanel::MagnetoTarget(command);
    if (target >= 0) moving_.Sent(target);
    engine_.Submit(command, "");
}

void SwitchPanelWindow::OnMouseDown(PointF point, bool left) {
    const Hit hit = switchpanel::ControlAt(point);
    if (auto command = switchpanel::ClickCommand(device_, hit, left, view_.positions, MagnetoNow())) Send(*command);
}

void SwitchPanelWindow::OnWheel(PointF point, int notches) {
    const Hit hit = switchpanel::ControlAt(point);
    if (auto command = switchpanel::WheelCommand(device_, hit, notches, MagnetoNow())) Send(*command);
}

bool SwitchPanelWindow::OnHover(PointF point) {
    const Hit hit = switchpanel::ControlAt(point);
    if (hit != hover_) {
        hover_ = hit;
        ResetWheel();
        Redraw();
    }
    return hit.part != Part::None;
}

void SwitchPanelWindow::Draw(HDC dc, double scale) const {
    const Canvas c(dc, scale);
    DrawPlate(c, sface::kWidth, sface::kHeight, "PRO FLIGHT  SWITCH PANEL",
              "Virtual Switch Panel " + std::to_string(number_) + "   device " + std::to_string(device_),
              view_.present);
    DrawMagneto(c);
    DrawSwitches(c);
    DrawGear(c);
    c.Text(sface::HelpLine(),
           "Click a switch to flip it   \xB7   click a magneto position or the knob (right click: back)   \xB7   "
           "click or wheel the gear lever",
           10, false, kHelp);
}

void SwitchPanelWindow::DrawMagneto(const Canvas& c) const {
    const int at = switchpanel::MagnetoAt(view_.positions);
    for (int i = 0; i < switchpanel::kMagnetoPositions; ++i) {
        const bool chosen = i == at;
        c.Text(sface::MagnetoLabel(i), switchpanel::kMagnetoLabels[i], 11, true,
               chosen ? kAccent : Hovered(hover_, Part::MagnetoPosition, i) ? RGB(255, 255, 255) : kPrint);
    }
    const CircleF knob = sface::Magneto();
    c.Text({knob.centre.x - 60, knob.centre.y + knob.radius + 34, knob.centre.x + 60, knob.centre.y + knob.radius + 50},
           "MAGNETOS", 9.5, true, kPrintDim);
    DrawKnob(c, knob.centre, knob.radius, at >= 0 ? sface::MagnetoAngle(at) : 0, 24, RGB(58, 61, 67),
             RGB(104, 108, 116));
    if (at >= 0)
        c.Line(OnCircle(knob.centre, 6, sface::MagnetoAngle(at)),
               OnCircle(knob.centre, knob.radius - 4, sface::MagnetoAngle(at)), 4, RGB(245, 245, 245));
    if (Hovered(hover_, Part::Magneto)) c.Ring({knob.centre, knob.radius + 3}, kAccent, 1.5);
}

void SwitchPanelWindow::DrawSwitches(const Canvas& c) const {
    for (int n = 0; n < switchpanel::kSwitches; ++n) {
        const bool on = (view_.positions & switchpanel::SwitchBit(n)) != 0;
        c.Text(sface::SwitchCaption(n), switchpanel::kSwitchLabels[n], 9.5, true, on ? kAccent : kPrint);
        const RectF slot = sface::SwitchSlot(n);
        c.RoundRect(slot, 6, kSlot, Hovered(hover_, Part::Switch, n) ? kAccent : kPlateEdge, 1.2);
        // The lever stands up when on, down when off.
        const double x = (slot.left + slot.right) / 2;
        const double tip = on ? slot.top - 2 : slot.bottom + 2;
        const PointF base{x, (slot.top + slot.bottom) / 2};
        c.Line(base, {x, tip}, 9, on ? kLeverOn : kLeverOff);
        c.Dome({{x, tip}, 8}, RGB(70, 72, 78), on ? kLeverOn : kLeverOff, 8);
        c.Text({slot.left - 20, slot.bottom + 12, slot.right + 20, slot.bottom + 26}, on ? "ON" : "OFF", 8.5, false,
               kPrintDim);
    }
}

void SwitchPanelWindow::DrawGear(const Canvas& c) const {
    const RectF slot = sface::GearSlot();
    const double x = (slot.left + slot.right) / 2;
    c.Text({slot.left - 70, slot.top - 8, slot.left - 10, slot.top + 8}, "UP", 10, true, kPrint, DT_RIGHT);
    c.Text({slot.left - 70, slot.bottom - 8, slot.left - 10, slot.bottom + 8}, "DOWN", 10, true, kPrint, DT_RIGHT);
    c.RoundRect(slot, 6, kSlot, Hovered(hover_, Part::Gear) ? kAccent : kPlateEdge, 1.2);
    const int at = switchpanel::GearAt(view_.positions);
    const double y = at > 0 ? slot.top : at < 0 ? slot.bottom : (slot.top + slot.bottom) / 2;
    // The lever's handle is a wheel, as on the real panel.
    c.Disc({{x + 1, y + 2}, 18}, RGB(6, 6, 7));
    c.Dome({{x, y}, 17}, RGB(150, 152, 156), RGB(250, 250, 250));
    c.Ring({{x, y}, 10}, RGB(150, 152, 156), 2);

    for (int i = 0; i < switchpanel::kLamps; ++i) {
        const CircleF lamp = sface::LampAt(i);
        c.Disc({lamp.centre, lamp.radius + 3}, RGB(8, 8, 9));
        const COLORREF colour = LampColour(lamps_[static_cast<size_t>(i)]);
        if (lamps_[static_cast<size_t>(i)] == Lamp::Off) c.Disc(lamp, colour);
        else c.Dome(lamp, Canvas::Mix(colour, RGB(0, 0, 0), 0.35), Canvas::Mix(colour, RGB(255, 255, 255), 0.35));
        static constexpr const char* kShort[switchpanel::kLamps] = {"NOSE", "LEFT", "RIGHT"};
        c.Text({lamp.centre.x - 30, lamp.centre.y + lamp.radius + 5, lamp.centre.x + 30,
                lamp.centre.y + lamp.radius + 19},
               kShort[i], 8.5, true, kPrintDim);
    }
}

} // namespace orvex::virtualpanels
