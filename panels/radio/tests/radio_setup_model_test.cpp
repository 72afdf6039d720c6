#include "panels/radio/radio_setup_model.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

namespace orvex::panels::radio {
namespace {

using actions::EventAction;

struct SetupModelTest : ::testing::Test {
    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config{store, "C:\\Orvex", messages};
    cRadioPanelActionsHolder holder{config};
};

TEST_F(SetupModelTest, EachSlotEditsItsOwnRecordOfThePosition) {
    // A distinct record per slot, stored for NAV1 only.
    for (SetupSlot slot : kSetupSlots) {
        const int n = static_cast<int>(slot);
        EXPECT_TRUE(StoreSlotAction(holder, slot, kNav1,
                                    EventAction{actions::kVKey, static_cast<std::uint8_t>(65 + n), 2, 97 + n}));
    }
    EXPECT_EQ(holder.RotAction(kInnerRing, kUp, kNav1), (EventAction{actions::kVKey, 65, 2, 97}));
    EXPECT_EQ(holder.RotAction(kInnerRing, kDown, kNav1), (EventAction{actions::kVKey, 66, 2, 98}));
    EXPECT_EQ(holder.RotAction(kOuterRing, kUp, kNav1), (EventAction{actions::kVKey, 67, 2, 99}));
    EXPECT_EQ(holder.RotAction(kOuterRing, kDown, kNav1), (EventAction{actions::kVKey, 68, 2, 100}));
    EXPECT_EQ(holder.ButtonAction(kNav1), (EventAction{actions::kVKey, 69, 2, 101}));
    EXPECT_EQ(holder.LongButtonAction(kNav1), (EventAction{actions::kVKey, 70, 2, 102}));
    EXPECT_EQ(holder.SelectorAction(kNav1), (EventAction{actions::kVKey, 71, 2, 103}));
    for (SetupSlot slot : kSetupSlots) {
        EXPECT_EQ(SlotAction(holder, slot, kNav1).Field1, 65 + static_cast<int>(slot));
        // The other positions keep their defaults.
        EXPECT_EQ(SlotAction(holder, slot, kNav2).Kind, slot == SetupSlot::Selector ? actions::kNone : actions::kOffset);
        EXPECT_EQ(SlotAction(holder, slot, kCom1).Field1, 0);
    }
    // Nothing is stored for a position out of range.
    EXPECT_FALSE(StoreSlotAction(holder, SetupSlot::Click, kPositionCount, EventAction{actions::kNone, 0, 0, 0}));
    // A custom action is stored with all its fields.
    EventAction step;
    ASSERT_EQ(actions::ReadActionText("Step,0x66C0,8,-3,-9223372036854775808,40,1", step), actions::ReadResult::Read);
    EXPECT_TRUE(StoreSlotAction(holder, SetupSlot::InnerUp, kAdf, step));
    EXPECT_EQ(holder.RotAction(kInnerRing, kUp, kAdf), step);
}

TEST(SetupModel, SliderShowsAndKeepsAccelerations) {
    EXPECT_EQ(AccelerationSliderPosition(1), 1);
    EXPECT_EQ(AccelerationSliderPosition(-4), kAccelerationSliderMin);
    EXPECT_EQ(AccelerationSliderPosition(200), kAccelerationSliderMax);
    EXPECT_EQ(AccelerationFromSlider(1, 12), 12);
    EXPECT_EQ(AccelerationFromSlider(12, 12), 12);
    // A hand-set value beyond the slider survives until the slider moves.
    EXPECT_EQ(AccelerationFromSlider(200, kAccelerationSliderMax), 200);
    EXPECT_EQ(AccelerationFromSlider(-4, kAccelerationSliderMin), -4);
    EXPECT_EQ(AccelerationFromSlider(200, 30), 30);
    EXPECT_EQ(ProfileLabelText("A320"), "Currently in use Profile:  A320");
}

} // namespace
} // namespace orvex::panels::radio
