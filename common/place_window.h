// Where a window goes on screen: at its stored position when that still
// overlaps a monitor, else centred on a monitor. Positions are stored in
// twips, at a fixed 15 twips per pixel.
#pragma once

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

// The monitors of the desktop, in enumeration order, and their union.
struct MonitorList {
    std::vector<Rect> monitors;
    Rect Union() const;
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
// Top and left both 0 mean "never stored": centre on the first monitor.
Point PlaceWindow(const MonitorList& monitors, std::int32_t topTwips, std::int32_t leftTwips, std::int32_t width,
                  std::int32_t height, const Rect* nearest);

} // namespace orvex
