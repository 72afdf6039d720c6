#include "panels/radio/win32/ctl_radio_panel.h"

#include "common/win32/panel_face.h"
#include "simlink/win32/wait_win32.h"

#include <commctrl.h>

#include <algorithm>

namespace orvex::panels::radio {

namespace {

constexpr UINT_PTR kTimerButton = 1;
constexpr UINT_PTR kTimerRotSpeed1 = 2;
constexpr UINT_PTR kTimerRotSpeed2 = 3;
constexpr LONG kReaderTimeoutMs = 1500;

// The on-screen layout at 96 DPI; row 0 is the upper half, row 1 the lower.
constexpr int kWidth = 727;   // 10905 twips
constexpr int kHeight = 191;  // 2865 twips
constexpr int kRowHeight = 95;
constexpr int kSelectorX = 98, kSelectorY = 60, kSelectorRadius = 18, kNeedleLength = 26;
constexpr int kLabelRadiusX = 80, kLabelRadiusY = 44;
constexpr int kNeedleBase = -100;  // screen direction of 0 degrees, clockwise from straight up
constexpr int kActiveLeft = 198, kStandbyLeft = 368, kDisplayWidth = 160;
constexpr int kDisplayTop = 30, kDisplayBottom = 80, kCaptionTop = 12;
constexpr int kKnobX = 578, kKnobY = 54, kOuterRadius = 32, kInnerRadius = 19;
constexpr int kSpeedTop = 2, kSpeedBottom = 20;
constexpr int kButtonLeft = 636, kButtonRight = 716, kButtonTop = 38, kButtonBottom = 66;
constexpr int kSetupTop = 80, kSetupBottom = 108;
constexpr PanelControl::Layout kLayout{"OrvexRadioPanel", kWidth, kHeight,
                                       {kButtonLeft, kSetupTop, kButtonRight, kSetupBottom}};

constexpr COLORREF kBackground = RGB(48, 50, 54);
constexpr COLORREF kText = RGB(210, 212, 216);
constexpr COLORREF kDim = RGB(140, 144, 150);
constexpr COLORREF kDisplayBack = RGB(8, 8, 8);
constexpr COLORREF kDigits = RGB(60, 235, 90);
constexpr COLORREF kKnobFace = RGB(28, 29, 32);
constexpr COLORREF kMark = RGB(240, 240, 240);
constexpr COLORREF kNeedle = RGB(250, 200, 60);
constexpr COLORREF kPressed = RGB(220, 30, 30);
constexpr COLORREF kReleased = RGB(255, 255, 255);

constexpr const char* kPositionNames[7] = {"COM1", "COM2", "NAV1", "NAV2", "ADF", "DME", "XPDR"};
constexpr int kPositionAngles[7] = {0, 38, 71, 108, 131, 158, 195};

const RadioScreen kIdleScreen{};

using win32::Circle;
using win32::Line;
using win32::Polar;

void FillRect(HDC dc, const RECT& rc, COLORREF color) { win32::FillSolid(dc, rc, color); }
void Text(HDC dc, const std::string& text, RECT rc, UINT format, COLORREF color) {
    win32::TextLine(dc, text, rc, format, color);
}

} // namespace

ctlRadioPanel::ctlRadioPanel() : PanelControl(kLayout) {}

ctlRadioPanel::~ctlRadioPanel() {
    if (Handle()) {
        ::KillTimer(Handle(), kTimerButton);
        ::KillTimer(Handle(), kTimerRotSpeed1);
        ::KillTimer(Handle(), kTimerRotSpeed2);
    }
    speedTimersOn_ = false;
    ShutdownDevice([this] { TurnOffDisplay(); });
    Destroy();
}

SIZE ctlRadioPanel::FixedSize(UINT dpi) { return PanelControl::FixedSize(kLayout, dpi); }

bool ctlRadioPanel::Create(HWND parent, int panelIndex, IRadioPanelEvents& events,
                           ClickThresholdSource clickThreshold, simlink::IWaitHost& waitHost, int x, int y) {
    if (Handle()) return false;
    events_ = &events;
    clickThreshold_ = std::move(clickThreshold);
    waitHost_ = &waitHost;
    decoder_.emplace(static_cast<IRadioInputHost&>(*this), events);
    if (!CreatePanel(parent, panelIndex, x, y)) return false;
    DpiChanged();  // the display font at this DPI
    return true;
}

RECT ctlRadioPanel::DisplayRect(Display d) const {
    const int row = d == Display::ActiveUpper || d == Display::StandbyUpper ? 0 : 1;
    const int left = d == Display::ActiveUpper || d == Display::ActiveLower ? kActiveLeft : kStandbyLeft;
    const int top = row * kRowHeight;
    return Scaled(left, top + kDisplayTop, left + kDisplayWidth, top + kDisplayBottom);
}

RECT ctlRadioPanel::PartRect(std::uint32_t part) const {
    namespace sc = screen;
    const int lowerRow =
        (part & (sc::kNeedleLower | sc::Knob(2) | sc::Knob(3) | sc::kButtonLower | sc::kSpeedLower)) ? kRowHeight : 0;
    // A needle's move also changes which position name is lit.
    if (part & (sc::kNeedleUpper | sc::kNeedleLower)) return Scaled(0, lowerRow, kActiveLeft - 2, lowerRow + kRowHeight - 1);
    if (part & (sc::Knob(0) | sc::Knob(1) | sc::Knob(2) | sc::Knob(3)))
        return Scaled(kKnobX - kOuterRadius - 2, lowerRow + kKnobY - kOuterRadius - 2, kKnobX + kOuterRadius + 3,
                      lowerRow + kKnobY + kOuterRadius + 3);
    if (part & (sc::kButtonUpper | sc::kButtonLower))
        return Scaled(kButtonLeft - 1, lowerRow + kButtonTop - 1, kButtonRight + 1, lowerRow + kButtonBottom + 1);
    return Scaled(kKnobX - 48, lowerRow + kSpeedTop, kKnobX + 48, lowerRow + kSpeedBottom);
}

const RadioScreen& ctlRadioPanel::Screen() const { return decoder_ ? decoder_->Screen() : kIdleScreen; }

// --- Decoder host -----------------------------------------------------------

std::uint32_t ctlRadioPanel::TickCount() { return ::GetTickCount(); }

void ctlRadioPanel::PumpMessages() { simlink::DoEvents(); }

void ctlRadioPanel::EnableButtonTimer(bool enabled) {
    if (!Handle()) return;
    if (enabled) ::SetTimer(Handle(), kTimerButton, kButtonTimerPeriodMs, nullptr);
    else ::KillTimer(Handle(), kTimerButton);
}

std::int32_t ctlRadioPanel::ClickThreshold() { return clickThreshold_ ? clickThreshold_() : 500; }

void ctlRadioPanel::ScreenChanged(std::uint32_t parts) {
    if (!Handle()) return;
    for (std::uint32_t bit = 1; bit <= screen::kSpeedLower; bit <<= 1) {
        if (!(parts & bit)) continue;
        const RECT rc = PartRect(bit);
        ::InvalidateRect(Handle(), &rc, FALSE);
    }
}

void ctlRadioPanel::InvalidateDisplays(std::uint8_t displays) {
    if (!Handle()) return;
    for (std::size_t i = 0; i < kDisplayCount; ++i) {
        if (!(displays & (1u << i))) continue;
        const RECT rc = DisplayRect(static_cast<Display>(i));
        ::InvalidateRect(Handle(), &rc, FALSE);
    }
}

// --- Input ------------------------------------------------------------------

void ctlRadioPanel::OnRawInput(const std::array<std::uint8_t, 4>& report) {
    if (decoder_ && !Closing()) decoder_->OnRawInput(report);
}

void ctlRadioPanel::SetAcceleration(int index, std::int16_t value) {
    if (!decoder_ || (index != 1 && index != 2)) return;
    decoder_->SetAcceleration(index, value);
    // A running timer takes the new period at once.
    if (speedTimersOn_ && Handle())
        ::SetTimer(Handle(), index == 1 ? kTimerRotSpeed1 : kTimerRotSpeed2, decoder_->SpeedPeriod(index), nullptr);
}

std::int16_t ctlRadioPanel::GetAcceleration(int index) const {
    return decoder_ ? decoder_->GetAcceleration(index) : 0;
}

void ctlRadioPanel::GetPositions() {
    if (!decoder_) return;
    std::array<std::uint8_t, kDisplayReportSize> feature{};
    // A panel that cannot be read says nothing of its selectors; raising
    // "no position" would leave the logic on none until a selector moves.
    if (!ReadFeature(feature.data(), feature.size())) return;
    decoder_->RaisePositions(RadioInputDecoder::StateWord({feature[0], feature[1], feature[2], feature[3]}));
}

// --- Connection ---------------------------------------------------------------

bool ctlRadioPanel::Connect(const std::string& path) {
    if (!ConnectDevice(path, kReaderTimeoutMs, [this](const std::array<std::uint8_t, 4>& r) { OnRawInput(r); }))
        return false;
    speedTimersOn_ = true;
    ::SetTimer(Handle(), kTimerRotSpeed1, decoder_->SpeedPeriod(1), nullptr);
    ::SetTimer(Handle(), kTimerRotSpeed2, decoder_->SpeedPeriod(2), nullptr);
    return true;
}

// --- Output -----------------------------------------------------------------

void ctlRadioPanel::SendReport() {
    lastReport_ = report_.Buffer();
    ++reportsSent_;
    SendFeature(lastReport_.data(), lastReport_.size());
}

void ctlRadioPanel::WriteDisplay(const std::optional<std::string>& activeUpper,
                                 const std::optional<std::string>& standbyUpper,
                                 const std::optional<std::string>& activeLower,
                                 const std::optional<std::string>& standbyLower) {
    const auto result = report_.WriteDisplay(activeUpper, standbyUpper, activeLower, standbyLower);
    InvalidateDisplays(result.labelsChanged);
    if (result.send) SendReport();
}

void ctlRadioPanel::TurnOffDisplay() {
    std::uint8_t shown = 0;
    for (std::size_t i = 0; i < kDisplayCount; ++i)
        if (!report_.Label(static_cast<Display>(i)).empty()) shown = static_cast<std::uint8_t>(shown | (1u << i));
    report_.TurnOffDisplay();
    InvalidateDisplays(shown);
    SendReport();
}

void ctlRadioPanel::Active1Value(const std::string& text) { WriteDisplay(text, std::nullopt, std::nullopt, std::nullopt); }
void ctlRadioPanel::Standby1Value(const std::string& text) { WriteDisplay(std::nullopt, text, std::nullopt, std::nullopt); }
void ctlRadioPanel::Active2Value(const std::string& text) { WriteDisplay(std::nullopt, std::nullopt, text, std::nullopt); }
void ctlRadioPanel::Standby2Value(const std::string& text) { WriteDisplay(std::nullopt, std::nullopt, std::nullopt, text); }

void ctlRadioPanel::Splash() {
    static constexpr const char* kRightToLeft[5] = {"    0", "   0 ", "  0  ", " 0   ", "0    "};
    static constexpr const char* kLeftToRight[5] = {"0    ", " 0   ", "  0  ", "   0 ", "    0"};
    const std::string blank = "     ";
    // Upper standby, upper active (right to left), lower active, lower
    // standby (left to right): the "0" walks round the panel.
    constexpr Display kOrder[4] = {Display::StandbyUpper, Display::ActiveUpper, Display::ActiveLower,
                                   Display::StandbyLower};
    for (int step = 0; step < 20; ++step) {
        const Display shown = kOrder[step / 5];
        const bool upper = shown == Display::StandbyUpper || shown == Display::ActiveUpper;
        const std::string zero = (upper ? kRightToLeft : kLeftToRight)[step % 5];
        std::array<std::string, kDisplayCount> texts{blank, blank, blank, blank};
        texts[static_cast<std::size_t>(shown)] = zero;
        WriteDisplay(texts[0], texts[1], texts[2], texts[3]);
        if (waitHost_) simlink::WaitFor(*waitHost_, 60, 30);
    }
    TurnOffDisplay();
}

// --- Window -----------------------------------------------------------------

LRESULT ctlRadioPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (decoder_ && !Closing()) {
            if (wParam == kTimerButton) decoder_->OnButtonTimer();
            else if (wParam == kTimerRotSpeed1) decoder_->OnSpeedTimer(1);
            else if (wParam == kTimerRotSpeed2) decoder_->OnSpeedTimer(2);
        }
        return 0;
    default:
        break;
    }
    return PanelControl::HandleMessage(message, wParam, lParam);
}

void ctlRadioPanel::DpiChanged() { displayFont_ = win32::MakeFixedFont(S(34), true); }

void ctlRadioPanel::SetupClicked() {
    if (events_) events_->SetupRequest();
}

void ctlRadioPanel::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    FillRect(dc, client, kBackground);
    ::SetBkMode(dc, TRANSPARENT);
    const RadioScreen& view = Screen();
    HFONT font = win32::MessageFont(Dpi());

    for (int row = 0; row < 2; ++row) {
        const int top = row * kRowHeight;
        if (row == 1) Line(dc, {S(6), S(kRowHeight - 1)}, {S(kButtonLeft - 10), S(kRowHeight - 1)}, kDim, 1);

        // Selector: position names round the knob, and the needle.
        {
            win32::SelectGuard f(dc, font);
            const int cx = S(kSelectorX), cy = S(top + kSelectorY);
            for (int i = 0; i < 7; ++i) {
                const POINT at = Polar(cx, cy, kNeedleBase + kPositionAngles[i], S(kLabelRadiusX), S(kLabelRadiusY));
                const RECT rc{at.x - S(24), at.y - S(9), at.x + S(24), at.y + S(9)};
                const bool current = view.needleAngle[static_cast<std::size_t>(row)] == kPositionAngles[i];
                Text(dc, kPositionNames[i], rc, DT_CENTER | DT_VCENTER, current ? kText : kDim);
            }
            Circle(dc, cx, cy, S(kSelectorRadius), kKnobFace, kDim, 1);
            const POINT tip =
                Polar(cx, cy, kNeedleBase + view.needleAngle[static_cast<std::size_t>(row)], S(kNeedleLength),
                      S(kNeedleLength));
            Line(dc, {cx, cy}, tip, kNeedle, std::max(1, S(3)));
        }

        // Displays: captions and the digits as their labels read.
        for (Display d : row == 0 ? std::array<Display, 2>{Display::ActiveUpper, Display::StandbyUpper}
                                  : std::array<Display, 2>{Display::ActiveLower, Display::StandbyLower}) {
            const RECT box = DisplayRect(d);
            const bool active = d == Display::ActiveUpper || d == Display::ActiveLower;
            {
                win32::SelectGuard f(dc, font);
                Text(dc, active ? "ACTIVE" : "STANDBY",
                     RECT{box.left, S(top + kCaptionTop), box.right, box.top}, DT_CENTER | DT_BOTTOM, kDim);
            }
            FillRect(dc, box, kDisplayBack);
            win32::SelectGuard f(dc, displayFont_ ? displayFont_.get() : font);
            RECT inner{box.left + S(6), box.top, box.right - S(8), box.bottom};
            Text(dc, report_.Label(d), inner, DT_RIGHT | DT_VCENTER, kDigits);
        }

        // Knob: outer ring with its mark, inner ring with its mark, speed.
        {
            const int cx = S(kKnobX), cy = S(top + kKnobY);
            const std::size_t inner = static_cast<std::size_t>(row * 2);
            Circle(dc, cx, cy, S(kOuterRadius), kKnobFace, kDim, 1);
            Line(dc, Polar(cx, cy, view.knobAngle[inner + 1], S(kInnerRadius + 2), S(kInnerRadius + 2)),
                 Polar(cx, cy, view.knobAngle[inner + 1], S(kOuterRadius - 3), S(kOuterRadius - 3)), kMark,
                 std::max(1, S(2)));
            Circle(dc, cx, cy, S(kInnerRadius), kKnobFace, kDim, 1);
            Line(dc, Polar(cx, cy, view.knobAngle[inner], S(5), S(5)),
                 Polar(cx, cy, view.knobAngle[inner], S(kInnerRadius - 3), S(kInnerRadius - 3)), kMark,
                 std::max(1, S(2)));
            win32::SelectGuard f(dc, font);
            Text(dc, "Speed " + std::to_string(view.speed[static_cast<std::size_t>(row)]),
                 Scaled(kKnobX - 48, top + kSpeedTop, kKnobX + 48, top + kSpeedBottom), DT_CENTER | DT_VCENTER,
                 kText);
        }

        // ACT/STBY button.
        {
            const RECT rc = Scaled(kButtonLeft, top + kButtonTop, kButtonRight, top + kButtonBottom);
            win32::RoundBox(dc, rc, S(8), view.buttonPressed[static_cast<std::size_t>(row)] ? kPressed : kReleased,
                            kDim);
            win32::SelectGuard f(dc, font);
            Text(dc, "ACT/STBY", rc, DT_CENTER | DT_VCENTER, RGB(20, 20, 20));
        }
    }
}

} // namespace orvex::panels::radio
