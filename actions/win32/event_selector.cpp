#include "actions/win32/event_selector.h"

#include "actions/custom_action.h"
#include "actions/key_text.h"
#include "actions/win32/event_selector_resource.h"
#include "actions/win32/frm_custom_action.h"
#include "actions/win32/frm_get_keys.h"
#include "actions/win32/sim_action_target.h"
#include "common/win32/window.h"
#include "simlink/win32/wait_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <array>
#include <utility>

namespace orvex::actions::win32 {

namespace {

// The control's fixed size.
constexpr int kWidthTwips = 5565;
constexpr int kHeightTwips = 1245;
constexpr int kTwipsPerInch = 1440;

constexpr std::array<const char*, 5> kOptionCaptions = {
    "No Event", "FSUIPC Offset Change", "FSUIPC Virtual Button", "Keyboard Emulation", "FSUIPC Custom Action"};
constexpr int kOptions = static_cast<int>(kOptionCaptions.size());
constexpr const char* kNoEventText =
    "If you choose this option nothing will be send to Flight Simulator when you operate this switch. This "
    "behaviour is correct in many cases: a mode selector for example.";
constexpr const char* kOffsetText =
    "This is the behaviour of standard Saitek drivers: the panel's own FSUIPC offsets. To drive another offset "
    "or an FSUIPC control, choose FSUIPC Custom Action.";
constexpr const char* kCustomTestTip = "Carry the action out once in Flight Sim";
constexpr const char* kClickTip = "Send button to Flight Sim";

constexpr int kJoysticks = 9; // 64-72
constexpr int kButtons = 32;  // items 0-31 for buttons 1-32

// The option of each page (the custom kinds share the last one).
int OptionId(int option) { return option < 4 ? IDC_SELECTOR_OPTEVENT0 + option : IDC_SELECTOR_OPTEVENT4; }
int OptionOf(std::int32_t kind) { return IsCustomKind(kind) ? 4 : kind; }

// The children of each page, by option.
constexpr std::array<std::array<int, 5>, 5> kPages = {{
    {IDC_SELECTOR_NOEVENTTEXT, 0, 0, 0, 0},
    {IDC_SELECTOR_OFFSETTEXT, 0, 0, 0, 0},
    {IDC_SELECTOR_LABVJOYSTICK, IDC_SELECTOR_CMBVJOYSTICK, IDC_SELECTOR_LABVBUTTON, IDC_SELECTOR_CMBVBUTTON,
     IDC_SELECTOR_BTNCLICK},
    {IDC_SELECTOR_BTNKEYREADER, IDC_SELECTOR_LABSELECTED, IDC_SELECTOR_LABKEYSTROKES, 0, 0},
    {IDC_SELECTOR_CMBCUSTOMKIND, IDC_SELECTOR_LABCUSTOM, IDC_SELECTOR_BTNCUSTOMEDIT, IDC_SELECTOR_BTNCUSTOMTEST, 0},
}};

HINSTANCE Module() { return ::GetModuleHandleA(nullptr); }

// Lengths in the font's dialog units, as the dialog manager measures them.
struct FontUnits {
    int baseX = 6;
    int baseY = 13;
    int X(int dlu) const { return ::MulDiv(dlu, baseX, 4); }
    int Y(int dlu) const { return ::MulDiv(dlu, baseY, 8); }
};

FontUnits MeasureFont(HDC dc) {
    FontUnits units;
    TEXTMETRICA tm{};
    if (::GetTextMetricsA(dc, &tm)) units.baseY = tm.tmHeight;
    SIZE size{};
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (::GetTextExtentPoint32A(dc, kAlphabet, 52, &size)) units.baseX = (size.cx / 26 + 1) / 2;
    return units;
}

int TextWidth(HDC dc, const std::string& text) {
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void Place(HWND child, int x, int y, int width, int height) {
    ::SetWindowPos(child, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

std::string KeyStrokeText(std::uint8_t keyCode, std::uint8_t qualifiers, std::int16_t keyAscii) {
    return orvex::actions::KeyStrokeText(keyCode, qualifiers, keyAscii);
}

bool RegisterEventSelectorClass() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExA(Module(), kEventSelectorClass, &existing)) return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    // Global: found whatever module a dialog template is loaded from.
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = &ctlEventSelector::Procedure;
    wc.cbWndExtra = sizeof(LONG_PTR); // the C++ object
    wc.hInstance = Module();
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kEventSelectorClass;
    return ::RegisterClassExA(&wc) != 0;
}

ctlEventSelector* ctlEventSelector::FromWindow(HWND window) {
    if (!window) return nullptr;
    char name[64] = {};
    if (!::GetClassNameA(window, name, sizeof(name)) || lstrcmpiA(name, kEventSelectorClass) != 0) return nullptr;
    return reinterpret_cast<ctlEventSelector*>(::GetWindowLongPtrA(window, 0));
}

ctlEventSelector::~ctlEventSelector() { *alive_ = false; }

LRESULT CALLBACK ctlEventSelector::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_NCCREATE) {
            auto object = std::make_unique<ctlEventSelector>(Tag{});
            object->hwnd_ = hwnd;
            ::SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(object.release()));
        }
        auto* self = reinterpret_cast<ctlEventSelector*>(::GetWindowLongPtrA(hwnd, 0));
        if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            // The object goes with its window.
            std::unique_ptr<ctlEventSelector> owned(self);
            ::SetWindowLongPtrA(hwnd, 0, 0);
            owned->hwnd_ = nullptr;
            return ::DefWindowProcA(hwnd, message, wParam, lParam);
        }
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may leave a window procedure; a failed creation fails the window.
        if (message == WM_NCCREATE || message == WM_CREATE) return message == WM_CREATE ? -1 : FALSE;
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT ctlEventSelector::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        // Tab and the dialog manager's keys go into the children.
        ::SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, ::GetWindowLongPtrA(hwnd_, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
        font_ = reinterpret_cast<HFONT>(::SendMessageA(::GetParent(hwnd_), WM_GETFONT, 0, 0));
        if (!font_) font_ = orvex::win32::MessageFont(orvex::win32::WindowDpi(hwnd_));
        CreateChildren();
        FixSize();
        ShowKind(kNone);
        RefreshKeyText();
        RefreshClick();
        return 0;
    }
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(pos->flags & SWP_NOSIZE)) {
            const UINT dpi = orvex::win32::WindowDpi(hwnd_);
            pos->cx = ::MulDiv(kWidthTwips, static_cast<int>(dpi), kTwipsPerInch);
            pos->cy = ::MulDiv(kHeightTwips, static_cast<int>(dpi), kTwipsPerInch);
        }
        return 0;
    }
    case WM_SIZE:
        Layout();
        return 0;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (!font_) font_ = orvex::win32::MessageFont(orvex::win32::WindowDpi(hwnd_));
        for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        Layout();
        if (LOWORD(lParam)) ::InvalidateRect(hwnd_, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_SETFOCUS: {
        // The focus goes to the chosen option, as Tab would take it there.
        HWND option = Child(OptionId(OptionOf(kind_)));
        if (option) ::SetFocus(option);
        return 0;
    }
    case WM_ENABLE:
        for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            ::EnableWindow(child, wParam ? TRUE : FALSE);
        RefreshClick();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        // The children take the colours the dialog gives its own controls
        // (a themed page's background, for one).
        if (LRESULT brush = ::SendMessageA(::GetParent(hwnd_), message, wParam, lParam)) return brush;
        return ::DefWindowProcA(hwnd_, message, wParam, lParam);
    }
    case WM_ERASEBKGND: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        auto brush = reinterpret_cast<HBRUSH>(
            ::SendMessageA(::GetParent(hwnd_), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(hwnd_)));
        RECT client{};
        ::GetClientRect(hwnd_, &client);
        ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_DESTROY:
        tooltip_.reset();
        return 0;
    default:
        return ::DefWindowProcA(hwnd_, message, wParam, lParam);
    }
}

void ctlEventSelector::CreateChildren() {
    const HINSTANCE module = Module();
    auto make = [&](const char* className, const char* text, DWORD style, int id) {
        HWND child = ::CreateWindowExA(0, className, text, WS_CHILD | style, 0, 0, 0, 0, hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return child;
    };
    // The options are one group; only the chosen one is a tab stop.
    for (int i = 0; i < kOptions; ++i)
        make("Button", kOptionCaptions[static_cast<std::size_t>(i)],
             WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), OptionId(i));
    make("Static", "", WS_VISIBLE | WS_GROUP | SS_ETCHEDVERT, IDC_SELECTOR_SEPARATOR);

    make("Static", kNoEventText, WS_GROUP | SS_LEFT | SS_NOPREFIX, IDC_SELECTOR_NOEVENTTEXT);
    make("Static", kOffsetText, WS_GROUP | SS_LEFT | SS_NOPREFIX, IDC_SELECTOR_OFFSETTEXT);

    make("Static", "Virtual Joystick N.", WS_GROUP | SS_LEFT | SS_NOPREFIX, IDC_SELECTOR_LABVJOYSTICK);
    HWND joysticks = make("ComboBox", "", WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                          IDC_SELECTOR_CMBVJOYSTICK);
    for (int j = 0; j < kJoysticks; ++j)
        ::SendMessageA(joysticks, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(64 + j).c_str()));
    make("Static", "Virtual Button N.", WS_GROUP | SS_LEFT | SS_NOPREFIX, IDC_SELECTOR_LABVBUTTON);
    HWND buttons =
        make("ComboBox", "", WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, IDC_SELECTOR_CMBVBUTTON);
    for (int b = 0; b < kButtons; ++b)
        ::SendMessageA(buttons, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(b).c_str()));
    HWND click = make("Button", "Click", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, IDC_SELECTOR_BTNCLICK);

    make("Button", "Get Keys", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, IDC_SELECTOR_BTNKEYREADER);
    make("Static", "Selected keystrokes", WS_GROUP | SS_LEFT | SS_NOPREFIX, IDC_SELECTOR_LABSELECTED);
    make("Static", "", WS_GROUP | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN | SS_NOPREFIX, IDC_SELECTOR_LABKEYSTROKES);

    // Custom: the kind, what the action does, "Edit..." for its numbers and "Test".
    HWND kinds = make("ComboBox", "", WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                      IDC_SELECTOR_CMBCUSTOMKIND);
    for (const char* name : kCustomKindNames)
        ::SendMessageA(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    make("Static", "", WS_GROUP | SS_LEFT | SS_NOPREFIX, IDC_SELECTOR_LABCUSTOM);
    make("Button", "Edit...", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, IDC_SELECTOR_BTNCUSTOMEDIT);
    HWND test = make("Button", "Test", WS_TABSTOP | BS_PUSHBUTTON, IDC_SELECTOR_BTNCUSTOMTEST);
    ShowCustom();

    ShowJoystick();
    ShowButton();

    // The test button's tip: over the button while it is enabled, and over
    // its place on the selector while it is disabled (a disabled button gets
    // no mouse messages; its parent does).
    tooltip_.reset(::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                     module, nullptr));
    if (tooltip_) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(click);
        tool.lpszText = const_cast<char*>(kClickTip);
        ::SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        tool.uFlags = TTF_SUBCLASS;
        tool.uId = 1;
        ::SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.uId = reinterpret_cast<UINT_PTR>(test);
        tool.lpszText = const_cast<char*>(kCustomTestTip);
        ::SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ctlEventSelector::FixSize() {
    // WM_WINDOWPOSCHANGING turns any size into the fixed one.
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void ctlEventSelector::Layout() {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0) return;

    HDC dc = ::GetDC(hwnd_);
    if (!dc) return;
    FontUnits units;
    int lineHeight = 13;
    int optionText = 0;
    int joystickLabel = 0, buttonLabel = 0, selectedLabel = 0;
    {
        orvex::win32::SelectGuard select(dc, font_);
        units = MeasureFont(dc);
        lineHeight = units.baseY;
        for (const char* caption : kOptionCaptions) optionText = std::max(optionText, TextWidth(dc, caption));
        joystickLabel = TextWidth(dc, "Virtual Joystick N.");
        buttonLabel = TextWidth(dc, "Virtual Button N.");
        selectedLabel = TextWidth(dc, "Selected keystrokes");
    }
    ::ReleaseDC(hwnd_, dc);

    // The options down the left, one per fifth of the height.
    const int check = std::max(::GetSystemMetrics(SM_CXMENUCHECK), units.X(8));
    const int optionWidth = std::min(check + units.X(4) + optionText, width / 2);
    const int row = height / kOptions;
    const int optionHeight = std::min(row, std::max(units.Y(10), lineHeight + 2));
    for (int i = 0; i < kOptions; ++i)
        Place(Child(OptionId(i)), 0, i * row + (row - optionHeight) / 2, optionWidth, optionHeight);

    const int separator = optionWidth + units.X(2);
    Place(Child(IDC_SELECTOR_SEPARATOR), separator, 0, 2, height);

    // The pages fill the rest.
    const int left = separator + 2 + units.X(3);
    const int pageWidth = width - left;
    const RECT textBox{left, 0, width, height};
    Place(Child(IDC_SELECTOR_NOEVENTTEXT), left, 0, pageWidth, height);
    Place(Child(IDC_SELECTOR_OFFSETTEXT), left, 0, pageWidth, height);
    FitPageTexts(textBox);

    // Virtual button: the two lists with their labels on the left, one
    // above the other, and "Click" below them.
    const int buttonWidth = units.X(50);
    const int buttonHeight = units.Y(14);
    const int comboLeft = left + std::max(joystickLabel, buttonLabel) + units.X(4);
    const int comboWidth = std::min(units.X(36), width - comboLeft);
    const int dropHeight = lineHeight * 12;
    Place(Child(IDC_SELECTOR_CMBVJOYSTICK), comboLeft, 0, comboWidth, dropHeight);
    RECT combo{};
    ::GetWindowRect(Child(IDC_SELECTOR_CMBVJOYSTICK), &combo);
    const int comboHeight = combo.bottom - combo.top;
    const int secondTop = comboHeight + units.Y(3);
    Place(Child(IDC_SELECTOR_CMBVBUTTON), comboLeft, secondTop, comboWidth, dropHeight);
    const int labelOffset = (comboHeight - lineHeight) / 2;
    Place(Child(IDC_SELECTOR_LABVJOYSTICK), left, labelOffset, comboLeft - left, lineHeight);
    Place(Child(IDC_SELECTOR_LABVBUTTON), left, secondTop + labelOffset, comboLeft - left, lineHeight);
    const int clickTop = std::min(secondTop + comboHeight + units.Y(5), height - buttonHeight);
    Place(Child(IDC_SELECTOR_BTNCLICK), left, clickTop, buttonWidth, buttonHeight);
    if (tooltip_) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = hwnd_;
        tool.uId = 1;
        tool.rect = RECT{left, clickTop, left + buttonWidth, clickTop + buttonHeight};
        ::SendMessageA(tooltip_.get(), TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    }

    // Keyboard: "Get Keys", and the keystroke under its caption.
    const int keysTop = 0;
    Place(Child(IDC_SELECTOR_BTNKEYREADER), left, keysTop, buttonWidth, buttonHeight);
    const int selectedTop = keysTop + buttonHeight + units.Y(6);
    Place(Child(IDC_SELECTOR_LABSELECTED), left, selectedTop, std::min(selectedLabel + units.X(2), pageWidth),
          lineHeight);
    const int strokesTop = selectedTop + lineHeight + units.Y(2);
    Place(Child(IDC_SELECTOR_LABKEYSTROKES), left, strokesTop, pageWidth,
          std::min(lineHeight + units.Y(5), height - strokesTop));

    // Custom: the kind on top, the buttons at the bottom, what the action
    // does between them.
    Place(Child(IDC_SELECTOR_CMBCUSTOMKIND), left, 0, std::min(units.X(110), pageWidth), dropHeight);
    const int customButtonsTop = height - buttonHeight;
    Place(Child(IDC_SELECTOR_BTNCUSTOMEDIT), left, customButtonsTop, buttonWidth, buttonHeight);
    Place(Child(IDC_SELECTOR_BTNCUSTOMTEST), left + buttonWidth + units.X(4), customButtonsTop, buttonWidth,
          buttonHeight);
    const int summaryTop = comboHeight + units.Y(2);
    Place(Child(IDC_SELECTOR_LABCUSTOM), left, summaryTop, pageWidth,
          std::max(0, customButtonsTop - summaryTop - units.Y(1)));
}

void ctlEventSelector::FitPageTexts(const RECT& box) {
    // The page texts are long for the fixed size: when the parent's font
    // would cut them off, they take the largest smaller size that holds
    // them both.
    LOGFONTA base{};
    if (!::GetObjectA(font_, sizeof(base), &base)) return;
    const int boxWidth = box.right - box.left;
    const int boxHeight = box.bottom - box.top;
    const std::array<std::string, 2> texts = {kNoEventText, kOffsetText};
    HDC dc = ::GetDC(hwnd_);
    if (!dc) return;
    auto fits = [&](HFONT font) {
        orvex::win32::SelectGuard select(dc, font);
        for (const std::string& text : texts) {
            RECT need{0, 0, boxWidth, 0};
            ::DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            if (need.bottom > boxHeight) return false;
        }
        return true;
    };
    orvex::win32::UniqueGdi smaller;
    if (!fits(font_)) {
        const int size = std::abs(base.lfHeight);
        for (int height = size - 1; height >= size * 2 / 3 && height > 0; --height) {
            LOGFONTA lf = base;
            lf.lfHeight = base.lfHeight < 0 ? -height : height;
            lf.lfWidth = 0;
            orvex::win32::UniqueGdi candidate(::CreateFontIndirectA(&lf));
            if (!candidate) break;
            smaller = std::move(candidate);
            if (fits(static_cast<HFONT>(smaller.get()))) break;
        }
    }
    ::ReleaseDC(hwnd_, dc);
    const auto use = reinterpret_cast<WPARAM>(smaller ? smaller.get() : font_);
    ::SendMessageA(Child(IDC_SELECTOR_NOEVENTTEXT), WM_SETFONT, use, TRUE);
    ::SendMessageA(Child(IDC_SELECTOR_OFFSETTEXT), WM_SETFONT, use, TRUE);
    pageFont_ = std::move(smaller); // the statics no longer use the one it held
}

void ctlEventSelector::Context(const EventSelectorContext& context) {
    context_ = context;
    RefreshClick();
}

std::int32_t ctlEventSelector::FSEvent() const { return kind_; }
void ctlEventSelector::FSEvent(std::int32_t kind) { ShowKind(kind); }

std::uint8_t ctlEventSelector::VJoystick() const { return joystick_; }
void ctlEventSelector::VJoystick(std::uint8_t joystick) {
    joystick_ = joystick;
    ShowJoystick();
}

std::uint8_t ctlEventSelector::VButton() const { return button_; }
void ctlEventSelector::VButton(std::uint8_t button) {
    button_ = button;
    ShowButton();
}

std::uint8_t ctlEventSelector::KeyCode() const { return keyCode_; }
void ctlEventSelector::KeyCode(std::uint8_t code) {
    keyCode_ = code;
    RefreshKeyText();
}

std::uint8_t ctlEventSelector::KeyQualifiers() const { return qualifiers_; }
void ctlEventSelector::KeyQualifiers(std::uint8_t qualifiers) {
    qualifiers_ = qualifiers;
    RefreshKeyText();
}

std::int16_t ctlEventSelector::KeyAscii() const { return ascii_; }
void ctlEventSelector::KeyAscii(std::int16_t ascii) {
    ascii_ = ascii;
    RefreshKeyText();
}

void ctlEventSelector::Load(const EventAction& action) {
    if (IsCustomKind(action.Kind)) custom_ = action;
    FSEvent(action.Kind);
    if (action.Kind == kVButton) {
        VJoystick(action.Field1);
        VButton(action.Field2);
    } else if (action.Kind == kVKey) {
        keyCode_ = action.Field1;
        qualifiers_ = action.Field2;
        ascii_ = static_cast<std::int16_t>(action.Field3);
        RefreshKeyText();
    }
}

void ctlEventSelector::Store(EventAction& into) const {
    into.Kind = kind_;
    if (kind_ == kVButton) {
        into.Field1 = joystick_;
        into.Field2 = button_;
    } else if (kind_ == kVKey) {
        into.Field1 = keyCode_;
        into.Field2 = qualifiers_;
        into.Field3 = ascii_;
    } else if (IsCustomKind(kind_)) {
        into.Control = custom_.Control;
        into.Parameter = custom_.Parameter;
        into.Offset = custom_.Offset;
        into.Size = custom_.Size;
        into.Value = custom_.Value;
        into.Minimum = custom_.Minimum;
        into.Maximum = custom_.Maximum;
        into.Wrap = custom_.Wrap;
    }
}

EventAction ctlEventSelector::CustomAction() const { return custom_; }

std::string ctlEventSelector::KeyText() const { return KeyStrokeText(keyCode_, qualifiers_, ascii_); }

void ctlEventSelector::ShowKind(std::int32_t kind) {
    // A kind outside 0-7 is no choice: the selector keeps the one it has.
    if (kind < kNone || kind > kStep) return;
    kind_ = kind;
    const int chosen = OptionOf(kind);
    for (int i = 0; i < kOptions; ++i)
        ::SendMessageA(Child(OptionId(i)), BM_SETCHECK, i == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    // Only the chosen option is a tab stop, so that Tab lands on it (an
    // option that gets the focus unchecked would choose itself).
    for (int i = 0; i < kOptions; ++i) {
        HWND option = Child(OptionId(i));
        const LONG_PTR style = ::GetWindowLongPtrA(option, GWL_STYLE);
        ::SetWindowLongPtrA(option, GWL_STYLE, i == chosen ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    }
    if (IsCustomKind(kind)) {
        // The custom fields always hold an action of the kind shown.
        custom_.Kind = kind;
        const std::vector<std::string> texts = CustomItemTexts(custom_);
        const std::vector<std::string_view> views(texts.begin(), texts.end());
        EventAction checked = custom_;
        if (!ReadCustomItems(kind, views, checked).Ok()) custom_ = CustomDefaults(kind);
        ShowCustom();
    }
    // Hide the other pages first, then show this one.
    for (std::size_t page = 0; page < kPages.size(); ++page)
        if (static_cast<int>(page) != chosen)
            for (int id : kPages[page])
                if (id) ::ShowWindow(Child(id), SW_HIDE);
    for (int id : kPages[static_cast<std::size_t>(chosen)])
        if (id) ::ShowWindow(Child(id), SW_SHOW);
    RefreshClick();
}

void ctlEventSelector::ShowCustom() {
    ::SendMessageA(Child(IDC_SELECTOR_CMBCUSTOMKIND), CB_SETCURSEL,
                   static_cast<WPARAM>(IsCustomKind(custom_.Kind) ? custom_.Kind - kControl : 0), 0);
    ::SetWindowTextA(Child(IDC_SELECTOR_LABCUSTOM), IsCustomKind(custom_.Kind) ? CustomSummary(custom_).c_str() : "");
}

void ctlEventSelector::ShowJoystick() {
    const int index = joystick_ >= 64 && joystick_ < 64 + kJoysticks ? joystick_ - 64 : -1;
    ::SendMessageA(Child(IDC_SELECTOR_CMBVJOYSTICK), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void ctlEventSelector::ShowButton() {
    const int index = button_ >= 1 && button_ <= kButtons ? button_ - 1 : -1;
    ::SendMessageA(Child(IDC_SELECTOR_CMBVBUTTON), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void ctlEventSelector::RefreshKeyText() { ::SetWindowTextA(Child(IDC_SELECTOR_LABKEYSTROKES), KeyText().c_str()); }

void ctlEventSelector::RefreshClick() {
    const bool connected = context_.State && context_.State->SimConnected && context_.Link;
    ::EnableWindow(Child(IDC_SELECTOR_BTNCLICK), connected && ::IsWindowEnabled(hwnd_) && !clicking_ ? TRUE : FALSE);
    ::EnableWindow(Child(IDC_SELECTOR_BTNCUSTOMTEST), connected && ::IsWindowEnabled(hwnd_) ? TRUE : FALSE);
}

void ctlEventSelector::OnCommand(int id, int code) {
    if ((id >= IDC_SELECTOR_OPTEVENT0 && id <= IDC_SELECTOR_OPTEVENT3) || id == IDC_SELECTOR_OPTEVENT4) {
        if (code != BN_CLICKED) return;
        const std::int32_t kind = id == IDC_SELECTOR_OPTEVENT4
                                      ? (IsCustomKind(custom_.Kind) ? custom_.Kind : kControl)
                                      : id - IDC_SELECTOR_OPTEVENT0;
        const bool changed = kind != kind_;
        ShowKind(kind);
        if (changed) RaiseChanged();
        return;
    }
    switch (id) {
    case IDC_SELECTOR_CMBVJOYSTICK:
    case IDC_SELECTOR_CMBVBUTTON: {
        if (code != CBN_SELCHANGE) return;
        const auto index = ::SendMessageA(Child(id), CB_GETCURSEL, 0, 0);
        if (index < 0) return;
        if (id == IDC_SELECTOR_CMBVJOYSTICK) joystick_ = static_cast<std::uint8_t>(64 + index);
        else button_ = static_cast<std::uint8_t>(1 + index);
        RaiseChanged();
        return;
    }
    case IDC_SELECTOR_BTNCLICK:
        if (code == BN_CLICKED) ClickVirtualButton();
        return;
    case IDC_SELECTOR_BTNKEYREADER:
        if (code == BN_CLICKED) ReadKeys();
        return;
    case IDC_SELECTOR_CMBCUSTOMKIND: {
        if (code != CBN_SELCHANGE) return;
        const auto index = ::SendMessageA(Child(id), CB_GETCURSEL, 0, 0);
        if (index < 0 || index > kStep - kControl) return;
        const std::int32_t kind = kControl + static_cast<std::int32_t>(index);
        if (kind == kind_) return;
        ShowKind(kind);
        RaiseChanged();
        return;
    }
    case IDC_SELECTOR_BTNCUSTOMEDIT:
        if (code == BN_CLICKED) EditCustom();
        return;
    case IDC_SELECTOR_BTNCUSTOMTEST:
        if (code == BN_CLICKED) TestCustom();
        return;
    default:
        return;
    }
}

void ctlEventSelector::ClickVirtualButton() {
    if (clicking_) return;
    if (!context_.State || !context_.State->SimConnected || !context_.Link) {
        RefreshClick();
        return;
    }
    // Everything the click needs is copied: messages run during the wait,
    // and the selector may be gone when it ends.
    simlink::ILink& link = *context_.Link;
    simlink::Win32WaitHost systemWait;
    simlink::IWaitHost& wait = context_.Wait ? *context_.Wait : systemWait;
    const std::uint8_t joystick = joystick_;
    const std::uint8_t button = button_;
    const std::shared_ptr<bool> alive = alive_;
    clicking_ = true;
    simlink::SetVirtualButton(link, joystick, button, true, true);
    simlink::WaitFor(wait, 100, 25);
    simlink::SetVirtualButton(link, joystick, button, false, true);
    if (!*alive) return;
    clicking_ = false;
    RefreshClick();
}

void ctlEventSelector::EditCustom() {
    app::ProgramState* state = context_.State;
    const bool dialogOpenBefore = state ? state->DialogOpen : false;
    if (state) state->DialogOpen = true;
    const std::shared_ptr<bool> alive = alive_;
    bool accepted = false;
    EventAction result;
    {
        frmCustomAction editor(custom_, state, context_.Link);
        accepted = editor.ShowModal(::GetAncestor(hwnd_, GA_ROOT)) == IDOK;
        result = editor.Action();
    }
    if (state) state->DialogOpen = dialogOpenBefore;
    if (!*alive || !accepted) return; // cancelled: the action stays
    custom_ = result;
    ShowKind(result.Kind);
    RaiseChanged();
}

void ctlEventSelector::TestCustom() {
    if (!IsCustomKind(kind_) || !context_.State || !context_.State->SimConnected || !context_.Link) {
        RefreshClick();
        return;
    }
    // Once, at once, as the "Click" test presses its button.
    SimActionTarget target(*context_.Link);
    CarryOut(custom_, target, 1, true);
}

void ctlEventSelector::ReadKeys() {
    app::ProgramState* state = context_.State;
    const bool dialogOpenBefore = state ? state->DialogOpen : false;
    if (state) state->DialogOpen = true;
    CapturedKeys& captured = CapturedKeyValues();
    const std::shared_ptr<bool> alive = alive_;
    bool gotKey = false;
    {
        frmGetKeys reader(captured, context_.Setup, context_.Monitors, context_.Messages);
        reader.ShowModal(::GetAncestor(hwnd_, GA_ROOT));
        gotKey = reader.KeyCaptured();
    }
    // Back to what it was: the key reader opens from a setup dialog that is
    // itself a dialog the main window must know about.
    if (state) state->DialogOpen = dialogOpenBefore;
    if (!*alive || !gotKey) return; // closed without a key: the keystroke stays
    keyCode_ = captured.KeyCode;
    qualifiers_ = captured.Qualifiers;
    ascii_ = captured.KeyAscii;
    RefreshKeyText();
    RaiseChanged();
}

void ctlEventSelector::RaiseChanged() {
    if (Changed) {
        const std::function<void()> changed = Changed; // the handler may replace it
        changed();
    }
}

} // namespace orvex::actions::win32
