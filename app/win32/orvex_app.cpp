#include "app/win32/orvex_app.h"

#include "app/win32/panel_kinds.h"
#include "common/win32/place_window_win32.h"
#include "relaybox/client/relaybox_client.h"
#include "relaybox/hid/hid_core.h"
#include "relaybox/process_priority.h"

#include <utility>

namespace orvex::app::win32 {

namespace {

// Exit codes of the main program (0: it ended normally).
constexpr int kExitAlreadyRunning = 2;
constexpr int kExitCancelled = 3;
constexpr int kExitNoServer = 4;
constexpr int kExitConnectFailed = 5;
constexpr int kExitNoPanel = 6;
constexpr int kExitWindowFailed = 7;

std::string WithoutSlash(std::string folder) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

} // namespace

OrvexApp::OrvexApp(AppEnvironment environment)
    : env_(std::move(environment)),
      messages_(env_.Messages ? *env_.Messages : static_cast<config::IUserMessages&>(boxes_)),
      autostart_(WithoutSlash(env_.ProgramFolder)),
      configuration_(store_, env_.SettingsFolder.empty() ? env_.ProgramFolder : env_.SettingsFolder, messages_,
                     &autostart_, config::win32::UserNumberLocale()),
      connection_(link_.Scheduler()),
      offsets_(link_.Scheduler()),
      actionTarget_(link_.Scheduler()),
      window_(std::make_unique<frmMain>(state_, configuration_, messages_, monitors_)),
      logic_(state_, configuration_, link_.Scheduler(), connection_, offsets_, *window_) {
    window_->Logic(&logic_);
}

OrvexApp::~OrvexApp() {
    watcher_.reset();
    // The window (and with it every panel, its reader and device) goes
    // before the link and the offsets it uses.
    window_.reset();
    link_.Thread().NotifyWindow(nullptr, 0);
    link_.Scheduler().Shutdown();
}

MonitorList OrvexApp::EnumerateMonitors() { return orvex::win32::EnumerateMonitors(); }

std::uint64_t OrvexApp::ChooseAffinity(std::int32_t setting, std::uint64_t processMask) {
    if (setting != -1) return static_cast<std::uint32_t>(setting);
    // An unknown process mask (0) leaves the affinity as it is.
    return processMask == 0 ? 0 : hid::AutomaticReaderAffinity(processMask);
}

bool OrvexApp::AnotherInstanceRuns(bool created, unsigned long lastError) {
    if (lastError == ERROR_ALREADY_EXISTS) return true;
    // An elevated Orvex's object refuses a normal one access: it exists.
    return !created && lastError == ERROR_ACCESS_DENIED;
}

void OrvexApp::End(int code) { exitCode_ = code; }

PanelServices& OrvexApp::Services() {
    if (!services_) {
        services_ = std::make_unique<PanelServices>(PanelServices{
            state_, configuration_, link_.Scheduler(), offsets_, actionTarget_, waitHost_, messages_, window_->Handle(),
            [this](IPanel& panel) { logic_.SetupRequested(panel); }, &monitors_,
            [this](IPanelObject& panel) {
                if (watcher_) watcher_->DeviceFailed(panel);
            }});
    }
    return *services_;
}

bool OrvexApp::Start() {
    // 1. The monitors, for placing windows.
    monitors_ = EnumerateMonitors();

    // 2. One instance only.
    instanceMutex_.reset(::CreateMutexA(nullptr, TRUE, env_.InstanceName.c_str()));
    if (AnotherInstanceRuns(static_cast<bool>(instanceMutex_), ::GetLastError())) {
        messages_.Show("Orvex", "Orvex is already running...", true);
        End(kExitAlreadyRunning);
        return false;
    }

    if (!env_.StartNotice.empty()) messages_.Show("Orvex", env_.StartNotice, false);

    // 3.-4. The configuration and the shared state.
    configuration_.BeginStartUp();
    state_ = ProgramState{};
    state_.RadioUpperSelection = 1;
    state_.BIPSetupOpen = false;

    // 5. The kinds' fixed tables.
    for (const PanelKind& kind : PanelKinds())
        if (kind.Prepare) kind.Prepare();

    // 6.-7. Priority and processor affinity of this process.
    process::SetProcessPriority(0, 0, static_cast<std::uint32_t>(configuration_.Setup().OrvexPriority()));
    const std::uint64_t mask = process::CurrentProcessAffinity();
    const std::uint64_t affinity = ChooseAffinity(configuration_.Setup().OrvexAffinity(), mask);
    if (affinity != 0) process::SetCurrentProcessAffinity(affinity);

    // 8.-9. The old layout, the lists, "Default".
    if (!configuration_.FinishStartUp()) {
        End(kExitCancelled);
        return false;
    }
    state_.LastAircraft.clear();

    // 10. The main window.
    if (!window_->Create()) {
        messages_.Show("  modMain.Main", "The main window could not be created.", true);
        End(kExitWindowFailed);
        return false;
    }
    link_.Thread().NotifyWindow(window_->Handle(), frmMain::kLinkAnsweredMessage);
    window_->OnUnloading = [this] {
        // The panels go with the window: nothing watches them any more.
        watcher_.reset();
        link_.Thread().NotifyWindow(nullptr, 0);
        link_.Scheduler().Close();
    };
    window_->OnMessage = [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return watcher_ && watcher_->HandleMessage(message, wParam, lParam, result);
    };
    const std::string serverPath = env_.ServerPath.empty() ? relaybox::DefaultServerPath() : env_.ServerPath;
    watcher_ = std::make_unique<PanelWatcher>(*window_, logic_, state_, messages_,
                                              [this]() -> PanelServices& { return Services(); }, serverPath);
    window_->Load();
    simlink::DoEvents();

    // 11.-13. The panels.
    bool found = false;
    if (!ConnectPanels(found)) return false;

    // 14. No panel.
    if (!found && !configuration_.Setup().LoadWithoutPanels()) {
        messages_.Show("  Orvex", "No Panel found, check your connections !", true);
        // The general setup is kept (a first run leaves an Orvex.ini).
        configuration_.Setup().SaveSetup();
        window_->UnloadWithoutSaving();
        simlink::DoEvents();
        End(kExitNoPanel);
        return false;
    }

    // 15. The poll loop starts.
    simlink::DoEvents();
    window_->EnablePollTimer(true);

    // 16. Without panels: one unconnected panel of each kind, so that the
    // profiles can be edited.
    if (!found) AddUnconnectedPanels();
    // From now on panels that go and come back are followed.
    if (watcher_) watcher_->Start();
    if (env_.ShowWindow) window_->Show(true);
    return true;
}

bool OrvexApp::ConnectPanels(bool& found) {
    com::ComPtr<IcHidD> hidD;
    std::string error;
    const std::string serverPath = env_.ServerPath.empty() ? relaybox::DefaultServerPath() : env_.ServerPath;
    if (FAILED(relaybox::CreateHidD(hidD.Put(), error, serverPath)) || !hidD) {
        messages_.Show("  modMain.Main", error.empty() ? relaybox::ServerUnavailableText() : error, true);
        window_->UnloadWithoutSaving();
        End(kExitNoServer);
        return false;
    }
    std::vector<IPanel*> order;
    int kindIndex = -1;
    for (const PanelKind& kind : PanelKinds()) {
        ++kindIndex;
        short count = 0;
        if (FAILED(hidD->Scan(kSaitekVendorId, kind.ProductId, &count)) || count < 0) count = 0;
        std::vector<IPanelObject*> created;
        for (short n = 1; n <= count; ++n) {
            ++tabCounter_;
            std::unique_ptr<IPanelObject> panel = kind.Create(Services(), n);
            com::Bstr path;
            short index = n;
            std::string pathText;
            if (SUCCEEDED(hidD->GetDevicePathName(&index, path.Put()))) pathText = path.Text();
            std::string connectError;
            if (!panel || !panel->Connect(pathText, connectError)) {
                messages_.Show("  modMain.Main",
                               connectError.empty() ? std::string(kind.ConnectError)
                                                    : std::string(kind.ConnectError) + "\r\n" + connectError,
                               true);
                hidD.Reset();
                // Ends at once, without the main window's unload steps.
                panel.reset();
                window_->UnloadWithoutSaving();
                End(kExitConnectFailed);
                return false;
            }
            if (configuration_.Setup().Splash()) panel->Splash();
            panel->AfterConnect();
            found = true;
            created.push_back(panel.get());
            window_->AddPanelTab(kind.TabKey + std::to_string(n), kind.TabCaption + std::to_string(n),
                                 std::move(panel));
        }
        for (IPanelObject* panel : created) {
            panel->StartUp();
            order.push_back(panel);
            if (watcher_) watcher_->AddPanel(kindIndex, *panel, true);
        }
    }
    hidD.Reset();
    logic_.SetPanels(std::move(order));
    return true;
}

void OrvexApp::AddUnconnectedPanels() {
    std::vector<IPanel*> order;
    int kindIndex = -1;
    for (const PanelKind& kind : PanelKinds()) {
        ++kindIndex;
        std::unique_ptr<IPanelObject> panel = kind.Create(Services(), 1);
        if (!panel) continue;
        IPanelObject* raw = panel.get();
        window_->AddPanelTab(std::string(kind.TabKey) + "1", std::string(kind.TabCaption) + "1", std::move(panel));
        raw->StartUp();
        order.push_back(raw);
        // A placeholder: the first panel of its kind plugged in later takes it.
        if (watcher_) watcher_->AddPanel(kindIndex, *raw, false);
    }
    logic_.SetPanels(std::move(order));
}

int OrvexApp::Run() {
    if (!window_ || window_->Unloaded()) return exitCode_;
    MSG msg;
    while (!window_->Unloaded()) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        HWND main = window_->Handle();
        const bool inMain = main && (msg.hwnd == main || ::IsChild(main, msg.hwnd));
        // Ctrl+Tab / Ctrl+Shift+Tab and Ctrl+PageDown / Ctrl+PageUp page
        // through the tabs, as in other tabbed windows.
        if (inMain && msg.message == WM_KEYDOWN && (::GetKeyState(VK_CONTROL) & 0x8000) &&
            (msg.wParam == VK_TAB || msg.wParam == VK_NEXT || msg.wParam == VK_PRIOR)) {
            const bool back = msg.wParam == VK_PRIOR || (msg.wParam == VK_TAB && (::GetKeyState(VK_SHIFT) & 0x8000));
            window_->CycleTab(back ? -1 : 1);
            continue;
        }
        // Keyboard navigation between the main window's controls.
        if (inMain && ::IsDialogMessageA(main, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return exitCode_;
}

int OrvexApp::Main() {
    if (!Start()) return exitCode_;
    return Run();
}

} // namespace orvex::app::win32
