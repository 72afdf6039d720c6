// Where a window goes on screen: at its stored position when that still
// overlaps a monitor, else centred on a monitor. Positions are stored in
// twips, at a fixed 15 twips per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex {

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline constexpr std::int32_t kTwipsPerPixel = 15;

// The monitors of the desktop (their work areas, in screen coordinates), in
// enumeration order, and their union.
struct MonitorList {
    std::vector<Rect> monitors;
    // The index of the primary monitor (where a first start is centred).
    std::size_t primary = 0;
    Rect Union() const;
    // The primary monitor's work area (a 1024 x 768 screen when there is none).
    Rect Primary() const;
    // The monitor nearest to a rectangle (the one it overlaps most, else the
    // closest), as the platform's nearest-monitor lookup picks it.
    const Rect* Nearest(const Rect& r) const;
};

// True when the two rectangles share some area.
bool Overlaps(const Rect& a, const Rect& b);
// A rectangle of `width` x `height` centred on `on`.
struct Point {
    std::int32_t x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
Point CentreOn(const Rect& on, std::int32_t width, std::int32_t height);

// The top-left pixel position for a window of `width` x `height` pixels
// stored at `topTwips`, `leftTwips`. `nearest` is the monitor the platform
// finds nearest to the stored rectangle (nullptr: use the first monitor).
// Top and left both 0 mean "never stored": centre on the primary monitor.
// Positions are screen coordinates, stored and restored alike.
Point PlaceWindow(const MonitorList& monitors, std::int32_t topTwips, std::int32_t leftTwips, std::int32_t width,
                  std::int32_t height, const Rect* nearest);

// The screen rectangle of a window's normal position given in workspace
// coordinates (the system's normal-placement record), which start at the
// top-left of the monitor's work area: with a taskbar at the top or left
// they differ from screen coordinates by its thickness.
Rect WorkspaceToScreen(const Rect& workspace, const Rect& monitorArea, const Rect& workArea);

} // namespace orvex
