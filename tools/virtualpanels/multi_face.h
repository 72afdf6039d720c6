// The Multi Panel as the virtual panel window draws it, without any
// platform: what its two display rows and eight button lamps show for a
// feature report, where each control sits on the face, which control a
// point falls on, and the control command each mouse action on it stands
// for (so that the window drives the panel exactly as the pipe does).
//
// Lengths are in design units: pixels at 96 DPI.
#pragma once

#include "tools/virtualpanels/radio_face.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvex::virtualpanels::multi {

// --- the displays and lamps ---------------------------------------------------------------

inline constexpr int kRows = 2;  // upper, lower
inline constexpr int kFeatureLength = 13;
inline constexpr int kButtons = 8;
// The lamp buttons left to right; button i's lamp is bit i of the lamp byte.
inline constexpr const char* kButtonLabels[kButtons] = {"AP", "HDG", "NAV", "IAS", "ALT", "VS", "APR", "REV"};

struct Displays {
    std::array<DisplayCells, kRows> rows{};
    uint8_t lamps = 0;
    bool operator==(const Displays&) const = default;
};

// One digit code: 0-9 a digit, 14 a minus sign, 10 and 15 dark (a space,
// a switched-off display); any other code '?'.
DisplayCell DecodeDigit(uint8_t code);
// The rows (bytes 1-5 and 6-10, leftmost digit first) and the lamp byte
// (byte 11) of a feature report. A report too short to hold them (none
// written yet) leaves every digit dark and every lamp off.
Displays Decode(const std::vector<uint8_t>& report);
// The lit lamps' names in panel order, separated by spaces ("AP HDG"); empty for none.
std::string LampsText(uint8_t lamps);
// "<upper>|<lower>|<lamps>": five places per row, a dark digit ' ' ("  270|     |HDG").
std::string DisplaysText(const Displays& displays);

// --- the controls' positions ------------------------------------------------------------

inline constexpr int kModes = 5;
inline constexpr const char* kModeLabels[kModes] = {"ALT", "VS", "IAS", "HDG", "CRS"};

// The mode 0-4 the selector holds in the state word; -1 when it holds none
// or more than one (raw input can leave it so).
int ModeAt(uint32_t positions);
// The state word bit of lamp button 0-7.
uint32_t ButtonBit(int button);
bool AutoThrottleArmed(uint32_t positions);
// The flaps lever: 1 up, -1 down, 0 in the middle (also with both bits set).
int FlapsAt(uint32_t positions);
// The turn of the knob's mark in degrees (0-360), 15 degrees a notch.
double KnobDegrees(const std::array<uint64_t, 24>& pulses);
// How far the trim wheel has turned: notches up less notches down.
int64_t TrimNotches(const std::array<uint64_t, 24>& pulses);

// --- geometry ------------------------------------------------------------------------------

namespace face {

inline constexpr double kWidth = 900;
inline constexpr double kHeight = 300;

CircleF Selector();
// The direction the selector points at a mode, degrees clockwise from up
// (ALT straight up, the others round to the left).
double ModeAngle(int mode);
RectF ModeLabel(int mode);
CircleF ModeLamp(int mode);
// The glass of both rows, one row, the row's mode label and its digits.
RectF DisplayWindow();
RectF RowLabel(int row);
RectF DigitCell(int row, int digit);
CircleF Knob();
RectF Button(int button);
// The auto-throttle switch, the flaps lever and the trim wheel, each with
// the room round it that a click finds.
RectF AutoThrottle();
RectF Flaps();
RectF TrimWheel();
RectF HelpLine();

} // namespace face

enum class Part { None, ModePosition, Selector, Knob, Button, AutoThrottle, Flaps, Trim };

struct Hit {
    Part part = Part::None;
    // ModePosition: the mode 0-4; Button: 0-7; Knob: 0 the left half, 1 the
    // right; Flaps and Trim: 0 the upper half, 1 the lower.
    int index = -1;
    bool operator==(const Hit&) const = default;
};

// The control under a point of the face.
Hit ControlAt(PointF point);

// --- what the controls do ------------------------------------------------------------------

// How fast the mouse wheel turns the knob and the trim wheel.
inline constexpr int kWheelNotchesPerSecond = 20;

// The control commands for device `device`; nullopt where the action does
// nothing (the selector already at its stop, a point on no control).
// `modeAt` is where the selector stands (-1: nowhere).
//
// Wheel: `notches` > 0 up. Over the knob it turns it (up: clockwise), over
// the trim wheel it trims (up: TrimUp), over the selector or its labels it
// moves the selector that many modes on (ALT towards CRS).
std::optional<std::string> WheelCommand(int device, const Hit& hit, int notches, int modeAt);
// A click: on a mode label the selector moves there, on the selector one
// mode on (`forward`) or back; on the knob one notch, clockwise on its
// right half and counter-clockwise on its left (a right click: always
// counter-clockwise); on the trim wheel one notch up on its upper half,
// down on its lower; on the auto-throttle switch it flips to the other of
// ARM and OFF (`armed` says where it is).
std::optional<std::string> ClickCommand(int device, const Hit& hit, bool forward, int modeAt, bool armed);
// The controls held while the mouse button is down: a lamp button pressed,
// the flaps lever up or down; let go, the button comes up and the lever
// springs back to the middle. nullopt for any other control.
std::optional<std::string> HoldCommand(int device, const Hit& hit, bool press);
// The mode a command from WheelCommand or ClickCommand moves the selector
// to (-1: it moves none).
int ModeTarget(const std::string& command);

} // namespace orvex::virtualpanels::multi
