// Driving a dialog in tests the way a user does: letting its messages run
// and choosing tabs with the mouse, so that the strips send their
// notifications.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

namespace orvex::testing {

inline void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// A tab chosen with the mouse.
inline void ClickTab(HWND tab, int index) {
    RECT r{};
    ASSERT_TRUE(::SendMessageA(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(tab, WM_LBUTTONUP, 0, at);
    PumpMessages();
    ASSERT_EQ(::SendMessageA(tab, TCM_GETCURSEL, 0, 0), index);
}

inline bool Visible(HWND h) { return h && ::IsWindowVisible(h); }

} // namespace orvex::testing
