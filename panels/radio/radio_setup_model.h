// What the Radio Panel setup dialog binds to the configuration, kept apart
// from the window so that it builds and is tested without Windows: which
// record of the position shown each event selector edits, the acceleration
// slider's range and the profile line.
#pragma once

#include "actions/event_action.h"
#include "panels/radio/radio_actions_holder.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvex::panels::radio {

// The event selectors of the dialog, each editing one record of the
// position shown.
enum class SetupSlot : int {
    InnerUp,    // "Inner Knob", "Clockwise"
    InnerDown,  // "Inner Knob", "Counter Clockwise"
    OuterUp,    // "Outer Knob", "Clockwise"
    OuterDown,  // "Outer Knob", "Counter Clockwise"
    Click,      // "Act/Stby Button", "Short Click"
    LongClick,  // "Act/Stby Button", "Long Click"
    Selector,   // "Selector Change"
};
inline constexpr std::array<SetupSlot, 7> kSetupSlots = {
    SetupSlot::InnerUp, SetupSlot::InnerDown, SetupSlot::OuterUp,   SetupSlot::OuterDown,
    SetupSlot::Click,   SetupSlot::LongClick, SetupSlot::Selector,
};

// The record a slot edits for a position.
actions::EventAction SlotAction(const cRadioPanelActionsHolder& holder, SetupSlot slot, int position);
// Writes all four fields of `action` into that record through the holder's
// field accessors. False when the holder refused a field (a position out of
// range, a value that does not fit).
bool StoreSlotAction(cRadioPanelActionsHolder& holder, SetupSlot slot, int position,
                     const actions::EventAction& action);

// The acceleration slider: a speed-measuring period of 50 to 200 ms
// (value x 3 + 50). The default acceleration is 1.
inline constexpr int kAccelerationSliderMin = 0;
inline constexpr int kAccelerationSliderMax = 50;
// Where the slider shows a stored acceleration (clamped to its range).
int AccelerationSliderPosition(std::int16_t acceleration);
// The acceleration to store for a slider position. A stored value outside
// the slider's range (set by hand in the profile file) is kept as long as
// the slider still shows it at its clamped end, so merely opening the
// dialog and pressing OK does not change it.
std::int16_t AccelerationFromSlider(std::int16_t stored, int sliderPosition);

// The text of the profile line under the tabs.
std::string ProfileLabelText(const std::string& currentProfile);

} // namespace orvex::panels::radio
