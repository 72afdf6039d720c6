#include "panels/common/win32/panel_control.h"

#include "common/win32/panel_face.h"
#include "relaybox/hid/hid_core.h"
#include "relaybox/hid/hid_system.h"
#include "simlink/win32/wait_win32.h"

namespace orvex::panels {

namespace {
constexpr int kSetupId = 100;
// Posted to the control itself, so that the owner hears of a failed device
// after the event or the write that found it has returned.
constexpr UINT kMsgDeviceFailed = WM_APP + 40;
constexpr COLORREF kShade = RGB(0, 0, 0);
constexpr BYTE kShadeAlpha = 150;
constexpr COLORREF kStatusBack = RGB(255, 255, 225);
constexpr COLORREF kStatusText = RGB(40, 40, 40);
}

bool PanelControl::CreatePanel(HWND parent, int panelIndex, int x, int y) {
    if (Handle()) return false;
    panelIndex_ = panelIndex;
    dpi_ = win32::WindowDpi(parent);
    const SIZE size = FixedSize(layout_, dpi_);
    if (!Window::Create(layout_.className, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, x, y,
                        size.cx, size.cy, parent, nullptr, CS_DBLCLKS, nullptr))
        return false;
    dpi_ = win32::WindowDpi(Handle());
    const RECT& setup = layout_.setupButton;
    cmdSetup_ = win32::CreateSetupButton(Handle(), kSetupId, Scaled(setup.left, setup.top, setup.right, setup.bottom),
                                         dpi_, tooltip_);
    return true;
}

bool PanelControl::ConnectDevice(const std::string& path, long readTimeoutMs,
                                 relaybox::PanelReader::ReportHandler onInput, bool readerFailureIsLoss) {
    connectError_.clear();
    if (!Handle()) {
        connectError_ = "The panel control has no window.";
        return false;
    }
    device_.reset();
    if (readerFailureIsLoss) reader_.OnFailure([this] { DeviceFailed(); });
    else reader_.OnFailure(nullptr);
    if (!reader_.Start(path, readTimeoutMs, std::move(onInput), connectError_, readerPriority_)) return false;
    // Output goes through a handle of its own, opened without overlapped I/O,
    // its feature reports at the length the device's collection defines.
    device_ = hid::OpenForFeatureReports(hid::DefaultHidSystem(), path);
    path_ = path;
    failureTold_ = false;
    return true;
}

void PanelControl::DeviceFailed() {
    if (failureTold_ || closing_ || !Handle()) return;
    failureTold_ = true;
    ::PostMessageA(Handle(), kMsgDeviceFailed, 0, 0);
}

void PanelControl::ReleaseDevice(bool serverGone) {
    if (serverGone) {
        reader_.Abandon();
    } else {
        // The loop has ended or ends within one wait; nothing is blanked.
        reader_.Stop(&simlink::DoEvents);
    }
    device_.reset();
    // A failure found before the release needs no telling any more.
    failureTold_ = true;
}

void PanelControl::SetStatusText(const std::string& text) {
    if (statusText_ == text) return;
    statusText_ = text;
    if (Handle()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

void PanelControl::PaintStatus(HDC dc, const RECT& client) {
    // The copy is shaded, and the status stands in a box in its middle.
    win32::UniqueDc memory(::CreateCompatibleDC(dc));
    win32::UniqueGdi pixel(::CreateCompatibleBitmap(dc, 1, 1));
    if (memory && pixel) {
        win32::SelectGuard select(memory.get(), pixel.get());
        ::SetPixel(memory.get(), 0, 0, kShade);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, kShadeAlpha, 0};
        ::GdiAlphaBlend(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, 1, 1, blend);
    }
    win32::SelectGuard font(dc, win32::MessageFont(dpi_));
    RECT measure{0, 0, client.right - S(40), 0};
    ::DrawTextA(dc, statusText_.c_str(), -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_CENTER);
    const int width = measure.right - measure.left + S(24);
    const int height = measure.bottom - measure.top + S(14);
    RECT box{(client.right - width) / 2, (client.bottom - height) / 2, 0, 0};
    box.right = box.left + width;
    box.bottom = box.top + height;
    win32::FillSolid(dc, box, kStatusBack);
    ::FrameRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    RECT text{box.left + S(12), box.top + S(7), box.right - S(12), box.bottom - S(7)};
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kStatusText);
    ::DrawTextA(dc, statusText_.c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX | DT_CENTER);
}

void PanelControl::ShutdownDevice(const std::function<void()>& blank) {
    // The messages let run below reach a control that raises nothing more:
    // its owner may already be half gone.
    closing_ = true;
    if (reader_.Running()) {
        reader_.Detach();
        if (blank) blank();
        simlink::DoEvents();
        reader_.Stop(&simlink::DoEvents);
    }
    simlink::DoEvents();
    device_.reset();
    simlink::DoEvents();
}

void PanelControl::SendFeature(const std::uint8_t* data, std::size_t size) {
    if (device_ && !device_->SetFeature(data, static_cast<std::uint32_t>(size))) DeviceFailed();
}

bool PanelControl::SendFeatureMayFail(const std::uint8_t* data, std::size_t size) {
    return device_ && device_->SetFeature(data, static_cast<std::uint32_t>(size));
}

bool PanelControl::ReadFeature(std::uint8_t* data, std::size_t size) {
    return device_ && device_->GetFeature(data, static_cast<std::uint32_t>(size));
}

void PanelControl::RescaleTo(UINT dpi) {
    if (!Handle() || dpi == 0 || dpi == dpi_) return;
    dpi_ = dpi;
    const SIZE size = FixedSize(layout_, dpi_);
    ::SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (cmdSetup_) {
        const RECT& setup = layout_.setupButton;
        const RECT rc = Scaled(setup.left, setup.top, setup.right, setup.bottom);
        ::MoveWindow(cmdSetup_, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        ::SendMessageA(cmdSetup_, WM_SETFONT, reinterpret_cast<WPARAM>(win32::MessageFont(dpi_)), TRUE);
    }
    DpiChanged();
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT PanelControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        win32::PaintBuffer paint(Handle());
        Paint(paint.Dc());
        if (!statusText_.empty()) PaintStatus(paint.Dc(), paint.Client());
        return 0;
    }
    case kMsgDeviceFailed:
        if (!closing_ && OnDeviceFailed) OnDeviceFailed();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kSetupId && HIWORD(wParam) == BN_CLICKED) {
            if (!closing_) SetupClicked();
            return 0;
        }
        break;
    case WM_WINDOWPOSCHANGING: {
        // The panel keeps its size.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        const SIZE size = FixedSize(layout_, dpi_);
        pos->cx = size.cx;
        pos->cy = size.cy;
        return 0;
    }
    case win32::kDpiChangedAfterParent:
        RescaleTo(win32::WindowDpi(Handle()));
        return 0;
    case WM_DESTROY:
        tooltip_.reset();
        cmdSetup_ = nullptr;
        break;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

} // namespace orvex::panels
