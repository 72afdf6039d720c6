#include "panels/switch/win32/ctl_switch_panel.h"

#include "common/win32/panel_face.h"
#include "simlink/win32/wait_win32.h"

#include <algorithm>

namespace orvex::panels::switchpanel {

namespace {

constexpr LONG kReaderTimeoutMs = 1500;
constexpr std::int32_t kSplashStepMs = 100;
constexpr double kSplashWaitStepMs = 25;

// The on-screen layout at 96 DPI.
constexpr int kWidth = 727;   // 10905 twips
constexpr int kHeight = 191;  // 2865 twips
constexpr int kSelectorX = 74, kSelectorY = 100, kSelectorRadius = 22, kNeedleLength = 18;
constexpr int kLabelRadiusX = 52, kLabelRadiusY = 50;
constexpr int kSelectorRight = 140;
// Two rows of switches: BAT to COWL above, PANEL to LANDING below.
constexpr int kFirstColumn = 178, kColumnStep = 60, kColumnHalf = 29;
constexpr int kRowTop[2] = {8, 100};
constexpr int kRowHeight = 84;
constexpr int kCaptionHeight = 28, kSlotHalfWidth = 7, kSlotHeight = 44;
constexpr int kLeverHalfWidth = 11, kLeverHeight = 16;
constexpr int kFirstRowCount = 7;
constexpr int kGearX = 598, kGearTop = 26, kGearBottom = 156, kGearLeft = 556, kGearRight = 630, kHandleRadius = 12;
constexpr int kLampRadius = 10;
constexpr POINT kLampCentres[kGearCount] = {{676, 36}, {652, 74}, {700, 74}};  // nose, left, right
constexpr RECT kLampArea = {634, 14, 722, 100};
constexpr PanelControl::Layout kLayout{"OrvexSwitchPanel", kWidth, kHeight, {638, 140, 716, 168}};

constexpr const char* kPositionNames[5] = {"OFF", "R", "L", "BOTH", "START"};
constexpr int kPositionAngles[5] = {-80, -40, 0, 40, 80};
constexpr const char* kSwitchNames[kTwoPositionCount] = {"BAT",   "ALT",    "AVIONICS", "FUEL PUMP", "DE-ICE",
                                                         "PITOT HEAT", "COWL", "PANEL",  "BEACON", "NAV",
                                                         "STROBE", "TAXI",  "LANDING"};

constexpr COLORREF kBackground = RGB(48, 50, 54);
constexpr COLORREF kText = RGB(210, 212, 216);
constexpr COLORREF kDim = RGB(140, 144, 150);
constexpr COLORREF kKnobFace = RGB(28, 29, 32);
constexpr COLORREF kNeedle = RGB(250, 200, 60);
constexpr COLORREF kSlot = RGB(18, 18, 20);
constexpr COLORREF kLeverOn = RGB(240, 240, 240);
constexpr COLORREF kLeverOff = RGB(150, 152, 156);
constexpr COLORREF kHandle = RGB(235, 235, 235);

const SwitchScreen kIdleScreen{};

COLORREF LampPaint(std::int32_t colour) {
    switch (colour) {
    case kLampGreen: return RGB(40, 220, 70);
    case kLampRed: return RGB(230, 40, 30);
    case kLampBoth: return RGB(250, 215, 40);
    default: return RGB(255, 255, 255);  // off
    }
}

// Row and column of a two-position switch 0-12.
int RowOf(int n) { return n < kFirstRowCount ? 0 : 1; }
int ColumnX(int n) { return kFirstColumn + kColumnStep * (n < kFirstRowCount ? n : n - kFirstRowCount); }

} // namespace

ctlSwitchPanel::ctlSwitchPanel() : PanelControl(kLayout) {}

ctlSwitchPanel::~ctlSwitchPanel() {
    ShutdownDevice([this] { ChangeLights(kLampOff, kLampOff, kLampOff); });
    Destroy();
}

SIZE ctlSwitchPanel::FixedSize(UINT dpi) { return PanelControl::FixedSize(kLayout, dpi); }

bool ctlSwitchPanel::Create(HWND parent, int panelIndex, ISwitchPanelEvents& events, simlink::IWaitHost& waitHost,
                            int x, int y) {
    if (Handle()) return false;
    events_ = &events;
    waitHost_ = &waitHost;
    decoder_.emplace(static_cast<ISwitchInputHost&>(*this), events);
    return CreatePanel(parent, panelIndex, x, y);
}

RECT ctlSwitchPanel::PartRect(std::uint32_t part) const {
    if (part == screen::kSelector) return Scaled(0, 0, kSelectorRight, kHeight);
    if (part == screen::kGear) return Scaled(kGearLeft, kGearTop - kHandleRadius - 14, kGearRight, kGearBottom + kHandleRadius + 14);
    if (part == screen::kLamps) return Scaled(kLampArea.left, kLampArea.top, kLampArea.right, kLampArea.bottom);
    for (int n = 0; n < kTwoPositionCount; ++n) {
        if (part != screen::Switch(n)) continue;
        const int cx = ColumnX(n), top = kRowTop[RowOf(n)];
        return Scaled(cx - kColumnHalf, top, cx + kColumnHalf, top + kRowHeight);
    }
    return RECT{};
}

const SwitchScreen& ctlSwitchPanel::Screen() const { return decoder_ ? decoder_->Screen() : kIdleScreen; }

void ctlSwitchPanel::ScreenChanged(std::uint32_t parts) {
    if (!Handle()) return;
    for (std::uint32_t bit = 1; bit <= screen::kLamps; bit <<= 1) {
        if (!(parts & bit)) continue;
        const RECT rc = PartRect(bit);
        ::InvalidateRect(Handle(), &rc, FALSE);
    }
}

// --- Input ------------------------------------------------------------------

void ctlSwitchPanel::OnRawInput(const std::array<std::uint8_t, 4>& report) {
    if (decoder_ && !Closing()) decoder_->OnRawInput(report);
}

void ctlSwitchPanel::GetPositions() {
    // The panel's feature report holds only its lamps: the positions come
    // from the last input report the panel sent.
    if (decoder_ && !Closing()) decoder_->ReplayPositions();
}

// --- Connection ---------------------------------------------------------------

bool ctlSwitchPanel::Connect(const std::string& path) {
    return ConnectDevice(path, kReaderTimeoutMs, [this](const std::array<std::uint8_t, 4>& r) { OnRawInput(r); });
}

// --- Output -----------------------------------------------------------------

void ctlSwitchPanel::ChangeLights(std::optional<std::int32_t> nose, std::optional<std::int32_t> left,
                                  std::optional<std::int32_t> right) {
    const bool send = lamps_.ChangeLights(nose, left, right);
    if (!send) return;
    lastReport_ = lamps_.Buffer();
    ++reportsSent_;
    ScreenChanged(screen::kLamps);
    SendFeature(lastReport_.data(), lastReport_.size());
}

void ctlSwitchPanel::ResendAll() {
    lastReport_ = lamps_.Buffer();
    ++reportsSent_;
    SendFeature(lastReport_.data(), lastReport_.size());
}

void ctlSwitchPanel::Splash() {
    // Green, both, then red on the nose, left and right lamp in turn; then dark.
    static constexpr std::int32_t kColours[3] = {kLampGreen, kLampBoth, kLampRed};
    for (int step = 0; step < 9; ++step) {
        std::int32_t lamp[kGearCount] = {kLampOff, kLampOff, kLampOff};
        lamp[step % 3] = kColours[step / 3];
        ChangeLights(lamp[0], lamp[1], lamp[2]);
        if (waitHost_) simlink::WaitFor(*waitHost_, kSplashStepMs, kSplashWaitStepMs);
    }
    ChangeLights(kLampOff, kLampOff, kLampOff);
}

// --- Window -----------------------------------------------------------------

void ctlSwitchPanel::SetupClicked() {
    if (events_) events_->SetupRequest();
}

void ctlSwitchPanel::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    win32::FillSolid(dc, client, kBackground);
    ::SetBkMode(dc, TRANSPARENT);
    const SwitchScreen& view = Screen();
    win32::SelectGuard font(dc, win32::MessageFont(Dpi()));

    // Magneto and starter: the position names round the knob, and the needle.
    const int cx = S(kSelectorX), cy = S(kSelectorY);
    win32::TextLine(dc, "MAGNETOS", Scaled(0, 8, kSelectorRight, 26), DT_CENTER | DT_VCENTER, kDim);
    for (int i = 0; i < 5; ++i) {
        const POINT at = win32::Polar(cx, cy, kPositionAngles[i], S(kLabelRadiusX), S(kLabelRadiusY));
        const RECT rc{at.x - S(22), at.y - S(9), at.x + S(22), at.y + S(9)};
        win32::TextLine(dc, kPositionNames[i], rc, DT_CENTER | DT_VCENTER, view.selector == kSelOff + i ? kText : kDim);
    }
    win32::Circle(dc, cx, cy, S(kSelectorRadius), kKnobFace, kDim, 1);
    if (view.selector != kNoSwitch) {
        const POINT tip = win32::Polar(cx, cy, kPositionAngles[view.selector - kSelOff], S(kNeedleLength),
                                       S(kNeedleLength));
        win32::Line(dc, {cx, cy}, tip, kNeedle, std::max(1, S(3)));
    }

    // The switches: a slot with the lever up (on) or down (off).
    for (int n = 0; n < kTwoPositionCount; ++n) {
        const int x = ColumnX(n), top = kRowTop[RowOf(n)];
        RECT caption = Scaled(x - kColumnHalf, top, x + kColumnHalf, top + kCaptionHeight);
        ::SetTextColor(dc, kText);
        ::DrawTextA(dc, kSwitchNames[n], -1, &caption, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        const int slotTop = top + kCaptionHeight + 6;
        win32::RoundBox(dc, Scaled(x - kSlotHalfWidth, slotTop, x + kSlotHalfWidth, slotTop + kSlotHeight), S(6),
                        kSlot, kDim);
        const bool on = view.switchOn[static_cast<std::size_t>(n)];
        const int leverTop = on ? slotTop - 2 : slotTop + kSlotHeight - kLeverHeight + 2;
        win32::RoundBox(dc, Scaled(x - kLeverHalfWidth, leverTop, x + kLeverHalfWidth, leverTop + kLeverHeight),
                        S(5), on ? kLeverOn : kLeverOff, kDim);
    }

    // The gear lever: its handle at UP, DOWN or between them.
    win32::TextLine(dc, "UP", Scaled(kGearLeft, kGearTop - 8, kGearX - 14, kGearTop + 8), DT_RIGHT | DT_VCENTER, kDim);
    win32::TextLine(dc, "DOWN", Scaled(kGearLeft - 8, kGearBottom - 8, kGearX - 14, kGearBottom + 8),
                    DT_RIGHT | DT_VCENTER, kDim);
    win32::RoundBox(dc, Scaled(kGearX - 4, kGearTop, kGearX + 4, kGearBottom), S(4), kSlot, kDim);
    const int handleY = view.gear == LeverPosition::Up     ? kGearTop
                        : view.gear == LeverPosition::Down ? kGearBottom
                                                           : (kGearTop + kGearBottom) / 2;
    win32::Circle(dc, S(kGearX), S(handleY), S(kHandleRadius), kHandle, kDim, 1);

    // The gear lamps.
    static constexpr const char* kLampNames[kGearCount] = {"N", "L", "R"};
    for (std::size_t g = 0; g < kGearCount; ++g) {
        const POINT c = kLampCentres[g];
        win32::Circle(dc, S(c.x), S(c.y), S(kLampRadius), LampPaint(lamps_.Colour(static_cast<Gear>(g))), kDim, 1);
        win32::TextLine(dc, kLampNames[g], Scaled(c.x - 10, c.y + kLampRadius, c.x + 10, c.y + kLampRadius + 14),
                        DT_CENTER | DT_VCENTER, kDim);
    }
}

} // namespace orvex::panels::switchpanel
