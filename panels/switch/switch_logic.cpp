#include "panels/switch/switch_logic.h"

#include "panels/switch/switch_input.h"
#include "panels/switch/switch_lamps.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <utility>

namespace orvex::panels::switchpanel {

namespace {

using actions::EventAction;
using actions::Outcome;
using simlink::cOFFSET;

struct KeyInfo {
    const char* Name;
    std::int32_t Offset;
    std::int32_t Type;
};

// In the order of the Key enumeration.
constexpr KeyInfo kKeys[] = {
    {"GEARNOSE", 0x0BEC, 4},      {"GEARRIGHT", 0x0BF0, 4}, {"GEARLEFT", 0x0BF4, 4},
    {"MASTERBATTERY", 0x281C, 4}, {"FUELPUMPS", 0x3125, 1},
};

// Per engine 1-4.
constexpr std::array<std::int32_t, 4> kAlternatorOffsets = {0x3B78, 0x3AB8, 0x39F8, 0x3938};
constexpr std::array<std::int32_t, 4> kDeIceOffsets = {0x08B2, 0x094A, 0x09E2, 0x0A7A};
constexpr std::array<std::int32_t, 4> kCowlFlapsOffsets = {0x37F0, 0x3730, 0x3670, 0x35B0};
constexpr std::array<std::int32_t, 4> kMagnetoOffsets = {0x0892, 0x092A, 0x09C2, 0x0A5A};

// Light bits of offset 0x0D0C for the switches PANEL to LANDING.
constexpr std::int32_t LightBit(int index) {
    switch (index) {
    case kPanel: return 0x20;
    case kBeacon: return 0x02;
    case kNav: return 0x01;
    case kStrobe: return 0x10;
    case kTaxi: return 0x08;
    case kLanding: return 0x04;
    default: return 0;
    }
}

// The 737NGX's own switch positions, one byte each.
constexpr std::int32_t kNgxPanelPosition = 0x642F;
constexpr std::int32_t kNgxBeaconPosition = 0x6501;
constexpr std::int32_t kNgxNavStrobePosition = 0x6500;
constexpr std::int32_t kNgxTaxiPosition = 0x64FA;

constexpr std::int32_t kShortWaitMs = 50;
constexpr std::int32_t kLongWaitMs = 1000;
constexpr double kWaitStepMs = 25;

template <class Body>
void Guarded(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (const std::exception&) {
        // A value without a valid form: the write it was meant for is dropped.
    }
}

} // namespace

cSwitchPanelLogic::cSwitchPanelLogic(app::ProgramState& state, simlink::RegisteredOffsets& offsets,
                                     simlink::ILink& link, actions::IActionTarget& target,
                                     simlink::IWaitHost& waitHost, config::cConfiguration& configuration,
                                     ISwitchPanelControl& control)
    : state_(state), offsets_(offsets), link_(link), target_(target), waitHost_(waitHost),
      configuration_(configuration), control_(control), holder_(configuration) {}

int cSwitchPanelLogic::SwitchIndex(std::int32_t bit) { return SwitchIndexOf(bit); }

// ---------------------------------------------------------------------------
// Start-up and configuration

void cSwitchPanelLogic::StartUp() {
    Guarded([this] {
        holder_.PanelIndex = PanelIndex;
        holder_.LoadSetup();
    });
    SetupChanged();
}

void cSwitchPanelLogic::SetupChanged() {
    Guarded([this] {
        // Taken over only when complete, so a refresh never meets a partial set.
        std::array<cOFFSET*, kKeyCount> found{};
        for (int k = 0; k < kKeyCount; ++k)
            found[static_cast<std::size_t>(k)] = &offsets_.AddOffset(kKeys[k].Offset, kKeys[k].Type, kKeys[k].Name);
        keys_ = found;
    });
}

void cSwitchPanelLogic::Pump() {
    Guarded([this] { waitHost_.PumpMessages(); });
}

int cSwitchPanelLogic::SelectedEngine() const {
    const int engine = state_.RadioUpperSelection;
    return engine >= 1 && engine <= 4 ? engine : 0;
}

// ---------------------------------------------------------------------------
// Gear lamps

void cSwitchPanelLogic::RefreshData() {
    Guarded([this] {
        if (keys_[0] == nullptr) return; // not registered yet
        std::int32_t colours[3] = {kLampOff, kLampOff, kLampOff}; // nose, right, left
        const bool managed = state_.AircraftHasRetractableGear ||
                             (holder_.RetractableGear && state_.SimVersion == kSimVersionFs2004);
        if (managed && keys_[kMasterBattery]->Data().AsDouble() != 0) {
            for (int k = kGearNose; k <= kGearLeft; ++k) {
                const double position = keys_[static_cast<std::size_t>(k)]->Data().AsDouble();
                // Up: dark; down and locked: green; anything between: in transit, red.
                colours[k] = position == 0 ? kLampOff : position == kGearDownAndLocked ? kLampGreen : kLampRed;
            }
        }
        if (colours[0] == lastNose_ && colours[1] == lastRight_ && colours[2] == lastLeft_) return;
        SetLights(colours[0], colours[2], colours[1]);
    });
}

void cSwitchPanelLogic::SetLights(std::int32_t nose, std::int32_t left, std::int32_t right) {
    lastNose_ = nose;
    lastLeft_ = left;
    lastRight_ = right;
    control_.ChangeLights(nose, left, right);
}

void cSwitchPanelLogic::TurnOffLights() {
    Guarded([this] { SetLights(kLampOff, kLampOff, kLampOff); });
}

// ---------------------------------------------------------------------------
// Events

Outcome cSwitchPanelLogic::PressWaitRelease(const EventAction& action) {
    const Outcome outcome = actions::Press(action, target_);
    if (action.Kind == actions::kVButton) {
        simlink::WaitFor(waitHost_, kShortWaitMs, kWaitStepMs);
        actions::Release(action, target_);
    }
    return outcome;
}

void cSwitchPanelLogic::SwitchChange(int index, bool on) {
    Guarded([&] {
        if (index < 1 || index > kSwitchCount) return;
        // A copy: the configuration may be reloaded while the wait lets messages run.
        const EventAction action = holder_.SwitchAction(index, on ? kStateOn : kStateOff);
        if (PressWaitRelease(action) == Outcome::BuiltIn) BuiltIn(index, on);
    });
    Pump();
}

void cSwitchPanelLogic::SelectorChange(int newPosition, int previousPosition) {
    Guarded([&] {
        const auto isPosition = [](int p) { return p >= kSelOff && p <= kSelStart; };
        if (isPosition(previousPosition)) PressWaitRelease(holder_.SwitchAction(previousPosition, kStateOff));
        if (!isPosition(newPosition)) return;
        const EventAction action = holder_.SwitchAction(newPosition, kStateOn);
        if (PressWaitRelease(action) == Outcome::BuiltIn)
            // 0 OFF, 1 R, 2 L, 3 BOTH, 4 START.
            WriteEngines(kMagnetoOffsets, 2, newPosition - kSelOff, holder_.SingleStarterSelector);
    });
    Pump();
}

void cSwitchPanelLogic::GearDown() {
    Guarded([this] { Gear(true); });
    Pump();
}

void cSwitchPanelLogic::GearUp() {
    Guarded([this] { Gear(false); });
    Pump();
}

void cSwitchPanelLogic::Gear(bool down) {
    if (Ngx()) {
        // The aircraft's lever, whatever the bound action.
        if (down) ControlWaitControl(kNgxGearControl, kNgxLeftClick);
        else Control(kNgxGearControl, kNgxRightClick);
        return;
    }
    const EventAction action = holder_.SwitchAction(down ? kGearDown : kGearUp, kStateOn);
    const EventAction other = holder_.SwitchAction(down ? kGearUp : kGearDown, kStateOn);
    switch (action.Kind) {
    case actions::kVKey:
        actions::CarryOut(action, target_);
        break;
    case actions::kVButton:
        // The button of the lever's position stays pressed while it is
        // there; the other position's button is let go.
        actions::Press(action, target_);
        if (other.Kind == actions::kVButton) actions::Release(other, target_);
        break;
    case actions::kOffset:
        Write(kGearLeverOffset, 4, down ? kGearDownAndLocked : 0);
        break;
    default:
        // None does nothing; a custom action is carried out once.
        actions::CarryOut(action, target_);
        break;
    }
}

// ---------------------------------------------------------------------------
// The panel's own functions

void cSwitchPanelLogic::BuiltIn(int index, bool on) {
    const int value = on ? 1 : 0;
    switch (index) {
    case kBat: Write(kBatteryOffset, 1, value); break;
    case kAlt: WriteEngines(kAlternatorOffsets, 5, value, holder_.SingleAltSwitch); break;
    case kAvionics: Write(kAvionicsOffset, 1, value); break;
    case kFuelPump:
        if (!holder_.SingleFuelPump) {
            Write(kFuelPumpOffset, 1, value * 15);
        } else if (const int engine = SelectedEngine(); engine != 0) {
            // The other engines' pumps keep their state.
            const auto pumps = static_cast<std::int32_t>(keys_[kFuelPumps] ? keys_[kFuelPumps]->Data().AsDouble() : 0);
            const std::int32_t bit = 1 << (engine - 1);
            Write(kFuelPumpOffset, 1, on ? (pumps | bit) : (pumps & ~bit & 0xFF));
        }
        break;
    case kDeIce: WriteEngines(kDeIceOffsets, 2, value, holder_.SingleDeIce); break;
    case kPitot: Write(kPitotHeatOffset, 1, value); break;
    case kCowl: WriteEngines(kCowlFlapsOffsets, 8, on ? 0.0 : 1.0, holder_.SingleCowlFlaps); break;
    case kPanel: case kBeacon: case kNav: case kStrobe: case kTaxi: case kLanding:
        if (Ngx()) NgxLight(index, on);
        else StandardLight(LightBit(index), on);
        break;
    default:
        break; // the selector and the lever have no switch behaviour
    }
}

void cSwitchPanelLogic::StandardLight(std::int32_t bit, bool on) {
    const std::optional<int> read = ReadNow(kLightsOffset, 2);
    if (!read) return;
    const std::int32_t lights = *read;
    if (((lights & bit) != 0) == on) return; // the simulator agrees already
    // Type 2 is signed: the bits are taken as the 16-bit pattern they are.
    const std::int32_t changed = on ? (lights | bit) : (lights & (65535 - bit));
    Write(kLightsOffset, 2, static_cast<std::int16_t>(static_cast<std::uint16_t>(changed)));
}

void cSwitchPanelLogic::NgxLight(int index, bool on) {
    // Clicks on the aircraft's switch until it agrees with the panel's.
    switch (index) {
    case kPanel: {
        const std::optional<int> read = ReadNow(kNgxPanelPosition, 1);
        if (!read) break;
        const int position = *read;
        if (position == 0) {
            if (on) ControlWaitControl(kNgxPanelControl, kNgxLeftClick);
            else Control(kNgxPanelControl, kNgxLeftClick);
        } else if (position == 1 && on) {
            Control(kNgxPanelControl, kNgxLeftClick);
        } else if (position == 2 && !on) {
            Control(kNgxPanelControl, kNgxRightClick);
        }
        break;
    }
    case kBeacon: {
        const std::optional<int> read = ReadNow(kNgxBeaconPosition, 1);
        if (!read) break;
        const int position = *read;
        if ((position == 0 && on) || (position == 1 && !on)) Control(kNgxBeaconControl, kNgxLeftClick);
        break;
    }
    case kNav: {
        const std::optional<int> read = ReadNow(kNgxNavStrobePosition, 1);
        if (!read) break;
        const int position = *read;
        if (position == 0 && !on) Control(kNgxNavStrobeControl, kNgxRightClick);
        else if (position == 1 && on) Control(kNgxNavStrobeControl, kNgxLeftClick);
        break;
    }
    case kStrobe: {
        const std::optional<int> read = ReadNow(kNgxNavStrobePosition, 1);
        if (!read) break;
        const int position = *read;
        if (position == 0 && on) ControlWaitControl(kNgxNavStrobeControl, kNgxRightClick);
        else if (position == 1 && on) Control(kNgxNavStrobeControl, kNgxRightClick);
        else if (position == 2 && !on) Control(kNgxNavStrobeControl, kNgxLeftClick);
        break;
    }
    case kTaxi: {
        const std::optional<int> read = ReadNow(kNgxTaxiPosition, 1);
        if (!read) break;
        const int position = *read;
        if ((position == 0 && on) || (position == 1 && !on)) Control(kNgxTaxiControl, kNgxLeftClick);
        break;
    }
    case kLanding:
        Control(kNgxLandingControl, on ? kNgxLeftClick : kNgxRightClick);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Link

void cSwitchPanelLogic::Write(std::int32_t offset, std::int32_t type, double value) {
    cOFFSET buffer(link_);
    buffer.Offset = offset;
    buffer.SetDataType(type);
    buffer.SetData(value);
    buffer.DirectWrite(false);
}

void cSwitchPanelLogic::WriteEngines(const std::array<std::int32_t, 4>& offsets, std::int32_t type, double value,
                                     bool single) {
    if (!single) {
        for (std::int32_t offset : offsets) Write(offset, type, value);
        return;
    }
    // Radio Panel 1's upper selector chooses the engine; without a valid
    // choice no engine is meant, and nothing is written.
    if (const int engine = SelectedEngine(); engine != 0)
        Write(offsets[static_cast<std::size_t>(engine - 1)], type, value);
}

std::optional<int> cSwitchPanelLogic::ReadNow(std::int32_t offset, std::int32_t type) {
    cOFFSET buffer(link_);
    buffer.Offset = offset;
    buffer.SetDataType(type);
    buffer.DirectRead(true);
    // Without an answer nothing is known of the switch: acting on a zero
    // would turn the other lights off, or click the aircraft's switch.
    if (buffer.dwResult != simlink::ResultOk) return std::nullopt;
    return static_cast<int>(buffer.Data().AsDouble());
}

void cSwitchPanelLogic::Control(std::int32_t control, std::int32_t parameter) {
    simlink::SendFsControl(link_, control, parameter);
}

void cSwitchPanelLogic::ControlWaitControl(std::int32_t control, std::int32_t parameter) {
    Control(control, parameter);
    std::int32_t result = 0;
    link_.LinkProcess(result); // a link that is down loses the click (and the next)
    simlink::WaitFor(waitHost_, kLongWaitMs, kWaitStepMs);
    Control(control, parameter);
}

} // namespace orvex::panels::switchpanel
