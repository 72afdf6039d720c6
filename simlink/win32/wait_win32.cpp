#include "simlink/win32/wait_win32.h"

#include <windows.h>

namespace orvex::simlink {

namespace {
// A backstop for messages whose time stamps do not move on.
constexpr int kMaxMessagesPerPump = 1000;
} // namespace

void DoEvents() {
    // Runs what was pending when the pump began. A message stamped later was
    // not pending then: a timer whose handler outlasts its interval is due
    // again at once, and a handler may post to itself, so draining until the
    // queue is empty could go on for ever. The pump stops after the first such
    // message; the rest waits for the next pump or the message loop.
    const DWORD start = ::GetTickCount();
    MSG msg;
    for (int i = 0; i < kMaxMessagesPerPump && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        // Signed difference of the wrapping tick counts: later than the start.
        if (static_cast<LONG>(msg.time - start) > 0) return;
    }
}

uint32_t Win32WaitHost::TickCount() { return ::GetTickCount(); }
void Win32WaitHost::Sleep(uint32_t ms) { ::Sleep(ms); }
void Win32WaitHost::PumpMessages() { DoEvents(); }

bool WaitFor(int32_t durationMs, double stepMs, const bool* abortFlag) {
    Win32WaitHost host;
    return WaitFor(host, durationMs, stepMs, abortFlag);
}

} // namespace orvex::simlink
