// The logic of one BIP: it turns the simulator's state into tile colours.
// For each of the 24 tiles it evaluates the tile function the profile gives
// it against offsets cached in the registered collection, and lights the
// tile in its configured colour, in a colour of its own (the custom gear,
// marker and 737NGX tiles), or leaves it dark. The profile's 737NGX special
// mode reads the aircraft's own annunciators where it has them.
//
// Everything runs on the user-interface thread. RefreshData reads only
// cached offsets and allocates nothing; the panel gets a report only for
// tiles whose colour changes. No member lets an exception out.
#pragma once

#include "app/program_state.h"
#include "config/configuration.h"
#include "panels/bip/bip_actions_holder.h"
#include "panels/bip/bip_control.h"
#include "simlink/offset.h"
#include "simlink/registered_offsets.h"

#include <array>
#include <cstdint>

namespace orvex::panels::bip {

inline constexpr std::uint8_t kSpecialModeNgx = 2;

// Gear position of a leg when down and locked (standard mode).
inline constexpr std::int32_t kGearDownAndLocked = 16383;
// Gear states.
inline constexpr int kGearRetracted = 0;
inline constexpr int kGearInTransit = 1;
inline constexpr int kGearLocked = 2;

// The offsets the tile functions read, by key.
enum BIPOffsetKey : int {
    kKeyMasterBattery,
    kKeyMasterAvionics,
    kKeyEngineFire,
    kKeyNgxFireEng1,
    kKeyNgxFireEng2,
    kKeyEng1FuelPressure,
    kKeyNgxLowPressure,
    kKeyEng1OilPressure,
    kKeyNgxApuLowOilPressure,
    kKeyNgxFcLowPressure1,
    kKeyEng2OilPressure,
    kKeyNgxFcLowPressure2,
    kKeyEng3OilPressure,
    kKeyEng4OilPressure,
    kKeyEng1OilTemp,
    kKeyEng2OilTemp,
    kKeyEng3OilTemp,
    kKeyEng4OilTemp,
    kKeyFuelCapacity,
    kKeyFuelQuantity,
    kKeyNgxFuel,
    kKeyLeftTankLevel,
    kKeyCenterTankLevel,
    kKeyRightTankLevel,
    kKeyCrossfeedSwitch,
    kKeyNgxXfeedValveOpen,
    kKeyGearNose,
    kKeyGearRight,
    kKeyGearLeft,
    kKeyNgxGearTransit1,
    kKeyNgxGearTransit2,
    kKeyNgxGearTransit3,
    kKeyNgxGearLocked1,
    kKeyNgxGearLocked2,
    kKeyNgxGearLocked3,
    kKeyRadioIdentSwitches,
    kKeyNavGpsSwitch,
    kKeyApMasterSwitch,
    kKeyLightsSwitches,
    kKeyVacPressure,
    kKeyNgxMasterCaution,
    kKeyStallWarning,
    kKeyDoorsOpen,
    kKeyNgxDoors,
    kKeyRotorRpm,
    kKeyPitotSwitch,
    kKeyNgxCaptPitot,
    kKeyParkingBrake,
    kKeyNgxParkingBrake,
    kKeyInnerMarker,
    kKeyMiddleMarker,
    kKeyOuterMarker,
    kKeyNgxAp1,
    kKeyNgxAnyApMode,
    kKeyNgxAt1,
    kKeyNgxFmc1,
    kBIPOffsetKeyCount
};
struct BIPOffsetInfo {
    const char* Name;       // key in the registered collection
    std::int32_t Offset;    // FSUIPC offset
    std::int32_t Type;      // data type of the offset buffer
};
// In the order of BIPOffsetKey.
const BIPOffsetInfo& OffsetInfo(BIPOffsetKey key);

class cBIPPanelLogic {
public:
    cBIPPanelLogic(app::ProgramState& state, simlink::RegisteredOffsets& offsets,
                   config::cConfiguration& configuration, IBIPPanelControl& control);
    cBIPPanelLogic(const cBIPPanelLogic&) = delete;
    cBIPPanelLogic& operator=(const cBIPPanelLogic&) = delete;

    // The panel's 1-based number; set before StartUp.
    std::int16_t PanelIndex = 0;
    // The panel's configuration; the main window reloads it (LoadSetup)
    // after the setup dialog closed or the profile changed, then calls
    // SetupChanged.
    cBIPPanelActionHolder& ActionsHolder() { return holder_; }
    const cBIPPanelActionHolder& ActionsHolder() const { return holder_; }

    // Once, after PanelIndex is set: the configuration loaded, then
    // SetupChanged.
    void StartUp();
    // Every connected poll tick, after the registered offsets were read.
    // Nothing while the setup dialog is open (BIPSetupOpen). With battery or
    // avionics off every tile goes dark.
    void RefreshData();
    // After the configuration was (re)loaded: registers the offsets the
    // configured tiles read in the profile's mode (offsets are only ever
    // added) and shows every tile's legend.
    void SetupChanged();

    // True when a tile shows a gear function; set by SetupChanged.
    bool GearTilesUsed() const { return gearTilesUsed_; }

    // The colour a tile's function asks for now, or kNoChange to keep what
    // the tile shows (for tests and the refresh).
    static constexpr std::int32_t kNoChange = -1;
    std::int32_t Evaluate(int tile) const;

private:
    bool Ngx() const { return configuration_.SpecialMode == kSpecialModeNgx; }
    // Registers the key and marks it as read by the configuration.
    void Register(BIPOffsetKey key);
    void RegisterFunction(int function, bool ngx);
    // The entry under a key, looked up on every use: other panels remove
    // and re-add their keys (which the BIP may read too) whenever their own
    // setup changes, so no entry is held from one tick to the next.
    const simlink::cOFFSET* Entry(BIPOffsetKey key) const;
    bool Has(BIPOffsetKey key) const { return Entry(key) != nullptr; }
    // The cached value of an offset; 0 when it is not registered.
    double Value(BIPOffsetKey key) const;
    void ReadGear();
    // One tile through the control, which writes only when it changes.
    void SetTile(int tile, std::int32_t colour);

    app::ProgramState& state_;
    simlink::RegisteredOffsets& offsets_;
    config::cConfiguration& configuration_;
    IBIPPanelControl& control_;
    cBIPPanelActionHolder holder_;

    // The keys the configured tiles read (and power), set by SetupChanged.
    std::array<bool, kBIPOffsetKeyCount> needed_{};
    bool gearTilesUsed_ = false;
    // Nose, right, left: kGearRetracted, kGearInTransit, kGearLocked.
    std::array<int, 3> gear_{};
};

} // namespace orvex::panels::bip
