#include "app/main_logic.h"

#include "simlink/offset.h"

#include <cstring>
#include <exception>

namespace orvex::app {

namespace {

// 11 and 12: the 64-bit simulators of FSUIPC 5 and 6 (FSX-SE 64 and
// Prepar3D v4-v6); 13: Microsoft Flight Simulator with FSUIPC 7.
constexpr std::array<const char*, 14> kSimulatorNames = {"Any", "FS98", "FS2K",  "CFS2",  "CFS1",  "FLY",  "FS2002",
                                                         "FS2004", "FSX", "ESP", "P3D", "FSX64", "P3D64", "MSFS"};
constexpr std::int32_t kAircraftOffset = 0x3D00;
constexpr std::int32_t kAircraftLength = 60;
constexpr std::int32_t kGearTypeOffset = 0x060C;
constexpr std::uint32_t kWaitingInterval = 1000;
constexpr std::uint32_t kConnectedInterval = 10;
// An exchange unanswered this long shows in the status bar.
constexpr std::uint32_t kNotAnsweringMs = 1000;

} // namespace

cMainLogic::cMainLogic(ProgramState& state, config::cConfiguration& configuration, simlink::ILink& link,
                       ISimConnection& connection, simlink::RegisteredOffsets& offsets, IMainView& view)
    : state_(state), config_(configuration), link_(link), connection_(connection), offsets_(offsets), view_(view) {
    aircraftStatus_.reserve(64 + kAircraftLength);
}

std::string cMainLogic::SimulatorName(std::int32_t id) {
    if (id >= 0 && id < static_cast<std::int32_t>(kSimulatorNames.size()))
        return kSimulatorNames[static_cast<std::size_t>(id)];
    return std::to_string(id);
}

std::string cMainLogic::FsuipcVersionText(std::int32_t bcdHigh, std::uint8_t build, char decimalSeparator) {
    // The version word's upper digit is the major version and the other
    // three the minor one, always shown with three digits: 0x7000 is 7.000
    // and 0x6100 is 6.100, not 7 and 6.1.
    const std::int32_t value = bcdHigh < 0 ? 0 : bcdHigh;
    std::string minor = std::to_string(value % 1000);
    minor.insert(0, 3 - minor.size(), '0');
    std::string text = std::to_string(value / 1000);
    text.push_back(decimalSeparator);
    text += minor;
    const int code = 48 + build;
    text.push_back(static_cast<char>(code));
    return text;
}

void cMainLogic::SetStatus(StatusPanel panel, std::string_view text) {
    std::string& shown = status_[static_cast<std::size_t>(panel)];
    if (shown == text) return;
    shown.assign(text);
    view_.SetStatusText(panel, shown);
}

void cMainLogic::RightsNotice(bool shown) {
    if (shown == rightsNotice_) return;
    rightsNotice_ = shown;
    view_.ShowStatusNotice(shown ? kOtherRightsNotice : "");
}

void cMainLogic::SetInterval(std::uint32_t ms) {
    interval_ = ms;
    view_.SetPollInterval(ms);
}

void cMainLogic::Load() {
    connection_.Reset();
    view_.PumpMessages();
    state_.SimConnected = false;
    SetStatus(StatusPanel::Status, "FSUIPC Status: Disconnected");
    view_.ShowTrayIcon(true);
    view_.SetTrayConnected(false);
    FillProfileList();
    if (!config_.colProfiles.empty()) SelectProfile(config_.colProfiles.back());
}

void cMainLogic::FillProfileList() { view_.FillProfileList(config_.colProfiles); }

bool cMainLogic::SelectProfile(const std::string& name) {
    for (std::size_t i = 0; i < config_.colProfiles.size(); ++i) {
        if (config_.colProfiles[i] == name) {
            view_.ShowProfileSelection(static_cast<int>(i));
            ProfileSelected(config_.colProfiles[i]);
            return true;
        }
    }
    return false;
}

void cMainLogic::ProfileSelected(const std::string& name) {
    config_.CurrentProfile = name;
    config_.LoadCurrentProfileCommon();
    ForEachPanel([](IPanel& panel) { panel.ReloadSetup(); });
}

void cMainLogic::AfterProfilesDialog() {
    FillProfileList();
    if (!state_.LastAircraft.empty()) config_.CurrentProfile = config_.GetAircraftProfile(state_.LastAircraft);
    const std::string current = config_.CurrentProfile;
    SelectProfile(current);
}

void cMainLogic::SetupRequested(IPanel& panel) {
    state_.SetupPanelIndex = panel.Index();
    RunModal([&] { panel.OpenSetupDialog(); });
    panel.ReloadSetup();
    // The Radio Panels read settings the Multi Panel's dialog edits.
    if (panel.Kind() != PanelKindId::Multi) return;
    ForEachPanel([](IPanel& other) {
        if (other.Kind() == PanelKindId::Radio) other.ApplySetup();
    });
}

void cMainLogic::Tick() {
    if (LinkAnswered()) return;
    if (connection_.Busy()) {
        // Skipped, not stacked behind the one under way.
        ++skippedTicks_;
        if (state_.SimConnected && connection_.LateMs() > kNotAnsweringMs)
            SetStatus(StatusPanel::Status, "FSUIPC Status: Simulator not answering");
        return;
    }
    if (!state_.SimConnected) {
        ++openAttempts_;
        std::int32_t result = 0;
        const simlink::LinkAnswer answer = connection_.Open(result);
        if (answer == simlink::LinkAnswer::Pending) return;  // told by LinkAnswered
        // Refused for the rights the programs run with: no retry helps,
        // so say it (once) instead of waiting in silence.
        RightsNotice(result == simlink::ResultAccessDenied);
        if (answer != simlink::LinkAnswer::Ok || result != simlink::ResultOk) return;
        Connected();
        return;
    }
    if (offsets_.Empty()) return;
    std::int32_t result = 0;
    offsets_.QueueReadAll(result);  // a full batch only drops what does not fit
    ++exchanges_;
    switch (connection_.Exchange(result)) {
    case simlink::LinkAnswer::Pending: return;
    case simlink::LinkAnswer::Failed: Disconnected(); return;
    case simlink::LinkAnswer::Ok: AfterExchange(); return;
    }
}

bool cMainLogic::LinkAnswered() {
    const simlink::LinkEvents e = connection_.TakeEvents();
    bool acted = false;
    if (e.opened && !state_.SimConnected) {
        acted = true;
        RightsNotice(e.openResult == simlink::ResultAccessDenied);
        if (e.openResult == simlink::ResultOk) Connected();
    }
    if (e.ticked && state_.SimConnected) {
        acted = true;
        if (e.tickResult == simlink::ResultOk)
            AfterExchange();
        else
            Disconnected();
    }
    // Any exchange that ran out of tries means the simulator is gone.
    if (e.gaveUp && state_.SimConnected) {
        acted = true;
        Disconnected();
    }
    return acted;
}

void cMainLogic::AfterExchange() {
    SetStatus(StatusPanel::Status, "FSUIPC Status: Connected");
    TakeAircraftTitle();
    if (!state_.AircraftInUse.empty() &&
        (state_.LastAircraft.empty() || state_.LastAircraft != state_.AircraftInUse))
        OnAircraftChanged();
    // The status text changes only with the title.
    if (aircraftStatus_.size() < 17 || std::string_view(aircraftStatus_).substr(17) != state_.AircraftInUse) {
        aircraftStatus_.assign("Aircraft in use: ");
        aircraftStatus_.append(state_.AircraftInUse);
    }
    SetStatus(StatusPanel::Aircraft, aircraftStatus_);
    ForEachPanel([](IPanel& panel) { panel.RefreshData(); });
}

void cMainLogic::TakeAircraftTitle() {
    if (!aircraft_) aircraft_ = offsets_.Item("AIRCRAFT");
    if (!aircraft_) {
        if (!state_.AircraftInUse.empty()) state_.AircraftInUse.clear();
        return;
    }
    const char* text = static_cast<const char*>(aircraft_->DataPtr());
    const std::size_t limit = static_cast<std::size_t>(aircraft_->TransferLength());
    std::size_t n = 0;
    while (n < limit && text[n] != '\0') ++n;
    const std::string_view title(text, n);
    if (title != state_.AircraftInUse) state_.AircraftInUse.assign(title);
}

void cMainLogic::Connected() {
    state_.SimConnected = true;
    view_.SetTrayConnected(true);
    SetStatus(StatusPanel::Status, "FSUIPC Status: Connected");

    simlink::cOFFSET version(link_);
    version.Offset = 0x3304;
    version.SetDataType(5);
    version.DirectRead(true);
    SetStatus(StatusPanel::FSUIPCver,
              "FSUIPC Version: " + FsuipcVersionText(version.GetBCDHigh(), version.ByteN(1),
                                                     config_.Locale().DecimalSeparator));
    version.Offset = 0x3308;
    version.SetDataType(3);
    version.DirectRead(true);
    std::int32_t id = 0;
    try {
        id = version.Data().AsLong();
    } catch (const std::exception&) {
        id = 0;
    }
    SetStatus(StatusPanel::FSver, "Flight Simulator Version: " + SimulatorName(id));
    state_.SimVersion = static_cast<std::uint8_t>(id);

    aircraft_ = &offsets_.AddOffset(kAircraftOffset, 9, "AIRCRAFT", kAircraftLength);
    SetInterval(kConnectedInterval);
    ForEachPanel([](IPanel& panel) { panel.GetPositions(); });
}

void cMainLogic::Disconnected() {
    state_.SimConnected = false;
    SetInterval(kWaitingInterval);
    view_.SetTrayConnected(false);
    SetStatus(StatusPanel::Status, "FSUIPC Status: Disconnected");
    SetStatus(StatusPanel::FSUIPCver, "FSUIPC Version:");
    SetStatus(StatusPanel::FSver, "Flight Simulator Version:");
    SetStatus(StatusPanel::Aircraft, "Aircraft in use:");
    aircraftStatus_.clear();
    connection_.Close();
    ForEachPanel([](IPanel& panel) { panel.SimulatorLost(); });
    if (config_.Setup().AutoQuit()) {
        view_.StopAndUnload();
        return;
    }
    view_.PumpMessages();
    connection_.Reset();
}

void cMainLogic::OnAircraftChanged() {
    simlink::cOFFSET gear(link_);
    gear.Offset = kGearTypeOffset;
    gear.SetDataType(2);
    gear.DirectRead(true);
    try {
        state_.AircraftHasRetractableGear = gear.Data().AsLong() != 0;
    } catch (const std::exception&) {
        state_.AircraftHasRetractableGear = false;
    }
    // Set before any dialog is shown, so that a tick running while the
    // dialog is open does not start this again.
    state_.LastAircraft = state_.AircraftInUse;
    if (config_.IsKnownAircraft(state_.LastAircraft)) {
        config_.CurrentProfile = config_.GetAircraftProfile(state_.LastAircraft);
    } else {
        state_.NewAircraftTitle = state_.AircraftInUse;
        std::string profile = config::kDefaultProfile;
        if (config_.Setup().ManualProfile()) {
            RunModal([&] { profile = view_.ChooseAircraftProfile(); });
            // A dialog closed without a choice binds the aircraft to "Default"
            // rather than to a profile without a name.
            if (profile.empty()) profile = config::kDefaultProfile;
            state_.ChosenProfile = profile;
        }
        config_.CurrentProfile = profile;
        config_.BindAircraft(state_.NewAircraftTitle, config_.CurrentProfile);
        FillProfileList();
    }
    const std::string current = config_.CurrentProfile;
    SelectProfile(current);
    // A save that fails shows a message box: as modal as a dialog.
    RunModal([&] {
        config_.SaveAircraftsList();
        config_.SaveProfilesList();
    });
}

} // namespace orvex::app
