#include "tools/virtualpanels/status_window_win32.h"

#include "common/win32/handles.h"

#include <string>
#include <vector>

namespace orvex::virtualpanels {

namespace {

using win32::SelectGuard;
using win32::UniqueGdi;

constexpr UINT_PTR kRefreshTimer = 1;
constexpr const char* kClassName = "OrvexVirtualPanelsStatus";

void Paint(HWND hwnd, WindowState& state) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    RECT client;
    ::GetClientRect(hwnd, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width > 0 && height > 0) {
        // Drawn off-screen first, so that a refresh never flickers.
        HDC memory = ::CreateCompatibleDC(dc);
        UniqueGdi bitmap(::CreateCompatibleBitmap(dc, width, height));
        {
            SelectGuard selectBitmap(memory, bitmap.get());
            SelectGuard selectFont(memory, ::GetStockObject(DEFAULT_GUI_FONT));
            ::FillRect(memory, &client, ::GetSysColorBrush(COLOR_WINDOW));
            ::SetBkMode(memory, TRANSPARENT);
            ::SetTextColor(memory, ::GetSysColor(COLOR_WINDOWTEXT));
            TEXTMETRICA tm{};
            ::GetTextMetricsA(memory, &tm);
            const int lineHeight = tm.tmHeight + tm.tmExternalLeading + 2;
            int y = 6;
            for (const auto& line : state.lines) {
                ::TextOutA(memory, 8, y, line.c_str(), static_cast<int>(line.size()));
                y += lineHeight;
            }
            ::BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        }
        ::DeleteDC(memory);
    }
    ::EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<WindowState*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        ::SetTimer(hwnd, kRefreshTimer, 200, nullptr);
        return 0;
    }
    case WM_TIMER:
        if (state && wParam == kRefreshTimer) {
            uint64_t version = 0;
            auto lines = state->engine->Snapshot(version);
            if (version != state->shownVersion) {
                state->shownVersion = version;
                state->lines = std::move(lines);
                ::InvalidateRect(hwnd, nullptr, FALSE);
            }
        }
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        if (state) {
            Paint(hwnd, *state);
            return 0;
        }
        break;
    case WM_DESTROY:
        ::KillTimer(hwnd, kRefreshTimer);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        ::PostQuitMessage(0);
        return 0;
    default: break;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

HWND CreateStatusWindow(Engine& engine, WindowState& state) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.lpszClassName = kClassName;
    ::RegisterClassExA(&wc);
    state.engine = &engine;
    const std::string title = "Virtual Panels - " + engine.Instance();
    HWND hwnd = ::CreateWindowExA(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  900, 420, nullptr, nullptr, instance, &state);
    if (!hwnd) return nullptr;
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ::UpdateWindow(hwnd);
    return hwnd;
}

} // namespace orvex::virtualpanels
