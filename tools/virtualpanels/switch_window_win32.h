// A drawn Switch Panel for one virtual device. Its gear lamps show what the
// device's last feature report says; its magneto selector, thirteen
// switches and gear lever send input through the engine exactly as the
// control commands do.
//
// Mouse: a click on a magneto label moves the selector there, on the knob
// one position on (right click: back), and the wheel over it moves it; a
// click on a switch flips it; a click on the gear lever moves it to the
// other position (the wheel: up or down).
#pragma once

#include "tools/virtualpanels/face_window_win32.h"
#include "tools/virtualpanels/switch_face.h"

namespace orvex::virtualpanels {

class SwitchPanelWindow : public FaceWindow {
public:
    // `device` is the engine's device number; `switchNumber` counts the
    // Switch Panels from 1 for the title ("Virtual Switch Panel 1").
    SwitchPanelWindow(Engine& engine, int device, int switchNumber);
    ~SwitchPanelWindow() override;

    // Creates the window with its top left corner at (x, y) on the screen,
    // shown unless `show` is false.
    bool Open(int x, int y, bool show = true) override;
    // The outer size of the window, before it is opened.
    static SIZE OuterSize();

    // What the gear lamps show now.
    const switchpanel::Lamps& Shown() const noexcept { return lamps_; }

protected:
    void OnView(const PanelView& next) override;
    void Draw(HDC dc, double scale) const override;
    bool OnHover(PointF point) override;
    void OnMouseDown(PointF point, bool left) override;
    void OnWheel(PointF point, int notches) override;

private:
    int MagnetoNow() const;
    void Send(const std::string& command);
    void DrawMagneto(const Canvas& c) const;
    void DrawSwitches(const Canvas& c) const;
    void DrawGear(const Canvas& c) const;

    int number_;
    switchpanel::Lamps lamps_{};
    switchpanel::Hit hover_;
    PendingPosition moving_;  // a magneto position sent and not yet seen
};

} // namespace orvex::virtualpanels
