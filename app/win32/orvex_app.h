// modMain: the main program's start-up and shutdown. One object holds
// everything start-up creates (configuration, simulator link, registered
// offsets, program state, the main window and through it the panels), in
// the order it must be released.
#pragma once

#include "actions/win32/sim_action_target.h"
#include "app/main_logic.h"
#include "common/place_window.h"
#include "app/program_state.h"
#include "app/win32/main_window.h"
#include "app/win32/panel_object.h"
#include "app/win32/panel_watcher.h"
#include "common/win32/handles.h"
#include "config/configuration.h"
#include "config/win32/autostart_win32.h"
#include "config/win32/inifile.h"
#include "config/win32/user_messages_win32.h"
#include "relaybox/com_util.h"
#include "simlink/registered_offsets.h"
#include "simlink/win32/link_thread_win32.h"
#include "simlink/win32/wait_win32.h"

#include <memory>
#include <string>

namespace orvex::app::win32 {

struct AppEnvironment {
    // The executable's folder (what autostart starts).
    std::string ProgramFolder;
    // The folder of Orvex.ini and the profiles; empty: the program folder.
    std::string SettingsFolder;
    // Said once at start (where the settings went); empty: nothing.
    std::string StartNotice;
    // Where messages go; nullptr: message boxes.
    config::IUserMessages* Messages = nullptr;
    // The name of the single-instance object (tests give their own).
    std::string InstanceName = "Local\\Orvex.SingleInstance";
    // Relaybox.exe, registered from here when it is not registered.
    std::string ServerPath;
    // Show the main window at start.
    bool ShowWindow = true;
};

class OrvexApp {
public:
    explicit OrvexApp(AppEnvironment environment);
    OrvexApp(const OrvexApp&) = delete;
    OrvexApp& operator=(const OrvexApp&) = delete;
    ~OrvexApp();

    // Start-up up to the running poll loop. False when the program ends
    // instead (a second instance, a failed panel, no panel, a cancelled
    // conversion); ExitCode() then tells why.
    bool Start();
    // The message loop, until the main window has unloaded.
    int Run();
    // Runs Start and Run.
    int Main();
    int ExitCode() const { return exitCode_; }

    // What the program is made of, for tests and the demo.
    ProgramState& State() { return state_; }
    config::cConfiguration& Configuration() { return configuration_; }
    frmMain* MainWindow() { return window_.get(); }
    cMainLogic& Logic() { return logic_; }
    simlink::RegisteredOffsets& Offsets() { return offsets_; }
    simlink::LinkScheduler& Link() { return link_.Scheduler(); }
    const MonitorList& Monitors() const { return monitors_; }
    bool Unloaded() const { return !window_ || window_->Unloaded(); }
    // What keeps the panels connected (nullptr before start-up and after
    // the window unloaded).
    PanelWatcher* Watcher() { return watcher_.get(); }

    // Whether the single-instance object shows another Orvex running:
    // `created` whether a handle came back, `lastError` the error then.
    static bool AnotherInstanceRuns(bool created, unsigned long lastError);
    // Monitors in enumeration order.
    static MonitorList EnumerateMonitors();
    // The affinity start-up gives the program: `setting` -1 picks by the
    // process mask, else the setting itself.
    static std::uint64_t ChooseAffinity(std::int32_t setting, std::uint64_t processMask);

private:
    class Connection final : public ISimConnection {
    public:
        explicit Connection(simlink::LinkScheduler& link) : link_(link) {}
        simlink::LinkAnswer Open(std::int32_t& result) override { return link_.Open(result); }
        simlink::LinkAnswer Exchange(std::int32_t& result) override { return link_.Exchange(result); }
        void Close() override { link_.Close(); }
        void Reset() override { link_.Reset(); }
        bool Busy() override { return link_.Busy(); }
        std::uint32_t LateMs() override { return link_.LateMs(); }
        simlink::LinkEvents TakeEvents() override { return link_.TakeEvents(); }

    private:
        simlink::LinkScheduler& link_;
    };

    void End(int code);
    bool ConnectPanels(bool& found);
    void AddUnconnectedPanels();
    PanelServices& Services();

    AppEnvironment env_;
    com::ComApartment apartment_;
    MonitorList monitors_;
    orvex::win32::UniqueHandle instanceMutex_;
    config::win32::Win32UserMessages boxes_;
    config::IUserMessages& messages_;
    config::win32::cInifile store_;
    config::win32::RegistryAutostart autostart_;
    config::cConfiguration configuration_;
    ProgramState state_;
    // The exchanges run on the link's own thread; the window hears of their
    // end through frmMain::kLinkAnsweredMessage.
    simlink::Win32ScheduledLink link_;
    Connection connection_;
    simlink::RegisteredOffsets offsets_;
    actions::win32::SimActionTarget actionTarget_;
    simlink::Win32WaitHost waitHost_;
    std::unique_ptr<frmMain> window_;
    cMainLogic logic_;
    std::unique_ptr<PanelServices> services_;
    std::unique_ptr<PanelWatcher> watcher_;
    int exitCode_ = 0;
    int tabCounter_ = 1;
};

} // namespace orvex::app::win32
