#include "app/win32/panel_watcher.h"

#include "app/win32/main_window.h"
#include "app/win32/panel_kinds.h"
#include "relaybox/client/relaybox_client.h"
#include "relaybox/com_util.h"
#include "relaybox/hid/hid_core.h"
#include "relaybox/hid/hid_system.h"

#include <dbt.h>

#include <algorithm>
#include <utility>

namespace orvex::app::win32 {

namespace {

// The HID device interface class.
constexpr GUID kHidInterfaceClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

constexpr const char* kServerDownTitle = "Orvex";
constexpr const char* kServerDownText =
    "Relaybox.exe, which reads the panels, ended and cannot be started again.\r\n"
    "The panels are shown as not connected; Orvex keeps trying every few seconds.";

} // namespace

// Waits for the server process to end and then posts kMsgServerEnded (with
// the process id) to the window; the wait runs on a thread of the system's
// pool, so nothing is polled.
struct PanelWatcher::ServerWatch {
    ServerWatch(HWND window, DWORD processId) : window_(window), id_(processId) {
        process_.reset(::OpenProcess(SYNCHRONIZE, FALSE, processId));
        if (process_ &&
            !::RegisterWaitForSingleObject(&wait_, process_.get(), &Ended, this, INFINITE, WT_EXECUTEONLYONCE))
            wait_ = nullptr;
    }
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;
    ~ServerWatch() {
        // Waits for a callback that is running, so none outlives this.
        if (wait_) ::UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
    }
    bool Watching() const { return wait_ != nullptr; }
    DWORD Id() const { return id_; }

private:
    static void CALLBACK Ended(void* self, BOOLEAN) {
        auto* watch = static_cast<ServerWatch*>(self);
        ::PostMessageA(watch->window_, kMsgServerEnded, watch->id_, 0);
    }

    HWND window_;
    DWORD id_;
    orvex::win32::UniqueHandle process_;
    HANDLE wait_ = nullptr;
};

PanelWatcher::PanelWatcher(frmMain& window, cMainLogic& logic, ProgramState& state, config::IUserMessages& messages,
                           std::function<PanelServices&()> services, std::string serverPath)
    : window_(window), logic_(logic), state_(state), messages_(messages), services_(std::move(services)),
      serverPath_(std::move(serverPath)) {}

PanelWatcher::~PanelWatcher() {
    if (timerPeriod_ != 0 && window_.Handle()) ::KillTimer(window_.Handle(), kTimerCheck);
    if (notify_) ::UnregisterDeviceNotification(notify_);
    watches_.clear();
    starter_.reset();
}

void PanelWatcher::AddPanel(int kind, IPanelObject& panel, bool connected) {
    presence_.AddSlot(kind, panel.Index(), connected ? panel.DevicePath() : std::string(), connected);
    objects_.push_back(&panel);
    serverOf_.push_back(0);
}

void PanelWatcher::Start() {
    started_ = true;
    DEV_BROADCAST_DEVICEINTERFACE_A filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kHidInterfaceClass;
    notify_ = ::RegisterDeviceNotificationA(window_.Handle(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    WatchServer();
    UpdateTimer();
}

bool PanelWatcher::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!started_) return false;
    switch (message) {
    case WM_TIMER:
        if (wParam != kTimerCheck) return false;
        Check(false);
        result = 0;
        return true;
    case WM_DEVICECHANGE: {
        if (wParam == DBT_DEVICEARRIVAL) {
            Check(false);
        } else if (wParam == DBT_DEVICEREMOVECOMPLETE && lParam) {
            const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
            if (header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return false;
            const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(lParam);
            if (const auto slot = presence_.FindByPath(device->dbcc_name)) {
                LoseSlot(*slot, kStatusGone, false);
                UpdateTimer();
            }
        } else {
            return false;
        }
        result = TRUE;
        return true;
    }
    case WM_POWERBROADCAST:
        if (wParam != PBT_APMRESUMEAUTOMATIC && wParam != PBT_APMRESUMESUSPEND) return false;
        // Back from sleep: every panel is checked; those still there are
        // told everything again (they may have lost power meanwhile).
        Check(true);
        result = TRUE;
        return true;
    case kMsgServerEnded:
        ServerEnded(static_cast<DWORD>(wParam));
        result = 0;
        return true;
    case kMsgServerStarted:
        // The server runs (or could not be started): the check goes on.
        Check(false);
        result = 0;
        return true;
    case kMsgTellServerDown:
        messages_.Show(kServerDownTitle, kServerDownText, false);
        result = 0;
        return true;
    default:
        return false;
    }
}

void PanelWatcher::DeviceFailed(IPanelObject& panel) {
    const auto it = std::find(objects_.begin(), objects_.end(), &panel);
    if (it == objects_.end()) return;
    const auto slot = static_cast<std::size_t>(it - objects_.begin());
    if (busy_) {
        pendingLost_.push_back(slot);
        return;
    }
    LoseSlot(slot, kStatusGone, false);
    // A panel that lost power for a moment may be back already.
    Check(false);
}

void PanelWatcher::LoseSlot(std::size_t slot, const char* status, bool serverGone) {
    // Releasing the reader lets messages run; a check or another loss that
    // comes meanwhile waits for its turn.
    if (busy_) {
        pendingLost_.push_back(slot);
        return;
    }
    if (!presence_.Lost(slot)) return;
    busy_ = true;
    serverOf_[slot] = 0;
    if (IPanelObject* panel = objects_[slot]) panel->DeviceGone(status, serverGone);
    window_.UpdatePanelsText();
    busy_ = false;
    RunPending();
}

void PanelWatcher::RunPending() {
    if (busy_) return;
    std::vector<std::size_t> lost;
    lost.swap(pendingLost_);
    for (std::size_t slot : lost) LoseSlot(slot, kStatusGone, false);
    std::vector<DWORD> ended;
    ended.swap(pendingServerEnded_);
    for (DWORD id : ended) ServerEnded(id);
    if (pendingCheck_ || !lost.empty()) {
        const bool resend = pendingResend_;
        pendingCheck_ = false;
        pendingResend_ = false;
        Check(resend);
    }
    UpdateTimer();
}

std::vector<std::vector<std::string>> PanelWatcher::ListedPaths() {
    const std::span<const PanelKind> kinds = PanelKinds();
    std::vector<std::vector<std::string>> byKind(kinds.size());
    // The device layer's list of interfaces: no device is opened.
    for (const std::string& path : hid::DefaultHidSystem().EnumerateInterfacePaths())
        for (std::size_t k = 0; k < kinds.size(); ++k)
            if (hid::PathCarriesIds(path, kSaitekVendorId, kinds[k].ProductId)) byKind[k].push_back(path);
    return byKind;
}

void PanelWatcher::Check(bool resendPresent) {
    if (busy_) {
        pendingCheck_ = true;
        pendingResend_ = pendingResend_ || resendPresent;
        return;
    }
    busy_ = true;
    ++checks_;
    // Holds the server while the panels connect to it: it ends at its last
    // release.
    com::ComPtr<IcHidD> server;
    bool changed = false;
    if (presence_.ServerUp() || StartServer(server)) {
        const std::vector<std::vector<std::string>> listed = ListedPaths();
        std::vector<std::size_t> connected;
        for (std::size_t kind = 0; kind < listed.size(); ++kind) {
            SlotMatch match = MatchSlots(presence_.Slots(), static_cast<int>(kind), listed[kind]);
            for (std::size_t slot : presence_.Apply(match, static_cast<int>(kind))) {
                serverOf_[slot] = 0;
                if (IPanelObject* panel = objects_[slot]) panel->DeviceGone(kStatusGone, false);
                changed = true;
            }
            objects_.resize(presence_.Slots().size(), nullptr);
            serverOf_.resize(presence_.Slots().size(), 0);
            for (const SlotMatch::Arrival& arrival : match.Arrivals)
                if (ConnectSlot(arrival.Slot, arrival.Path)) connected.push_back(arrival.Slot);
        }
        if (resendPresent) {
            for (std::size_t slot = 0; slot < objects_.size(); ++slot)
                if (objects_[slot] && presence_.Slot(slot).Present &&
                    std::find(connected.begin(), connected.end(), slot) == connected.end())
                    objects_[slot]->Refresh();
        }
        if (!connected.empty()) {
            changed = true;
            UpdatePanelOrder();
        }
        WatchServer();
    }
    server.Reset();
    if (changed) window_.UpdatePanelsText();
    busy_ = false;
    // What came in while the check ran.
    RunPending();
}

bool PanelWatcher::ConnectSlot(std::size_t slot, const std::string& path) {
    const PanelSlot& target = presence_.Slot(slot);
    std::string error;
    IPanelObject* panel = objects_[slot];
    if (!panel) {
        // A panel beyond those start-up found: a tab of its own with the
        // next number, and the profile section of that number.
        const PanelKind& kind = PanelKinds()[static_cast<std::size_t>(target.Kind)];
        std::unique_ptr<IPanelObject> created = kind.Create(services_(), target.Number);
        if (!created || !created->Connect(path, error)) return false;
        created->AfterConnect();
        panel = created.get();
        const std::string number = std::to_string(target.Number);
        window_.AddPanelTab(kind.TabKey + number, kind.TabCaption + number, std::move(created));
        panel->StartUp();
        objects_[slot] = panel;
        if (state_.SimConnected) panel->GetPositions();
    } else if (!panel->Reconnect(path, error)) {
        return false;
    }
    presence_.Restored(slot, path);
    serverOf_[slot] = 0;  // learnt by WatchServer
    ++restores_;
    return true;
}

void PanelWatcher::ServerEnded(DWORD processId) {
    const auto watch = std::find_if(watches_.begin(), watches_.end(),
                                    [&](const std::unique_ptr<ServerWatch>& w) { return w->Id() == processId; });
    if (watch == watches_.end()) return;
    if (busy_) {
        pendingServerEnded_.push_back(processId);
        return;
    }
    watches_.erase(watch);
    busy_ = true;
    // The panels it read are gone with it; it is started again (COM starts
    // a new one) and they reconnect.
    presence_.ServerDown(::GetTickCount64());
    for (std::size_t slot = 0; slot < objects_.size(); ++slot) {
        if (serverOf_[slot] != processId) continue;
        serverOf_[slot] = 0;
        if (presence_.Lost(slot) && objects_[slot]) objects_[slot]->DeviceGone(kStatusServer, true);
    }
    for (std::size_t slot = 0; slot < objects_.size(); ++slot)
        if (objects_[slot] && !presence_.Slot(slot).Present && !presence_.Slot(slot).Path.empty())
            objects_[slot]->ShowStatus(kStatusServer);
    window_.UpdatePanelsText();
    busy_ = false;
    RunPending();
}

bool PanelWatcher::StartServer(com::ComPtr<IcHidD>& server) {
    // Starting the process is the slow part; it runs on a thread of its own
    // while the window goes on. Registering again is tried at an outage's
    // first attempt only.
    if (!starter_) {
        starter_ = std::make_unique<ServerStarter>(window_.Handle(), kMsgServerStarted, serverPath_,
                                                   !presence_.ServerFailing());
        return false;
    }
    if (!starter_->Finished()) return false;
    HRESULT hr = starter_->Result();
    // The server runs, held by the starter's object: the window's own comes
    // at once. Then the starter lets go of its.
    if (SUCCEEDED(hr))
        hr = ::CoCreateInstance(CLSID_cHidD, nullptr, CLSCTX_LOCAL_SERVER, IID_IcHidD, server.PutVoid());
    starter_.reset();
    if (FAILED(hr) || !server) {
        server.Reset();
        if (presence_.ServerStartFailed(::GetTickCount64())) ::PostMessageA(window_.Handle(), kMsgTellServerDown, 0, 0);
        for (std::size_t slot = 0; slot < objects_.size(); ++slot)
            if (objects_[slot] && !presence_.Slot(slot).Present && !presence_.Slot(slot).Path.empty())
                objects_[slot]->ShowStatus(kStatusServerDown);
        return false;
    }
    presence_.ServerStarted();
    ++serverRestarts_;
    return true;
}

void PanelWatcher::WatchServer() {
    for (std::size_t slot = 0; slot < objects_.size(); ++slot) {
        if (!objects_[slot] || !presence_.Slot(slot).Present || serverOf_[slot] != 0) continue;
        const DWORD id = objects_[slot]->ServerProcessId();
        serverOf_[slot] = id;
        if (id == 0) continue;
        const bool watched = std::any_of(watches_.begin(), watches_.end(),
                                         [&](const std::unique_ptr<ServerWatch>& w) { return w->Id() == id; });
        if (watched) continue;
        watches_.push_back(std::make_unique<ServerWatch>(window_.Handle(), id));
        // A server that ended before it could be watched ended all the same.
        if (!watches_.back()->Watching()) ::PostMessageA(window_.Handle(), kMsgServerEnded, id, 0);
    }
    // Watches of servers no panel uses any more go.
    std::erase_if(watches_, [&](const std::unique_ptr<ServerWatch>& w) {
        return std::find(serverOf_.begin(), serverOf_.end(), w->Id()) == serverOf_.end();
    });
}

void PanelWatcher::UpdateTimer() {
    const UINT period = presence_.CheckPeriodMs();
    if (period == timerPeriod_) return;
    timerPeriod_ = period;
    if (!window_.Handle()) return;
    if (period != 0) ::SetTimer(window_.Handle(), kTimerCheck, period, nullptr);
    else ::KillTimer(window_.Handle(), kTimerCheck);
}

void PanelWatcher::UpdatePanelOrder() {
    std::vector<std::size_t> order;
    for (std::size_t slot = 0; slot < objects_.size(); ++slot)
        if (objects_[slot]) order.push_back(slot);
    // Radio 1..R, Multi 1..M, Switch 1..S, BIP 1..B, as start-up orders them.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const PanelSlot& x = presence_.Slot(a);
        const PanelSlot& y = presence_.Slot(b);
        return x.Kind != y.Kind ? x.Kind < y.Kind : x.Number < y.Number;
    });
    std::vector<IPanel*> panels;
    for (std::size_t slot : order) panels.push_back(objects_[slot]);
    logic_.SetPanels(std::move(panels));
}

} // namespace orvex::app::win32
