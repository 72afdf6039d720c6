#include "common/win32/panel_face.h"

#include "common/win32/window.h"

#include <commctrl.h>

#include <cmath>

namespace orvex::win32 {

POINT Polar(int cx, int cy, double degrees, double rx, double ry) {
    const double r = degrees * 3.14159265358979323846 / 180.0;
    return POINT{cx + static_cast<LONG>(std::lround(std::sin(r) * rx)),
                 cy - static_cast<LONG>(std::lround(std::cos(r) * ry))};
}

void FillSolid(HDC dc, const RECT& rc, COLORREF color) {
    UniqueGdi brush(::CreateSolidBrush(color));
    ::FillRect(dc, &rc, static_cast<HBRUSH>(brush.get()));
}

void Circle(HDC dc, int cx, int cy, int r, COLORREF fill, COLORREF edge, int width) {
    UniqueGdi brush(::CreateSolidBrush(fill));
    UniqueGdi pen(::CreatePen(PS_SOLID, width, edge));
    SelectGuard b(dc, brush.get());
    SelectGuard p(dc, pen.get());
    ::Ellipse(dc, cx - r, cy - r, cx + r + 1, cy + r + 1);
}

void Line(HDC dc, POINT from, POINT to, COLORREF color, int width) {
    UniqueGdi pen(::CreatePen(PS_SOLID, width, color));
    SelectGuard p(dc, pen.get());
    ::MoveToEx(dc, from.x, from.y, nullptr);
    ::LineTo(dc, to.x, to.y);
}

void RoundBox(HDC dc, const RECT& rc, int corner, COLORREF fill, COLORREF edge) {
    UniqueGdi brush(::CreateSolidBrush(fill));
    UniqueGdi pen(::CreatePen(PS_SOLID, 1, edge));
    SelectGuard b(dc, brush.get());
    SelectGuard p(dc, pen.get());
    ::RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, corner, corner);
}

void TextLine(HDC dc, const std::string& text, RECT rc, UINT format, COLORREF color) {
    ::SetTextColor(dc, color);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, format | DT_SINGLELINE | DT_NOPREFIX);
}

HWND CreateSetupButton(HWND panel, int id, const RECT& rc, UINT dpi, UniqueWindow& tooltip) {
    HWND button = ::CreateWindowExA(0, "BUTTON", "Setup", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                    rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, panel,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                    nullptr);
    if (!button) return nullptr;
    ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont(dpi)), FALSE);

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    tooltip.reset(::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, panel, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr));
    if (tooltip) {
        static char tip[] = "Click to open the setup form for this panel";
        TTTOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = panel;
        info.uId = reinterpret_cast<UINT_PTR>(button);
        info.lpszText = tip;
        ::SendMessageA(tooltip.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    return button;
}

} // namespace orvex::win32
