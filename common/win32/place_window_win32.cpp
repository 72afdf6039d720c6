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
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    RECT r{};
    // The normal position, also when the window is minimised.
    if (::GetWindowPlacement(window, &placement)) r = placement.rcNormalPosition;
    else ::GetWindowRect(window, &r);
    topTwips = r.top * kTwipsPerPixel;
    leftTwips = r.left * kTwipsPerPixel;
}

} // namespace orvex::win32
