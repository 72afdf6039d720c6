// The logic of one Switch Panel: it turns the panel's magneto selector,
// switches and gear lever into the simulator's engines, electrics, lights
// and gear (or into the event actions the profile binds to them), and lights
// the gear lamps from the simulator's gear positions. In the profile's
// 737NGX mode the gear lever and the light switches work the aircraft's own
// switches through its control numbers.
//
// Everything runs on the user-interface thread. No event method and no
// refresh lets an exception out: a write whose value does not convert is
// dropped, and the next event or refresh starts afresh.
#pragma once

#include "actions/event_action.h"
#include "app/program_state.h"
#include "config/configuration.h"
#include "panels/switch/switch_actions_holder.h"
#include "panels/switch/switch_control.h"
#include "simlink/offset.h"
#include "simlink/registered_offsets.h"
#include "simlink/sim_commands.h"

#include <array>
#include <cstdint>
#include <optional>

namespace orvex::panels::switchpanel {

inline constexpr std::uint8_t kSpecialModeNgx = 2;
// FSUIPC's simulator identifier of Flight Simulator 2004.
inline constexpr std::uint8_t kSimVersionFs2004 = 7;

// Gear position of a leg when down and locked.
inline constexpr std::int32_t kGearDownAndLocked = 16383;

// Offsets written by the built-in behaviour.
inline constexpr std::int32_t kGearLeverOffset = 0x0BE8;
inline constexpr std::int32_t kBatteryOffset = 0x3102;
inline constexpr std::int32_t kAvionicsOffset = 0x3103;
inline constexpr std::int32_t kFuelPumpOffset = 0x3125;
inline constexpr std::int32_t kPitotHeatOffset = 0x029C;
inline constexpr std::int32_t kLightsOffset = 0x0D0C;

// FSUIPC controls of the 737NGX and their click parameters.
inline constexpr std::int32_t kNgxLeftClick = 0x20000000;
inline constexpr std::int32_t kNgxRightClick = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t kNgxGearControl = 70087;
inline constexpr std::int32_t kNgxPanelControl = 69890;
inline constexpr std::int32_t kNgxBeaconControl = 69756;
inline constexpr std::int32_t kNgxNavStrobeControl = 69755;
inline constexpr std::int32_t kNgxTaxiControl = 69749;
inline constexpr std::int32_t kNgxLandingControl = 69742;

class cSwitchPanelLogic {
public:
    cSwitchPanelLogic(app::ProgramState& state, simlink::RegisteredOffsets& offsets, simlink::ILink& link,
                      actions::IActionTarget& target, simlink::IWaitHost& waitHost,
                      config::cConfiguration& configuration, ISwitchPanelControl& control);
    cSwitchPanelLogic(const cSwitchPanelLogic&) = delete;
    cSwitchPanelLogic& operator=(const cSwitchPanelLogic&) = delete;

    // The panel's 1-based number; set before StartUp.
    std::int16_t PanelIndex = 0;
    // The panel's configuration; the main window reloads it after the setup
    // dialog closed, then calls SetupChanged.
    cSwitchPanelActionsHolder& ActionsHolder() { return holder_; }
    const cSwitchPanelActionsHolder& ActionsHolder() const { return holder_; }

    // Once, after PanelIndex is set: the configuration loaded, the offsets
    // registered.
    void StartUp();
    // Every poll tick, after the registered offsets were read: the gear
    // lamps, written only when a colour changed.
    void RefreshData();
    // After the configuration was (re)loaded: registers the offsets again.
    void SetupChanged();

    void GearDown();
    void GearUp();
    // Switch index 1-20 (Off or On action); other indices are ignored.
    void SwitchChange(int index, bool on);
    // Magneto positions as switch indices 1-5 (0: between positions).
    void SelectorChange(int newPosition, int previousPosition);

    // The simulator is gone: the lamps go dark, and the next refresh after
    // a reconnection lights them again.
    void TurnOffLights();

    // The main window's translation of the control's bit values.
    static int SwitchIndex(std::int32_t bit);

    // The colours last sent (nose, left, right), for tests.
    std::array<std::int32_t, 3> LastColours() const { return {lastNose_, lastLeft_, lastRight_}; }

private:
    enum Key : int { kGearNose, kGearRight, kGearLeft, kMasterBattery, kFuelPumps, kKeyCount };

    std::uint8_t SpecialMode() const { return configuration_.SpecialMode; }
    bool Ngx() const { return SpecialMode() == kSpecialModeNgx; }
    // The engine (1-4) the single-engine options act on; 0 for none.
    int SelectedEngine() const;
    void Pump();

    // Kind 2: press, 50 ms, release; kind 3: the keystroke. The outcome
    // says whether the caller runs its built-in behaviour.
    actions::Outcome PressWaitRelease(const actions::EventAction& action);
    void BuiltIn(int index, bool on);
    void StandardLight(std::int32_t bit, bool on);
    void NgxLight(int index, bool on);
    void Gear(bool down);

    // Writes queued for the next process call.
    void Write(std::int32_t offset, std::int32_t type, double value);
    // The same value to each engine's offset, or to the selected one's only.
    void WriteEngines(const std::array<std::int32_t, 4>& offsets, std::int32_t type, double value, bool single);
    // An offset of the given type read at once; nothing when the link did
    // not answer.
    std::optional<int> ReadNow(std::int32_t offset, std::int32_t type);
    // A control queued and, when a wait follows, sent at once so that the
    // aircraft sees each click by itself.
    void Control(std::int32_t control, std::int32_t parameter);
    void ControlWaitControl(std::int32_t control, std::int32_t parameter);

    void SetLights(std::int32_t nose, std::int32_t left, std::int32_t right);

    app::ProgramState& state_;
    simlink::RegisteredOffsets& offsets_;
    simlink::ILink& link_;
    actions::IActionTarget& target_;
    simlink::IWaitHost& waitHost_;
    config::cConfiguration& configuration_;
    ISwitchPanelControl& control_;
    cSwitchPanelActionsHolder holder_;

    std::array<simlink::cOFFSET*, kKeyCount> keys_{};
    std::int32_t lastNose_ = 0;
    std::int32_t lastRight_ = 0;
    std::int32_t lastLeft_ = 0;
};

} // namespace orvex::panels::switchpanel
