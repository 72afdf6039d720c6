#include "common/place_window.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace orvex {

Rect MonitorList::Union() const {
    if (monitors.empty()) return {};
    Rect u = monitors.front();
    for (const Rect& m : monitors) {
        u.left = std::min(u.left, m.left);
        u.top = std::min(u.top, m.top);
        u.right = std::max(u.right, m.right);
        u.bottom = std::max(u.bottom, m.bottom);
    }
    return u;
}

Rect MonitorList::Primary() const {
    if (monitors.empty()) return Rect{0, 0, 1024, 768};
    return primary < monitors.size() ? monitors[primary] : monitors.front();
}

const Rect* MonitorList::Nearest(const Rect& r) const {
    const Rect* best = nullptr;
    std::int64_t bestArea = 0;
    for (const Rect& m : monitors) {
        const std::int64_t w = std::min(r.right, m.right) - std::max(r.left, m.left);
        const std::int64_t h = std::min(r.bottom, m.bottom) - std::max(r.top, m.top);
        if (w > 0 && h > 0 && w * h > bestArea) {
            bestArea = w * h;
            best = &m;
        }
    }
    if (best) return best;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (const Rect& m : monitors) {
        const std::int64_t dx = std::max<std::int64_t>({0, m.left - r.right, r.left - m.right});
        const std::int64_t dy = std::max<std::int64_t>({0, m.top - r.bottom, r.top - m.bottom});
        const std::int64_t d = dx * dx + dy * dy;
        if (d < bestDistance) {
            bestDistance = d;
            best = &m;
        }
    }
    return best;
}

bool Overlaps(const Rect& a, const Rect& b) {
    return a.left < b.right && a.top < b.bottom && a.right > b.left && a.bottom > b.top;
}

Point CentreOn(const Rect& on, std::int32_t width, std::int32_t height) {
    return {on.left + (on.Width() - width) / 2, on.top + (on.Height() - height) / 2};
}

Point PlaceWindow(const MonitorList& monitors, std::int32_t topTwips, std::int32_t leftTwips, std::int32_t width,
                  std::int32_t height, const Rect* nearest) {
    const Rect first = monitors.Primary();
    if (topTwips == 0 && leftTwips == 0) return CentreOn(first, width, height);
    const Point stored{leftTwips / kTwipsPerPixel, topTwips / kTwipsPerPixel};
    const Rect r{stored.x, stored.y, stored.x + width, stored.y + height};
    const Rect& monitor = nearest ? *nearest : first;
    if (Overlaps(r, monitor)) return stored;
    return CentreOn(monitor, width, height);
}

Rect WorkspaceToScreen(const Rect& workspace, const Rect& monitorArea, const Rect& workArea) {
    const std::int32_t dx = workArea.left - monitorArea.left;
    const std::int32_t dy = workArea.top - monitorArea.top;
    return {workspace.left + dx, workspace.top + dy, workspace.right + dx, workspace.bottom + dy};
}

} // namespace orvex
