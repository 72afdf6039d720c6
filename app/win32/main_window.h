// frmMain: the program's only permanent window. A tab strip with the main
// page and one page per panel (the panel's on-screen device control), the
// status bar of the simulator connection, the profile list and the buttons,
// and the notification icon. It is the view of the core logic and routes
// the poll timer, the profile list and the buttons to it.
#pragma once

#include "app/main_logic.h"
#include "common/place_window.h"
#include "app/win32/panel_object.h"
#include "app/win32/tray_area.h"
#include "common/win32/window.h"
#include "config/user_messages.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvex::app::win32 {

class frmMain final : public orvex::win32::Window, public IMainView {
public:
    // Control identifiers.
    enum : int {
        IDC_TABMAIN = 100,
        IDC_BARMAIN,
        IDC_CMBPROFILES,
        IDC_BTNSETUP,
        IDC_BTNPROFILES,
        IDC_BTNQUIT,
        IDC_PICMINIMIZE,
        IDC_LBLVERSION,
    };
    static constexpr UINT_PTR kTimerFSUIPC = 1;
    // Posted by the simulator link's thread when an exchange has finished.
    static constexpr UINT kLinkAnsweredMessage = WM_APP + 16;
    // The window's size in twips.
    static constexpr int kWidthTwips = 11325;
    static constexpr int kHeightTwips = 4218;

    frmMain(ProgramState& state, config::cConfiguration& configuration, config::IUserMessages& messages,
            const MonitorList& monitors);
    ~frmMain() override;

    // Creates the window and its controls (hidden); false on failure.
    bool Create();
    // The core logic this window is the view of; set before Load.
    void Logic(cMainLogic* logic) { logic_ = logic; }
    cMainLogic* Logic() const { return logic_; }
    // Runs the load handler: places the window and loads the core state.
    void Load();
    void Show(bool visible);

    // Adds a tab at the end with `key` and `caption`, showing `panel`'s
    // control as its page; the window keeps the panel object.
    void AddPanelTab(const std::string& key, const std::string& caption, std::unique_ptr<IPanelObject> panel);
    // The panels in tab order.
    const std::vector<std::unique_ptr<IPanelObject>>& PanelObjects() const { return panels_; }
    void EnablePollTimer(bool enabled);
    // Unloads without the query-unload step (a failed start-up).
    void UnloadWithoutSaving();
    // The Quit button's question; true when the user confirmed.
    bool ConfirmQuit();

    // IMainView
    void SetStatusText(StatusPanel panel, const std::string& text) override;
    void ShowStatusNotice(const std::string& text) override;
    void SetTrayConnected(bool connected) override;
    void ShowTrayIcon(bool visible) override;
    void SetPollInterval(std::uint32_t milliseconds) override;
    void StopAndUnload() override;
    void PumpMessages() override;
    void FillProfileList(const std::vector<std::string>& names) override;
    void ShowProfileSelection(int index) override;
    std::string ChooseAircraftProfile() override;

    // For tests and the demo.
    std::string StatusText(StatusPanel panel) const;
    const std::string& StatusNotice() const { return notice_; }
    int TabCount() const;
    std::string TabCaption(int index) const;  // 0-based
    int SelectedTab() const { return selectedTab_; }
    void SelectTab(int index);                // 0-based
    void CycleTab(int delta);                 // the next (1) or previous (-1) tab, wrapping
    std::string SelectedProfileText() const;
    int ProfileCount() const;
    ctlTrayArea& Tray() { return tray_; }
    bool TrayConnected() const { return trayConnected_; }
    HWND Control(int id) const { return ::GetDlgItem(Handle(), id); }
    // Whether the unload handler has run (the window is gone).
    bool Unloaded() const { return unloaded_; }
    // The unload handler's steps that belong to the program: first (the
    // simulator link is closed), and once the panels are released.
    std::function<void()> OnUnloading;
    std::function<void()> OnUnloaded;
    // Sees every message of the window first (the panels' presence: device
    // notices, resume, its timer); true when it handled the message.
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> OnMessage;
    // The main page's list of panels, marking those not connected.
    void UpdatePanelsText();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    class MainPage;
    void CreateControls();
    void Layout();
    RECT PageRect() const;
    void TabChanged();
    void OnCommand(int id, int code);
    void QueryUnload();
    void UnloadHandler();
    // The session ends (WM_ENDSESSION): save and darken the panels.
    void EndSession();
    void ShowPage(int tab, bool visible);
    void TrayMenu();

    ProgramState& state_;
    config::cConfiguration& config_;
    config::IUserMessages& messages_;
    const MonitorList& monitors_;
    cMainLogic* logic_ = nullptr;
    ctlTrayArea tray_;
    std::unique_ptr<MainPage> mainPage_;
    orvex::win32::UniqueIcon iconGreen_, iconYellow_, iconBig_;
    HWND tab_ = nullptr;
    HWND bar_ = nullptr;
    std::vector<std::unique_ptr<IPanelObject>> panels_;
    std::array<std::string, 4> status_;
    std::string notice_;
    int selectedTab_ = 0;
    bool trayConnected_ = false;
    bool timerEnabled_ = false;
    std::uint32_t interval_ = 1000;
    bool unloaded_ = false;
    bool skipQueryUnload_ = false;
    UINT dpi_ = 96;
};

} // namespace orvex::app::win32
