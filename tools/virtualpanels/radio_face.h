// The Radio Panel as the virtual panel window draws it, without any
// platform: what its four displays show for a feature report, the shapes of
// the seven-segment digits, where each control sits on the face, which
// control a point falls on, and the control command each mouse action on it
// stands for (so that the window drives the panel exactly as the pipe does).
//
// Lengths are in design units: pixels at 96 DPI.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvex::virtualpanels {

// --- the displays ------------------------------------------------------------------------

// One digit of a display: glyph '0'-'9', ' ' (dark) or '?' (a code the
// panel has no digit for), and whether its decimal point is lit.
struct DisplayCell {
    char glyph = ' ';
    bool point = false;
    bool operator==(const DisplayCell&) const = default;
};

inline constexpr int kDisplayDigits = 5;
inline constexpr int kRadioDisplays = 4;  // upper active, upper standby, lower active, lower standby

using DisplayCells = std::array<DisplayCell, kDisplayDigits>;
using RadioDisplays = std::array<DisplayCells, kRadioDisplays>;

// One digit code: 0x00-0x09 a digit, 0xD0-0xD9 a digit with its point,
// 0xFF dark, 0xDF the point alone.
DisplayCell DecodeDigit(uint8_t code);
// The four displays of a radio feature report (report id first, then five
// codes per display, leftmost digit first). A report too short to hold them
// (none written yet) leaves every digit dark.
RadioDisplays DecodeRadioDisplays(const std::vector<uint8_t>& report);
// A display as text: each digit, then '.' where its point is lit; a dark
// digit is ' ' ("118.02", "  1.5", a lone point " ."). Always five digits.
std::string DisplayText(const DisplayCells& cells);
// The four texts joined with '|'.
std::string DisplaysText(const RadioDisplays& displays);

// The lit segments of a glyph: bit 0 top, 1 upper right, 2 lower right,
// 3 bottom, 4 lower left, 5 upper left, 6 middle.
uint8_t SegmentsOf(char glyph);

// --- geometry ------------------------------------------------------------------------------

struct PointF {
    double x = 0;
    double y = 0;
};

struct RectF {
    double left = 0, top = 0, right = 0, bottom = 0;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
    bool Contains(PointF p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

struct CircleF {
    PointF centre;
    double radius = 0;
};

// The outline of one segment (0-6 as in SegmentsOf) of a digit filling
// `cell`: a six-cornered bar with pointed ends, clockwise.
std::array<PointF, 6> SegmentPolygon(const RectF& cell, int segment);
// The decimal point of the digit in `cell`: right of its foot, in the gap
// before the next digit.
CircleF DecimalPoint(const RectF& cell);
// A point at `radius` from `centre`, `degrees` clockwise from straight up.
PointF OnCircle(PointF centre, double radius, double degrees);
// How far a knob's mark has turned (0-360 degrees), `degreesPerNotch` a
// notch of two pulses; `pulses` counts the pulses of each state word bit,
// `upBit` and `downBit` are the knob's clockwise and counter-clockwise bits.
double PulseTurnDegrees(const std::array<uint64_t, 24>& pulses, uint32_t upBit, uint32_t downBit,
                        double degreesPerNotch);

// The selector's positions, in turning order.
inline constexpr int kSelectorPositions = 7;
inline constexpr const char* kSelectorLabels[kSelectorPositions] = {"COM1", "COM2", "NAV1", "NAV2",
                                                                    "ADF",  "DME",  "XPDR"};

// Where everything sits. Half 0 is the upper row, 1 the lower; display
// 0-3 as in RadioDisplays.
namespace face {

inline constexpr double kWidth = 780;
inline constexpr double kHeight = 322;

double RowCentre(int half);
CircleF SelectorKnob(int half);
// The direction the selector points at a position, degrees clockwise from up.
double PositionAngle(int position);
// The label of a position, and the lamp on the dial beside the knob.
RectF PositionLabel(int half, int position);
CircleF PositionLamp(int half, int position);
RectF DisplayWindow(int display);
RectF DigitCell(int display, int digit);
CircleF Button(int half);
PointF KnobCentre(int half);
inline constexpr double kInnerKnobRadius = 25;
inline constexpr double kOuterKnobRadius = 44;
// The line of help under the rows.
RectF HelpLine();

} // namespace face

enum class RadioPart { None, SelectorPosition, Selector, InnerKnob, OuterKnob, Button };

struct RadioHit {
    RadioPart part = RadioPart::None;
    int half = 0;
    int position = -1;  // SelectorPosition: 0-6
    bool operator==(const RadioHit&) const = default;
};

// The control under a point of the face.
RadioHit HitTest(PointF point);

// --- what the controls do ------------------------------------------------------------------

// The position 0-6 a selector holds in the state word; -1 when it holds
// none or more than one (raw input can leave it so).
int SelectorPosition(uint32_t positions, int half);
// The knob number 0-3 of a ring.
inline int KnobNumber(int half, bool outer) { return half * 2 + (outer ? 1 : 0); }
// The turn of a knob's mark in degrees (0-360): 15 degrees a notch, a notch
// being two pulses; `pulses` counts the pulses of each state word bit.
double KnobMarkDegrees(const std::array<uint64_t, 24>& pulses, int knob);

// How fast the mouse wheel turns a knob.
inline constexpr int kWheelNotchesPerSecond = 20;

// The control commands for device `device`; nullopt where the action does
// nothing (a selector already at its stop, a point on no control).
// `selectorAt` is the position 0-6 of the selector of the hit's half (-1:
// none). Wheel: `notches` > 0 clockwise; over a ring it turns that knob,
// over a selector or its labels it moves the selector that many positions.
std::optional<std::string> WheelCommand(int device, const RadioHit& hit, int notches, int selectorAt);
// A click on a position label moves the selector there; on the selector
// knob it moves one position on (`forward`) or back; on a ring it turns
// that knob one notch clockwise (`forward`) or back.
std::optional<std::string> ClickCommand(int device, const RadioHit& hit, bool forward, int selectorAt);
// The selector position a command from WheelCommand or ClickCommand moves
// to (-1: it moves none).
int SelectorTarget(const std::string& command);
// The ACT/STBY button of a half pressed or released.
std::string ButtonCommand(int device, int half, bool press);

} // namespace orvex::virtualpanels
