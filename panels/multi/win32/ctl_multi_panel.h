// The device control of one Saitek Pro Flight Multi Panel: it owns the
// panel's output handle and a Relaybox reader, decodes every input report
// into panel events, writes the two display rows and the eight button lamps
// with one feature report, and shows an on-screen copy of the panel as a
// child window.
#pragma once

#include "panels/common/win32/panel_control.h"
#include "panels/multi/multi_control.h"
#include "panels/multi/multi_display.h"
#include "panels/multi/multi_events.h"
#include "panels/multi/multi_input.h"
#include "simlink/sim_commands.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orvex::panels::multi {

class ctlMultiPanel final : public PanelControl, public IMultiPanelControl, private IMultiInputHost {
public:
    // Reads the general setting "ClickThreshold" (milliseconds) when needed.
    using ClickThresholdSource = std::function<std::int32_t()>;

    ctlMultiPanel();
    // Blanks the panel, stops and releases the reader, closes the device.
    ~ctlMultiPanel() override;

    // Creates the on-screen panel as a child of `parent` at (x, y) pixels,
    // at its fixed size. `events` and `waitHost` must outlive the control.
    bool Create(HWND parent, int panelIndex, IMultiPanelEvents& events, ClickThresholdSource clickThreshold,
                simlink::IWaitHost& waitHost, int x = 0, int y = 0);

    // 10905 x 2865 twips in pixels at `dpi`.
    static SIZE FixedSize(UINT dpi);

    // Creates and starts a reader of `path` in Relaybox and opens the path
    // for feature reports. False when the reader cannot be had; the reason
    // is then in ConnectError(). A device that cannot be opened for output
    // still connects (its input is read; its displays stay dark).
    bool Connect(const std::string& path);

    // IMultiPanelControl
    void WriteDisplay(const std::optional<std::string>& upper, const std::optional<std::string>& lower,
                      std::optional<std::uint8_t> lamps, bool force) override;
    void TurnOffDisplay() override;
    void GetPositions() override;
    void SetRotAcceleration(std::int16_t value) override;
    void SetTrimAcceleration(std::int16_t value) override;

    // A row from a number: its decimal text without blanks.
    void UpperValue(std::int32_t value);
    void Lower(std::int32_t value);
    // The start-up animation: a "0" runs along the upper row and back along
    // the lower one while the lamps light one by one.
    void Splash();

    // What the on-screen rows show.
    const std::string& UpperText() const { return report_.Text(Row::Upper); }
    const std::string& LowerText() const { return report_.Text(Row::Lower); }
    std::uint8_t Lamps() const { return report_.Lamps(); }

    // For tests and benchmarks.
    std::uint64_t FeatureReportsSent() const { return reportsSent_; }
    const MultiReport& LastReportSent() const { return lastReport_; }
    const MultiScreen& Screen() const;
    std::uint32_t RotSpeedPeriod() const;
    std::uint32_t TrimSpeedPeriod() const;
    // An input report as the reader delivers it.
    void OnRawInput(const std::array<std::uint8_t, 4>& report);

    void ResendAll() override { SendReport(); }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // IMultiInputHost
    std::uint32_t TickCount() override;
    void EnableButtonTimer(bool enabled) override;
    std::int32_t ClickThreshold() override;
    void ScreenChanged(std::uint32_t parts) override;

    void SendReport();
    void Invalidate(const RECT& rc);
    void InvalidateRows(bool upper, bool lower, bool lamps);
    void RestartTimer(UINT_PTR id, std::uint32_t period);
    void Paint(HDC dc) override;
    void SetupClicked() override;
    void DpiChanged() override;
    void PaintSelector(HDC dc, HFONT font, const MultiScreen& view);
    void PaintRows(HDC dc, HFONT font);
    void PaintKnob(HDC dc, HFONT font, const MultiScreen& view);
    void PaintLevers(HDC dc, HFONT font, const MultiScreen& view);
    void PaintTrim(HDC dc, HFONT font, const MultiScreen& view);
    void PaintButtons(HDC dc, HFONT font, const MultiScreen& view);
    RECT PartRect(std::uint32_t part) const;

    IMultiPanelEvents* events_ = nullptr;
    ClickThresholdSource clickThreshold_;
    simlink::IWaitHost* waitHost_ = nullptr;

    std::optional<MultiInputDecoder> decoder_;
    MultiDisplayReport report_;
    MultiReport lastReport_{};
    std::uint64_t reportsSent_ = 0;

    bool rotTimerOn_ = false;
    orvex::win32::UniqueGdi displayFont_;
};

} // namespace orvex::panels::multi
