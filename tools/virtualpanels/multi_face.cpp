#include "tools/virtualpanels/multi_face.h"

#include "tools/virtualpanels/panel_model.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace orvex::virtualpanels::multi {

namespace {

// The Multi Panel's bits, as its model knows them.
struct Bits {
    uint32_t modeMask = 0;
    uint32_t modes[kModes] = {};
    uint32_t buttons[kButtons] = {};
    uint32_t armed = 0;
    uint32_t flapsUp = 0, flapsDown = 0;
    Knob knob{}, trim{};
};

const Bits& BitsOfPanel() {
    static const Bits bits = [] {
        const PanelModel multi(PanelKind::Multi);
        Bits b;
        for (int i = 0; i < kModes; ++i)
            if (auto found = multi.FindSelectorPosition("mode", std::to_string(i + 1))) {
                b.modeMask = found->first;
                b.modes[i] = found->second;
            }
        for (int i = 0; i < kButtons; ++i) b.buttons[i] = multi.FindBit(kButtonLabels[i]).value_or(0);
        b.armed = multi.FindBit("at").value_or(0);
        b.flapsUp = multi.FindSelectorPosition("flaps", "up").value_or(std::pair<uint32_t, uint32_t>{}).second;
        b.flapsDown = multi.FindSelectorPosition("flaps", "down").value_or(std::pair<uint32_t, uint32_t>{}).second;
        b.knob = multi.FindKnob("knob").value_or(Knob{});
        b.trim = multi.FindKnob("trim").value_or(Knob{});
        return b;
    }();
    return bits;
}

std::string Lower(const char* text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower;
}

std::string Verb(const char* verb, int device) { return std::string(verb) + " " + std::to_string(device); }

std::optional<std::string> MoveMode(int device, int to, int from) {
    to = std::clamp(to, 0, kModes - 1);
    if (to == from) return std::nullopt;
    return Verb("mode", device) + " " + Lower(kModeLabels[to]);
}

std::string Turn(const char* verb, int device, int notches) {
    return Verb(verb, device) + " " + std::to_string(notches) + " " + std::to_string(kWheelNotchesPerSecond);
}

} // namespace

// --- the displays and lamps ---------------------------------------------------------------

DisplayCell DecodeDigit(uint8_t code) {
    if (code <= 9) return {static_cast<char>('0' + code), false};
    if (code == 14) return {'-', false};
    if (code == 10 || code == 15) return {' ', false};
    return {'?', false};
}

Displays Decode(const std::vector<uint8_t>& report) {
    Displays d;
    if (report.size() < 12) return d;
    for (int row = 0; row < kRows; ++row)
        for (int i = 0; i < kDisplayDigits; ++i)
            d.rows[static_cast<size_t>(row)][static_cast<size_t>(i)] =
                DecodeDigit(report[static_cast<size_t>(1 + row * kDisplayDigits + i)]);
    d.lamps = report[11];
    return d;
}

std::string LampsText(uint8_t lamps) {
    std::string text;
    for (int i = 0; i < kButtons; ++i)
        if (lamps >> i & 1) text += (text.empty() ? "" : " ") + std::string(kButtonLabels[i]);
    return text;
}

std::string DisplaysText(const Displays& d) {
    return DisplayText(d.rows[0]) + "|" + DisplayText(d.rows[1]) + "|" + LampsText(d.lamps);
}

// --- the controls' positions ------------------------------------------------------------

int ModeAt(uint32_t positions) {
    const Bits& b = BitsOfPanel();
    const uint32_t held = positions & b.modeMask;
    for (int i = 0; i < kModes; ++i)
        if (held == b.modes[i]) return i;
    return -1;
}

uint32_t ButtonBit(int button) { return button >= 0 && button < kButtons ? BitsOfPanel().buttons[button] : 0; }

bool AutoThrottleArmed(uint32_t positions) { return (positions & BitsOfPanel().armed) != 0; }

int FlapsAt(uint32_t positions) {
    const bool up = (positions & BitsOfPanel().flapsUp) != 0;
    const bool down = (positions & BitsOfPanel().flapsDown) != 0;
    return up == down ? 0 : up ? 1 : -1;
}

double KnobDegrees(const std::array<uint64_t, 24>& pulses) {
    const Knob& k = BitsOfPanel().knob;
    return PulseTurnDegrees(pulses, k.upBit, k.downBit, 15);
}

int64_t TrimNotches(const std::array<uint64_t, 24>& pulses) {
    const Knob& t = BitsOfPanel().trim;
    const auto count = [&](uint32_t bit) {
        return bit == 0 ? 0 : static_cast<int64_t>(pulses[static_cast<size_t>(std::countr_zero(bit) % 24)]);
    };
    return (count(t.upBit) - count(t.downBit)) / 2;
}

// --- geometry ------------------------------------------------------------------------------

namespace face {

namespace {

constexpr PointF kSelectorCentre{112, 112};
constexpr double kSelectorRadius = 24;
constexpr double kLabelRadius = 60;
constexpr double kLampRadius = 36;
constexpr double kLabelWidth = 36;
constexpr double kLabelHeight = 15;
constexpr double kModeAngles[kModes] = {0, -40, -75, -105, -150};
constexpr RectF kDisplay{190, 50, 470, 176};
constexpr double kRowCentre[kRows] = {82, 144};
constexpr double kDigitsLeft = 262;
constexpr double kDigitWidth = 30;
constexpr double kDigitHeight = 46;
constexpr double kDigitGap = 10;
constexpr CircleF kKnob{{560, 113}, 48};
constexpr double kButtonsLeft = 42;
constexpr double kButtonPitch = 68;
constexpr double kButtonWidth = 56;
constexpr double kButtonTop = 205, kButtonBottom = 239;

} // namespace

CircleF Selector() { return {kSelectorCentre, kSelectorRadius}; }

double ModeAngle(int mode) { return kModeAngles[std::clamp(mode, 0, kModes - 1)]; }

RectF ModeLabel(int mode) {
    const PointF c = OnCircle(kSelectorCentre, kLabelRadius, ModeAngle(mode));
    return {c.x - kLabelWidth / 2, c.y - kLabelHeight / 2, c.x + kLabelWidth / 2, c.y + kLabelHeight / 2};
}

CircleF ModeLamp(int mode) { return {OnCircle(kSelectorCentre, kLampRadius, ModeAngle(mode)), 2.4}; }

RectF DisplayWindow() { return kDisplay; }

RectF RowLabel(int row) {
    const double c = kRowCentre[row == 0 ? 0 : 1];
    return {kDisplay.left + 8, c - 12, kDigitsLeft - 6, c + 12};
}

RectF DigitCell(int row, int digit) {
    const double left = kDigitsLeft + digit * (kDigitWidth + kDigitGap);
    const double top = kRowCentre[row == 0 ? 0 : 1] - kDigitHeight / 2;
    return {left, top, left + kDigitWidth, top + kDigitHeight};
}

CircleF Knob() { return kKnob; }

RectF Button(int button) {
    const double left = kButtonsLeft + button * kButtonPitch;
    return {left, kButtonTop, left + kButtonWidth, kButtonBottom};
}

RectF AutoThrottle() { return {640, 56, 690, 176}; }
RectF Flaps() { return {725, 56, 775, 176}; }
RectF TrimWheel() { return {818, 58, 862, 250}; }
RectF HelpLine() { return {20, 272, kWidth - 20, 290}; }

} // namespace face

Hit ControlAt(PointF p) {
    auto distance = [&](PointF c) { return std::hypot(p.x - c.x, p.y - c.y); };
    auto half = [](const RectF& r, PointF q) { return q.y < (r.top + r.bottom) / 2 ? 0 : 1; };
    for (int i = 0; i < kModes; ++i) {
        RectF r = face::ModeLabel(i);
        r = {r.left - 2, r.top - 2, r.right + 2, r.bottom + 2};
        if (r.Contains(p)) return {Part::ModePosition, i};
    }
    if (distance(face::Selector().centre) <= face::Selector().radius + 6) return {Part::Selector, -1};
    const CircleF knob = face::Knob();
    if (distance(knob.centre) <= knob.radius + 2) return {Part::Knob, p.x < knob.centre.x ? 0 : 1};
    for (int i = 0; i < kButtons; ++i)
        if (face::Button(i).Contains(p)) return {Part::Button, i};
    if (face::AutoThrottle().Contains(p)) return {Part::AutoThrottle, -1};
    if (face::Flaps().Contains(p)) return {Part::Flaps, half(face::Flaps(), p)};
    RectF trim = face::TrimWheel();
    trim = {trim.left - 4, trim.top - 4, trim.right + 4, trim.bottom + 4};
    if (trim.Contains(p)) return {Part::Trim, half(trim, p)};
    return {};
}

// --- what the controls do ------------------------------------------------------------------

std::optional<std::string> WheelCommand(int device, const Hit& hit, int notches, int modeAt) {
    if (notches == 0) return std::nullopt;
    switch (hit.part) {
    case Part::Knob: return Turn("knob", device, notches);
    case Part::Trim: return Turn("trim", device, notches);
    case Part::Selector:
    case Part::ModePosition: return MoveMode(device, std::max(modeAt, 0) + notches, modeAt);
    default: return std::nullopt;
    }
}

std::optional<std::string> ClickCommand(int device, const Hit& hit, bool forward, int modeAt, bool armed) {
    switch (hit.part) {
    case Part::ModePosition: return MoveMode(device, hit.index, modeAt);
    case Part::Selector: return MoveMode(device, std::max(modeAt, 0) + (forward ? 1 : -1), modeAt);
    case Part::Knob: return Turn("knob", device, forward && hit.index == 1 ? 1 : -1);
    case Part::Trim: return Turn("trim", device, hit.index == 0 ? 1 : -1);
    case Part::AutoThrottle: return Verb("at", device) + (armed ? " off" : " arm");
    default: return std::nullopt;
    }
}

std::optional<std::string> HoldCommand(int device, const Hit& hit, bool press) {
    if (hit.part == Part::Button && hit.index >= 0 && hit.index < kButtons)
        return Verb(press ? "press" : "release", device) + " " + Lower(kButtonLabels[hit.index]);
    if (hit.part == Part::Flaps) return Verb("flaps", device) + (!press ? " mid" : hit.index == 0 ? " up" : " down");
    return std::nullopt;
}

int ModeTarget(const std::string& command) {
    if (command.rfind("mode ", 0) != 0) return -1;
    const std::string name = command.substr(command.rfind(' ') + 1);
    for (int i = 0; i < kModes; ++i)
        if (name == Lower(kModeLabels[i])) return i;
    return -1;
}

} // namespace orvex::virtualpanels::multi
