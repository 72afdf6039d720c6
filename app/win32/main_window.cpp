#include "app/win32/main_window.h"

#include "app/win32/icons.h"
#include "common/win32/elevation.h"
#include "common/win32/place_window_win32.h"
#include "config/win32/general_setup.h"
#include "config/win32/profile_dialogs.h"
#include "simlink/win32/wait_win32.h"

#include "orvex_version.h"

#include <commctrl.h>

#include <algorithm>

namespace orvex::app::win32 {

using orvex::win32::Scale;

namespace {

constexpr const char* kTitle = "Orvex";
constexpr const char* kTipConnected = "Connected...";
constexpr const char* kTipWaiting = "Waiting FS connection...";

HWND MakeChild(const char* cls, const char* text, DWORD style, HWND parent, int id, DWORD exStyle = 0) {
    return ::CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
}

} // namespace

// picMain: the first tab's page. It holds the profile list and the buttons
// and passes their notifications to the main window; the program's version
// stands in its top right corner.
class frmMain::MainPage final : public orvex::win32::Window {
public:
    explicit MainPage(frmMain& owner) : owner_(owner) {}

    bool Create(HWND parent) {
        if (!Window::Create("OrvexMainPage", "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
                            0, 0, 10, 10, parent, nullptr, 0, nullptr))
            return false;
        label_ = MakeChild("STATIC", "Profile in use:", SS_LEFT | SS_CENTERIMAGE, Handle(), -1);
        MakeChild("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, Handle(), IDC_CMBPROFILES);
        MakeChild("BUTTON", "&Setup...", BS_PUSHBUTTON | WS_TABSTOP, Handle(), IDC_BTNSETUP);
        MakeChild("BUTTON", "&Profiles...", BS_PUSHBUTTON | WS_TABSTOP, Handle(), IDC_BTNPROFILES);
        MakeChild("BUTTON", "&Quit", BS_PUSHBUTTON | WS_TABSTOP, Handle(), IDC_BTNQUIT);
        MakeChild("BUTTON", "&Hide", BS_PUSHBUTTON | WS_TABSTOP, Handle(), IDC_PICMINIMIZE);
        version_ = MakeChild("STATIC", "Version " ORVEX_VERSION_TEXT, SS_RIGHT | SS_NOPREFIX, Handle(), IDC_LBLVERSION);
        return true;
    }

    void Layout(UINT dpi) {
        dpi_ = dpi;
        titleFont_.reset(::CreateFontA(-Scale(22, dpi), 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                       VARIABLE_PITCH | FF_SWISS, "Segoe UI"));
        orvex::win32::ApplyFont(Handle(), orvex::win32::MessageFont(dpi));
        RECT rc{};
        ::GetClientRect(Handle(), &rc);
        const int margin = Scale(12, dpi);
        const int rowHeight = Scale(23, dpi);
        const int buttonWidth = Scale(88, dpi);
        const int gap = Scale(7, dpi);
        const int bottom = rc.bottom - margin;
        // Bottom row: the buttons, right-aligned; Hide on the left.
        int x = rc.right - margin - buttonWidth;
        for (int id : {IDC_BTNQUIT, IDC_BTNPROFILES, IDC_BTNSETUP}) {
            ::MoveWindow(::GetDlgItem(Handle(), id), x, bottom - rowHeight, buttonWidth, rowHeight, TRUE);
            x -= buttonWidth + gap;
        }
        ::MoveWindow(::GetDlgItem(Handle(), IDC_PICMINIMIZE), margin, bottom - rowHeight, buttonWidth, rowHeight,
                     TRUE);
        // Above it: the profile list.
        const int profileTop = bottom - 2 * rowHeight - Scale(10, dpi);
        const int labelWidth = Scale(90, dpi);
        ::MoveWindow(label_, margin, profileTop, labelWidth, rowHeight, TRUE);
        ::MoveWindow(::GetDlgItem(Handle(), IDC_CMBPROFILES), margin + labelWidth, profileTop, Scale(240, dpi),
                     Scale(200, dpi), TRUE);
        textTop_ = margin;
        textBottom_ = profileTop - Scale(4, dpi);
        const int versionWidth = Scale(160, dpi);
        ::MoveWindow(version_, rc.right - margin - versionWidth, textTop_, versionWidth, Scale(20, dpi), TRUE);
        ::InvalidateRect(Handle(), nullptr, TRUE);
    }

    void PanelsText(std::string text) {
        panels_ = std::move(text);
        ::InvalidateRect(Handle(), nullptr, TRUE);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
            return ::SendMessageA(owner_.Handle(), message, wParam, lParam);
        case WM_ERASEBKGND:
            return 1;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetBkMode(dc, TRANSPARENT);
            if (reinterpret_cast<HWND>(lParam) == version_) ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
        }
        case WM_PAINT: {
            orvex::win32::PaintBuffer paint(Handle());
            HDC dc = paint.Dc();
            RECT rc = paint.Client();
            ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_WINDOW));
            ::SetBkMode(dc, TRANSPARENT);
            const int margin = Scale(12, dpi_);
            // The badge and the program's name.
            const int badge = Scale(32, dpi_);
            if (!badgeIcon_) badgeIcon_ = MakeBadgeIcon(kIconGreen, badge);
            if (badgeIcon_) ::DrawIconEx(dc, margin, textTop_, badgeIcon_.get(), badge, badge, 0, nullptr, DI_NORMAL);
            RECT title{margin + badge + Scale(10, dpi_), textTop_ - Scale(2, dpi_), rc.right - margin,
                       textTop_ + badge};
            {
                orvex::win32::SelectGuard font(dc, titleFont_.get());
                ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
                ::DrawTextA(dc, "Orvex", -1, &title, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
            }
            orvex::win32::SelectGuard font(dc, orvex::win32::MessageFont(dpi_));
            RECT sub{title.left, textTop_ + Scale(25, dpi_), rc.right - margin, textTop_ + Scale(45, dpi_)};
            ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
            ::DrawTextA(dc, "Saitek Pro Flight panels for FSUIPC simulators", -1, &sub,
                        DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
            RECT body{margin, textTop_ + badge + Scale(12, dpi_), rc.right - margin, textBottom_};
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            ::DrawTextA(dc, panels_.c_str(), -1, &body, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
            // A separator above the profile row.
            RECT line{margin, textBottom_, rc.right - margin, textBottom_ + 1};
            ::FillRect(dc, &line, ::GetSysColorBrush(COLOR_3DLIGHT));
            return 0;
        }
        default:
            return Default(message, wParam, lParam);
        }
    }

private:
    frmMain& owner_;
    HWND label_ = nullptr;
    HWND version_ = nullptr;
    orvex::win32::UniqueGdi titleFont_;
    orvex::win32::UniqueIcon badgeIcon_;
    std::string panels_;
    UINT dpi_ = 96;
    int textTop_ = 0;
    int textBottom_ = 0;
};

frmMain::frmMain(ProgramState& state, config::cConfiguration& configuration, config::IUserMessages& messages,
                 const MonitorList& monitors)
    : state_(state), config_(configuration), messages_(messages), monitors_(monitors),
      mainPage_(std::make_unique<MainPage>(*this)) {}

frmMain::~frmMain() {
    if (Handle()) UnloadWithoutSaving();
}

bool frmMain::Create() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    iconBig_ = MakeBadgeIcon(kIconGreen, ::GetSystemMetrics(SM_CXICON));
    iconGreen_ = MakeBadgeIcon(kIconGreen, ::GetSystemMetrics(SM_CXSMICON));
    iconYellow_ = MakeBadgeIcon(kIconYellow, ::GetSystemMetrics(SM_CXSMICON));
    if (!Window::Create("OrvexMain", kTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                        WS_EX_CONTROLPARENT, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, CS_DBLCLKS,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), iconBig_.get()))
        return false;
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(iconGreen_.get()));
    dpi_ = orvex::win32::WindowDpi(Handle());
    CreateControls();
    tray_.Create(orvex::win32::ProcessElevated());
    tray_.DblClick = [this] {
        if (!state_.DialogOpen) Show(true);
    };
    tray_.MouseUp = [this](int button) {
        if (button == 2) TrayMenu();
    };
    return true;
}

void frmMain::CreateControls() {
    tab_ = MakeChild(WC_TABCONTROLA, "", WS_CLIPSIBLINGS | WS_TABSTOP, Handle(), IDC_TABMAIN);
    bar_ = MakeChild(STATUSCLASSNAMEA, "", 0, Handle(), IDC_BARMAIN);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>("Orvex");
    ::SendMessageA(tab_, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    // The first tab has the keyboard focus from the start, so that the arrow
    // keys move from it.
    ::SendMessageA(tab_, TCM_SETCURFOCUS, 0, 0);
    mainPage_->Create(Handle());
    ::SetWindowPos(mainPage_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Layout();
    ::ShowWindow(mainPage_->Handle(), SW_SHOW);
}

RECT frmMain::PageRect() const {
    RECT rc{};
    ::GetWindowRect(tab_, &rc);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rc), 2);
    ::SendMessageA(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
    return rc;
}

void frmMain::Layout() {
    orvex::win32::ApplyFont(Handle(), orvex::win32::MessageFont(dpi_));
    // The window is 11,325 x 4,218 twips, or larger when a panel's page
    // needs more room.
    const int pad = Scale(6, dpi_);
    int pageWidth = 0, pageHeight = 0;
    for (const auto& panel : panels_) {
        RECT r{};
        ::GetWindowRect(panel->Control(), &r);
        pageWidth = std::max<int>(pageWidth, r.right - r.left);
        pageHeight = std::max<int>(pageHeight, r.bottom - r.top);
    }
    RECT want{0, 0, Scale(kWidthTwips / 15, dpi_), Scale(kHeightTwips / 15, dpi_)};
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_EXSTYLE));
    // The client area that the page and the status bar need.
    ::SendMessageA(bar_, WM_SIZE, 0, 0);
    RECT barRect{};
    ::GetWindowRect(bar_, &barRect);
    const int barHeight = barRect.bottom - barRect.top;
    RECT tabNeed{0, 0, pageWidth, pageHeight};
    ::SendMessageA(tab_, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&tabNeed));
    RECT clientNeed{0, 0, (tabNeed.right - tabNeed.left) + 2 * pad, (tabNeed.bottom - tabNeed.top) + 2 * pad + barHeight};
    ::AdjustWindowRectEx(&clientNeed, style, FALSE, exStyle);
    const int width = std::max<int>(want.right, clientNeed.right - clientNeed.left);
    const int height = std::max<int>(want.bottom, clientNeed.bottom - clientNeed.top);
    ::SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::SendMessageA(bar_, WM_SIZE, 0, 0);
    const int parts[4] = {Scale(170, dpi_), Scale(330, dpi_), Scale(520, dpi_), -1};
    ::SendMessageA(bar_, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    ::MoveWindow(tab_, pad, pad, client.right - 2 * pad, client.bottom - barHeight - 2 * pad, TRUE);
    const RECT page = PageRect();
    ::MoveWindow(mainPage_->Handle(), page.left, page.top, page.right - page.left, page.bottom - page.top, TRUE);
    mainPage_->Layout(dpi_);
    for (const auto& panel : panels_) {
        RECT r{};
        ::GetWindowRect(panel->Control(), &r);
        ::SetWindowPos(panel->Control(), HWND_TOP, page.left, page.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOACTIVATE);
    }
}

void frmMain::Load() {
    // The window's place: stored position, or centred.
    orvex::win32::PlaceWindow(Handle(), config_.Setup().MainFormTop(), config_.Setup().MainFormLeft(), monitors_);
    if (logic_) logic_->Load();
}

void frmMain::Show(bool visible) {
    ::ShowWindow(Handle(), visible ? SW_SHOW : SW_HIDE);
    if (visible) {
        if (::IsIconic(Handle())) ::ShowWindow(Handle(), SW_RESTORE);
        ::SetForegroundWindow(Handle());
    }
}

void frmMain::AddPanelTab(const std::string& key, const std::string& caption, std::unique_ptr<IPanelObject> panel) {
    (void)key;  // tabs are addressed by position; the key names the profile section
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(caption.c_str());
    const int at = TabCount();
    ::SendMessageA(tab_, TCM_INSERTITEMA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
    HWND control = panel->Control();
    ::ShowWindow(control, SW_HIDE);
    panels_.push_back(std::move(panel));
    Layout();
    UpdatePanelsText();
}

void frmMain::UpdatePanelsText() {
    std::string text = "Panels: ";
    for (int i = 1; i < TabCount(); ++i) {
        text += (i > 1 ? ", " : "") + TabCaption(i);
        const auto index = static_cast<std::size_t>(i - 1);
        if (index < panels_.size() && !panels_[index]->DeviceConnected()) text += " (not connected)";
    }
    mainPage_->PanelsText(text + ".");
}

int frmMain::TabCount() const { return static_cast<int>(::SendMessageA(tab_, TCM_GETITEMCOUNT, 0, 0)); }

std::string frmMain::TabCaption(int index) const {
    char buffer[128] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = sizeof(buffer);
    if (!::SendMessageA(tab_, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return {};
    return buffer;
}

void frmMain::SelectTab(int index) {
    ::SendMessageA(tab_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    TabChanged();
}

void frmMain::CycleTab(int delta) {
    const int count = TabCount();
    if (count <= 1) return;
    SelectTab(((selectedTab_ + delta) % count + count) % count);
    ::SetFocus(tab_);
}

void frmMain::ShowPage(int tab, bool visible) {
    HWND page = nullptr;
    if (tab == 0) page = mainPage_->Handle();
    else if (tab >= 1 && tab <= static_cast<int>(panels_.size())) page = panels_[static_cast<std::size_t>(tab - 1)]->Control();
    if (page) ::ShowWindow(page, visible ? SW_SHOW : SW_HIDE);
}

void frmMain::TabChanged() {
    const int now = static_cast<int>(::SendMessageA(tab_, TCM_GETCURSEL, 0, 0));
    if (now < 0 || now == selectedTab_) return;
    ShowPage(selectedTab_, false);
    ShowPage(now, true);
    selectedTab_ = now;
}

void frmMain::EnablePollTimer(bool enabled) {
    timerEnabled_ = enabled;
    if (enabled) ::SetTimer(Handle(), kTimerFSUIPC, interval_, nullptr);
    else ::KillTimer(Handle(), kTimerFSUIPC);
}

void frmMain::SetStatusText(StatusPanel panel, const std::string& text) {
    const auto i = static_cast<std::size_t>(panel);
    status_[i] = text;
    ::SendMessageA(bar_, SB_SETTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(status_[i].c_str()));
}

void frmMain::ShowStatusNotice(const std::string& text) {
    notice_ = text;
    // The simple mode shows one text across the bar; the panels keep theirs.
    ::SendMessageA(bar_, SB_SIMPLE, notice_.empty() ? FALSE : TRUE, 0);
    if (!notice_.empty())
        ::SendMessageA(bar_, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(notice_.c_str()));
}

std::string frmMain::StatusText(StatusPanel panel) const { return status_[static_cast<std::size_t>(panel)]; }

void frmMain::SetTrayConnected(bool connected) {
    trayConnected_ = connected;
    tray_.Icon(connected ? iconGreen_.get() : iconYellow_.get());
    tray_.ToolTip(connected ? kTipConnected : kTipWaiting);
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(connected ? iconGreen_.get() : iconYellow_.get()));
}

void frmMain::ShowTrayIcon(bool visible) { tray_.Visible(visible); }

void frmMain::SetPollInterval(std::uint32_t milliseconds) {
    interval_ = milliseconds;
    // SetTimer on a running timer replaces its period.
    if (timerEnabled_) ::SetTimer(Handle(), kTimerFSUIPC, interval_, nullptr);
}

void frmMain::StopAndUnload() {
    EnablePollTimer(false);
    // Closed once the tick that asked for it has returned.
    ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void frmMain::PumpMessages() { simlink::DoEvents(); }

void frmMain::FillProfileList(const std::vector<std::string>& names) {
    HWND combo = ::GetDlgItem(mainPage_->Handle(), IDC_CMBPROFILES);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : names)
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

void frmMain::ShowProfileSelection(int index) {
    ::SendMessageA(::GetDlgItem(mainPage_->Handle(), IDC_CMBPROFILES), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int frmMain::ProfileCount() const {
    return static_cast<int>(::SendMessageA(::GetDlgItem(mainPage_->Handle(), IDC_CMBPROFILES), CB_GETCOUNT, 0, 0));
}

std::string frmMain::SelectedProfileText() const {
    HWND combo = ::GetDlgItem(mainPage_->Handle(), IDC_CMBPROFILES);
    const auto index = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index < 0) return {};
    const auto length = ::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string frmMain::ChooseAircraftProfile() {
    state_.ChosenProfile.clear();
    config::win32::frmAircraftProfile dialog(config_, messages_, state_, monitors_);
    // Owned by no window: the main window may be hidden, and the dialog
    // keeps itself above the simulator's window.
    dialog.ShowModal(nullptr);
    return state_.ChosenProfile;
}

void frmMain::TrayMenu() {
    // The icon's menu: show the window again, or quit (with the question).
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return;
    enum : UINT { kShow = 1, kQuit = 2 };
    ::AppendMenuA(menu, MF_STRING | (state_.DialogOpen ? MF_GRAYED : 0u), kShow, "&Show Orvex");
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu, MF_STRING | (state_.DialogOpen ? MF_GRAYED : 0u), kQuit, "&Quit");
    ::SetMenuDefaultItem(menu, kShow, FALSE);
    POINT at{};
    ::GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if its owner is
    // the foreground window.
    ::SetForegroundWindow(tray_.Handle());
    const UINT chosen = static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                           at.x, at.y, 0, tray_.Handle(), nullptr));
    ::DestroyMenu(menu);
    // Without a message after it, the menu of a notification icon does not
    // close the second time it is opened and dismissed.
    ::PostMessageA(tray_.Handle(), WM_NULL, 0, 0);
    if (chosen == kShow) {
        Show(true);
    } else if (chosen == kQuit) {
        Show(true);
        OnCommand(IDC_BTNQUIT, BN_CLICKED);
    }
}

bool frmMain::ConfirmQuit() {
    return messages_.AskOkCancel(" ORVEX - Quit request", "           Are you sure ?\r\nQuitting will stop the panels.");
}

void frmMain::OnCommand(int id, int code) {
    switch (id) {
    case IDC_CMBPROFILES:
        if (code == CBN_SELCHANGE && logic_) {
            const std::string name = SelectedProfileText();
            if (!name.empty()) logic_->ProfileSelected(name);
        }
        break;
    case IDC_BTNSETUP:
        if (logic_)
            logic_->RunModal([&] {
                config::win32::frmGeneralSetup dialog(config_, messages_, monitors_);
                dialog.ShowModal(Handle());
            });
        break;
    case IDC_BTNPROFILES:
        if (logic_) {
            logic_->RunModal([&] {
                config::win32::frmProfilesSetup dialog(config_, messages_, state_, monitors_);
                dialog.ShowModal(Handle());
            });
            logic_->AfterProfilesDialog();
        }
        break;
    case IDC_BTNQUIT:
        if (ConfirmQuit()) {
            EnablePollTimer(false);
            ::SendMessageA(Handle(), WM_CLOSE, 0, 0);
        }
        break;
    case IDC_PICMINIMIZE:
        Show(false);
        break;
    default:
        break;
    }
}

void frmMain::QueryUnload() {
    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(Handle(), top, left);
    config_.Setup().MainFormTop(top);
    config_.Setup().MainFormLeft(left);
    config_.Setup().SaveSetup();
}

void frmMain::UnloadHandler() {
    if (unloaded_) return;
    unloaded_ = true;
    EnablePollTimer(false);
    if (OnUnloading) OnUnloading();  // closes the simulator link
    if (logic_) logic_->SetPanels({});
    // The panel objects release their logic, blank their panels, stop
    // their readers and close their devices.
    panels_.clear();
    tray_.Visible(false);
    if (OnUnloaded) OnUnloaded();
}

void frmMain::EndSession() {
    // The process ends soon after this returns: save what closing the window
    // saves and leave the panels dark.
    QueryUnload();
    if (state_.DialogOpen) {
        // A dialog still works on the panel objects: keep them, darkened.
        EnablePollTimer(false);
        for (const auto& panel : panels_) panel->SimulatorLost();
        return;
    }
    skipQueryUnload_ = true;
    ::DestroyWindow(Handle());
}

void frmMain::UnloadWithoutSaving() {
    skipQueryUnload_ = true;
    if (Handle()) ::DestroyWindow(Handle());
}

LRESULT frmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (OnMessage && !unloaded_) {
        LRESULT result = 0;
        if (OnMessage(message, wParam, lParam, result)) return result;
    }
    switch (message) {
    case WM_TIMER:
        if (wParam == kTimerFSUIPC && logic_) logic_->Tick();
        return 0;
    case kLinkAnsweredMessage:
        if (logic_ && !unloaded_) logic_->LinkAnswered();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->hwndFrom == tab_ && header->code == static_cast<UINT>(TCN_SELCHANGE)) TabChanged();
        return 0;
    }
    case WM_SYSCOMMAND:
        // The caption's close box asks the same question as the Quit button.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            if (ConfirmQuit()) {
                EnablePollTimer(false);
                ::SendMessageA(Handle(), WM_CLOSE, 0, 0);
            }
            return 0;
        }
        return Default(message, wParam, lParam);
    case WM_CLOSE:
        // A modal dialog's loop is running on this thread: closing now would
        // destroy the panels it works on. The close follows when it ends.
        if (state_.DialogOpen) {
            state_.CloseRequested = true;
            return 0;
        }
        if (!skipQueryUnload_) QueryUnload();
        ::DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        // The link is closed by the owner of the core once the loop ends.
        UnloadHandler();
        return 0;
    case WM_QUERYENDSESSION:
        // Log-off, restart or shutdown: once every program has agreed the
        // session may end without another word, so save now.
        if (!unloaded_) QueryUnload();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam && !unloaded_) EndSession();
        return 0;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        // The panel copies take the new scale before the layout measures
        // them (the system tells them only after this message).
        for (const auto& panel : panels_) ::SendMessageA(panel->Control(), orvex::win32::kDpiChangedAfterParent, 0, 0);
        Layout();
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && mainPage_ && selectedTab_ == 0)
            ::SetFocus(::GetDlgItem(mainPage_->Handle(), IDC_CMBPROFILES));
        return Default(message, wParam, lParam);
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace orvex::app::win32
