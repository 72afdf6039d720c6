// A drawn Multi Panel for one virtual device. Its two display rows and
// eight button lamps show what the device's last feature report says; its
// mode selector, knob, lamp buttons, auto-throttle switch, flaps lever and
// trim wheel send input through the engine exactly as the control commands do.
//
// Mouse: the wheel over the knob turns it one notch a step (up: clockwise);
// a click on its right half turns it one notch clockwise, on its left half
// (or a right click) one back. A click on a mode label moves the selector
// there, on the selector one mode on (right click: back), and the wheel
// over it moves it. The wheel or a click on the upper / lower half of the
// trim wheel trims up / down. The lamp buttons are pressed while the left
// button holds them, the flaps lever is up or down while held and springs
// back to the middle; a click on the auto-throttle switch flips it.
#pragma once

#include "tools/virtualpanels/face_window_win32.h"
#include "tools/virtualpanels/multi_face.h"

namespace orvex::virtualpanels {

class MultiPanelWindow : public FaceWindow {
public:
    // `device` is the engine's device number; `multiNumber` counts the
    // Multi Panels from 1 for the title ("Virtual Multi Panel 1").
    MultiPanelWindow(Engine& engine, int device, int multiNumber);
    ~MultiPanelWindow() override;

    // Creates the window with its top left corner at (x, y) on the screen,
    // shown unless `show` is false.
    bool Open(int x, int y, bool show = true) override;
    // The outer size of the window, before it is opened.
    static SIZE OuterSize();

    // What the rows and lamps show now.
    const multi::Displays& Shown() const noexcept { return displays_; }

protected:
    void OnView(const PanelView& next) override;
    void Draw(HDC dc, double scale) const override;
    bool OnHover(PointF point) override;
    void OnMouseDown(PointF point, bool left) override;
    void OnWheel(PointF point, int notches) override;
    void OnRelease() override;

private:
    int ModeNow() const;
    bool ArmedNow() const;
    void Send(const multi::Hit& hit, const std::string& command);
    void DrawSelector(const Canvas& c) const;
    void DrawDisplays(const Canvas& c) const;
    void DrawButtons(const Canvas& c) const;
    void DrawLevers(const Canvas& c) const;
    void DrawTrimWheel(const Canvas& c) const;

    int number_;
    multi::Displays displays_{};
    multi::Hit hover_;
    multi::Hit held_;            // the lamp button or flaps lever the mouse holds
    PendingPosition moving_;     // a mode sent and not yet seen
    PendingPosition switching_;  // the auto-throttle switch: 1 ARM, 0 OFF
};

} // namespace orvex::virtualpanels
