#include "panels/multi/multi_setup_model.h"

#include <algorithm>

namespace orvex::panels::multi {

namespace {

// The field accessors of a slot's table.
using Setter = bool (cMultiPanelActionsHolder::*)(int, int, ActionFieldValue);

struct SlotBinding {
    Setter Set;
    int FixedIndex;  // for the one-record slots: the table index; -1 when the caller's index is used
};

SlotBinding Binding(SetupSlot slot) {
    using H = cMultiPanelActionsHolder;
    switch (slot) {
    case SetupSlot::Selector: return {&H::SetSelectorActions, -1};
    case SetupSlot::RotUp: return {&H::SetRotUpActions, -1};
    case SetupSlot::RotDown: return {&H::SetRotDownActions, -1};
    case SetupSlot::Click: return {&H::SetButtonsActions, -1};
    case SetupSlot::LongClick: return {&H::SetLongButtonsActions, -1};
    case SetupSlot::TrimUp: return {&H::SetTrimActions, kUp};
    case SetupSlot::TrimDown: return {&H::SetTrimActions, kDown};
    case SetupSlot::FlapsUp: return {&H::SetFlapsActions, kUp};
    case SetupSlot::FlapsDown: return {&H::SetFlapsActions, kDown};
    case SetupSlot::ATArm: return {&H::SetAutoThrottleActions, kAtArm};
    case SetupSlot::ATOff: return {&H::SetAutoThrottleActions, kAtOff};
    }
    return {nullptr, 0};
}

} // namespace

SlotIndex SlotIndexKind(SetupSlot slot) {
    switch (slot) {
    case SetupSlot::Selector: case SetupSlot::RotUp: case SetupSlot::RotDown: return SlotIndex::Position;
    case SetupSlot::Click: case SetupSlot::LongClick: return SlotIndex::Button;
    default: return SlotIndex::None;
    }
}

actions::EventAction SlotAction(const cMultiPanelActionsHolder& holder, SetupSlot slot, int index) {
    switch (slot) {
    case SetupSlot::Selector: return holder.SelectorAction(index);
    case SetupSlot::RotUp: return holder.RotAction(kUp, index);
    case SetupSlot::RotDown: return holder.RotAction(kDown, index);
    case SetupSlot::Click: return holder.ButtonAction(index);
    case SetupSlot::LongClick: return holder.LongButtonAction(index);
    case SetupSlot::TrimUp: return holder.TrimAction(kUp);
    case SetupSlot::TrimDown: return holder.TrimAction(kDown);
    case SetupSlot::FlapsUp: return holder.FlapsAction(kUp);
    case SetupSlot::FlapsDown: return holder.FlapsAction(kDown);
    case SetupSlot::ATArm: return holder.AutoThrottleAction(kAtArm);
    case SetupSlot::ATOff: return holder.AutoThrottleAction(kAtOff);
    }
    return {};
}

bool StoreSlotAction(cMultiPanelActionsHolder& holder, SetupSlot slot, int index, const actions::EventAction& action) {
    const SlotBinding binding = Binding(slot);
    if (binding.Set == nullptr) return false;
    const int where = binding.FixedIndex >= 0 ? binding.FixedIndex : index;
    bool stored = true;
    // Every field, those of the custom kinds too.
    for (int field = 0; field < actions::kActionFieldCount; ++field)
        stored = (holder.*binding.Set)(where, field, actions::GetActionField(action, field)) && stored;
    return stored;
}

int SliderPosition(std::int16_t stored, SliderRange range) { return std::clamp<int>(stored, range.Min, range.Max); }

std::int16_t ValueFromSlider(std::int16_t stored, int sliderPosition, SliderRange range) {
    if (sliderPosition == SliderPosition(stored, range)) return stored;
    return static_cast<std::int16_t>(std::clamp(sliderPosition, range.Min, range.Max));
}

int CourseOption(std::uint8_t courseSel) {
    return courseSel < kCourseOptions.size() ? static_cast<int>(courseSel) : -1;
}

SpecialFrame InitialSpecialFrame(std::uint8_t specialMode) {
    return specialMode == 1 ? SpecialFrame::Maddog : SpecialFrame::Ngx;
}

const char* NGXItemName(int item) { return IsNGXItem(item) ? NGXItemTable[static_cast<std::size_t>(item)].Name : ""; }

std::string ProfileLabelText(const std::string& currentProfile) {
    return "Currently in use Profile:  " + currentProfile;
}

} // namespace orvex::panels::multi
