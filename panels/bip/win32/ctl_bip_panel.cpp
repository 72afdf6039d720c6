#include "panels/bip/win32/ctl_bip_panel.h"

#include "common/win32/panel_face.h"
#include "simlink/win32/wait_win32.h"

#include <algorithm>

namespace orvex::panels::bip {

namespace {

constexpr LONG kReaderTimeoutMs = 1500;
// The splash waits in steps of 2 ms, letting messages run between them.
constexpr double kSplashWaitStepMs = 2;

// The on-screen layout at 96 DPI: 10905 x 2865 twips; the three tile rows
// (720 twips each) from the top, the name and the Setup button below them.
constexpr int kWidth = kBIPControlWidthTwips / 15;    // 727
constexpr int kHeight = kBIPControlHeightTwips / 15;  // 191
constexpr int kRowsHeight = kTileRows * kTileRowHeightTwips / 15;  // 144
constexpr int kMargin = 8, kGap = 6;
constexpr RECT kNameRect = {kMargin, 156, 400, 184};
constexpr PanelControl::Layout kLayout{"OrvexBIPPanel", kWidth, kHeight, {641, 156, 719, 184}};

constexpr COLORREF kBackground = RGB(48, 50, 54);
constexpr COLORREF kText = RGB(210, 212, 216);

} // namespace

ctlBIPPanel::ctlBIPPanel() : PanelControl(kLayout) {}

ctlBIPPanel::~ctlBIPPanel() {
    ShutdownDevice([this] { TurnPanel(kTileDark); });
    Destroy();
}

SIZE ctlBIPPanel::FixedSize(UINT dpi) { return PanelControl::FixedSize(kLayout, dpi); }

bool ctlBIPPanel::Create(HWND parent, int panelIndex, IBIPPanelEvents& events, simlink::IWaitHost& waitHost, int x,
                         int y) {
    if (Handle()) return false;
    events_ = &events;
    waitHost_ = &waitHost;
    // A request for the button-face colour counts as dark.
    tiles_.SetButtonFace(static_cast<std::int32_t>(::GetSysColor(COLOR_BTNFACE)));
    return CreatePanel(parent, panelIndex, x, y);
}

win32::TileGrid ctlBIPPanel::Grid() const { return win32::TileGrid(Scaled(0, 0, kWidth, kRowsHeight), S(kMargin), S(kGap)); }

RECT ctlBIPPanel::TileRect(int tile) const { return Grid().Shape(tile); }

void ctlBIPPanel::InvalidateTile(int tile) {
    if (!Handle()) return;
    const RECT rc = Grid().RowBand(tile);
    // The whole row band: a legend may stand a little over its tile.
    ::InvalidateRect(Handle(), &rc, FALSE);
}

void ctlBIPPanel::InvalidateTiles() {
    if (!Handle()) return;
    const RECT rc = Scaled(0, 0, kWidth, kRowsHeight);
    ::InvalidateRect(Handle(), &rc, FALSE);
}

// --- Connection ---------------------------------------------------------------

bool ctlBIPPanel::Connect(const std::string& path) {
    // The reader runs for the life of the control; the BIP sends no input,
    // so only a failed write tells that it is gone.
    if (!ConnectDevice(path, kReaderTimeoutMs, [](const std::array<std::uint8_t, 4>&) {}, false)) return false;
    SetBrightness(0);
    // Twice the 7-byte buffer under the brightness id, every other byte zero.
    // The brightness report is two bytes long, so a panel may well refuse
    // this one: a refusal is no sign that it is gone (counted as one, the
    // panel was dropped and connected again every time it was connected).
    for (int i = 0; i < 2; ++i) SendFeatureMayFail(kBlankingReport.data(), kBlankingReport.size());
    // The backlight fades in.
    for (int level = kFadeInStep; level <= kMaxBrightness; level += kFadeInStep) SetBrightness(level);
    return true;
}

void ctlBIPPanel::ResendAll() {
    SetBrightness(brightness_);
    SendTiles();
}

void ctlBIPPanel::SetBrightness(int level) {
    brightness_ = level;
    const BrightnessReport report = MakeBrightnessReport(level);
    SendFeature(report.data(), report.size());
}

// --- Tiles --------------------------------------------------------------------

void ctlBIPPanel::SendTiles() {
    ++tileReportsSent_;
    const TileReport& report = tiles_.Report();
    SendFeature(report.data(), report.size());
}

void ctlBIPPanel::TurnTile(int tile, std::int32_t colour) {
    if (!tiles_.TurnTile(tile, colour)) return;
    InvalidateTile(tile);
    SendTiles();
}

void ctlBIPPanel::TurnAllTiles(const std::array<std::int32_t, kTileCount>& colours) {
    if (!tiles_.TurnAllTiles(colours)) return;
    InvalidateTiles();
    SendTiles();
}

void ctlBIPPanel::TurnPanel(std::int32_t colour) {
    if (!tiles_.TurnPanel(colour)) return;
    InvalidateTiles();
    SendTiles();
}

void ctlBIPPanel::SetTileLabel(int tile, const std::string& text) {
    if (legends_.Set(tile, text)) InvalidateTile(tile);
}

void ctlBIPPanel::Splash() {
    TurnPanel(kTileDark);
    for (int step = 0; step < kSplashSteps; ++step) {
        const SplashStepChanges changes = SplashStep(step);
        for (std::size_t i = 0; i < changes.Count; ++i) TurnTile(changes.Changes[i].Tile, changes.Changes[i].Colour);
        if (waitHost_) simlink::WaitFor(*waitHost_, kSplashStepWaitMs, kSplashWaitStepMs);
    }
    TurnPanel(kTileDark);
}

// --- Window -------------------------------------------------------------------

void ctlBIPPanel::SetupClicked() {
    if (events_) events_->SetupRequest();
}

LRESULT ctlBIPPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOLORCHANGE) {
        // Dark tiles follow the new button face.
        tiles_.SetButtonFace(static_cast<std::int32_t>(::GetSysColor(COLOR_BTNFACE)));
        InvalidateTiles();
    }
    return PanelControl::HandleMessage(message, wParam, lParam);
}

void ctlBIPPanel::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    orvex::win32::FillSolid(dc, client, kBackground);
    orvex::win32::SelectGuard font(dc, orvex::win32::MessageFont(Dpi()));
    const win32::TileGrid grid = Grid();
    for (int t = 0; t < kTileCount; ++t)
        win32::PaintTile(dc, grid, t, win32::TileFill(tiles_.TileColour(t)), legends_, 1);
    ::SetBkMode(dc, TRANSPARENT);
    orvex::win32::TextLine(dc, "BIP Panel " + std::to_string(PanelIndex()),
                           Scaled(kNameRect.left, kNameRect.top, kNameRect.right, kNameRect.bottom),
                           DT_LEFT | DT_VCENTER, kText);
}

} // namespace orvex::panels::bip
