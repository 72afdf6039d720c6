#include "panels/switch/switch_actions_holder.h"
#include "panels/switch/switch_setup_model.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

#include <string>

namespace orvex::panels::switchpanel {
namespace {

using actions::kNone;
using actions::kOffset;
using actions::kVButton;
using actions::kVKey;

const std::string kFolder = "C:\\Orvex";
const std::string kProfile = kFolder + "\\Default.ini";

struct HolderFixture : ::testing::Test {
    HolderFixture() { holder.PanelIndex = 1; }
    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config{store, kFolder, messages};
    cSwitchPanelActionsHolder holder{config};

    void Load(const std::string& section) {
        store.SetFileText(kProfile, "[SwitchPanel1]\n" + section);
        holder.LoadSetup();
    }
    std::vector<std::string> Keys() { return store.KeyNames(kProfile, "SwitchPanel1"); }
};

TEST_F(HolderFixture, DefaultsAreOffsetEverywhereAndSaveToAnEmptySection) {
    for (int i = 1; i <= kSwitchCount; ++i)
        for (int s : {kStateOff, kStateOn}) EXPECT_EQ(holder.GetSwitchActions(i, s, 0), kOffset) << i;
    EXPECT_TRUE(holder.RetractableGear);
    EXPECT_FALSE(holder.SingleStarterSelector || holder.SingleFuelPump || holder.SingleAltSwitch ||
                 holder.SingleCowlFlaps || holder.SingleDeIce);
    EXPECT_EQ(holder.GetSwitchActions(0, 1, 0), 0);
    EXPECT_EQ(holder.GetSwitchActions(21, 1, 0), 0);
    EXPECT_EQ(holder.GetSwitchActions(6, 2, 0), 0);
    Load("SwitchBATOn=None\nRetractableGear=0\n");
    holder.LoadDefaults();
    holder.SaveSetup();
    EXPECT_TRUE(Keys().empty());
    EXPECT_EQ(holder.SectionName(), "SwitchPanel1");
}

TEST_F(HolderFixture, ReadsEveryKeyByItsExactNameAndTheOptions) {
    Load("SwitchSELOFFOn=VButton,64,3\n"
         "SwitchGEARDOWNOff=VKey,71,3,300\n"   // 300 does not fit the 8-bit field 3: default kept
         "SwitchTAXIOff=VKey,84,1,116\n"
         "SwitchPANELOn=None\n"
         "switchbaton=None\n"                  // names match with case
         "SwitchFooOn=None\n"
         "RetractableGear=0\n"
         "SingleFuelPump=2\n"
         "SingleDeIce=yes\n");                  // not a number: default kept
    EXPECT_EQ(holder.GetSwitchActions(kSelOff, kStateOn, 0), kVButton);
    EXPECT_EQ(holder.GetSwitchActions(kSelOff, kStateOn, 1), 64);
    EXPECT_EQ(holder.GetSwitchActions(kSelOff, kStateOn, 2), 3);
    EXPECT_EQ(holder.GetSwitchActions(kGearDown, kStateOff, 0), kOffset);
    EXPECT_EQ(holder.GetSwitchActions(kTaxi, kStateOff, 0), kVKey);
    EXPECT_EQ(holder.GetSwitchActions(kTaxi, kStateOff, 3), 116);
    EXPECT_EQ(holder.GetSwitchActions(kPanel, kStateOn, 0), kNone);
    EXPECT_EQ(holder.GetSwitchActions(kPanel, kStateOff, 0), kOffset);
    EXPECT_EQ(holder.GetSwitchActions(kBat, kStateOn, 0), kOffset);
    EXPECT_FALSE(holder.RetractableGear);
    EXPECT_TRUE(holder.SingleFuelPump);
    EXPECT_FALSE(holder.SingleDeIce);
    EXPECT_EQ(messages.shown.size(), 2u); // the two values that did not convert were reported
}

TEST_F(HolderFixture, SavesOnlyWhatDiffersInKeyOrder) {
    Load("Unrelated=1\n");
    holder.SetSwitchActions(kLanding, kStateOff, 0, kVKey);
    holder.SetSwitchActions(kLanding, kStateOff, 1, 76);
    holder.SetSwitchActions(kLanding, kStateOff, 2, 2);
    holder.SetSwitchActions(kLanding, kStateOff, 3, 108);
    holder.SetSwitchActions(kSelStart, kStateOn, 0, kNone);
    holder.SetSwitchActions(kGearUp, kStateOn, 0, kVButton);
    holder.SetSwitchActions(kGearUp, kStateOn, 1, 65);
    holder.SetSwitchActions(kGearUp, kStateOn, 2, 32);
    holder.RetractableGear = false;
    holder.SingleCowlFlaps = true;
    holder.SaveSetup();
    EXPECT_EQ(Keys(), (std::vector<std::string>{"Unrelated", "SwitchSELSTARTOn", "SwitchGEARUPOn", "SwitchLANDINGOff",
                                                "RetractableGear", "SingleCowlFlaps"}));
    EXPECT_EQ(store.ReadString(kProfile, "SwitchPanel1", "SwitchLANDINGOff", ""), "VKey,76,2,108");
    EXPECT_EQ(store.ReadString(kProfile, "SwitchPanel1", "SwitchGEARUPOn", ""), "VButton,65,32");
    EXPECT_EQ(store.ReadString(kProfile, "SwitchPanel1", "RetractableGear", ""), "0");
    EXPECT_EQ(store.ReadString(kProfile, "SwitchPanel1", "SingleCowlFlaps", ""), "1");

    // Read back, then back to the defaults: every key of ours goes.
    cSwitchPanelActionsHolder again(config);
    again.PanelIndex = 1;
    again.LoadSetup();
    for (int f = 0; f < 4; ++f)
        EXPECT_EQ(again.GetSwitchActions(kLanding, kStateOff, f), holder.GetSwitchActions(kLanding, kStateOff, f));
    again.LoadDefaults();
    again.SaveSetup();
    EXPECT_EQ(Keys(), (std::vector<std::string>{"Unrelated"}));
}

TEST_F(HolderFixture, FieldAccessorsRefuseWhatDoesNotFit) {
    EXPECT_FALSE(holder.SetSwitchActions(kBat, kStateOn, 3, 256)); // field 3 is 8-bit here
    EXPECT_TRUE(holder.SetSwitchActions(kBat, kStateOn, 3, 255));
    EXPECT_FALSE(holder.SetSwitchActions(kBat, kStateOn, 1, -1));
    EXPECT_FALSE(holder.SetSwitchActions(kBat, kStateOn, 6, 0x10000));
    EXPECT_FALSE(holder.SetSwitchActions(kBat, kStateOn, 12, 1));
    EXPECT_FALSE(holder.SetSwitchActions(0, kStateOn, 0, 1));
    // The setup model writes the whole record, or says what it refused.
    actions::EventAction key{kVKey, 65, 1, 97};
    EXPECT_TRUE(StoreSwitchAction(holder, kNav, kStateOn, key));
    EXPECT_EQ(holder.SwitchAction(kNav, kStateOn), key);
    key.Field3 = 300;
    EXPECT_FALSE(StoreSwitchAction(holder, kNav, kStateOn, key));
    EXPECT_EQ(holder.GetSwitchActions(kNav, kStateOn, 3), 97);
    actions::EventAction toggle;
    ASSERT_EQ(actions::ReadActionText("Toggle,0x0D0C,2,0x8", toggle), actions::ReadResult::Read);
    EXPECT_TRUE(StoreSwitchAction(holder, kTaxi, kStateOn, toggle));
    EXPECT_EQ(holder.SwitchAction(kTaxi, kStateOn), toggle) << "custom fields too";
    EXPECT_EQ(&OptionValue(holder, SwitchOption::RetractableGear), &holder.RetractableGear);
    EXPECT_EQ(&OptionValue(holder, SwitchOption::StarterSelector), &holder.SingleStarterSelector);
    EXPECT_STREQ(SwitchTabCaption(kGearDown), "GEAR DOWN");
    EXPECT_STREQ(SwitchKeyName(kSelBoth), "SELALL");
}

} // namespace
} // namespace orvex::panels::switchpanel
