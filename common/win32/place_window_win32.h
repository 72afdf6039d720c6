// Window placement on the real desktop: the monitors, restoring a stored
// position (or centring), and reading a position back for storing.
#pragma once

#include "common/place_window.h"

#include <windows.h>

#include <cstdint>

namespace orvex::win32 {

// The monitors' work areas, in enumeration order, and which is the primary.
MonitorList EnumerateMonitors();
// Moves the window to its stored position (twips) when that still overlaps
// the nearest monitor, else centres it; top and left both 0 centre it on the
// primary monitor. Positions are in screen coordinates.
void PlaceWindow(HWND window, std::int32_t topTwips, std::int32_t leftTwips, const MonitorList& monitors);
// The window's position in twips and screen coordinates, for storing (the
// normal position when it is minimised or maximised).
void WindowPositionTwips(HWND window, std::int32_t& topTwips, std::int32_t& leftTwips);

} // namespace orvex::win32
