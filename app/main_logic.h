// The heart of the main program without its windows: the poll step that
// keeps the simulator connection and drives every panel, the choice of the
// profile when the simulator loads another aircraft, and loading a profile
// into the panels. The main window implements the view and owns this object.
#pragma once

#include "app/program_state.h"
#include "config/configuration.h"
#include "simlink/link.h"
#include "simlink/link_scheduler.h"
#include "simlink/registered_offsets.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::app {

// The four panel kinds.
enum class PanelKindId { Radio, Multi, Switch, Bip };

// One panel as the core sees it, whatever its kind. Each kind's adapter
// (its device control, logic and configuration together) implements it.
class IPanel {
public:
    virtual ~IPanel() = default;
    virtual PanelKindId Kind() const = 0;
    // The panel's 1-based number within its kind.
    virtual std::int16_t Index() const = 0;
    // Once per connected tick, after the exchange.
    virtual void RefreshData() = 0;
    // At connection: read the panel's switch positions again.
    virtual void GetPositions() = 0;
    // The simulator is gone: show the panel dark (as far as its kind does).
    virtual void SimulatorLost() = 0;
    // The profile in use changed or its setup dialog closed: reload the
    // panel's section and apply it.
    virtual void ReloadSetup() = 0;
    // Applies the setup as it is again (the logic's SetupChanged), without
    // reloading it.
    virtual void ApplySetup() = 0;
    // The kind's setup dialog, modal.
    virtual void OpenSetupDialog() = 0;
};

// The poll loop's half of the simulator link: connecting, the poll
// exchange, closing. A link that runs its exchanges in the background
// answers Pending and reports the end later through TakeEvents.
class ISimConnection {
public:
    virtual ~ISimConnection() = default;
    virtual simlink::LinkAnswer Open(std::int32_t& result) = 0;  // any simulator
    // Sends what is queued (the reads of the registered offsets) as the
    // poll exchange.
    virtual simlink::LinkAnswer Exchange(std::int32_t& result) = 0;
    virtual void Close() = 0;
    virtual void Reset() = 0;
    // An exchange or connection attempt is under way, and since how long.
    virtual bool Busy() { return false; }
    virtual std::uint32_t LateMs() { return 0; }
    // What finished in the background since the last call.
    virtual simlink::LinkEvents TakeEvents() { return {}; }
};

enum class StatusPanel { Status = 0, FSUIPCver = 1, FSver = 2, Aircraft = 3 };

// Shown across the status bar while the system refuses the simulator's
// message because the two programs run with different rights.
inline constexpr const char* kOtherRightsNotice =
    "The simulator runs with other rights than Orvex: start Orvex the same way (both as administrator, or neither).";
inline constexpr std::array<const char*, 4> kStatusPanelKeys = {"Status", "FSUIPCver", "FSver", "Aircraft"};

// What the core asks of the main window.
class IMainView {
public:
    virtual ~IMainView() = default;
    virtual void SetStatusText(StatusPanel panel, const std::string& text) = 0;
    // A notice shown across the whole status bar instead of its panels;
    // empty: the panels again.
    virtual void ShowStatusNotice(const std::string& text) = 0;
    // The notification icon: green "Connected..." or yellow "Waiting FS connection...".
    virtual void SetTrayConnected(bool connected) = 0;
    virtual void ShowTrayIcon(bool visible) = 0;
    virtual void SetPollInterval(std::uint32_t milliseconds) = 0;
    // Stops the poll timer and closes the main window (the program ends).
    virtual void StopAndUnload() = 0;
    virtual void PumpMessages() = 0;
    // The profile list box: fill it, and show entry `index` as selected
    // (without raising the selection handler; the core loads the profile).
    virtual void FillProfileList(const std::vector<std::string>& names) = 0;
    virtual void ShowProfileSelection(int index) = 0;
    // The aircraft binding dialog for state.NewAircraftTitle: returns the
    // profile the user chose.
    virtual std::string ChooseAircraftProfile() = 0;
};

class cMainLogic {
public:
    cMainLogic(ProgramState& state, config::cConfiguration& configuration, simlink::ILink& link,
               ISimConnection& connection, simlink::RegisteredOffsets& offsets, IMainView& view);
    cMainLogic(const cMainLogic&) = delete;
    cMainLogic& operator=(const cMainLogic&) = delete;

    // The panels in the order Radio 1..R, Multi 1..M, Switch 1..S, BIP 1..B.
    void SetPanels(std::vector<IPanel*> panels) {
        panels_ = std::move(panels);
        ++panelsGeneration_;
    }
    const std::vector<IPanel*>& Panels() const { return panels_; }

    // Loading the main window: reset the link, show the disconnected state,
    // fill the profile list and load its last entry ("Default").
    void Load();
    // The poll timer's tick. While an exchange or connection attempt is
    // under way the tick is skipped; an exchange late by more than a second
    // shows in the status bar.
    void Tick();
    // The link finished something in the background: carry on with it.
    // True when something was done.
    bool LinkAnswered();
    // A new aircraft title was read.
    void OnAircraftChanged();
    // The user (or the core) picked an entry of the profile list.
    void ProfileSelected(const std::string& name);
    // Fills the profile list from colProfiles.
    void FillProfileList();
    // Selects the list entry equal to `name` (exact) and loads it; false
    // when there is none (the bindings in force stay).
    bool SelectProfile(const std::string& name);
    // After the profile dialog closed.
    void AfterProfilesDialog();
    // A panel's setup request: the dialog, then the reload.
    void SetupRequested(IPanel& panel);
    // Runs a modal dialog with DialogOpen set around it (restored, not
    // cleared: a dialog may open from within another). A close asked for
    // while it was shown is carried out once the outermost dialog is gone,
    // so that nothing the dialog still uses is destroyed under it.
    template <class F>
    void RunModal(F&& dialog) {
        const bool outer = !state_.DialogOpen;
        state_.DialogOpen = true;
        dialog();
        state_.DialogOpen = !outer;
        if (outer && state_.CloseRequested) {
            state_.CloseRequested = false;
            view_.StopAndUnload();
        }
    }

    // The simulator's name for an identifier; the number itself outside 0-10.
    static std::string SimulatorName(std::int32_t id);
    // "3.999" (or "3,999") followed by the build letter.
    static std::string FsuipcVersionText(std::int32_t bcdHigh, std::uint8_t build, char decimalSeparator);

    // Counters for tests and benchmarks.
    std::uint64_t Exchanges() const { return exchanges_; }
    std::uint64_t OpenAttempts() const { return openAttempts_; }
    std::uint32_t PollInterval() const { return interval_; }
    std::uint64_t SkippedTicks() const { return skippedTicks_; }

private:
    void Connected();
    void Disconnected();
    // The rest of a tick once its exchange has been answered.
    void AfterExchange();
    void SetStatus(StatusPanel panel, std::string_view text);
    // Shows or removes the notice about the simulator's other rights; the
    // view hears of it only when that changes.
    void RightsNotice(bool shown);
    void SetInterval(std::uint32_t ms);
    // Copies the title of "AIRCRAFT" into AircraftInUse when it differs
    // (no allocation while it stays the same).
    void TakeAircraftTitle();
    // Calls `call` for each panel. A call may let messages run, and a panel
    // that comes back meanwhile replaces the list (SetPanels): the walk then
    // starts again on the new list, so `call` must be harmless to repeat.
    // Allocates nothing.
    template <class Call>
    void ForEachPanel(Call&& call) {
        for (std::size_t i = 0; i < panels_.size();) {
            const std::uint64_t generation = panelsGeneration_;
            call(*panels_[i]);
            i = generation == panelsGeneration_ ? i + 1 : 0;
        }
    }

    ProgramState& state_;
    config::cConfiguration& config_;
    simlink::ILink& link_;
    ISimConnection& connection_;
    simlink::RegisteredOffsets& offsets_;
    IMainView& view_;
    std::vector<IPanel*> panels_;
    std::uint64_t panelsGeneration_ = 0;  // counts SetPanels
    simlink::cOFFSET* aircraft_ = nullptr;
    std::array<std::string, 4> status_;
    std::string aircraftStatus_;
    bool rightsNotice_ = false;
    std::uint32_t interval_ = 1000;
    std::uint64_t exchanges_ = 0;
    std::uint64_t openAttempts_ = 0;
    std::uint64_t skippedTicks_ = 0;
};

} // namespace orvex::app
