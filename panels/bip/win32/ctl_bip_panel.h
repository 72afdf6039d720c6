// The device control of one BIP (backlit information panel): it owns the
// panel's output handle and a Relaybox reader, composes the brightness and
// tile feature reports, and shows an on-screen copy of the 24 tiles with
// their legends as a child window. The BIP sends no input.
#pragma once

#include "panels/bip/bip_control.h"
#include "panels/bip/bip_tiles.h"
#include "panels/bip/win32/bip_tile_face.h"
#include "panels/common/win32/panel_control.h"
#include "simlink/sim_commands.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

namespace orvex::panels::bip {

// What the control raises: the user asks for the panel's setup dialog.
class IBIPPanelEvents {
public:
    virtual ~IBIPPanelEvents() = default;
    virtual void SetupRequest() = 0;
};

class ctlBIPPanel final : public PanelControl, public IBIPPanelControl {
public:
    ctlBIPPanel();
    // Darkens the tiles, stops and releases the reader, closes the device.
    ~ctlBIPPanel() override;

    // Creates the on-screen panel as a child of `parent` at (x, y) pixels,
    // at its fixed size. `events` and `waitHost` must outlive the control.
    bool Create(HWND parent, int panelIndex, IBIPPanelEvents& events, simlink::IWaitHost& waitHost, int x = 0,
                int y = 0);

    // 10905 x 2865 twips in pixels at `dpi`.
    static SIZE FixedSize(UINT dpi);

    // Creates and starts a reader of `path` in Relaybox, opens the path for
    // feature reports and fades the backlight in. False when the reader
    // cannot be had; the reason is then in ConnectError(). A device that
    // cannot be opened for output still connects (its tiles stay dark).
    bool Connect(const std::string& path);

    // IBIPPanelControl
    void SetTileLabel(int tile, const std::string& text) override;
    void TurnTile(int tile, std::int32_t colour) override;
    void TurnAllTiles(const std::array<std::int32_t, kTileCount>& colours) override;
    void TurnPanel(std::int32_t colour) override;
    std::int32_t TileColour(int tile) const override { return tiles_.TileColour(tile); }

    // The start-up light show: a green-yellow-red band runs across the
    // panel tile by tile, 50 ms a step; the panel is dark before and after.
    void Splash();

    // For tests.
    std::uint64_t TileReportsSent() const { return tileReportsSent_; }
    const TileReport& Report() const { return tiles_.Report(); }
    std::int32_t FillColour(int tile) const { return tiles_.FillColour(tile); }
    const win32::TileLegends& Legends() const { return legends_; }
    // The tile shape of an index in client pixels.
    RECT TileRect(int tile) const;

    // The backlight at its last level, then the tiles.
    void ResendAll() override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc) override;
    void SetupClicked() override;

    // Sends the brightness report of `level` (0-100).
    void SetBrightness(int level);
    // Sends the tile report as the tiles now stand.
    void SendTiles();
    int brightness_ = 0;  // the level of the last brightness report
    void InvalidateTile(int tile);
    void InvalidateTiles();
    win32::TileGrid Grid() const;

    IBIPPanelEvents* events_ = nullptr;
    simlink::IWaitHost* waitHost_ = nullptr;
    BIPTileState tiles_;
    win32::TileLegends legends_;
    std::uint64_t tileReportsSent_ = 0;
};

} // namespace orvex::panels::bip
