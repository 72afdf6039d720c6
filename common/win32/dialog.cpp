#include "common/win32/dialog.h"

#include "common/win32/window.h"

#include <commctrl.h>

namespace orvex::win32 {

Dialog::~Dialog() {
    if (hwnd_ && !modal_) ::DestroyWindow(hwnd_);
}

HINSTANCE Dialog::Module() { return ::GetModuleHandleA(nullptr); }

INT_PTR Dialog::ShowModal(HWND owner) {
    modal_ = true;
    ended_ = false;
    return ::DialogBoxParamA(Module(), MAKEINTRESOURCEA(templateId_), owner, &Dialog::Procedure,
                             reinterpret_cast<LPARAM>(this));
}

bool Dialog::Create(HWND owner) {
    modal_ = false;
    ended_ = false;
    HWND h = ::CreateDialogParamA(Module(), MAKEINTRESOURCEA(templateId_), owner, &Dialog::Procedure,
                                  reinterpret_cast<LPARAM>(this));
    if (h) ::ShowWindow(h, SW_SHOW);
    return h != nullptr;
}

void Dialog::End(INT_PTR result) {
    result_ = result;
    ended_ = true;
    if (!hwnd_) return;
    if (modal_) ::EndDialog(hwnd_, result);
    else ::DestroyWindow(hwnd_);
}

std::string Dialog::ItemText(int id) const { return WindowText(Item(id)); }

void Dialog::ItemText(int id, const std::string& text) const { ::SetDlgItemTextA(hwnd_, id, text.c_str()); }

void Dialog::Click(int id) const {
    ::SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
}

void Dialog::OnCommand(int id, int code, HWND control) {
    (void)code;
    (void)control;
    if (id == IDOK || id == IDCANCEL) End(id);
}

bool Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    (void)message;
    (void)wParam;
    (void)lParam;
    (void)result;
    return false;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInit() ? TRUE : FALSE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header) return FALSE;
        MessageResult(OnNotify(*header));
        return TRUE;
    }
    case WM_CLOSE:
        // The close box is Cancel.
        OnCommand(IDCANCEL, BN_CLICKED, nullptr);
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default: {
        INT_PTR result = 0;
        if (OnMessage(message, wParam, lParam, result)) return result;
        return FALSE;
    }
    }
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR result = FALSE;
    try {
        result = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        // Nothing may leave a dialog procedure: the message gets the
        // dialog manager's default handling.
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

} // namespace orvex::win32
