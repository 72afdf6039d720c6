#include "tools/virtualpanels/face_window_win32.h"

#include "common/win32/handles.h"
#include "tools/virtualpanels/pixels.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace orvex::virtualpanels {

namespace {

using win32::SelectGuard;
using win32::UniqueGdi;

constexpr UINT kChangedMessage = WM_APP + 1;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The face is drawn this many times larger and shrunk, for smooth edges.
constexpr int kSupersample = 3;

class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { ::BeginPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(hwnd_, &ps_); }
    HDC Dc() const { return ps_.hdc; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
};

// A 32-bit top-down bitmap whose pixels the program can reach, with a DC of its own.
struct Surface {
    win32::UniqueDc dc;
    UniqueGdi bitmap;
    uint32_t* pixels = nullptr;

    bool Make(HDC like, int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap.reset(::CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc.reset(::CreateCompatibleDC(like));
        pixels = static_cast<uint32_t*>(bits);
        return bitmap && dc && pixels;
    }
};

} // namespace

// --- Canvas ------------------------------------------------------------------------------

int Canvas::X(double v) const { return static_cast<int>(std::lround(v * s_)); }

void Canvas::Fill(const RectF& r, COLORREF colour) const {
    UniqueGdi brush(::CreateSolidBrush(colour));
    const RECT rc{X(r.left), X(r.top), X(r.right), X(r.bottom)};
    ::FillRect(dc_, &rc, static_cast<HBRUSH>(brush.get()));
}

void Canvas::RoundRect(const RectF& r, double radius, COLORREF fill, COLORREF border, double borderWidth) const {
    UniqueGdi brush(::CreateSolidBrush(fill));
    UniqueGdi pen(Pen(border, borderWidth));
    SelectGuard b(dc_, brush.get());
    SelectGuard p(dc_, borderWidth > 0 ? pen.get() : ::GetStockObject(NULL_PEN));
    ::RoundRect(dc_, X(r.left), X(r.top), X(r.right), X(r.bottom), X(radius * 2), X(radius * 2));
}

void Canvas::Disc(const CircleF& c, COLORREF fill) const {
    UniqueGdi brush(::CreateSolidBrush(fill));
    SelectGuard b(dc_, brush.get());
    SelectGuard p(dc_, ::GetStockObject(NULL_PEN));
    ::Ellipse(dc_, X(c.centre.x - c.radius), X(c.centre.y - c.radius), X(c.centre.x + c.radius) + 1,
              X(c.centre.y + c.radius) + 1);
}

void Canvas::Ring(const CircleF& c, COLORREF colour, double width) const {
    UniqueGdi pen(Pen(colour, width));
    SelectGuard b(dc_, ::GetStockObject(NULL_BRUSH));
    SelectGuard p(dc_, pen.get());
    ::Ellipse(dc_, X(c.centre.x - c.radius), X(c.centre.y - c.radius), X(c.centre.x + c.radius),
              X(c.centre.y + c.radius));
}

void Canvas::Polygon(const PointF* points, size_t count, COLORREF fill) const {
    constexpr size_t kMost = 16;
    POINT pts[kMost];
    count = std::min(count, kMost);
    for (size_t i = 0; i < count; ++i) pts[i] = P(points[i]);
    UniqueGdi brush(::CreateSolidBrush(fill));
    SelectGuard b(dc_, brush.get());
    SelectGuard p(dc_, ::GetStockObject(NULL_PEN));
    ::Polygon(dc_, pts, static_cast<int>(count));
}

void Canvas::Line(PointF a, PointF b, double width, COLORREF colour) const {
    UniqueGdi pen(Pen(colour, width));
    SelectGuard p(dc_, pen.get());
    const POINT from = P(a), to = P(b);
    ::MoveToEx(dc_, from.x, from.y, nullptr);
    ::LineTo(dc_, to.x, to.y);
}

void Canvas::Text(const RectF& r, const std::string& text, double height, bool bold, COLORREF colour,
                  UINT format) const {
    UniqueGdi font(::CreateFontA(-X(height), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS,
                                 "Tahoma"));
    SelectGuard f(dc_, font.get());
    ::SetBkMode(dc_, TRANSPARENT);
    ::SetTextColor(dc_, colour);
    RECT rc{X(r.left), X(r.top), X(r.right), X(r.bottom)};
    ::DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), &rc,
                format | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void Canvas::Dome(const CircleF& c, COLORREF rim, COLORREF top, int steps) const {
    for (int i = 0; i < steps; ++i) {
        const double f = static_cast<double>(i) / steps;
        const double r = c.radius * (1 - 0.55 * f);
        const PointF centre{c.centre.x - c.radius * 0.12 * f, c.centre.y - c.radius * 0.16 * f};
        Disc({centre, r}, Mix(rim, top, f));
    }
}

COLORREF Canvas::Mix(COLORREF a, COLORREF b, double f) {
    auto channel = [f](int x, int y) { return static_cast<BYTE>(std::lround(x + (y - x) * f)); };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

HGDIOBJ Canvas::Pen(COLORREF colour, double width) const {
    LOGBRUSH brush{BS_SOLID, colour, 0};
    return ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                          static_cast<DWORD>(std::max(1, X(width))), &brush, 0, nullptr);
}

// --- shared parts of the faces ------------------------------------------------------------

void DrawDigit(const Canvas& c, const RectF& cell, const DisplayCell& digit, bool withPoint) {
    using namespace colours;
    const uint8_t lit = SegmentsOf(digit.glyph);
    for (int s = 0; s < 7; ++s) c.Shape(SegmentPolygon(cell, s), (lit >> s & 1) ? kSegmentLit : kSegmentDark);
    if (withPoint) c.Disc(DecimalPoint(cell), digit.point ? kSegmentLit : kSegmentDark);
}

void DrawKnob(const Canvas& c, PointF centre, double radius, double degrees, int ridges, COLORREF rim,
              COLORREF top) {
    c.Disc({{centre.x + 1.2, centre.y + 2}, radius + 1}, RGB(8, 8, 10));  // shadow
    c.Disc({centre, radius}, Canvas::Mix(rim, RGB(0, 0, 0), 0.35));
    for (int i = 0; i < ridges; ++i) {
        const double a = degrees + 360.0 * i / ridges;
        c.Line(OnCircle(centre, radius - 5, a), OnCircle(centre, radius - 1.2, a), 1.7, rim);
    }
    c.Dome({centre, radius - 5.5}, rim, top);
    c.Line(OnCircle(centre, radius - 13, degrees), OnCircle(centre, radius - 6.5, degrees), 3, RGB(236, 236, 236));
}

void DrawPlate(const Canvas& c, double width, double height, const std::string& name, const std::string& state,
               bool present) {
    using namespace colours;
    c.Fill({0, 0, width + 1, height + 1}, kBackground);
    c.RoundRect({5, 5, width - 5, height - 5}, 10, kPlate, kPlateEdge, 1);
    c.Text({22, 11, width / 2, 29}, name, 11, true, kPrintDim, DT_LEFT);
    c.Text({width / 2, 11, width - 22, 29}, state, 10.5, false, kPrintDim, DT_RIGHT);
    if (!present) c.Text({width / 2 - 90, 11, width / 2 + 90, 29}, "UNPLUGGED", 11, true, kUnplugged);
}

// --- PendingPosition ----------------------------------------------------------------------

void PendingPosition::Sent(int position) {
    target_ = position;
    since_ = ::GetTickCount64();
}

void PendingPosition::Seen(int actual) {
    if (actual == target_) target_ = -1;
}

int PendingPosition::At(int actual) const {
    constexpr uint64_t kTrustMs = 500;
    return target_ >= 0 && ::GetTickCount64() - since_ < kTrustMs ? target_ : actual;
}

// --- FaceWindow ---------------------------------------------------------------------------

FaceWindow::FaceWindow(Engine& engine, int device, double width, double height)
    : engine_(engine), device_(device), width_(width), height_(height) {}

FaceWindow::~FaceWindow() { Close(); }

void FaceWindow::Close() {
    target_ = nullptr;
    Destroy();
}

SIZE FaceWindow::OuterSizeFor(double width, double height) {
    const UINT dpi = win32::WindowDpi(nullptr);
    RECT r{0, 0, static_cast<LONG>(std::ceil(width * dpi / 96)), static_cast<LONG>(std::ceil(height * dpi / 96))};
    ::AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    return {r.right - r.left, r.bottom - r.top};
}

bool FaceWindow::OpenFace(const char* className, const std::string& title, int x, int y, bool show) {
    const SIZE size = OuterSizeFor(width_, height_);
    HICON icon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    if (!Create(className, title.c_str(), kStyle, 0, x, y, size.cx, size.cy, nullptr, nullptr, 0, nullptr,
                icon))
        return false;
    scale_ = win32::WindowDpi(Handle()) / 96.0;
    // The client area exactly fits the face at this window's DPI.
    RECT r{0, 0, static_cast<LONG>(std::ceil(width_ * scale_)), static_cast<LONG>(std::ceil(height_ * scale_))};
    ::AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    ::SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    target_ = Handle();
    Refresh();
    if (show) {
        ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
        ::UpdateWindow(Handle());
    }
    return true;
}

void FaceWindow::Notify() noexcept {
    if (notified_.exchange(true)) return;  // one message on its way is enough
    HWND hwnd = target_.load();
    if (!hwnd || !::PostMessageA(hwnd, kChangedMessage, 0, 0)) notified_ = false;
}

void FaceWindow::Refresh() {
    auto view = engine_.View(device_);
    if (!view || *view == view_) return;
    OnView(*view);
    view_ = std::move(*view);
    ++redraws_;
    Redraw();
}

void FaceWindow::Redraw() const {
    if (Handle()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT FaceWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kChangedMessage:
        notified_ = false;
        Refresh();
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(); return 0;
    case WM_MOUSEMOVE:
        if (!tracking_) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
            tracking_ = ::TrackMouseEvent(&track) != FALSE;
        }
        overControl_ = OnHover(ToFace(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        overControl_ = OnHover({-1000, -1000});
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorA(nullptr, overControl_ ? MAKEINTRESOURCEA(32649)     // IDC_HAND
                                                            : MAKEINTRESOURCEA(32512)));  // IDC_ARROW
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        OnMouseDown(ToFace(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), message == WM_LBUTTONDOWN);
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: OnRelease(); return 0;
    case WM_MOUSEWHEEL: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};  // on the screen
        ::ScreenToClient(Handle(), &p);
        const PointF at = ToFace(p.x, p.y);
        overControl_ = OnHover(at);
        wheelRest_ += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = wheelRest_ / WHEEL_DELTA;
        wheelRest_ %= WHEEL_DELTA;
        if (notches != 0) OnWheel(at, notches);
        return 0;
    }
    case WM_DESTROY:
        OnRelease();
        target_ = nullptr;
        return 0;
    default: break;
    }
    return Default(message, wParam, lParam);
}

void FaceWindow::Paint() {
    PaintScope paint(Handle());
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int width = client.right, height = client.bottom;
    if (!paint.Dc() || width <= 0 || height <= 0) return;
    // Drawn large, shrunk into a second bitmap, copied in one step: smooth and without flicker.
    Surface large, small;
    if (large.Make(paint.Dc(), width * kSupersample, height * kSupersample) && small.Make(paint.Dc(), width, height)) {
        {
            SelectGuard select(large.dc.get(), large.bitmap.get());
            Draw(large.dc.get(), scale_ * kSupersample);
            ::GdiFlush();
        }
        ShrinkByAveraging(large.pixels, width * kSupersample, height * kSupersample, kSupersample, small.pixels);
        SelectGuard select(small.dc.get(), small.bitmap.get());
        ::BitBlt(paint.Dc(), 0, 0, width, height, small.dc.get(), 0, 0, SRCCOPY);
    } else {
        Draw(paint.Dc(), scale_);  // short of memory: plain, but drawn
    }
}

} // namespace orvex::virtualpanels
