// A drawn BIP for one virtual device: its 24 annunciator tiles in three
// rows of eight, each lit green, red or yellow as the device's last tile
// report says (dark before any), as bright as its last brightness report
// makes the backlight. The BIP sends no input: the mouse does nothing here.
#pragma once

#include "tools/virtualpanels/bip_face.h"
#include "tools/virtualpanels/face_window_win32.h"

namespace orvex::virtualpanels {

class BipPanelWindow : public FaceWindow {
public:
    // `device` is the engine's device number; `bipNumber` counts the BIPs
    // from 1 for the title ("Virtual BIP Panel 1").
    BipPanelWindow(Engine& engine, int device, int bipNumber);
    ~BipPanelWindow() override;

    // Creates the window with its top left corner at (x, y) on the screen,
    // shown unless `show` is false.
    bool Open(int x, int y, bool show = true) override;
    // The outer size of the window, before it is opened.
    static SIZE OuterSize();

    // What the tiles show now, and the backlight level 0-100.
    const bip::Tiles& Shown() const noexcept { return tiles_; }
    int Brightness() const noexcept { return brightness_; }

    // The colour a tile is painted in at a backlight level: a dark tile is
    // unlit glass; a lit one fades towards it as the light goes down, but
    // stays faintly visible so that the window still tells what is lit.
    static COLORREF TilePaint(bip::Tile tile, int brightness);

protected:
    void OnView(const PanelView& next) override;
    void Draw(HDC dc, double scale) const override;
    bool OnHover(PointF) override { return false; }
    void OnMouseDown(PointF, bool) override {}
    void OnWheel(PointF, int) override {}

private:
    int number_;
    bip::Tiles tiles_{};
    int brightness_ = 100;
};

} // namespace orvex::virtualpanels
