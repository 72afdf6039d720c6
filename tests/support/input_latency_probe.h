// Measures how long a message posted to this thread from outside waits
// before it is handled: a thread posts a stamped message to a hidden window
// every few milliseconds, and the window notes the longest wait. This is the
// wait a key or a click of the user would have on the thread's windows.
#pragma once

#include "common/win32/handles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace orvex::test {

class InputLatencyProbe {
public:
    explicit InputLatencyProbe(DWORD periodMs = 10) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &InputLatencyProbe::Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "OrvexInputLatencyProbe";
        ::RegisterClassA(&wc);  // fails harmlessly when registered already
        window_.reset(::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        wc.hInstance, nullptr));
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        const HWND target = window_.get();
        poster_ = std::thread([this, target, periodMs] {
            while (!stop_.load()) {
                // One message at a time: the next is posted once this one
                // was handled, so a blocked thread does not pile them up.
                if (!pending_.exchange(true))
                    ::PostMessageA(target, kProbe, 0, static_cast<LPARAM>(NowUs()));
                ::Sleep(periodMs);
            }
        });
    }
    ~InputLatencyProbe() {
        stop_.store(true);
        poster_.join();
    }
    InputLatencyProbe(const InputLatencyProbe&) = delete;
    InputLatencyProbe& operator=(const InputLatencyProbe&) = delete;

    // The longest wait since the start or the last Reset, in ms.
    double MaxMs() const { return static_cast<double>(maxUs_) / 1000.0; }
    unsigned long long Handled() const { return handled_; }
    void Reset() {
        maxUs_ = 0;
        handled_ = 0;
    }

private:
    static constexpr UINT kProbe = WM_APP + 77;

    static long long NowUs() {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == kProbe) {
            auto* self = reinterpret_cast<InputLatencyProbe*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            if (self != nullptr) {
                self->maxUs_ = std::max(self->maxUs_, NowUs() - static_cast<long long>(lp));
                ++self->handled_;
                self->pending_.store(false);
            }
            return 0;
        }
        return ::DefWindowProcA(hwnd, msg, wp, lp);
    }

    orvex::win32::UniqueResource<orvex::win32::WindowTraits> window_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> pending_{false};
    long long maxUs_ = 0;
    unsigned long long handled_ = 0;
    std::thread poster_;
};

} // namespace orvex::test
