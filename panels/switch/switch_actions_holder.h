// The per-profile configuration of one Switch Panel: the event action of the
// On and the Off state of each of the twenty inputs, and six options. It
// loads and saves section "SwitchPanel<n>" of the profile file in use; the
// section holds only what differs from the defaults.
#pragma once

#include "actions/event_action.h"
#include "config/configuration.h"
#include "config/profile_file.h"
#include "panels/switch/switch_input.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvex::panels::switchpanel {

// States of a switch as the action table indexes them.
inline constexpr int kStateOff = 0;
inline constexpr int kStateOn = 1;

// Key name of a switch index 1-20 ("SELOFF" ... "GEARDOWN"; "" otherwise).
const char* SwitchKeyName(int index);

// A field of an action record as the accessors pass it: field 0 the kind,
// fields 1-3 unsigned 8-bit, 4-11 the custom kinds' fields.
using ActionFieldValue = actions::ActionFieldValue;

class cSwitchPanelActionsHolder {
public:
    // The section is found through the configuration model: its store, the
    // profile path of CurrentProfile, its locale and its bad-value sink.
    explicit cSwitchPanelActionsHolder(config::cConfiguration& configuration);
    // The action rows point into the object.
    cSwitchPanelActionsHolder(const cSwitchPanelActionsHolder&) = delete;
    cSwitchPanelActionsHolder& operator=(const cSwitchPanelActionsHolder&) = delete;

    std::int16_t PanelIndex = 0;  // 1-based panel number; selects the section
    bool RetractableGear = true;  // gear lamps on FS2004 for aircraft not detected as retractable
    bool SingleStarterSelector = false;
    bool SingleFuelPump = false;
    bool SingleAltSwitch = false;
    bool SingleCowlFlaps = false;
    bool SingleDeIce = false;

    // One field (0-3) of the action of a switch index (1-20) in a state
    // (0 Off, 1 On). Get yields 0 for anything out of range; Set stores
    // nothing and yields false for anything out of range or a value that
    // does not fit the field.
    ActionFieldValue GetSwitchActions(int index, int state, int field) const;
    bool SetSwitchActions(int index, int state, int field, ActionFieldValue value);

    // The whole record, for the logic; "None" for anything out of range.
    const actions::EventAction& SwitchAction(int index, int state) const;

    // Every action to kind "Offset" and every option to its default;
    // PanelIndex and the record fields other than the kind are left alone.
    void LoadDefaults();
    // LoadDefaults, then the section. A value that does not convert is
    // reported to the bad-value sink and keeps its default.
    void LoadSetup();
    // Writes the section of the profile last loaded: keys of default values
    // are deleted. False, the user told and the file left as it was, when it
    // cannot be written.
    bool SaveSetup();

    // "SwitchPanel" + PanelIndex.
    std::string SectionName() const;
    // The profile file the setup was loaded from (the profile in use before
    // any load); saving goes there.
    std::string FilePath() const;

private:
    static bool Valid(int index, int state) {
        return index >= 1 && index <= kSwitchCount && (state == kStateOff || state == kStateOn);
    }
    actions::ActionSection Section(config::IIniStore& store, const std::string& path);
    void ReadOptions(const actions::ActionSection& where);

    config::cConfiguration& configuration_;
    config::ProfileFile file_{configuration_};
    std::array<std::array<actions::EventAction, 2>, kSwitchCount + 1> table_{};  // [index][state]
    std::vector<actions::ActionRow> rows_;  // every action key, in the order they are saved
};

} // namespace orvex::panels::switchpanel
