#include "simlink/win32/wait_win32.h"

#include <windows.h>

namespace orvex::simlink {

void DoEvents() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
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
