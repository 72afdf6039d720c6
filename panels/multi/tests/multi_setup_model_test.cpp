// What the Multi Panel setup dialog binds: the record behind each event
// selector, the sliders, the course options and the special-mode page.
#include "panels/multi/multi_setup_model.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace orvex::panels::multi {
namespace {

using actions::EventAction;

struct SetupModelTest : ::testing::Test {
    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config{store, "C:\\Orvex", messages};
    cMultiPanelActionsHolder holder{config};
};

TEST_F(SetupModelTest, EverySlotEditsItsOwnRecord) {
    // A distinct action into every slot, then each read back unchanged.
    int n = 0;
    const auto indexFor = [](SetupSlot slot) {
        switch (SlotIndexKind(slot)) {
        case SlotIndex::Position: return int{kHdg};
        case SlotIndex::Button: return int{kApr};
        default: return 0;
        }
    };
    for (SetupSlot slot : kSetupSlots) {
        const EventAction action{actions::kVKey, static_cast<std::uint8_t>(65 + n), 1, 97 + n};
        EXPECT_TRUE(StoreSlotAction(holder, slot, indexFor(slot), action));
        ++n;
    }
    n = 0;
    for (SetupSlot slot : kSetupSlots) {
        const EventAction expected{actions::kVKey, static_cast<std::uint8_t>(65 + n), 1, 97 + n};
        EXPECT_EQ(SlotAction(holder, slot, indexFor(slot)), expected) << n;
        ++n;
    }
    // The neighbours kept their defaults.
    EXPECT_EQ(holder.GetSelectorActions(kCrs, 0), actions::kNone);
    EXPECT_EQ(holder.GetButtonsActions(kRev, 0), actions::kOffset);
    EXPECT_EQ(holder.TrimAction(kUp).Field1, 65 + 5);
    EXPECT_EQ(holder.TrimAction(kDown).Field1, 65 + 6);
    EXPECT_EQ(holder.AutoThrottleAction(kAtArm).Field1, 65 + 9);
    EXPECT_EQ(holder.AutoThrottleAction(kAtOff).Field1, 65 + 10);
}

TEST_F(SetupModelTest, RefusedIndexOrValueIsReported) {
    EXPECT_FALSE(StoreSlotAction(holder, SetupSlot::Click, 9, EventAction{actions::kNone}));
    EXPECT_FALSE(StoreSlotAction(holder, SetupSlot::Selector, 0, EventAction{actions::kNone}));
    EXPECT_FALSE(StoreSlotAction(holder, SetupSlot::RotUp, kAlt, EventAction{actions::kVKey, 1, 1, 40000}));
    EXPECT_EQ(SlotAction(holder, SetupSlot::Click, 9).Kind, actions::kNone);
    // A custom action is stored with all its fields.
    EventAction control;
    ASSERT_EQ(actions::ReadActionText("Control,66587,-7", control), actions::ReadResult::Read);
    EXPECT_TRUE(StoreSlotAction(holder, SetupSlot::FlapsUp, 0, control));
    EXPECT_EQ(holder.FlapsAction(kUp), control);
}

TEST(SetupModel, SlidersKeepHandSetValuesUntilMoved) {
    EXPECT_EQ(SliderPosition(1, kRotAccelerationSlider), 1);
    EXPECT_EQ(SliderPosition(400, kRotAccelerationSlider), 50);
    EXPECT_EQ(ValueFromSlider(400, 50, kRotAccelerationSlider), 400);  // not moved
    EXPECT_EQ(ValueFromSlider(400, 49, kRotAccelerationSlider), 49);
    EXPECT_EQ(SliderPosition(0, kTrimSensitivitySlider), 1);
    EXPECT_EQ(ValueFromSlider(0, 1, kTrimSensitivitySlider), 0);
    EXPECT_EQ(ValueFromSlider(4, 99, kTrimSensitivitySlider), 32);
    EXPECT_EQ(SliderPosition(0, kTrimAccelerationSlider), 0);  // 0: trim speed measuring off
}

TEST(SetupModel, CourseSpecialModesNamesAndProfileLine) {
    EXPECT_EQ(CourseOption(0), 0);
    EXPECT_EQ(CourseOption(2), 2);
    EXPECT_EQ(CourseOption(3), -1);
    EXPECT_STREQ(kCourseOptions[2], "Crs2");
    EXPECT_EQ(InitialSpecialFrame(1), SpecialFrame::Maddog);
    EXPECT_EQ(InitialSpecialFrame(2), SpecialFrame::Ngx);
    EXPECT_EQ(InitialSpecialFrame(0), SpecialFrame::Ngx);
    EXPECT_STREQ(NGXItemName(0), "F/D 1");
    EXPECT_STREQ(NGXItemName(22), "FMC P/RST");
    EXPECT_STREQ(NGXItemName(23), "");
    EXPECT_EQ(ProfileLabelText("Airliners"), "Currently in use Profile:  Airliners");
}

} // namespace
} // namespace orvex::panels::multi
