// A drawn Radio Panel for one virtual device. Its displays show what the
// device's last feature report says; its selectors, knobs and buttons send
// input through the engine exactly as the control commands do.
//
// Mouse: the wheel over the inner or outer ring turns that knob one notch a
// step (a click turns it one notch, a right click one back); a click on a
// position label moves the selector there, on the selector knob one
// position on (right click: back), and the wheel over a selector moves it;
// ACT/STBY is pressed while the left button holds it.
#pragma once

#include "tools/virtualpanels/face_window_win32.h"
#include "tools/virtualpanels/radio_face.h"

namespace orvex::virtualpanels {

class RadioPanelWindow : public FaceWindow {
public:
    // `device` is the engine's device number; `radioNumber` counts the
    // Radio Panels from 1 for the title ("Virtual Radio Panel 1").
    RadioPanelWindow(Engine& engine, int device, int radioNumber);
    ~RadioPanelWindow() override;

    // Creates the window with its top left corner at (x, y) on the screen,
    // shown unless `show` is false.
    bool Open(int x, int y, bool show = true) override;
    // The outer size of the window, before it is opened.
    static SIZE OuterSize();

    // What the displays show now.
    const RadioDisplays& Shown() const noexcept { return displays_; }

protected:
    void OnView(const PanelView& next) override;
    void Draw(HDC dc, double scale) const override;
    bool OnHover(PointF point) override;
    void OnMouseDown(PointF point, bool left) override;
    void OnWheel(PointF point, int notches) override;
    void OnRelease() override;

private:
    int SelectorAt(int half) const;
    void Send(const RadioHit& hit, const std::string& command);

    int number_;
    RadioDisplays displays_{};
    RadioHit hover_;
    int held_ = -1;                 // the half whose ACT/STBY the mouse holds
    PendingPosition moving_[2];     // selector positions sent and not yet seen
};

} // namespace orvex::virtualpanels
