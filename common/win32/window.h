// A small base for the program's windows: one window procedure that hands
// every message to a member function of the C++ object behind the window,
// plus the helpers every window needs (the system's message font, DPI
// scaling, a double buffer for painting).
#pragma once

#include "common/win32/handles.h"

#include <windows.h>

#include <string>

namespace orvex::win32 {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Destroys the window if it still exists.
    virtual ~Window();

    HWND Handle() const noexcept { return hwnd_; }
    explicit operator bool() const noexcept { return hwnd_ != nullptr; }

    // Destroys the window now (WM_DESTROY reaches HandleMessage).
    void Destroy() noexcept;

protected:
    // Registers the class `className` on first use (a window class per C++
    // class) and creates the window. Sizes are in pixels. False on failure.
    bool Create(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y, int width,
                int height, HWND parent, HMENU idOrMenu = nullptr, UINT classStyle = CS_DBLCLKS,
                HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), HICON icon = nullptr);

    // Every message of the window. The default passes it to DefWindowProcA.
    // An exception thrown here is caught at the window procedure and the
    // message is passed to DefWindowProcA instead.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcA(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// The font the system uses for message boxes and dialogs ("Segoe UI" 9 pt on
// current systems), created once per DPI and kept for the process's life.
HFONT MessageFont(UINT dpi = 96);
// A fixed-pitch font of `pixelHeight`, bold when asked; owned by the caller.
UniqueGdi MakeFixedFont(int pixelHeight, bool bold = false);

// Sent to every child window after its top-level window moved to a monitor
// of another DPI (declared by the headers only for newer targets).
inline constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The window's DPI (96 when the system cannot tell).
UINT WindowDpi(HWND hwnd);
// Scales a length given at 96 DPI to `dpi`.
inline int Scale(int length, UINT dpi) { return ::MulDiv(length, static_cast<int>(dpi), 96); }

// Sets the message font on a child control and every control inside it.
void ApplyFont(HWND window, HFONT font);

// Paints into a memory bitmap and copies it to the window in one step, so
// that what is drawn never flickers. Use in WM_PAINT:
//   PaintBuffer paint(hwnd); draw on paint.Dc(); (copied when it ends)
class PaintBuffer {
public:
    explicit PaintBuffer(HWND hwnd);
    PaintBuffer(const PaintBuffer&) = delete;
    PaintBuffer& operator=(const PaintBuffer&) = delete;
    ~PaintBuffer();
    HDC Dc() const noexcept { return memory_ ? memory_ : ps_.hdc; }
    const RECT& Client() const noexcept { return client_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    RECT client_{};
    HDC memory_ = nullptr;
    UniqueGdi bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
};

// Window text as a std::string.
std::string WindowText(HWND hwnd);

} // namespace orvex::win32
