// What the Switch Panel setup dialog binds to the configuration, kept apart
// from the window so that it builds and is tested without Windows: the
// input tabs, the record each of the two event selectors edits, the option
// check boxes and the profile line.
#pragma once

#include "actions/event_action.h"
#include "panels/switch/switch_actions_holder.h"

#include <array>
#include <string>

namespace orvex::panels::switchpanel {

// The caption of the tab of a switch index 1-20 ("" otherwise).
const char* SwitchTabCaption(int index);

// Writes all four fields of `action` into the record of an input's state
// through the holder's field accessors. False when the holder refused a
// field (an index out of range, a value that does not fit its field).
bool StoreSwitchAction(cSwitchPanelActionsHolder& holder, int index, int state, const actions::EventAction& action);

// The options' check boxes, in the order of the options page.
enum class SwitchOption : int { StarterSelector, DeIce, CowlFlaps, AltSwitch, FuelPump, RetractableGear };
inline constexpr std::array<SwitchOption, 6> kSwitchOptions = {
    SwitchOption::StarterSelector, SwitchOption::DeIce,    SwitchOption::CowlFlaps,
    SwitchOption::AltSwitch,       SwitchOption::FuelPump, SwitchOption::RetractableGear,
};
// The option a check box stands for (ticked = true).
bool& OptionValue(cSwitchPanelActionsHolder& holder, SwitchOption option);

// The text of the profile line.
std::string SwitchProfileLabelText(const std::string& currentProfile);

} // namespace orvex::panels::switchpanel
