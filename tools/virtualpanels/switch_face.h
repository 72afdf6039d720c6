// The Switch Panel as the virtual panel window draws it, without any
// platform: what its three gear lamps show for a feature report, where each
// control sits on the face, which control a point falls on, and the control
// command each mouse action on it stands for (so that the window drives the
// panel exactly as the pipe does).
//
// Lengths are in design units: pixels at 96 DPI.
#pragma once

#include "tools/virtualpanels/radio_face.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvex::virtualpanels::switchpanel {

// --- the gear lamps -----------------------------------------------------------------------

inline constexpr int kLamps = 3;  // nose, left, right
inline constexpr const char* kLampNames[kLamps] = {"nose", "left", "right"};

enum class Lamp : uint8_t { Off, Green, Red, Both };
using Lamps = std::array<Lamp, kLamps>;

// The lamps of a feature report (byte 1: green 0x01 nose, 0x02 left, 0x04
// right; red 0x08, 0x10, 0x20). A report too short to hold them (none
// written yet) leaves every lamp off.
Lamps DecodeLamps(const std::vector<uint8_t>& report);
// "nose=green left=off right=red" ("both" for green and red together).
std::string LampsText(const Lamps& lamps);

// --- the controls' positions ------------------------------------------------------------

inline constexpr int kMagnetoPositions = 5;
inline constexpr const char* kMagnetoLabels[kMagnetoPositions] = {"OFF", "R", "L", "BOTH", "START"};
// The command names of the magneto positions ("selector <dev> magneto <name>").
inline constexpr const char* kMagnetoNames[kMagnetoPositions] = {"off", "r", "l", "both", "start"};

inline constexpr int kSwitches = 13;  // BAT to LANDING
inline constexpr const char* kSwitchLabels[kSwitches] = {"BAT",   "ALT",        "AVIONICS", "FUEL PUMP", "DE-ICE",
                                                         "PITOT HEAT", "COWL",  "PANEL",    "BEACON",    "NAV",
                                                         "STROBE", "TAXI",      "LANDING"};
// The command names of the switches ("switch <dev> <name> on|off").
inline constexpr const char* kSwitchNames[kSwitches] = {"bat",   "alt",   "avionics", "fuelpump", "deice",
                                                        "pitot", "cowl",  "panel",    "beacon",   "nav",
                                                        "strobe", "taxi", "landing"};

// The magneto position 0-4 held in the state word; -1 for none or more than one.
int MagnetoAt(uint32_t positions);
// The state word bit of switch 0-12.
uint32_t SwitchBit(int n);
// The gear lever: 1 up, -1 down, 0 neither (or both).
int GearAt(uint32_t positions);

// --- geometry ------------------------------------------------------------------------------

namespace face {

inline constexpr double kWidth = 900;
inline constexpr double kHeight = 300;

CircleF Magneto();
// The direction the magneto points at a position, degrees clockwise from up.
double MagnetoAngle(int position);
RectF MagnetoLabel(int position);
// A switch's caption, and its slot (the lever moves along it).
RectF SwitchCaption(int n);
RectF SwitchSlot(int n);
// The gear lever's slot, and the room round it that a click finds.
RectF GearSlot();
RectF Gear();
CircleF LampAt(int lamp);
RectF HelpLine();

} // namespace face

enum class Part { None, MagnetoPosition, Magneto, Switch, Gear };

struct Hit {
    Part part = Part::None;
    // MagnetoPosition: 0-4; Switch: 0-12; Gear: 0 the upper half, 1 the lower.
    int index = -1;
    bool operator==(const Hit&) const = default;
};

// The control under a point of the face.
Hit ControlAt(PointF point);

// --- what the controls do ------------------------------------------------------------------

// The control commands for device `device`; nullopt where the action does
// nothing (the magneto already at its stop, a point on no control).
// `positions` is the state word the device holds; `magnetoAt` where the
// magneto counts as standing (-1: nowhere).
//
// A click on a magneto label moves it there, on the knob one position on
// (`forward`) or back; a click on a switch flips it; on the gear lever it
// moves the lever to the other position (a click on the upper half: UP,
// on the lower: DOWN, when it stands between).
std::optional<std::string> ClickCommand(int device, const Hit& hit, bool forward, uint32_t positions, int magnetoAt);
// The wheel over the magneto or its labels moves it that many positions
// (`notches` > 0 towards START); over the lever, up or down.
std::optional<std::string> WheelCommand(int device, const Hit& hit, int notches, int magnetoAt);
// The magneto position a command moves to (-1: it moves none).
int MagnetoTarget(const std::string& command);

} // namespace orvex::virtualpanels::switchpanel
