#include "tools/virtualpanels/radio_face.h"

#include "tools/virtualpanels/panel_model.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cmath>
#include <numbers>

namespace orvex::virtualpanels {

// --- the displays ------------------------------------------------------------------------

DisplayCell DecodeDigit(uint8_t code) {
    if (code <= 0x09) return {static_cast<char>('0' + code), false};
    if (code >= 0xD0 && code <= 0xD9) return {static_cast<char>('0' + (code - 0xD0)), true};
    if (code == 0xFF) return {' ', false};
    if (code == 0xDF) return {' ', true};
    return {'?', false};
}

RadioDisplays DecodeRadioDisplays(const std::vector<uint8_t>& report) {
    RadioDisplays displays{};
    if (report.size() < 1 + kRadioDisplays * kDisplayDigits) return displays;
    for (int d = 0; d < kRadioDisplays; ++d)
        for (int i = 0; i < kDisplayDigits; ++i)
            displays[static_cast<size_t>(d)][static_cast<size_t>(i)] =
                DecodeDigit(report[static_cast<size_t>(1 + d * kDisplayDigits + i)]);
    return displays;
}

std::string DisplayText(const DisplayCells& cells) {
    std::string text;
    for (const DisplayCell& c : cells) {
        text += c.glyph;
        if (c.point) text += '.';
    }
    return text;
}

std::string DisplaysText(const RadioDisplays& displays) {
    std::string text;
    for (size_t d = 0; d < displays.size(); ++d) text += (d ? "|" : "") + DisplayText(displays[d]);
    return text;
}

uint8_t SegmentsOf(char glyph) {
    static constexpr uint8_t kDigits[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    if (glyph >= '0' && glyph <= '9') return kDigits[glyph - '0'];
    if (glyph == '?') return 0x53;  // top, upper right, middle, lower left
    if (glyph == '-') return 0x40;
    return 0;
}

// --- geometry ------------------------------------------------------------------------------

namespace {

constexpr double kSlant = 0.08;  // digits lean right like those of an LED display

double Thickness(const RectF& cell) { return cell.Width() * 0.18; }

PointF Lean(const RectF& cell, PointF p) {
    return {p.x + kSlant * ((cell.top + cell.bottom) / 2 - p.y), p.y};
}

} // namespace

std::array<PointF, 6> SegmentPolygon(const RectF& cell, int segment) {
    const double t = Thickness(cell);
    const double h = t / 2;
    const double gap = t * 0.2;
    const double middle = (cell.top + cell.bottom) / 2;
    auto horizontal = [&](double y) {
        const double x1 = cell.left + h + gap, x2 = cell.right - h - gap;
        return std::array<PointF, 6>{PointF{x1, y}, {x1 + h, y - h}, {x2 - h, y - h},
                                     {x2, y},       {x2 - h, y + h}, {x1 + h, y + h}};
    };
    auto vertical = [&](double x, double top, double bottom) {
        const double y1 = top + gap, y2 = bottom - gap;
        return std::array<PointF, 6>{PointF{x, y1}, {x + h, y1 + h}, {x + h, y2 - h},
                                     {x, y2},       {x - h, y2 - h}, {x - h, y1 + h}};
    };
    std::array<PointF, 6> points{};
    switch (segment) {
    case 0: points = horizontal(cell.top + h); break;
    case 1: points = vertical(cell.right - h, cell.top + h, middle); break;
    case 2: points = vertical(cell.right - h, middle, cell.bottom - h); break;
    case 3: points = horizontal(cell.bottom - h); break;
    case 4: points = vertical(cell.left + h, middle, cell.bottom - h); break;
    case 5: points = vertical(cell.left + h, cell.top + h, middle); break;
    default: points = horizontal(middle); break;
    }
    for (PointF& p : points) p = Lean(cell, p);
    return points;
}

CircleF DecimalPoint(const RectF& cell) {
    const double t = Thickness(cell);
    return {Lean(cell, {cell.right + t * 0.8, cell.bottom - t / 2}), t * 0.52};
}

PointF OnCircle(PointF centre, double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    return {centre.x + radius * std::sin(a), centre.y - radius * std::cos(a)};
}

double PulseTurnDegrees(const std::array<uint64_t, 24>& pulses, uint32_t upBit, uint32_t downBit,
                        double degreesPerNotch) {
    if (upBit == 0 || downBit == 0) return 0;
    const auto count = [&](uint32_t bit) {
        return static_cast<double>(pulses[static_cast<size_t>(std::countr_zero(bit) % 24)]);
    };
    const double degrees = std::fmod(std::trunc((count(upBit) - count(downBit)) / 2) * degreesPerNotch, 360);
    return degrees < 0 ? degrees + 360 : degrees;
}

namespace face {

namespace {

constexpr double kSelectorX = 92;
constexpr double kSelectorRadius = 22;
constexpr double kLabelRadius = 54;
constexpr double kLampRadius = 34;
constexpr double kLabelWidth = 38;
constexpr double kLabelHeight = 15;
constexpr double kDisplayLeft[kRadioDisplays] = {176, 436, 176, 436};
constexpr double kDisplayWidth = 184;
constexpr double kDisplayTop = -28;  // from the row's centre
constexpr double kDisplayHeight = 64;
constexpr double kDigitWidth = 28;
constexpr double kDigitHeight = 46;
constexpr double kDigitGap = 8;
constexpr double kButtonX = 396;
constexpr double kKnobX = 696;

} // namespace

double RowCentre(int half) { return half == 0 ? 104 : 234; }

CircleF SelectorKnob(int half) { return {{kSelectorX, RowCentre(half)}, kSelectorRadius}; }

double PositionAngle(int position) { return -135 + 45.0 * position; }

RectF PositionLabel(int half, int position) {
    const PointF c = OnCircle(SelectorKnob(half).centre, kLabelRadius, PositionAngle(position));
    return {c.x - kLabelWidth / 2, c.y - kLabelHeight / 2, c.x + kLabelWidth / 2, c.y + kLabelHeight / 2};
}

CircleF PositionLamp(int half, int position) {
    return {OnCircle(SelectorKnob(half).centre, kLampRadius, PositionAngle(position)), 2.4};
}

RectF DisplayWindow(int display) {
    const double top = RowCentre(display / 2) + kDisplayTop;
    const double left = kDisplayLeft[display];
    return {left, top, left + kDisplayWidth, top + kDisplayHeight};
}

RectF DigitCell(int display, int digit) {
    const RectF w = DisplayWindow(display);
    const double row = kDisplayDigits * kDigitWidth + (kDisplayDigits - 1) * kDigitGap;
    const double left = w.left + (w.Width() - row) / 2 + digit * (kDigitWidth + kDigitGap);
    const double top = w.top + (w.Height() - kDigitHeight) / 2;
    return {left, top, left + kDigitWidth, top + kDigitHeight};
}

CircleF Button(int half) { return {{kButtonX, RowCentre(half) + 4}, 15}; }

PointF KnobCentre(int half) { return {kKnobX, RowCentre(half)}; }

RectF HelpLine() { return {20, 296, kWidth - 20, 314}; }

} // namespace face

RadioHit HitTest(PointF p) {
    auto distance = [&](PointF c) { return std::hypot(p.x - c.x, p.y - c.y); };
    for (int half = 0; half < 2; ++half) {
        for (int i = 0; i < kSelectorPositions; ++i) {
            RectF r = face::PositionLabel(half, i);
            r = {r.left - 2, r.top - 2, r.right + 2, r.bottom + 2};
            if (r.Contains(p)) return {RadioPart::SelectorPosition, half, i};
        }
        const CircleF selector = face::SelectorKnob(half);
        if (distance(selector.centre) <= selector.radius + 6) return {RadioPart::Selector, half, -1};
        const CircleF button = face::Button(half);
        if (distance(button.centre) <= button.radius + 3) return {RadioPart::Button, half, -1};
        const double d = distance(face::KnobCentre(half));
        if (d <= face::kInnerKnobRadius) return {RadioPart::InnerKnob, half, -1};
        if (d <= face::kOuterKnobRadius + 2) return {RadioPart::OuterKnob, half, -1};
    }
    return {};
}

// --- what the controls do ------------------------------------------------------------------

namespace {

const char* kSelectorNames[2] = {"upper", "lower"};
const char* kKnobNames[4] = {"upper-inner", "upper-outer", "lower-inner", "lower-outer"};

// The radio panel's selector masks and position bits, as its model knows them.
struct SelectorBits {
    uint32_t mask = 0;
    uint32_t bits[kSelectorPositions] = {};
};

const SelectorBits& BitsOf(int half) {
    static const auto table = [] {
        const PanelModel radio(PanelKind::Radio);
        std::array<SelectorBits, 2> t{};
        for (int h = 0; h < 2; ++h)
            for (int i = 0; i < kSelectorPositions; ++i)
                if (auto found = radio.FindSelectorPosition(kSelectorNames[h], std::to_string(i + 1))) {
                    t[static_cast<size_t>(h)].mask = found->first;
                    t[static_cast<size_t>(h)].bits[i] = found->second;
                }
        return t;
    }();
    return table[half == 0 ? 0 : 1];
}

std::optional<std::string> MoveSelector(int device, int half, int to, int from) {
    to = std::clamp(to, 0, kSelectorPositions - 1);
    if (to == from) return std::nullopt;
    return "selector " + std::to_string(device) + " " + kSelectorNames[half] + " " + std::to_string(to + 1);
}

std::string Turn(int device, int knob, int notches) {
    return "turn " + std::to_string(device) + " " + kKnobNames[knob] + " " + std::to_string(notches) + " " +
           std::to_string(kWheelNotchesPerSecond);
}

} // namespace

int SelectorPosition(uint32_t positions, int half) {
    const SelectorBits& s = BitsOf(half);
    const uint32_t held = positions & s.mask;
    for (int i = 0; i < kSelectorPositions; ++i)
        if (held == s.bits[i]) return i;
    return -1;
}

double KnobMarkDegrees(const std::array<uint64_t, 24>& pulses, int knob) {
    static const auto knobs = [] {
        const PanelModel radio(PanelKind::Radio);
        std::array<Knob, 4> t{};
        for (int k = 0; k < 4; ++k) t[static_cast<size_t>(k)] = radio.FindKnob(std::to_string(k)).value_or(Knob{});
        return t;
    }();
    if (knob < 0 || knob > 3) return 0;
    const Knob& k = knobs[static_cast<size_t>(knob)];
    return PulseTurnDegrees(pulses, k.upBit, k.downBit, 15);
}

std::optional<std::string> WheelCommand(int device, const RadioHit& hit, int notches, int selectorAt) {
    if (notches == 0) return std::nullopt;
    switch (hit.part) {
    case RadioPart::InnerKnob:
    case RadioPart::OuterKnob:
        return Turn(device, KnobNumber(hit.half, hit.part == RadioPart::OuterKnob), notches);
    case RadioPart::Selector:
    case RadioPart::SelectorPosition:
        return MoveSelector(device, hit.half, std::max(selectorAt, 0) + notches, selectorAt);
    default: return std::nullopt;
    }
}

std::optional<std::string> ClickCommand(int device, const RadioHit& hit, bool forward, int selectorAt) {
    switch (hit.part) {
    case RadioPart::SelectorPosition: return MoveSelector(device, hit.half, hit.position, selectorAt);
    case RadioPart::Selector:
    case RadioPart::InnerKnob:
    case RadioPart::OuterKnob: return WheelCommand(device, hit, forward ? 1 : -1, selectorAt);
    default: return std::nullopt;
    }
}

int SelectorTarget(const std::string& command) {
    if (command.rfind("selector ", 0) != 0) return -1;
    const size_t space = command.rfind(' ');
    const int number = std::atoi(command.c_str() + space + 1);
    return number >= 1 && number <= kSelectorPositions ? number - 1 : -1;
}

std::string ButtonCommand(int device, int half, bool press) {
    return std::string(press ? "press " : "release ") + std::to_string(device) + (half == 0 ? " act1" : " act2");
}

} // namespace orvex::virtualpanels
