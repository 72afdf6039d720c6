#include "tools/virtualpanels/radio_window_win32.h"

#include <string>

namespace orvex::virtualpanels {

using namespace colours;

RadioPanelWindow::RadioPanelWindow(Engine& engine, int device, int radioNumber)
    : FaceWindow(engine, device, face::kWidth, face::kHeight), number_(radioNumber) {}

RadioPanelWindow::~RadioPanelWindow() { Close(); }

SIZE RadioPanelWindow::OuterSize() { return OuterSizeFor(face::kWidth, face::kHeight); }

bool RadioPanelWindow::Open(int x, int y, bool show) {
    return OpenFace("OrvexVirtualRadioPanel", "Virtual Radio Panel " + std::to_string(number_), x, y, show);
}

void RadioPanelWindow::OnView(const PanelView& next) {
    for (int half = 0; half < 2; ++half) moving_[half].Seen(SelectorPosition(next.positions, half));
    if (next.feature != view_.feature) displays_ = DecodeRadioDisplays(next.feature);
}

int RadioPanelWindow::SelectorAt(int half) const { return moving_[half].At(SelectorPosition(view_.positions, half)); }

void RadioPanelWindow::Send(const RadioHit& hit, const std::string& command) {
    const int target = SelectorTarget(command);
    if (target >= 0) moving_[hit.half].Sent(target);
    // A knob's turns queue behind each other, so that its pulse trains never mix.
    const bool knob = hit.part == RadioPart::InnerKnob || hit.part == RadioPart::OuterKnob;
    engine_.Submit(command, knob ? "knob" + std::to_string(KnobNumber(hit.half, hit.part == RadioPart::OuterKnob)) : "");
}

void RadioPanelWindow::OnMouseDown(PointF point, bool left) {
    const RadioHit hit = HitTest(point);
    if (hit.part == RadioPart::Button) {
        if (!left || held_ >= 0) return;
        held_ = hit.half;
        ::SetCapture(Handle());
        Send(hit, ButtonCommand(device_, hit.half, true));
        Redraw();
        return;
    }
    if (auto command = ClickCommand(device_, hit, left, SelectorAt(hit.half))) Send(hit, *command);
}

void RadioPanelWindow::OnWheel(PointF point, int notches) {
    const RadioHit hit = HitTest(point);
    if (auto command = WheelCommand(device_, hit, notches, SelectorAt(hit.half))) Send(hit, *command);
}

bool RadioPanelWindow::OnHover(PointF point) {
    const RadioHit hit = HitTest(point);
    if (hit != hover_) {
        hover_ = hit;
        ResetWheel();
        Redraw();
    }
    return hit.part != RadioPart::None;
}

void RadioPanelWindow::OnRelease() {
    if (held_ < 0) return;
    const int half = held_;
    held_ = -1;  // first, as giving up the capture comes back here
    Send({RadioPart::Button, half, -1}, ButtonCommand(device_, half, false));
    if (::GetCapture() == Handle()) ::ReleaseCapture();
    Redraw();
}

void RadioPanelWindow::Draw(HDC dc, double scale) const {
    const Canvas c(dc, scale);
    DrawPlate(c, face::kWidth, face::kHeight, "PRO FLIGHT  RADIO PANEL",
              "Virtual Radio Panel " + std::to_string(number_) + "   device " + std::to_string(device_), view_.present);
    c.Line({16, 169}, {face::kWidth - 16, 169}, 1, RGB(48, 51, 56));

    for (int half = 0; half < 2; ++half) {
        const bool lower = half == 1;

        // The mode selector: a pointer knob among its seven positions.
        const int at = SelectorPosition(view_.positions, half);
        for (int i = 0; i < kSelectorPositions; ++i) {
            const bool chosen = i == at;
            const bool hovered = hover_.part == RadioPart::SelectorPosition && hover_.half == half &&
                                 hover_.position == i;
            c.Disc(face::PositionLamp(half, i), chosen ? kAccent : RGB(72, 75, 81));
            c.Text(face::PositionLabel(half, i), kSelectorLabels[i], 10.5, true,
                   chosen ? kAccent : hovered ? RGB(255, 255, 255) : kPrint);
        }
        const CircleF selector = face::SelectorKnob(half);
        DrawKnob(c, selector.centre, selector.radius, at >= 0 ? face::PositionAngle(at) : 0, 20, RGB(58, 61, 67),
                 RGB(104, 108, 116));
        if (at >= 0)
            c.Line(OnCircle(selector.centre, 4, face::PositionAngle(at)),
                   OnCircle(selector.centre, selector.radius - 3, face::PositionAngle(at)), 3.6, RGB(245, 245, 245));
        if (hover_.part == RadioPart::Selector && hover_.half == half)
            c.Ring({selector.centre, selector.radius + 3}, kAccent, 1.5);

        // Active and standby displays.
        for (int side = 0; side < 2; ++side) {
            const int display = half * 2 + side;
            const RectF w = face::DisplayWindow(display);
            c.Text({w.left, w.top - 17, w.right, w.top - 4}, side == 0 ? "ACTIVE" : "STANDBY", 9.5, true, kPrintDim);
            c.RoundRect({w.left - 3, w.top - 3, w.right + 3, w.bottom + 3}, 5, RGB(8, 8, 9), RGB(62, 65, 71), 1);
            c.Fill(w, kGlass);
            for (int i = 0; i < kDisplayDigits; ++i)
                DrawDigit(c, face::DigitCell(display, i),
                          displays_[static_cast<size_t>(display)][static_cast<size_t>(i)]);
        }

        // ACT/STBY: white, red while pressed.
        const CircleF button = face::Button(half);
        const bool pressed = held_ == half || (view_.positions & (lower ? 0x8000u : 0x4000u)) != 0;
        c.Text({button.centre.x - 32, button.centre.y - button.radius - 19, button.centre.x + 32,
                button.centre.y - button.radius - 6},
               "ACT/STBY", 9.5, true, kPrintDim);
        c.Disc({button.centre, button.radius + 4}, RGB(12, 12, 14));
        if (hover_.part == RadioPart::Button && hover_.half == half)
            c.Ring({button.centre, button.radius + 4.5}, kAccent, 1.5);
        if (pressed) {
            const CircleF pushed{{button.centre.x, button.centre.y + 1}, button.radius - 1.5};
            c.Dome(pushed, RGB(150, 28, 22), RGB(236, 80, 62));
        } else {
            c.Disc({{button.centre.x + 0.8, button.centre.y + 1.6}, button.radius}, RGB(6, 6, 7));
            c.Dome(button, RGB(168, 170, 174), RGB(250, 250, 250));
        }

        // The dual concentric knob; each ring's mark and ridges turn with its pulses.
        const PointF knob = face::KnobCentre(half);
        const double outerDegrees = KnobMarkDegrees(view_.pulses, KnobNumber(half, true));
        const double innerDegrees = KnobMarkDegrees(view_.pulses, KnobNumber(half, false));
        DrawKnob(c, knob, face::kOuterKnobRadius, outerDegrees, 40, RGB(52, 55, 60), RGB(84, 88, 95));
        c.Disc({knob, face::kInnerKnobRadius + 3}, RGB(14, 14, 16));
        DrawKnob(c, knob, face::kInnerKnobRadius, innerDegrees, 24, RGB(62, 65, 71), RGB(112, 116, 124));
        if (hover_.half == half && hover_.part == RadioPart::OuterKnob)
            c.Ring({knob, face::kOuterKnobRadius + 2.5}, kAccent, 1.5);
        if (hover_.half == half && hover_.part == RadioPart::InnerKnob)
            c.Ring({knob, face::kInnerKnobRadius + 1.5}, kAccent, 1.5);
    }

    c.Text(face::HelpLine(),
           "Wheel or click on a ring: turn that knob   \xB7   click a mode or the selector   \xB7   "
           "right click: back   \xB7   hold ACT/STBY",
           10, false, kHelp);
}

} // namespace orvex::virtualpanels
