#include "tools/virtualpanels/radio_window_win32.h"

#include "common/win32/handles.h"
#include "tools/virtualpanels/pixels.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace orvex::virtualpanels {

namespace {

using win32::SelectGuard;
using win32::UniqueGdi;

constexpr const char* kClassName = "OrvexVirtualRadioPanel";
constexpr UINT kChangedMessage = WM_APP + 1;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The face is drawn this many times larger and shrunk, for smooth edges.
constexpr int kSupersample = 3;

struct DcTraits {
    using value_type = HDC;
    static value_type invalid() noexcept { return nullptr; }
    static void close(value_type dc) noexcept { ::DeleteDC(dc); }
};
using UniqueDc = win32::UniqueResource<DcTraits>;

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

// A 32-bit top-down bitmap whose pixels the program can reach, selected into its own DC.
struct Surface {
    UniqueDc dc;
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

// Drawing in design units on a DC whose pixels are `scale` design units.
class Canvas {
public:
    Canvas(HDC dc, double scale) : dc_(dc), s_(scale) {}

    int X(double v) const { return static_cast<int>(std::lround(v * s_)); }
    POINT P(PointF p) const { return {X(p.x), X(p.y)}; }

    void Fill(const RectF& r, COLORREF colour) const {
        UniqueGdi brush(::CreateSolidBrush(colour));
        const RECT rc{X(r.left), X(r.top), X(r.right), X(r.bottom)};
        ::FillRect(dc_, &rc, static_cast<HBRUSH>(brush.get()));
    }

    void RoundRect(const RectF& r, double radius, COLORREF fill, COLORREF border, double borderWidth) const {
        UniqueGdi brush(::CreateSolidBrush(fill));
        UniqueGdi pen(Pen(border, borderWidth));
        SelectGuard b(dc_, brush.get());
        SelectGuard p(dc_, borderWidth > 0 ? pen.get() : ::GetStockObject(NULL_PEN));
        ::RoundRect(dc_, X(r.left), X(r.top), X(r.right), X(r.bottom), X(radius * 2), X(radius * 2));
    }

    void Disc(const CircleF& c, COLORREF fill) const {
        UniqueGdi brush(::CreateSolidBrush(fill));
        SelectGuard b(dc_, brush.get());
        SelectGuard p(dc_, ::GetStockObject(NULL_PEN));
        ::Ellipse(dc_, X(c.centre.x - c.radius), X(c.centre.y - c.radius), X(c.centre.x + c.radius) + 1,
                  X(c.centre.y + c.radius) + 1);
    }

    void Ring(const CircleF& c, COLORREF colour, double width) const {
        UniqueGdi pen(Pen(colour, width));
        SelectGuard b(dc_, ::GetStockObject(NULL_BRUSH));
        SelectGuard p(dc_, pen.get());
        ::Ellipse(dc_, X(c.centre.x - c.radius), X(c.centre.y - c.radius), X(c.centre.x + c.radius),
                  X(c.centre.y + c.radius));
    }

    template <size_t N>
    void Shape(const std::array<PointF, N>& points, COLORREF fill) const {
        POINT pts[N];
        for (size_t i = 0; i < N; ++i) pts[i] = P(points[i]);
        UniqueGdi brush(::CreateSolidBrush(fill));
        SelectGuard b(dc_, brush.get());
        SelectGuard p(dc_, ::GetStockObject(NULL_PEN));
        ::Polygon(dc_, pts, static_cast<int>(N));
    }

    void Line(PointF a, PointF b, double width, COLORREF colour) const {
        UniqueGdi pen(Pen(colour, width));
        SelectGuard p(dc_, pen.get());
        const POINT from = P(a), to = P(b);
        ::MoveToEx(dc_, from.x, from.y, nullptr);
        ::LineTo(dc_, to.x, to.y);
    }

    void Text(const RectF& r, const std::string& text, double height, bool bold, COLORREF colour,
              UINT format = DT_CENTER) const {
        UniqueGdi font(::CreateFontA(-X(height), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                     ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                     VARIABLE_PITCH | FF_SWISS, "Tahoma"));
        SelectGuard f(dc_, font.get());
        ::SetBkMode(dc_, TRANSPARENT);
        ::SetTextColor(dc_, colour);
        RECT rc{X(r.left), X(r.top), X(r.right), X(r.bottom)};
        ::DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), &rc,
                    format | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

    // A disc shaded as a dome lit from the upper left: rings from the rim
    // inwards, each lighter and a little further up and left.
    void Dome(const CircleF& c, COLORREF rim, COLORREF top, int steps = 14) const {
        for (int i = 0; i < steps; ++i) {
            const double f = static_cast<double>(i) / steps;
            const double r = c.radius * (1 - 0.55 * f);
            const PointF centre{c.centre.x - c.radius * 0.12 * f, c.centre.y - c.radius * 0.16 * f};
            Disc({centre, r}, Mix(rim, top, f));
        }
    }

    static COLORREF Mix(COLORREF a, COLORREF b, double f) {
        auto channel = [f](int x, int y) { return static_cast<BYTE>(std::lround(x + (y - x) * f)); };
        return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
                   channel(GetBValue(a), GetBValue(b)));
    }

private:
    HGDIOBJ Pen(COLORREF colour, double width) const {
        LOGBRUSH brush{BS_SOLID, colour, 0};
        return ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                              static_cast<DWORD>(std::max(1, X(width))), &brush, 0, nullptr);
    }

    HDC dc_;
    double s_;
};

// The face's colours.
constexpr COLORREF kBackground = RGB(16, 17, 20);
constexpr COLORREF kPlate = RGB(33, 35, 39);
constexpr COLORREF kPlateEdge = RGB(60, 63, 69);
constexpr COLORREF kPrint = RGB(192, 196, 203);     // lettering on the plate
constexpr COLORREF kPrintDim = RGB(128, 133, 141);
constexpr COLORREF kAccent = RGB(255, 138, 52);     // the chosen position, the ring under the mouse
constexpr COLORREF kGlass = RGB(20, 6, 4);
constexpr COLORREF kSegmentLit = RGB(255, 62, 26);
constexpr COLORREF kSegmentDark = RGB(38, 11, 7);  // unlit, faintly seen through the glass

void DrawDigit(const Canvas& c, const RectF& cell, const DisplayCell& digit) {
    const uint8_t lit = SegmentsOf(digit.glyph);
    for (int s = 0; s < 7; ++s) c.Shape(SegmentPolygon(cell, s), (lit >> s & 1) ? kSegmentLit : kSegmentDark);
    c.Disc(DecimalPoint(cell), digit.point ? kSegmentLit : kSegmentDark);
}

// A knurled knob turned `degrees`: ridges round the rim, a dome, a white mark.
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

} // namespace

RadioPanelWindow::RadioPanelWindow(Engine& engine, int device, int radioNumber)
    : engine_(engine), device_(device), number_(radioNumber) {}

RadioPanelWindow::~RadioPanelWindow() {
    target_ = nullptr;
    Destroy();  // while this class still handles its messages
}

SIZE RadioPanelWindow::OuterSize() {
    const UINT dpi = win32::WindowDpi(nullptr);
    RECT r{0, 0, static_cast<LONG>(std::ceil(face::kWidth * dpi / 96)),
           static_cast<LONG>(std::ceil(face::kHeight * dpi / 96))};
    ::AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    return {r.right - r.left, r.bottom - r.top};
}

bool RadioPanelWindow::Open(int x, int y, bool show) {
    const SIZE size = OuterSize();
    const std::string title = "Virtual Radio Panel " + std::to_string(number_);
    HICON icon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    if (!Create(kClassName, title.c_str(), kStyle, 0, x, y, size.cx, size.cy, nullptr, nullptr, 0, nullptr, icon))
        return false;
    scale_ = win32::WindowDpi(Handle()) / 96.0;
    // The client area exactly fits the face at this window's DPI.
    RECT r{0, 0, static_cast<LONG>(std::ceil(face::kWidth * scale_)),
           static_cast<LONG>(std::ceil(face::kHeight * scale_))};
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

void RadioPanelWindow::Notify() noexcept {
    if (notified_.exchange(true)) return;  // one message on its way is enough
    HWND hwnd = target_.load();
    if (!hwnd || !::PostMessageA(hwnd, kChangedMessage, 0, 0)) notified_ = false;
}

void RadioPanelWindow::Refresh() {
    auto view = engine_.View(device_);
    if (!view || *view == view_) return;
    for (int half = 0; half < 2; ++half)
        if (SelectorPosition(view->positions, half) == movingTo_[half]) movingTo_[half] = -1;
    if (view->feature != view_.feature) displays_ = DecodeRadioDisplays(view->feature);
    view_ = std::move(*view);
    ++redraws_;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

int RadioPanelWindow::SelectorAt(int half) const {
    // A move sent moments ago counts before the device has shown it, so
    // that quick clicks step on from each other. One the device never shows
    // (moved elsewhere meanwhile) is forgotten soon.
    constexpr uint64_t kTrustMs = 500;
    if (movingTo_[half] >= 0 && ::GetTickCount64() - movingSince_[half] < kTrustMs) return movingTo_[half];
    return SelectorPosition(view_.positions, half);
}

void RadioPanelWindow::Send(const RadioHit& hit, const std::string& command) {
    const int target = SelectorTarget(command);
    if (target >= 0) {
        movingTo_[hit.half] = target;
        movingSince_[hit.half] = ::GetTickCount64();
    }
    // A knob's turns queue behind each other, so that its pulse trains never mix.
    const bool knob = hit.part == RadioPart::InnerKnob || hit.part == RadioPart::OuterKnob;
    engine_.Submit(command, knob ? "knob" + std::to_string(KnobNumber(hit.half, hit.part == RadioPart::OuterKnob)) : "");
}

PointF RadioPanelWindow::ToFace(int x, int y) const { return {x / scale_, y / scale_}; }

void RadioPanelWindow::OnMouseDown(PointF point, bool left) {
    const RadioHit hit = HitTest(point);
    if (hit.part == RadioPart::Button) {
        if (!left || held_ >= 0) return;
        held_ = hit.half;
        ::SetCapture(Handle());
        Send(hit, ButtonCommand(device_, hit.half, true));
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    }
    if (auto command = ClickCommand(device_, hit, left, SelectorAt(hit.half))) Send(hit, *command);
}

void RadioPanelWindow::OnWheel(PointF point, int delta) {
    const RadioHit hit = HitTest(point);
    SetHover(hit);
    wheelRest_ += delta;
    const int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ %= WHEEL_DELTA;
    if (notches == 0) return;
    if (auto command = WheelCommand(device_, hit, notches, SelectorAt(hit.half))) Send(hit, *command);
}

void RadioPanelWindow::SetHover(const RadioHit& hit) {
    if (hit == hover_) return;
    hover_ = hit;
    wheelRest_ = 0;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void RadioPanelWindow::ReleaseHeld() {
    if (held_ < 0) return;
    const int half = held_;
    held_ = -1;  // first, as giving up the capture comes back here
    Send({RadioPart::Button, half, -1}, ButtonCommand(device_, half, false));
    if (::GetCapture() == Handle()) ::ReleaseCapture();
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT RadioPanelWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
        SetHover(HitTest(ToFace(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))));
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        SetHover({});
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorA(nullptr, hover_.part == RadioPart::None ? MAKEINTRESOURCEA(32512)    // IDC_ARROW
                                                                               : MAKEINTRESOURCEA(32649)));  // IDC_HAND
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        OnMouseDown(ToFace(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), message == WM_LBUTTONDOWN);
        return 0;
    case WM_LBUTTONUP: ReleaseHeld(); return 0;
    case WM_CAPTURECHANGED: ReleaseHeld(); return 0;
    case WM_MOUSEWHEEL: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};  // on the screen
        ::ScreenToClient(Handle(), &p);
        OnWheel(ToFace(p.x, p.y), GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    }
    case WM_DESTROY:
        ReleaseHeld();
        target_ = nullptr;
        return 0;
    default: break;
    }
    return Default(message, wParam, lParam);
}

void RadioPanelWindow::Paint() {
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

void RadioPanelWindow::Draw(HDC dc, double scale) const {
    const Canvas c(dc, scale);
    c.Fill({0, 0, face::kWidth + 1, face::kHeight + 1}, kBackground);
    c.RoundRect({5, 5, face::kWidth - 5, face::kHeight - 5}, 10, kPlate, kPlateEdge, 1);
    c.Line({16, 169}, {face::kWidth - 16, 169}, 1, RGB(48, 51, 56));

    c.Text({22, 11, 400, 29}, "PRO FLIGHT  RADIO PANEL", 11, true, kPrintDim, DT_LEFT);
    std::string state = "Virtual Radio Panel " + std::to_string(number_) + "   device " + std::to_string(device_);
    c.Text({380, 11, face::kWidth - 22, 29}, state, 10.5, false, kPrintDim, DT_RIGHT);
    if (!view_.present) c.Text({300, 11, 480, 29}, "UNPLUGGED", 11, true, RGB(230, 70, 50));

    for (int half = 0; half < 2; ++half) {
        const bool lower = half == 1;

        // The mode selector: a pointer knob among its seven positions.
        const int at = SelectorPosition(view_.positions, half);
        for (int i = 0; i < kSelectorPositions; ++i) {
            const bool chosen = i == at;
            const bool hovered = hover_.part == RadioPart::SelectorPosition && hover_.half == half &&
                                 hover_.position == i;
            c.Disc(face::PositionLamp(half, i), chosen ? kAccent : RGB(72, 75, 81));
            c.Text(face::PositionLabel(half, i), kSelectorLabels[i], 10.5, true,
                   chosen ? kAccent : hovered ? RGB(255, 255, 255) : kPrint);
        }
        const CircleF selector = face::SelectorKnob(half);
        DrawKnob(c, selector.centre, selector.radius, at >= 0 ? face::PositionAngle(at) : 0, 20, RGB(58, 61, 67),
                 RGB(104, 108, 116));
        if (at >= 0)
            c.Line(OnCircle(selector.centre, 4, face::PositionAngle(at)),
                   OnCircle(selector.centre, selector.radius - 3, face::PositionAngle(at)), 3.6, RGB(245, 245, 245));
        if (hover_.part == RadioPart::Selector && hover_.half == half)
            c.Ring({selector.centre, selector.radius + 3}, kAccent, 1.5);

        // Active and standby displays.
        for (int side = 0; side < 2; ++side) {
            const int display = half * 2 + side;
            const RectF w = face::DisplayWindow(display);
            c.Text({w.left, w.top - 17, w.right, w.top - 4}, side == 0 ? "ACTIVE" : "STANDBY", 9.5, true, kPrintDim);
            c.RoundRect({w.left - 3, w.top - 3, w.right + 3, w.bottom + 3}, 5, RGB(8, 8, 9), RGB(62, 65, 71), 1);
            c.Fill(w, kGlass);
            for (int i = 0; i < kDisplayDigits; ++i)
                DrawDigit(c, face::DigitCell(display, i),
                          displays_[static_cast<size_t>(display)][static_cast<size_t>(i)]);
        }

        // ACT/STBY: white, red while pressed.
        const CircleF button = face::Button(half);
        const bool pressed = held_ == half || (view_.positions & (lower ? 0x8000u : 0x4000u)) != 0;
        c.Text({button.centre.x - 32, button.centre.y - button.radius - 19, button.centre.x + 32,
                button.centre.y - button.radius - 6},
               "ACT/STBY", 9.5, true, kPrintDim);
        c.Disc({button.centre, button.radius + 4}, RGB(12, 12, 14));
        if (hover_.part == RadioPart::Button && hover_.half == half)
            c.Ring({button.centre, button.radius + 4.5}, kAccent, 1.5);
        if (pressed) {
            const CircleF pushed{{button.centre.x, button.centre.y + 1}, button.radius - 1.5};
            c.Dome(pushed, RGB(150, 28, 22), RGB(236, 80, 62));
        } else {
            c.Disc({{button.centre.x + 0.8, button.centre.y + 1.6}, button.radius}, RGB(6, 6, 7));
            c.Dome(button, RGB(168, 170, 174), RGB(250, 250, 250));
        }

        // The dual concentric knob; each ring's mark and ridges turn with its pulses.
        const PointF knob = face::KnobCentre(half);
        const double outerDegrees = KnobMarkDegrees(view_.pulses, KnobNumber(half, true));
        const double innerDegrees = KnobMarkDegrees(view_.pulses, KnobNumber(half, false));
        DrawKnob(c, knob, face::kOuterKnobRadius, outerDegrees, 40, RGB(52, 55, 60), RGB(84, 88, 95));
        c.Disc({knob, face::kInnerKnobRadius + 3}, RGB(14, 14, 16));
        DrawKnob(c, knob, face::kInnerKnobRadius, innerDegrees, 24, RGB(62, 65, 71), RGB(112, 116, 124));
        if (hover_.half == half && hover_.part == RadioPart::OuterKnob)
            c.Ring({knob, face::kOuterKnobRadius + 2.5}, kAccent, 1.5);
        if (hover_.half == half && hover_.part == RadioPart::InnerKnob)
            c.Ring({knob, face::kInnerKnobRadius + 1.5}, kAccent, 1.5);
    }

    c.Text(face::HelpLine(),
           "Wheel or click on a ring: turn that knob   \xB7   click a mode or the selector   \xB7   "
           "right click: back   \xB7   hold ACT/STBY",
           10, false, RGB(112, 117, 125));
}

} // namespace orvex::virtualpanels
