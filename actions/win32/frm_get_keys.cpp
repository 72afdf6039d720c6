#include "actions/win32/frm_get_keys.h"

#include "common/win32/place_window_win32.h"

#include <commctrl.h>

namespace orvex::actions::win32 {

CapturedKeys& CapturedKeyValues() {
    static CapturedKeys values;
    return values;
}

namespace {
constexpr UINT_PTR kCaptureSubclass = 1;
// Bit 30 of a key message: the key was already down (auto-repeat).
bool Repeated(LPARAM lParam) { return (static_cast<unsigned long>(lParam) & (1ul << 30)) != 0; }
} // namespace

frmGetKeys::frmGetKeys(CapturedKeys& captured, config::cSetupHolder* setup, const MonitorList* monitors,
                       config::IUserMessages* messages)
    : Dialog(IDD_GETKEYS), captured_(captured), setup_(setup), monitors_(monitors), messages_(messages) {}

frmGetKeys::~frmGetKeys() {
    if (Handle()) ::DestroyWindow(Handle());
}

bool frmGetKeys::OnInit() {
    capture_.Reset();
    captured_ = capture_.Values();

    const MonitorList monitors = monitors_ ? *monitors_ : orvex::win32::EnumerateMonitors();
    orvex::win32::PlaceWindow(Handle(), setup_ ? setup_->GetKeysFormTop() : 0, setup_ ? setup_->GetKeysFormLeft() : 0,
                              monitors);

    // The prompt in bold: it is what the window asks for.
    HWND prompt = CaptureWindow();
    if (auto font = reinterpret_cast<HFONT>(::SendMessageA(Handle(), WM_GETFONT, 0, 0))) {
        LOGFONTA lf{};
        if (::GetObjectA(font, sizeof(lf), &lf)) {
            lf.lfWeight = FW_BOLD;
            boldFont_.reset(::CreateFontIndirectA(&lf));
            if (boldFont_) ::SendMessageA(prompt, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
        }
    }
    ShowIndicators();
    ::SetWindowSubclass(prompt, &frmGetKeys::CaptureProcedure, kCaptureSubclass, reinterpret_cast<DWORD_PTR>(this));
    ::SetFocus(prompt);
    NoteHeldKeys();
    return false; // the focus is set
}

void frmGetKeys::OnDestroy() {
    if (!setup_) return;
    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(Handle(), top, left);
    setup_->GetKeysFormTop(top);
    setup_->GetKeysFormLeft(left);
}

bool frmGetKeys::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message != WM_CTLCOLORSTATIC) return false;
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (control != Item(IDC_GETKEYS_PICSHIFT) && control != Item(IDC_GETKEYS_PICCTRL) &&
        control != Item(IDC_GETKEYS_PICTAB))
        return false;
    // A lit indicator: the selection colours.
    const auto dc = reinterpret_cast<HDC>(wParam);
    ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_HIGHLIGHT));
    result = reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_HIGHLIGHT));
    return true;
}

LRESULT CALLBACK frmGetKeys::CaptureProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                              DWORD_PTR data) {
    auto* self = reinterpret_cast<frmGetKeys*>(data);
    try {
        switch (message) {
        case WM_GETDLGCODE:
            // Every key, Tab, Enter, Escape and the arrows included.
            return ::DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_CHAR:
            // Handled here; F10 and Alt must not reach the system menu.
            self->OnKey(message, wParam, lParam);
            return 0;
        case WM_SYSCHAR:
        case WM_DEADCHAR:
        case WM_SYSDEADCHAR:
            return 0;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(hwnd, &frmGetKeys::CaptureProcedure, id);
            break;
        default:
            break;
        }
    } catch (...) {
        // Nothing may leave a window procedure.
        return 0;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

void frmGetKeys::OnKey(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto key = static_cast<std::uint8_t>(wParam & 0xFF);
    KeyCapture::Reaction reaction = KeyCapture::Reaction::None;
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        reaction = capture_.KeyDown(key, Repeated(lParam));
        break;
    case WM_CHAR:
        capture_.Character(static_cast<std::int32_t>(wParam & 0xFFFF));
        break;
    default:
        reaction = capture_.KeyUp(key);
        break;
    }
    captured_ = capture_.Values();
    switch (reaction) {
    case KeyCapture::Reaction::Indicators:
        ShowIndicators();
        break;
    case KeyCapture::Reaction::AltNotSupported:
        ShowIndicators();
        TellAltNotSupported();
        break;
    case KeyCapture::Reaction::Captured:
        End(IDOK);
        break;
    case KeyCapture::Reaction::None:
        break;
    }
}

void frmGetKeys::ShowIndicators() const {
    Show(IDC_GETKEYS_PICSHIFT, capture_.ShiftShown());
    Show(IDC_GETKEYS_PICCTRL, capture_.CtrlShown());
    Show(IDC_GETKEYS_PICTAB, capture_.TabShown());
}

void frmGetKeys::NoteHeldKeys() {
    BYTE keys[256] = {};
    if (!::GetKeyboardState(keys)) return;
    for (int k = 1; k < 256; ++k)
        if (keys[k] & 0x80) capture_.AlreadyHeld(static_cast<std::uint8_t>(k));
}

void frmGetKeys::TellAltNotSupported() {
    if (messages_) messages_->Inform(config::kMessageTitle, kAltNotSupported);
    else ::MessageBoxA(Handle(), kAltNotSupported, config::kMessageTitle, MB_OK | MB_ICONINFORMATION);
    // The keys pressed while the message was up went to it; their releases
    // are not the main key.
    NoteHeldKeys();
    if (Handle()) ::SetFocus(CaptureWindow());
}

} // namespace orvex::actions::win32
