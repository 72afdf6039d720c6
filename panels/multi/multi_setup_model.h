// What the Multi Panel setup dialog binds to the configuration, kept apart
// from the window so that it builds and is tested without Windows: which
// record each event selector edits for the position or button shown, the
// sliders' ranges, the course options, the special-mode frames and the
// profile line. The dialog works on a holder of its own, loaded from the
// profile on opening (LoadSetup); OK stores every control into it and saves
// it (SaveSetup writes only what differs from the defaults).
#pragma once

#include "actions/event_action.h"
#include "panels/multi/multi_actions_holder.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvex::panels::multi {

// The event selectors of the dialog. The first three edit a record of the
// selector position shown (1-5), the next two one of the button shown (1-8);
// the others have one record each and ignore the index.
enum class SetupSlot : int {
    Selector,   // esSelector
    RotUp,      // esRotUp, "Clockwise"
    RotDown,    // esRotDown, "Counter Clockwise"
    Click,      // esButtons, "Short Click"
    LongClick,  // esLongButtons, "Long Click"
    TrimUp,     // esTrimUp
    TrimDown,   // esTrimDown
    FlapsUp,    // esFlapsUp
    FlapsDown,  // esFlapsDown
    ATArm,      // esATArm
    ATOff,      // esATOff
};
inline constexpr std::array<SetupSlot, 11> kSetupSlots = {
    SetupSlot::Selector, SetupSlot::RotUp,    SetupSlot::RotDown,   SetupSlot::Click,
    SetupSlot::LongClick, SetupSlot::TrimUp,  SetupSlot::TrimDown,  SetupSlot::FlapsUp,
    SetupSlot::FlapsDown, SetupSlot::ATArm,   SetupSlot::ATOff,
};
// What the index of a slot means.
enum class SlotIndex { Position, Button, None };
SlotIndex SlotIndexKind(SetupSlot slot);

// The record a slot edits for a position or button (a record of kind
// "None" for an index out of range).
actions::EventAction SlotAction(const cMultiPanelActionsHolder& holder, SetupSlot slot, int index = 0);
// Writes all four fields of `action` into that record through the holder's
// field accessors. False when the holder refused a field (an index out of
// range, a value that does not fit).
bool StoreSlotAction(cMultiPanelActionsHolder& holder, SetupSlot slot, int index, const actions::EventAction& action);

// Slider ranges. Knob acceleration: a speed period of 50 to 200 ms
// (value * 3 + 50). Trim acceleration: 0 (speed measuring off) to 300 ms
// (value * 3). Trim sensitivity: 1 to 32 (a step of 8 to 256 per unit of
// speed).
struct SliderRange {
    int Min;
    int Max;
};
inline constexpr SliderRange kRotAccelerationSlider{0, 50};
inline constexpr SliderRange kTrimAccelerationSlider{0, 100};
inline constexpr SliderRange kTrimSensitivitySlider{1, 32};
// Where a slider shows a stored value (clamped to its range).
int SliderPosition(std::int16_t stored, SliderRange range);
// The value to store for a slider position. A stored value outside the
// range (set by hand in the profile file) is kept as long as the slider
// still shows it at its clamped end, so opening the dialog and pressing OK
// changes nothing.
std::int16_t ValueFromSlider(std::int16_t stored, int sliderPosition, SliderRange range);

// The course options: "Selectable" (0), "Crs 1" (1), "Crs2" (2).
inline constexpr std::array<const char*, 3> kCourseOptions = {"Selectable", "Crs 1", "Crs2"};
// The option checked for a stored CourseSel; -1 (none) for a value out of range.
int CourseOption(std::uint8_t courseSel);

// The frame the special-mode page shows first: the profile's special mode
// (2 NGX, 1 MADDOG); NGX when the profile has none.
enum class SpecialFrame { Ngx, Maddog };
SpecialFrame InitialSpecialFrame(std::uint8_t specialMode);

// The names the sixteen NGX lists show, in item order.
const char* NGXItemName(int item);

// The text of the profile line.
std::string ProfileLabelText(const std::string& currentProfile);

} // namespace orvex::panels::multi
