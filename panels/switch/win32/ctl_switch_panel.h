// The device control of one Saitek Pro Flight Switch Panel: it owns the
// panel's output handle and a Relaybox reader, decodes every input report
// into switch, magneto and gear events, writes the three gear lamps with a
// feature report, and shows an on-screen copy of the panel as a child window.
#pragma once

#include "panels/common/win32/panel_control.h"
#include "panels/switch/switch_control.h"
#include "panels/switch/switch_events.h"
#include "panels/switch/switch_input.h"
#include "panels/switch/switch_lamps.h"
#include "simlink/sim_commands.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orvex::panels::switchpanel {

class ctlSwitchPanel final : public PanelControl, public ISwitchPanelControl, private ISwitchInputHost {
public:
    ctlSwitchPanel();
    // Darkens the lamps, stops and releases the reader, closes the device.
    ~ctlSwitchPanel() override;

    // Creates the on-screen panel as a child of `parent` at (x, y) pixels,
    // at its fixed size. `events` and `waitHost` must outlive the control.
    bool Create(HWND parent, int panelIndex, ISwitchPanelEvents& events, simlink::IWaitHost& waitHost, int x = 0,
                int y = 0);

    // 10905 x 2865 twips in pixels at `dpi`.
    static SIZE FixedSize(UINT dpi);

    // Creates and starts a reader of `path` in Relaybox and opens the path
    // for feature reports. False when the reader cannot be had; the reason
    // is then in ConnectError(). A device that cannot be opened for output
    // still connects (its input is read; its lamps stay dark).
    bool Connect(const std::string& path);

    // The three lamps by colour number (a missing one dark); the panel gets
    // a report only when its lamp byte changed.
    void ChangeLights(std::optional<std::int32_t> nose, std::optional<std::int32_t> left,
                      std::optional<std::int32_t> right) override;
    // The start-up lamp show: each colour on each lamp in turn, 100 ms a step.
    void Splash();
    void ResendAll() override;
    // Raises every position of the panel's last input report again, as the
    // first report does; nothing before the panel's first report.
    void GetPositions();

    // For tests.
    std::uint64_t LampReportsSent() const { return reportsSent_; }
    const LampReport& LastReportSent() const { return lastReport_; }
    std::int32_t LampColour(Gear gear) const { return lamps_.Colour(gear); }
    const SwitchScreen& Screen() const;
    // An input report as the reader delivers it.
    void OnRawInput(const std::array<std::uint8_t, 4>& report);

private:
    // ISwitchInputHost
    void ScreenChanged(std::uint32_t parts) override;

    void Paint(HDC dc) override;
    void SetupClicked() override;
    RECT PartRect(std::uint32_t part) const;

    ISwitchPanelEvents* events_ = nullptr;
    simlink::IWaitHost* waitHost_ = nullptr;

    std::optional<SwitchInputDecoder> decoder_;
    SwitchLampReport lamps_;
    LampReport lastReport_{};
    std::uint64_t reportsSent_ = 0;
};

} // namespace orvex::panels::switchpanel
