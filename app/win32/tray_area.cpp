#include "app/win32/tray_area.h"

#include <shellapi.h>


namespace orvex::app::win32 {

ctlTrayArea::ctlTrayArea() = default;

ctlTrayArea::~ctlTrayArea() { Visible(false); }

bool ctlTrayArea::Create(bool elevated) {
    taskbarCreated_ = ::RegisterWindowMessageA("TaskbarCreated");
    // A top-level window (never shown): message-only windows do not get
    // broadcasts such as "TaskbarCreated".
    if (!Window::Create("OrvexTrayArea", "Orvex tray", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr)) return false;
    // A message from a process of lower integrity is dropped on its way to
    // an elevated window unless the window lets it through.
    if (elevated && taskbarCreated_)
        taskbarCreatedAllowed_ = ::ChangeWindowMessageFilterEx(Handle(), taskbarCreated_, MSGFLT_ALLOW, nullptr) != FALSE;
    return true;
}

NOTIFYICONDATAA ctlTrayArea::Record() const {
    NOTIFYICONDATAA data{};
    // The record's real size in this build, not a size from another one.
    data.cbSize = sizeof(data);
    data.hWnd = Handle();
    data.uID = kIconId;
    data.uFlags = NIF_MESSAGE;
    if (icon_) data.uFlags |= NIF_ICON;
    if (!tip_.empty()) data.uFlags |= NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_;
    // The tooltip field of the classic record holds 63 characters and a NUL.
    constexpr std::size_t kTipChars = 64;
    const std::size_t n = tip_.size() < kTipChars - 1 ? tip_.size() : kTipChars - 1;
    for (std::size_t i = 0; i < n; ++i) data.szTip[i] = tip_[i];
    data.szTip[n] = '\0';
    return data;
}

bool ctlTrayArea::Notify(DWORD message) {
    if (!Handle()) return false;
    NOTIFYICONDATAA data = Record();
    return ::Shell_NotifyIconA(message, &data) != FALSE;
}

void ctlTrayArea::Visible(bool visible) {
    if (visible) {
        visible_ = true;
        if (icon_) added_ = Notify(NIM_ADD) || added_;
    } else {
        if (added_) Notify(NIM_DELETE);
        added_ = false;
        visible_ = false;
    }
}

void ctlTrayArea::Icon(HICON icon) {
    icon_ = icon;
    if (!visible_) return;
    if (!icon_) {
        // No picture: the icon leaves the notification area.
        if (added_) Notify(NIM_DELETE);
        added_ = false;
    } else if (added_) {
        Notify(NIM_MODIFY);
    } else {
        added_ = Notify(NIM_ADD);
    }
}

void ctlTrayArea::ToolTip(const std::string& text) {
    tip_ = text;
    if (visible_ && added_) Notify(NIM_MODIFY);
}

LRESULT ctlTrayArea::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallbackMessage) {
        switch (LOWORD(lParam)) {
        case WM_MOUSEMOVE: if (MouseMove) MouseMove(); break;
        case WM_LBUTTONDOWN: if (MouseDown) MouseDown(1); break;
        case WM_LBUTTONUP: if (MouseUp) MouseUp(1); break;
        case WM_LBUTTONDBLCLK: if (DblClick) DblClick(); break;
        case WM_RBUTTONDOWN: if (MouseDown) MouseDown(2); break;
        case WM_RBUTTONUP: if (MouseUp) MouseUp(2); break;
        case WM_RBUTTONDBLCLK: if (DblClick) DblClick(); break;
        default: break;
        }
        return 0;
    }
    if (taskbarCreated_ && message == taskbarCreated_) {
        // Explorer started again: the shell has forgotten the icon.
        added_ = false;
        if (visible_ && icon_) added_ = Notify(NIM_ADD);
        return 0;
    }
    return Default(message, wParam, lParam);
}

} // namespace orvex::app::win32
