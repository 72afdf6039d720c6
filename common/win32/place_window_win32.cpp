#include "common/win32/place_window_win32.h"

namespace orvex::win32 {

MonitorList EnumerateMonitors() {
    MonitorList list;
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof(info);
            if (::GetMonitorInfoA(monitor, &info)) {
                auto* l = reinterpret_cast<MonitorList*>(data);
                if (info.dwFlags & MONITORINFOF_PRIMARY) l->primary = l->monitors.size();
                l->monitors.push_back({info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&list));
    return list;
}

void PlaceWindow(HWND window, std::int32_t topTwips, std::int32_t leftTwips, const MonitorList& monitors) {
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    RECT probe{leftTwips / kTwipsPerPixel, topTwips / kTwipsPerPixel, leftTwips / kTwipsPerPixel + width,
               topTwips / kTwipsPerPixel + height};
    Rect nearest{};
    bool haveNearest = false;
    if (HMONITOR monitor = ::MonitorFromRect(&probe, MONITOR_DEFAULTTONEAREST)) {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (::GetMonitorInfoA(monitor, &info)) {
            nearest = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
            haveNearest = true;
        }
    }
    const Point at = orvex::PlaceWindow(monitors, topTwips, leftTwips, width, height, haveNearest ? &nearest : nullptr);
    ::SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowPositionTwips(HWND window, std::int32_t& topTwips, std::int32_t& leftTwips) {
    RECT r{};
    ::GetWindowRect(window, &r);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    // A minimised or maximised window: its normal position, which the system
    // gives in workspace coordinates; stored like every other position, in
    // screen coordinates.
    if ((::IsIconic(window) || ::IsZoomed(window)) && ::GetWindowPlacement(window, &placement)) {
        const RECT& n = placement.rcNormalPosition;
        Rect screen{n.left, n.top, n.right, n.bottom};
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (::GetMonitorInfoA(::MonitorFromRect(&n, MONITOR_DEFAULTTONEAREST), &info))
            screen = WorkspaceToScreen(screen, {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                                                info.rcMonitor.bottom},
                                       {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
        r = RECT{screen.left, screen.top, screen.right, screen.bottom};
    }
    topTwips = r.top * kTwipsPerPixel;
    leftTwips = r.left * kTwipsPerPixel;
}

} // namespace orvex::win32
