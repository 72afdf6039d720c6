// The device control of one Saitek Pro Flight Radio Panel: it owns the
// panel's output handle and a Relaybox reader, decodes every input report
// into panel events, writes the four displays with one feature report, and
// shows an on-screen copy of the panel as a child window.
#pragma once

#include "common/win32/handles.h"
#include "panels/common/win32/panel_control.h"
#include "panels/radio/radio_control.h"
#include "panels/radio/radio_display.h"
#include "panels/radio/radio_events.h"
#include "panels/radio/radio_input.h"
#include "simlink/sim_commands.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orvex::panels::radio {

class ctlRadioPanel final : public PanelControl, public IRadioPanelControl, private IRadioInputHost {
public:
    // Reads the general setting "ClickThreshold" (milliseconds) when needed.
    using ClickThresholdSource = std::function<std::int32_t()>;

    ctlRadioPanel();
    // Blanks the panel, stops and releases the reader, closes the device.
    ~ctlRadioPanel() override;

    // Creates the on-screen panel as a child of `parent` at (x, y) pixels,
    // at its fixed size. `events` and `waitHost` must outlive the control.
    bool Create(HWND parent, int panelIndex, IRadioPanelEvents& events, ClickThresholdSource clickThreshold,
                simlink::IWaitHost& waitHost, int x = 0, int y = 0);

    // 10905 x 2865 twips in pixels at `dpi`.
    static SIZE FixedSize(UINT dpi);

    // The on-screen texts of the displays; writing one writes that display.
    std::string Active1Value() const { return report_.Label(Display::ActiveUpper); }
    std::string Active2Value() const { return report_.Label(Display::ActiveLower); }
    std::string Standby1Value() const { return report_.Label(Display::StandbyUpper); }
    std::string Standby2Value() const { return report_.Label(Display::StandbyLower); }
    void Active1Value(const std::string& text);
    void Active2Value(const std::string& text);
    void Standby1Value(const std::string& text);
    void Standby2Value(const std::string& text);

    // Knob speed period of selector 1 or 2: value * 3 + 50 ms.
    void SetAcceleration(int index, std::int16_t value) override;
    std::int16_t GetAcceleration(int index) const;
    // Reads the panel's switch state and raises SelectorChange for both
    // selectors (nothing when the panel cannot be read).
    void GetPositions();

    // Creates and starts a reader of `path` in Relaybox and opens the path
    // for feature reports. False when the reader cannot be had; the reason
    // is then in ConnectError(). A device that cannot be opened for output
    // still connects (its input is read; its displays stay dark).
    bool Connect(const std::string& path);

    void TurnOffDisplay() override;
    void ResendAll() override { SendReport(); }
    // Numbers go through NumberToDisplayText (radio_display.h) first.
    void WriteDisplay(const std::optional<std::string>& activeUpper, const std::optional<std::string>& standbyUpper,
                      const std::optional<std::string>& activeLower,
                      const std::optional<std::string>& standbyLower) override;
    // The start-up animation: a "0" walks round the four displays.
    void Splash();

    // For tests and benchmarks.
    std::uint64_t FeatureReportsSent() const { return reportsSent_; }
    const DisplayReport& LastReportSent() const { return lastReport_; }
    std::string DisplayedText(Display d) const { return report_.Label(d); }
    const RadioScreen& Screen() const;
    // An input report as the reader delivers it.
    void OnRawInput(const std::array<std::uint8_t, 4>& report);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // IRadioInputHost
    std::uint32_t TickCount() override;
    void PumpMessages() override;
    void EnableButtonTimer(bool enabled) override;
    std::int32_t ClickThreshold() override;
    void ScreenChanged(std::uint32_t parts) override;

    void SendReport();
    void InvalidateDisplays(std::uint8_t displays);
    void Paint(HDC dc) override;
    void SetupClicked() override;
    void DpiChanged() override;
    RECT PartRect(std::uint32_t part) const;
    RECT DisplayRect(Display d) const;

    IRadioPanelEvents* events_ = nullptr;
    ClickThresholdSource clickThreshold_;
    simlink::IWaitHost* waitHost_ = nullptr;

    std::optional<RadioInputDecoder> decoder_;
    RadioDisplayReport report_;
    DisplayReport lastReport_{};
    std::uint64_t reportsSent_ = 0;

    bool speedTimersOn_ = false;
    win32::UniqueGdi displayFont_;
};

} // namespace orvex::panels::radio
