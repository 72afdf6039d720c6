#include "panels/radio/radio_setup_model.h"

#include <algorithm>

namespace orvex::panels::radio {

namespace {

struct Knob {
    int Ring;
    int Direction;
};

// The knob ring and direction of a knob slot.
bool KnobOf(SetupSlot slot, Knob& knob) {
    switch (slot) {
    case SetupSlot::InnerUp: knob = {kInnerRing, kUp}; return true;
    case SetupSlot::InnerDown: knob = {kInnerRing, kDown}; return true;
    case SetupSlot::OuterUp: knob = {kOuterRing, kUp}; return true;
    case SetupSlot::OuterDown: knob = {kOuterRing, kDown}; return true;
    default: return false;
    }
}

} // namespace

actions::EventAction SlotAction(const cRadioPanelActionsHolder& holder, SetupSlot slot, int position) {
    Knob knob{};
    if (KnobOf(slot, knob)) return holder.RotAction(knob.Ring, knob.Direction, position);
    switch (slot) {
    case SetupSlot::Click: return holder.ButtonAction(position);
    case SetupSlot::LongClick: return holder.LongButtonAction(position);
    case SetupSlot::Selector: return holder.SelectorAction(position);
    default: return {};
    }
}

bool StoreSlotAction(cRadioPanelActionsHolder& holder, SetupSlot slot, int position,
                     const actions::EventAction& action) {
    bool stored = true;
    Knob knob{};
    const bool isKnob = KnobOf(slot, knob);
    // Every field, those of the custom kinds too.
    for (int field = 0; field < actions::kActionFieldCount; ++field) {
        const ActionFieldValue value = actions::GetActionField(action, field);
        bool ok = false;
        if (isKnob) ok = holder.SetRotActions(knob.Ring, knob.Direction, position, field, value);
        else if (slot == SetupSlot::Click) ok = holder.SetButtonsActions(position, field, value);
        else if (slot == SetupSlot::LongClick) ok = holder.SetLongButtonsActions(position, field, value);
        else if (slot == SetupSlot::Selector) ok = holder.SetSelectorActions(position, field, value);
        stored = stored && ok;
    }
    return stored;
}

int AccelerationSliderPosition(std::int16_t acceleration) {
    return std::clamp<int>(acceleration, kAccelerationSliderMin, kAccelerationSliderMax);
}

std::int16_t AccelerationFromSlider(std::int16_t stored, int sliderPosition) {
    if (sliderPosition == AccelerationSliderPosition(stored)) return stored;
    return static_cast<std::int16_t>(std::clamp(sliderPosition, kAccelerationSliderMin, kAccelerationSliderMax));
}

std::string ProfileLabelText(const std::string& currentProfile) {
    return "Currently in use Profile:  " + currentProfile;
}

} // namespace orvex::panels::radio
