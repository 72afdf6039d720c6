#include "panels/multi/win32/ctl_multi_panel.h"

#include "common/win32/panel_face.h"
#include "simlink/win32/wait_win32.h"

#include <algorithm>
#include <cmath>

namespace orvex::panels::multi {

namespace {

using win32::Circle;
using win32::Line;
using win32::Polar;
using win32::TextLine;

constexpr UINT_PTR kTimerButton = 1;
constexpr UINT_PTR kTimerRotSpeed = 2;
constexpr UINT_PTR kTimerTrimSpeed = 3;
constexpr LONG kReaderTimeoutMs = 1500;

// The on-screen layout at 96 DPI.
constexpr int kWidth = 727;   // 10905 twips
constexpr int kHeight = 191;  // 2865 twips
// Mode selector, its position names round it and the mode labels.
constexpr int kSelectorX = 100, kSelectorY = 72, kSelectorRadius = 20, kNeedleLength = 27;
constexpr int kLabelRadiusX = 64, kLabelRadiusY = 50;
constexpr int kSelectorBottom = 130;
constexpr int kModeLeft = 168, kModeRight = 222;
// The two rows: row 0 upper, row 1 lower.
constexpr int kRowLeft = 226, kRowRight = 386;
constexpr int kRowTop[2] = {24, 72};
constexpr int kRowHeight = 40;
// Knob and its speed.
constexpr int kKnobX = 450, kKnobY = 72, kKnobRadius = 32;
constexpr int kCaptionTop = 4, kCaptionBottom = 22;
// Auto-throttle and flaps levers: a slot with the lever's head on it.
constexpr int kAtLeft = 504, kAtRight = 564, kFlapsLeft = 568, kFlapsRight = 628;
constexpr int kSlotTop = 44, kSlotBottom = 100, kLeverHalf = 6;
constexpr int kLeverUpper = 26, kLeverLower = 102;  // label lines above and below the slot
constexpr int kLabelHeight = 18;
// Trim wheel and its speed.
constexpr int kTrimLeft = 636, kTrimRight = 716, kWheelLeft = 660, kWheelRight = 692;
constexpr int kWheelTop = 28, kWheelBottom = 112;
constexpr int kTrimSpeedTop = 114, kTrimSpeedBottom = 132;
// The eight buttons.
constexpr int kButtonsLeft = 168, kButtonWidth = 40, kButtonGap = 6, kButtonTop = 140, kButtonBottom = 168;
constexpr PanelControl::Layout kLayout{"OrvexMultiPanel", kWidth, kHeight, {636, 146, 716, 174}};  // Setup button

constexpr COLORREF kBackground = RGB(48, 50, 54);
constexpr COLORREF kText = RGB(210, 212, 216);
constexpr COLORREF kDim = RGB(140, 144, 150);
constexpr COLORREF kDisplayBack = RGB(8, 8, 8);
constexpr COLORREF kDigits = RGB(235, 60, 40);
constexpr COLORREF kKnobFace = RGB(28, 29, 32);
constexpr COLORREF kMark = RGB(240, 240, 240);
constexpr COLORREF kNeedle = RGB(250, 200, 60);
constexpr COLORREF kPressed = RGB(220, 30, 30);
constexpr COLORREF kLit = RGB(250, 220, 40);
constexpr COLORREF kUnlit = RGB(255, 255, 255);

constexpr const char* kPositionNames[6] = {"", "ALT", "VS", "IAS", "HDG", "CRS"};
constexpr const char* kButtonNames[9] = {"", "AP", "HDG", "NAV", "IAS", "ALT", "VS", "APR", "REV"};

const MultiScreen kIdleScreen{};

} // namespace

ctlMultiPanel::ctlMultiPanel() : PanelControl(kLayout) {}

ctlMultiPanel::~ctlMultiPanel() {
    if (Handle()) {
        ::KillTimer(Handle(), kTimerButton);
        ::KillTimer(Handle(), kTimerRotSpeed);
        ::KillTimer(Handle(), kTimerTrimSpeed);
    }
    rotTimerOn_ = false;
    ShutdownDevice([this] { TurnOffDisplay(); });
    Destroy();
}

SIZE ctlMultiPanel::FixedSize(UINT dpi) { return PanelControl::FixedSize(kLayout, dpi); }

bool ctlMultiPanel::Create(HWND parent, int panelIndex, IMultiPanelEvents& events,
                           ClickThresholdSource clickThreshold, simlink::IWaitHost& waitHost, int x, int y) {
    if (Handle()) return false;
    events_ = &events;
    clickThreshold_ = std::move(clickThreshold);
    waitHost_ = &waitHost;
    decoder_.emplace(static_cast<IMultiInputHost&>(*this), events);
    if (!CreatePanel(parent, panelIndex, x, y)) return false;
    DpiChanged();  // the display font at this DPI
    // The trim speed is measured from creation on.
    RestartTimer(kTimerTrimSpeed, decoder_->TrimSpeedPeriod());
    return true;
}

RECT ctlMultiPanel::PartRect(std::uint32_t part) const {
    namespace sc = screen;
    if (part & sc::kSelector) return Scaled(0, 0, kModeRight, kSelectorBottom);  // needle, names, mode labels
    if (part & sc::kKnob)
        return Scaled(kKnobX - kKnobRadius - 2, kKnobY - kKnobRadius - 2, kKnobX + kKnobRadius + 3,
                      kKnobY + kKnobRadius + 3);
    if (part & sc::kKnobSpeed) return Scaled(kKnobX - 48, kCaptionTop, kKnobX + 48, kCaptionBottom);
    // A lever's move also changes which of its position names is lit.
    if (part & sc::kAutoThrottle) return Scaled(kAtLeft, kLeverUpper, kAtRight, kLeverLower + kLabelHeight);
    if (part & sc::kFlaps) return Scaled(kFlapsLeft, kLeverUpper, kFlapsRight, kLeverLower + kLabelHeight);
    if (part & sc::kTrim) return Scaled(kWheelLeft - 2, kWheelTop - 2, kWheelRight + 2, kWheelBottom + 2);
    if (part & sc::kTrimSpeed) return Scaled(kTrimLeft, kTrimSpeedTop, kTrimRight, kTrimSpeedBottom);
    for (int i = 1; i <= 8; ++i)
        if (part & sc::Button(i)) {
            const int left = kButtonsLeft + (i - 1) * (kButtonWidth + kButtonGap);
            return Scaled(left - 1, kButtonTop - 1, left + kButtonWidth + 1, kButtonBottom + 1);
        }
    return RECT{};
}

const MultiScreen& ctlMultiPanel::Screen() const { return decoder_ ? decoder_->Screen() : kIdleScreen; }
std::uint32_t ctlMultiPanel::RotSpeedPeriod() const { return decoder_ ? decoder_->RotSpeedPeriod() : 0; }
std::uint32_t ctlMultiPanel::TrimSpeedPeriod() const { return decoder_ ? decoder_->TrimSpeedPeriod() : 0; }

void ctlMultiPanel::Invalidate(const RECT& rc) {
    if (Handle()) ::InvalidateRect(Handle(), &rc, FALSE);
}

void ctlMultiPanel::InvalidateRows(bool upper, bool lower, bool lamps) {
    for (int row = 0; row < 2; ++row)
        if (row == 0 ? upper : lower)
            Invalidate(Scaled(kRowLeft, kRowTop[row], kRowRight, kRowTop[row] + kRowHeight));
    if (lamps)
        for (int i = 1; i <= 8; ++i) Invalidate(PartRect(screen::Button(i)));
}

void ctlMultiPanel::RestartTimer(UINT_PTR id, std::uint32_t period) {
    if (!Handle()) return;
    if (period == 0) ::KillTimer(Handle(), id);
    else ::SetTimer(Handle(), id, period, nullptr);
}

// --- Decoder host -----------------------------------------------------------

std::uint32_t ctlMultiPanel::TickCount() { return ::GetTickCount(); }

void ctlMultiPanel::EnableButtonTimer(bool enabled) {
    if (!Handle()) return;
    if (enabled) ::SetTimer(Handle(), kTimerButton, kButtonTimerPeriodMs, nullptr);
    else ::KillTimer(Handle(), kTimerButton);
}

std::int32_t ctlMultiPanel::ClickThreshold() { return clickThreshold_ ? clickThreshold_() : 500; }

void ctlMultiPanel::ScreenChanged(std::uint32_t parts) {
    for (std::uint32_t bit = 1; bit <= screen::Button(8); bit <<= 1)
        if (parts & bit) Invalidate(PartRect(bit));
}

// --- Input ------------------------------------------------------------------

void ctlMultiPanel::OnRawInput(const std::array<std::uint8_t, 4>& report) {
    if (decoder_ && !Closing()) decoder_->OnRawInput(report);
}

void ctlMultiPanel::SetRotAcceleration(std::int16_t value) {
    if (!decoder_) return;
    decoder_->SetRotAcceleration(value);
    // A running timer takes the new period at once.
    if (rotTimerOn_) RestartTimer(kTimerRotSpeed, decoder_->RotSpeedPeriod());
}

void ctlMultiPanel::SetTrimAcceleration(std::int16_t value) {
    if (!decoder_) return;
    decoder_->SetTrimAcceleration(value);
    // 0 stops the measuring: the trim speed stays where it is.
    if (!Closing()) RestartTimer(kTimerTrimSpeed, decoder_->TrimSpeedPeriod());
}

void ctlMultiPanel::GetPositions() {
    if (!decoder_) return;
    MultiReport feature{};
    // A panel that cannot be read says nothing of its selector; raising
    // "no position" would leave the logic on none until the selector moves.
    if (!ReadFeature(feature.data(), feature.size())) return;
    decoder_->RaisePositions(MultiInputDecoder::StateWord({feature[0], feature[1], feature[2], feature[3]}));
}

// --- Connection ---------------------------------------------------------------

bool ctlMultiPanel::Connect(const std::string& path) {
    if (!ConnectDevice(path, kReaderTimeoutMs, [this](const std::array<std::uint8_t, 4>& r) { OnRawInput(r); }))
        return false;
    rotTimerOn_ = true;
    RestartTimer(kTimerRotSpeed, decoder_->RotSpeedPeriod());
    return true;
}

// --- Output -----------------------------------------------------------------

void ctlMultiPanel::SendReport() {
    lastReport_ = report_.Buffer();
    ++reportsSent_;
    SendFeature(lastReport_.data(), lastReport_.size());
}

void ctlMultiPanel::WriteDisplay(const std::optional<std::string>& upper, const std::optional<std::string>& lower,
                                 std::optional<std::uint8_t> lamps, bool force) {
    const auto result = report_.WriteDisplay(upper, lower, lamps, force);
    InvalidateRows(result.upperChanged, result.lowerChanged, result.lampsChanged);
    if (result.send) SendReport();
}

void ctlMultiPanel::TurnOffDisplay() {
    const bool upper = !report_.Text(Row::Upper).empty();
    const bool lower = !report_.Text(Row::Lower).empty();
    const bool lamps = report_.Lamps() != 0;
    const bool send = report_.TurnOffDisplay();
    InvalidateRows(upper, lower, lamps);
    if (send) SendReport();
}

void ctlMultiPanel::UpperValue(std::int32_t value) {
    WriteDisplay(std::to_string(value), std::nullopt, std::nullopt, false);
}

void ctlMultiPanel::Lower(std::int32_t value) {
    WriteDisplay(std::nullopt, std::to_string(value), std::nullopt, false);
}

void ctlMultiPanel::Splash() {
    for (std::size_t step = 0; step < kSplashSteps.size(); ++step) {
        const SplashStep& s = kSplashSteps[step];
        WriteDisplay(std::string(s.Upper), std::string(s.Lower), s.Lamps, false);
        if (step + 1 < kSplashSteps.size() && waitHost_)
            simlink::WaitFor(*waitHost_, kSplashWaitMs, kSplashWaitStepMs);
    }
    TurnOffDisplay();
}

// --- Window -----------------------------------------------------------------

LRESULT ctlMultiPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (decoder_ && !Closing()) {
            if (wParam == kTimerButton) decoder_->OnButtonTimer();
            else if (wParam == kTimerRotSpeed) decoder_->OnRotSpeedTimer();
            else if (wParam == kTimerTrimSpeed) decoder_->OnTrimSpeedTimer();
        }
        return 0;
    default:
        break;
    }
    return PanelControl::HandleMessage(message, wParam, lParam);
}

void ctlMultiPanel::DpiChanged() { displayFont_ = win32::MakeFixedFont(S(34), true); }

void ctlMultiPanel::SetupClicked() {
    if (events_) events_->SetupRequest();
}

void ctlMultiPanel::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    win32::FillSolid(dc, client, kBackground);
    ::SetBkMode(dc, TRANSPARENT);
    const MultiScreen& view = Screen();
    HFONT font = win32::MessageFont(Dpi());
    PaintSelector(dc, font, view);
    PaintRows(dc, font);
    PaintKnob(dc, font, view);
    PaintLevers(dc, font, view);
    PaintTrim(dc, font, view);
    PaintButtons(dc, font, view);
}

void ctlMultiPanel::PaintSelector(HDC dc, HFONT font, const MultiScreen& view) {
    win32::SelectGuard f(dc, font);
    const int cx = S(kSelectorX), cy = S(kSelectorY);
    for (int i = 1; i <= 5; ++i) {
        const std::int32_t bit = kSelectorBits[static_cast<std::size_t>(i)];
        const POINT at = Polar(cx, cy, NeedleAngle(bit), S(kLabelRadiusX), S(kLabelRadiusY));
        const RECT rc{at.x - S(20), at.y - S(9), at.x + S(20), at.y + S(9)};
        TextLine(dc, kPositionNames[i], rc, DT_CENTER | DT_VCENTER, view.selector == bit ? kText : kDim);
    }
    Circle(dc, cx, cy, S(kSelectorRadius), kKnobFace, kDim, 1);
    if (view.selector != 0) {
        const POINT tip = Polar(cx, cy, view.needleAngle, S(kNeedleLength), S(kNeedleLength));
        Line(dc, {cx, cy}, tip, kNeedle, std::max(1, S(3)));
    }
    // The modes the rows show, beside them.
    const char* modes[2] = {UpperModeLabel(view.selector), LowerModeLabel(view.selector)};
    for (int row = 0; row < 2; ++row)
        TextLine(dc, modes[row], Scaled(kModeLeft, kRowTop[row], kModeRight - 4, kRowTop[row] + kRowHeight),
                 DT_RIGHT | DT_VCENTER, kText);
}

void ctlMultiPanel::PaintRows(HDC dc, HFONT font) {
    HFONT digits = displayFont_ ? static_cast<HFONT>(displayFont_.get()) : font;
    for (int row = 0; row < 2; ++row) {
        const RECT box = Scaled(kRowLeft, kRowTop[row], kRowRight, kRowTop[row] + kRowHeight);
        win32::FillSolid(dc, box, kDisplayBack);
        win32::SelectGuard f(dc, digits);
        const RECT inner{box.left + S(6), box.top, box.right - S(8), box.bottom};
        TextLine(dc, report_.Text(row == 0 ? Row::Upper : Row::Lower), inner, DT_RIGHT | DT_VCENTER, kDigits);
    }
}

void ctlMultiPanel::PaintKnob(HDC dc, HFONT font, const MultiScreen& view) {
    const int cx = S(kKnobX), cy = S(kKnobY);
    Circle(dc, cx, cy, S(kKnobRadius), kKnobFace, kDim, 1);
    Circle(dc, cx, cy, S(kKnobRadius - 8), kKnobFace, kDim, 1);
    Line(dc, Polar(cx, cy, view.knobAngle, S(kKnobRadius - 14), S(kKnobRadius - 14)),
         Polar(cx, cy, view.knobAngle, S(kKnobRadius - 3), S(kKnobRadius - 3)), kMark, std::max(1, S(2)));
    win32::SelectGuard f(dc, font);
    TextLine(dc, "Speed " + std::to_string(view.knobSpeed),
             Scaled(kKnobX - 48, kCaptionTop, kKnobX + 48, kCaptionBottom),
             DT_CENTER | DT_VCENTER, kText);
}

void ctlMultiPanel::PaintLevers(HDC dc, HFONT font, const MultiScreen& view) {
    struct Lever {
        int left, right;
        const char *caption, *upper, *lower;
        int position;  // 1 up, 0 middle, -1 down
    };
    const Lever levers[2] = {
        {kAtLeft, kAtRight, "A/T", "ARM", "OFF", view.autoThrottleArmed ? 1 : -1},
        {kFlapsLeft, kFlapsRight, "FLAPS", "UP", "DN", view.flaps},
    };
    win32::SelectGuard f(dc, font);
    for (const Lever& lever : levers) {
        TextLine(dc, lever.caption, Scaled(lever.left, kCaptionTop, lever.right, kCaptionBottom),
                 DT_CENTER | DT_VCENTER, kDim);
        TextLine(dc, lever.upper, Scaled(lever.left, kLeverUpper, lever.right, kSlotTop - kLeverHalf - 1),
                 DT_CENTER | DT_VCENTER, lever.position > 0 ? kText : kDim);
        TextLine(dc, lever.lower,
                 Scaled(lever.left, kSlotBottom + kLeverHalf + 1, lever.right, kLeverLower + kLabelHeight),
                 DT_CENTER | DT_VCENTER, lever.position < 0 ? kText : kDim);
        const int cx = (lever.left + lever.right) / 2;
        const RECT slot = Scaled(cx - 2, kSlotTop, cx + 2, kSlotBottom);
        win32::FillSolid(dc, slot, kDisplayBack);
        const int y = lever.position > 0 ? kSlotTop : lever.position < 0 ? kSlotBottom : (kSlotTop + kSlotBottom) / 2;
        win32::RoundBox(dc, Scaled(cx - 16, y - kLeverHalf, cx + 16, y + kLeverHalf), S(4), kMark, kDim);
    }
}

void ctlMultiPanel::PaintTrim(HDC dc, HFONT font, const MultiScreen& view) {
    {
        win32::SelectGuard f(dc, font);
        TextLine(dc, "TRIM", Scaled(kTrimLeft, kCaptionTop, kTrimRight, kCaptionBottom), DT_CENTER | DT_VCENTER, kDim);
        TextLine(dc, "Speed " + std::to_string(view.trimSpeed),
                 Scaled(kTrimLeft, kTrimSpeedTop, kTrimRight, kTrimSpeedBottom), DT_CENTER | DT_VCENTER, kText);
    }
    // The wheel seen from its edge: a line on it moves up with TrimUp steps
    // and round the back of the wheel.
    const RECT wheel = Scaled(kWheelLeft, kWheelTop, kWheelRight, kWheelBottom);
    win32::RoundBox(dc, wheel, S(10), kKnobFace, kDim);
    const double radians = view.trimAngle * 3.14159265358979323846 / 180.0;
    if (std::cos(radians) < 0) return;  // on the back of the wheel
    const int centre = (kWheelTop + kWheelBottom) / 2;
    const int y = centre - static_cast<int>(std::lround(std::sin(radians) * (centre - kWheelTop - 6)));
    Line(dc, {S(kWheelLeft + 3), S(y)}, {S(kWheelRight - 3), S(y)}, kMark, std::max(1, S(2)));
}

void ctlMultiPanel::PaintButtons(HDC dc, HFONT font, const MultiScreen& view) {
    const std::uint8_t lamps = report_.Lamps();
    win32::SelectGuard f(dc, font);
    for (int i = 1; i <= 8; ++i) {
        const int left = kButtonsLeft + (i - 1) * (kButtonWidth + kButtonGap);
        const RECT rc = Scaled(left, kButtonTop, left + kButtonWidth, kButtonBottom);
        const bool lit = (lamps & (1u << (i - 1))) != 0;
        const COLORREF face = view.buttonPressed[static_cast<std::size_t>(i)] ? kPressed : lit ? kLit : kUnlit;
        win32::RoundBox(dc, rc, S(6), face, kDim);
        TextLine(dc, kButtonNames[i], rc, DT_CENTER | DT_VCENTER, RGB(20, 20, 20));
    }
}

} // namespace orvex::panels::multi
