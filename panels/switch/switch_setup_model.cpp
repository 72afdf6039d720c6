#include "panels/switch/switch_setup_model.h"

namespace orvex::panels::switchpanel {

namespace {

constexpr const char* kTabCaptions[kSwitchCount + 1] = {
    "",           "OFF",  "R",     "L",      "BOTH", "START",  "BAT",  "ALT",     "AVIONICS", "FUEL PUMP",
    "DE-ICE",     "PITOT HEAT", "COWL", "PANEL", "BEACON", "NAV", "STROBE", "TAXI", "LANDING", "GEAR UP",
    "GEAR DOWN"};

} // namespace

const char* SwitchTabCaption(int index) { return index >= 1 && index <= kSwitchCount ? kTabCaptions[index] : ""; }

bool StoreSwitchAction(cSwitchPanelActionsHolder& holder, int index, int state, const actions::EventAction& action) {
    bool stored = true;
    // Every field, those of the custom kinds too.
    for (int field = 0; field < actions::kActionFieldCount; ++field)
        stored = holder.SetSwitchActions(index, state, field, actions::GetActionField(action, field)) && stored;
    return stored;
}

bool& OptionValue(cSwitchPanelActionsHolder& holder, SwitchOption option) {
    switch (option) {
    case SwitchOption::StarterSelector: return holder.SingleStarterSelector;
    case SwitchOption::DeIce: return holder.SingleDeIce;
    case SwitchOption::CowlFlaps: return holder.SingleCowlFlaps;
    case SwitchOption::AltSwitch: return holder.SingleAltSwitch;
    case SwitchOption::FuelPump: return holder.SingleFuelPump;
    case SwitchOption::RetractableGear: break;
    }
    return holder.RetractableGear;
}

std::string SwitchProfileLabelText(const std::string& currentProfile) {
    return "Currently in use Profile:  " + currentProfile;
}

} // namespace orvex::panels::switchpanel
