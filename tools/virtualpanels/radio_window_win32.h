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

#include "common/win32/window.h"
#include "tools/virtualpanels/engine_win32.h"
#include "tools/virtualpanels/radio_face.h"

#include <atomic>

namespace orvex::virtualpanels {

class RadioPanelWindow : public win32::Window {
public:
    // `device` is the engine's device number; `radioNumber` counts the
    // Radio Panels from 1 for the title ("Virtual Radio Panel 1").
    RadioPanelWindow(Engine& engine, int device, int radioNumber);
    ~RadioPanelWindow() override;

    // Creates the window with its top left corner at (x, y) on the screen,
    // shown unless `show` is false.
    bool Open(int x, int y, bool show = true);
    // The outer size of the window, before it is opened.
    static SIZE OuterSize();

    int DeviceNumber() const noexcept { return device_; }
    // Any thread: the device changed. The window looks at it on its own
    // thread; changes that come faster than it looks are taken together.
    void Notify() noexcept;

    // What the displays show now, and how often a change of the device made
    // the window redraw.
    const RadioDisplays& Shown() const noexcept { return displays_; }
    uint64_t Redraws() const noexcept { return redraws_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Refresh();
    void Paint();
    void Draw(HDC dc, double scale) const;
    PointF ToFace(int x, int y) const;
    void OnMouseDown(PointF point, bool left);
    void OnWheel(PointF point, int delta);
    void SetHover(const RadioHit& hit);
    void ReleaseHeld();
    int SelectorAt(int half) const;
    void Send(const RadioHit& hit, const std::string& command);

    Engine& engine_;
    int device_;
    int number_;
    std::atomic<HWND> target_{nullptr};
    std::atomic<bool> notified_{false};
    PanelView view_;
    RadioDisplays displays_{};
    RadioHit hover_;
    int held_ = -1;                    // the half whose ACT/STBY the mouse holds
    int movingTo_[2] = {-1, -1};       // a selector position sent and not yet seen,
    uint64_t movingSince_[2] = {0, 0};  // since then (GetTickCount64)
    int wheelRest_ = 0;                // wheel movement short of a notch
    bool tracking_ = false;            // told when the mouse leaves
    double scale_ = 1;                 // client pixels per design unit
    uint64_t redraws_ = 0;
};

} // namespace orvex::virtualpanels
