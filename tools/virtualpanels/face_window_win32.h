// What every drawn virtual panel window shares: drawing in design units
// (pixels at 96 DPI) with smooth edges, the seven-segment digits and knurled
// knobs, and a window base that follows one device of the engine, redraws
// when what it shows changes and hands mouse actions on the face to the
// panel's own window class.
#pragma once

#include "common/win32/window.h"
#include "tools/virtualpanels/engine_win32.h"
#include "tools/virtualpanels/radio_face.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace orvex::virtualpanels {

// Drawing in design units on a DC whose pixels are `scale` design units.
class Canvas {
public:
    Canvas(HDC dc, double scale) : dc_(dc), s_(scale) {}

    int X(double v) const;
    POINT P(PointF p) const { return {X(p.x), X(p.y)}; }

    void Fill(const RectF& r, COLORREF colour) const;
    void RoundRect(const RectF& r, double radius, COLORREF fill, COLORREF border, double borderWidth) const;
    void Disc(const CircleF& c, COLORREF fill) const;
    void Ring(const CircleF& c, COLORREF colour, double width) const;
    // A filled shape of at most 16 corners (more are dropped).
    void Polygon(const PointF* points, size_t count, COLORREF fill) const;
    template <size_t N>
    void Shape(const std::array<PointF, N>& points, COLORREF fill) const {
        Polygon(points.data(), N, fill);
    }
    void Line(PointF a, PointF b, double width, COLORREF colour) const;
    void Text(const RectF& r, const std::string& text, double height, bool bold, COLORREF colour,
              UINT format = DT_CENTER) const;
    // A disc shaded as a dome lit from the upper left: rings from the rim
    // inwards, each lighter and a little further up and left.
    void Dome(const CircleF& c, COLORREF rim, COLORREF top, int steps = 14) const;

    static COLORREF Mix(COLORREF a, COLORREF b, double f);

private:
    HGDIOBJ Pen(COLORREF colour, double width) const;

    HDC dc_;
    double s_;
};

// The faces' colours.
namespace colours {
inline constexpr COLORREF kBackground = RGB(16, 17, 20);
inline constexpr COLORREF kPlate = RGB(33, 35, 39);
inline constexpr COLORREF kPlateEdge = RGB(60, 63, 69);
inline constexpr COLORREF kPrint = RGB(192, 196, 203);  // lettering on the plate
inline constexpr COLORREF kPrintDim = RGB(128, 133, 141);
inline constexpr COLORREF kHelp = RGB(112, 117, 125);
inline constexpr COLORREF kAccent = RGB(255, 138, 52);  // the chosen position, the control under the mouse
inline constexpr COLORREF kGlass = RGB(20, 6, 4);
inline constexpr COLORREF kSegmentLit = RGB(255, 62, 26);
inline constexpr COLORREF kSegmentDark = RGB(38, 11, 7);  // unlit, faintly seen through the glass
inline constexpr COLORREF kUnplugged = RGB(230, 70, 50);
} // namespace colours

// One seven-segment digit filling `cell`, its point when `withPoint`.
void DrawDigit(const Canvas& c, const RectF& cell, const DisplayCell& digit, bool withPoint = true);
// A knurled knob turned `degrees`: ridges round the rim, a dome, a white mark.
void DrawKnob(const Canvas& c, PointF centre, double radius, double degrees, int ridges, COLORREF rim,
              COLORREF top);
// The plate of a face `width` x `height` with its name at the top left and
// `state` at the top right; "UNPLUGGED" over the middle when not `present`.
void DrawPlate(const Canvas& c, double width, double height, const std::string& name, const std::string& state,
               bool present);

// A selector position sent to the device and not yet seen back: quick
// clicks step on from it rather than from where the device still shows the
// selector. One the device never shows (moved elsewhere meanwhile) is
// forgotten after half a second.
class PendingPosition {
public:
    void Sent(int position);
    // The device now shows `actual`.
    void Seen(int actual);
    // Where the selector counts as standing.
    int At(int actual) const;

private:
    int target_ = -1;
    uint64_t since_ = 0;  // GetTickCount64
};

// A window showing one device's face. The face is `width` x `height`
// design units; the client area fits it exactly at the window's DPI.
class FaceWindow : public win32::Window {
public:
    FaceWindow(Engine& engine, int device, double width, double height);
    ~FaceWindow() override;

    // Creates the window with its top left corner at (x, y) on the screen,
    // shown unless `show` is false.
    virtual bool Open(int x, int y, bool show = true) = 0;
    // The outer size the window will have, before it is opened.
    SIZE PlannedSize() const { return OuterSizeFor(width_, height_); }

    int DeviceNumber() const noexcept { return device_; }
    // Any thread: the device changed. The window looks at it on its own
    // thread; changes that come faster than it looks are taken together.
    void Notify() noexcept;
    // How often a change of the device made the window redraw.
    uint64_t Redraws() const noexcept { return redraws_; }

protected:
    // The outer size of a window of a face `width` x `height`, before it is opened.
    static SIZE OuterSizeFor(double width, double height);
    // Creates the window (of class `className`, one per kind of face) with
    // its top left corner at (x, y) on the screen, shown unless `show` is false.
    bool OpenFace(const char* className, const std::string& title, int x, int y, bool show);
    // Derived destructors call this first, while their handlers still run.
    void Close();

    // The device shows `next` (not yet in view_, which holds what it showed before).
    virtual void OnView(const PanelView& next) = 0;
    virtual void Draw(HDC dc, double scale) const = 0;
    // The mouse is at `point`; true when over a control (a hand cursor).
    virtual bool OnHover(PointF point) = 0;
    virtual void OnMouseDown(PointF point, bool left) = 0;
    // Whole wheel notches (up: positive) at `point`.
    virtual void OnWheel(PointF point, int notches) = 0;
    // The left button went up or the capture went: let go what it held.
    virtual void OnRelease() {}

    // The wheel's rest short of a notch is dropped (the mouse moved to another control).
    void ResetWheel() noexcept { wheelRest_ = 0; }
    void Redraw() const;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    Engine& engine_;
    const int device_;
    PanelView view_;

private:
    void Refresh();
    void Paint();
    PointF ToFace(int x, int y) const { return {x / scale_, y / scale_}; }

    double width_, height_;
    std::atomic<HWND> target_{nullptr};
    std::atomic<bool> notified_{false};
    bool overControl_ = false;
    bool tracking_ = false;  // told when the mouse leaves
    int wheelRest_ = 0;      // wheel movement short of a notch
    double scale_ = 1;       // client pixels per design unit
    uint64_t redraws_ = 0;
};

} // namespace orvex::virtualpanels
