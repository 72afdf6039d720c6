// Keeps the panels connected while the program runs: it notices a panel
// that goes away (its reader or a write failed, Windows reports the device
// removed, or a check misses it) and one that comes back or is plugged in
// later (a device arrival notice, or the periodic check), the system
// resuming from sleep, and the end of the device-I/O server Relaybox. A
// panel that goes keeps its tab and its number; its on-screen copy says it
// is not connected. The periodic check runs only while a known panel is
// missing or Relaybox is down; while every panel is present, nothing runs.
#pragma once

#include "app/main_logic.h"
#include "app/panel_presence.h"
#include "app/win32/panel_object.h"
#include "app/win32/server_starter.h"
#include "common/win32/handles.h"
#include "config/user_messages.h"
#include "relaybox/client/relaybox_client.h"
#include "relaybox/com_util.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvex::app::win32 {

class frmMain;

class PanelWatcher {
public:
    // The window's timer of the periodic check and the messages posted to it.
    static constexpr UINT_PTR kTimerCheck = 2;
    static constexpr UINT kMsgServerEnded = WM_APP + 41;
    static constexpr UINT kMsgTellServerDown = WM_APP + 42;
    static constexpr UINT kMsgServerStarted = WM_APP + 43;

    // What the on-screen copy of a panel that is not connected says.
    static constexpr const char* kStatusGone = "Not connected\nWaiting for the panel to come back";
    static constexpr const char* kStatusServer = "Not connected\nRelaybox ended; starting it again";
    static constexpr const char* kStatusServerDown = "Not connected\nRelaybox cannot be started; trying again";

    // `services` makes the panel objects of panels found later; `serverPath`
    // is Relaybox.exe, registered from there when it is not registered.
    PanelWatcher(frmMain& window, cMainLogic& logic, ProgramState& state, config::IUserMessages& messages,
                 std::function<PanelServices&()> services, std::string serverPath);
    PanelWatcher(const PanelWatcher&) = delete;
    PanelWatcher& operator=(const PanelWatcher&) = delete;
    ~PanelWatcher();

    // A panel start-up made (connected or a placeholder), of the kind at
    // `kind` in the table of panel kinds.
    void AddPanel(int kind, IPanelObject& panel, bool connected);
    // After start-up: registers for the device notices and watches the
    // server of the connected panels.
    void Start();
    // The main window's messages that concern it; true when handled.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A panel's device failed.
    void DeviceFailed(IPanelObject& panel);

    // For tests and the soak.
    const PanelPresence& Presence() const { return presence_; }
    std::uint64_t Checks() const { return checks_; }
    std::uint64_t Restores() const { return restores_; }
    std::uint64_t ServerRestarts() const { return serverRestarts_; }
    bool CheckTimerRunning() const { return timerPeriod_ != 0; }
    // Runs a check now, as the timer or a notice would.
    void CheckNow(bool resendPresent = false) { Check(resendPresent); }

private:
    struct ServerWatch;

    void Check(bool resendPresent);
    void LoseSlot(std::size_t slot, const char* status, bool serverGone);
    bool ConnectSlot(std::size_t slot, const std::string& path);
    void ServerEnded(DWORD processId);
    // True when the server runs, with the window's own object of it in
    // `server`; false while it is being started (kMsgServerStarted comes)
    // or when it cannot be started.
    bool StartServer(com::ComPtr<IcHidD>& server);
    void WatchServer();
    void UpdateTimer();
    // Carries out what came in while the watcher was busy.
    void RunPending();
    void UpdatePanelOrder();
    std::vector<std::vector<std::string>> ListedPaths();

    frmMain& window_;
    cMainLogic& logic_;
    ProgramState& state_;
    config::IUserMessages& messages_;
    std::function<PanelServices&()> services_;
    std::string serverPath_;
    PanelPresence presence_;
    std::vector<IPanelObject*> objects_;  // by slot; the window owns them
    HDEVNOTIFY notify_ = nullptr;
    // One watch per server process the panels are read by (normally one).
    std::vector<std::unique_ptr<ServerWatch>> watches_;
    std::vector<DWORD> serverOf_;  // by slot: the process that reads it (0: none known)
    std::unique_ptr<ServerStarter> starter_;  // a start of the server under way
    UINT timerPeriod_ = 0;
    bool busy_ = false;  // a check runs (it lets messages run while it connects)
    std::vector<std::size_t> pendingLost_;
    std::vector<DWORD> pendingServerEnded_;
    bool pendingCheck_ = false;
    bool pendingResend_ = false;
    bool started_ = false;
    std::uint64_t checks_ = 0;
    std::uint64_t restores_ = 0;
    std::uint64_t serverRestarts_ = 0;
};

} // namespace orvex::app::win32
