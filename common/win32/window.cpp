#include "common/win32/window.h"

#include <map>
#include <mutex>
#include <set>
#include <string>

namespace orvex::win32 {

Window::~Window() { Destroy(); }

void Window::Destroy() noexcept {
    if (HWND h = hwnd_) {
        ::DestroyWindow(h);  // WM_NCDESTROY clears hwnd_
        hwnd_ = nullptr;
    }
}

bool Window::Create(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, UINT classStyle, HBRUSH background, HICON icon) {
    static std::mutex mutex;
    static std::set<std::string> registered;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    {
        std::lock_guard lock(mutex);
        if (!registered.count(className)) {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof(wc);
            wc.style = classStyle;
            wc.lpfnWndProc = &Window::Procedure;
            wc.hInstance = instance;
            wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
            wc.hbrBackground = background;
            wc.lpszClassName = className;
            wc.hIcon = icon;
            wc.hIconSm = icon;
            if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
            registered.insert(className);
        }
    }
    HWND h = ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, idOrMenu, instance,
                               this);
    return h != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<Window*>(cs->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may leave a window procedure; the message gets the
        // system's default handling instead.
        result = ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

HFONT MessageFont(UINT dpi) {
    // One font per DPI, kept for the life of the process: windows on
    // monitors of different scaling hold theirs at the same time, and a
    // control whose font was deleted falls back to the System font.
    static std::mutex mutex;
    static std::map<UINT, UniqueGdi> fonts;
    std::lock_guard lock(mutex);
    UniqueGdi& font = fonts[dpi];
    if (!font) {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof(metrics);
        LOGFONTA lf{};
        if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
            lf = metrics.lfMessageFont;
            // The metrics are given at the system DPI; rescale them to `dpi`.
            HDC screen = ::GetDC(nullptr);
            const int systemDpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
            if (screen) ::ReleaseDC(nullptr, screen);
            lf.lfHeight = ::MulDiv(lf.lfHeight, static_cast<int>(dpi), systemDpi > 0 ? systemDpi : 96);
        } else {
            lf.lfHeight = -::MulDiv(9, static_cast<int>(dpi), 72);
            lstrcpynA(lf.lfFaceName, "Segoe UI", LF_FACESIZE);
        }
        font.reset(::CreateFontIndirectA(&lf));
    }
    return static_cast<HFONT>(font.get());
}

UniqueGdi MakeFixedFont(int pixelHeight, bool bold) {
    return UniqueGdi(::CreateFontA(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                   ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                   FIXED_PITCH | FF_MODERN, "Courier New"));
}

UINT WindowDpi(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpi && hwnd) {
        const UINT dpi = getDpi(hwnd);
        if (dpi) return dpi;
    }
    HDC dc = ::GetDC(hwnd);
    const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ::ReleaseDC(hwnd, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96u;
}

void ApplyFont(HWND window, HFONT font) {
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM f) -> BOOL {
            ::SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(f), FALSE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(font));
}

PaintBuffer::PaintBuffer(HWND hwnd) : hwnd_(hwnd) {
    ::BeginPaint(hwnd_, &ps_);
    ::GetClientRect(hwnd_, &client_);
    const int w = client_.right - client_.left;
    const int h = client_.bottom - client_.top;
    if (ps_.hdc && w > 0 && h > 0) {
        memory_ = ::CreateCompatibleDC(ps_.hdc);
        bitmap_.reset(::CreateCompatibleBitmap(ps_.hdc, w, h));
        if (memory_ && bitmap_) {
            oldBitmap_ = ::SelectObject(memory_, bitmap_.get());
        } else if (memory_) {
            ::DeleteDC(memory_);
            memory_ = nullptr;
        }
    }
}

PaintBuffer::~PaintBuffer() {
    if (memory_) {
        ::BitBlt(ps_.hdc, 0, 0, client_.right - client_.left, client_.bottom - client_.top, memory_, 0, 0, SRCCOPY);
        ::SelectObject(memory_, oldBitmap_);
        ::DeleteDC(memory_);
    }
    ::EndPaint(hwnd_, &ps_);
}

std::string WindowText(HWND hwnd) {
    const int n = ::GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
    const int got = ::GetWindowTextA(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

} // namespace orvex::win32
