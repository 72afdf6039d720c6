#include "panels/common/win32/panel_control.h"

#include "common/win32/panel_face.h"
#include "relaybox/hid/hid_system.h"
#include "simlink/win32/wait_win32.h"

namespace orvex::panels {

namespace {
constexpr int kSetupId = 100;
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
                                 relaybox::PanelReader::ReportHandler onInput) {
    connectError_.clear();
    if (!Handle()) {
        connectError_ = "The panel control has no window.";
        return false;
    }
    device_.reset();
    if (!reader_.Start(path, readTimeoutMs, std::move(onInput), connectError_, readerPriority_)) return false;
    // Output goes through a handle of its own, opened without overlapped I/O.
    device_ = hid::DefaultHidSystem().Open(path, false);
    return true;
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
    if (device_) device_->SetFeature(data, static_cast<std::uint32_t>(size));
}

bool PanelControl::ReadFeature(std::uint8_t* data, std::size_t size) {
    return device_ && device_->GetFeature(data, static_cast<std::uint32_t>(size));
}

LRESULT PanelControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        win32::PaintBuffer paint(Handle());
        Paint(paint.Dc());
        return 0;
    }
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
