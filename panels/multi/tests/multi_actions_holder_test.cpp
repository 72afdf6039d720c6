// The Multi Panel's profile section: defaults, reading, writing only what
// differs, and values that do not convert.
#include "panels/multi/multi_actions_holder.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orvex::panels::multi {
namespace {

using actions::kNone;
using actions::kOffset;
using actions::kVButton;
using actions::kVKey;
using config::BadValueReporter;

const std::string kFolder = "C:\\Orvex";
const std::string kProfile = kFolder + "\\Default.ini";

struct HolderFixture : ::testing::Test {
    HolderFixture() { holder.PanelIndex = 1; }
    void Load(const std::string& section) {
        store.SetFileText(kProfile, "[MultiPanel1]\n" + section);
        holder.LoadSetup();
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (const auto& m : messages.shown) out.push_back(m.Text);
        std::sort(out.begin(), out.end());
        return out;
    }
    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config{store, kFolder, messages};
    cMultiPanelActionsHolder holder{config};
};

void ExpectDefaults(const cMultiPanelActionsHolder& h) {
    for (int p = kAlt; p <= kCrs; ++p) {
        SCOPED_TRACE(PositionName(p));
        EXPECT_EQ(h.GetSelectorActions(p, 0), kNone);
        EXPECT_EQ(h.GetRotUpActions(p, 0), kOffset);
        EXPECT_EQ(h.GetRotDownActions(p, 0), kOffset);
        EXPECT_EQ(h.GetRotAcceleration(p), 1);
    }
    for (int b = kAp; b <= kRev; ++b) {
        SCOPED_TRACE(ButtonName(b));
        EXPECT_EQ(h.GetButtonsActions(b, 0), kOffset);
        EXPECT_EQ(h.GetLongButtonsActions(b, 0), kOffset);
    }
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(h.GetAutoThrottleActions(i, 0), kOffset);
        EXPECT_EQ(h.GetFlapsActions(i, 0), kOffset);
        EXPECT_EQ(h.GetTrimActions(i, 0), kOffset);
    }
    EXPECT_EQ(h.TrimAcceleration, 1);
    EXPECT_EQ(h.TrimSensitivity, 4);
    EXPECT_EQ(h.ReverseTrim, 0);
    EXPECT_EQ(h.ReverseFlaps, 0);
    EXPECT_EQ(h.CourseSel, 1);
    const int shortItems[8] = {12, 7, 4, 3, 10, 11, 9, 8};
    const int longItems[8] = {14, 13, 5, 2, 18, 6, 0, 1};
    for (int b = kAp; b <= kRev; ++b) {
        EXPECT_EQ(h.NGXGetShortButtonsActions(b), shortItems[b - 1]) << b;
        EXPECT_EQ(h.NGXGetLongButtonsActions(b), longItems[b - 1]) << b;
    }
}

TEST_F(HolderFixture, MissingFileOrSectionLoadsDefaults) {
    holder.LoadSetup();
    ExpectDefaults(holder);
    store.SetFileText(kProfile, "[MultiPanel2]\nButtonActionAP=None\n");
    holder.LoadSetup();
    ExpectDefaults(holder);
    EXPECT_EQ(holder.SectionName(), "MultiPanel1");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HolderFixture, IndexesOutOfRangeReadAsNothingAndStoreNothing) {
    EXPECT_EQ(holder.GetSelectorActions(0, 0), kNone);
    EXPECT_EQ(holder.GetButtonsActions(9, 0), 0);
    EXPECT_EQ(holder.GetTrimActions(2, 0), 0);
    EXPECT_EQ(holder.GetRotAcceleration(6), 0);
    EXPECT_FALSE(holder.SetButtonsActions(0, 0, kVKey));
    EXPECT_FALSE(holder.SetFlapsActions(-1, 0, kVKey));
    EXPECT_FALSE(holder.SetRotAcceleration(0, 3));
    EXPECT_FALSE(holder.SetButtonsActions(1, 1, 256));  // field 1 is a byte
    EXPECT_FALSE(holder.NGXSetShortButtonsActions(1, 23));
    EXPECT_FALSE(holder.NGXSetLongButtonsActions(9, 1));
    EXPECT_TRUE(holder.NGXSetLongButtonsActions(8, 22));
    EXPECT_EQ(holder.RotAction(2, kAlt).Kind, kNone);
    EXPECT_EQ(holder.ButtonAction(kAp).Kind, kOffset);
}

TEST_F(HolderFixture, ReadsEveryKindOfKey) {
    Load("SelectorActionCRS=VButton,64,3\n"
         "RotUpActionHDG=VKey,65,1,97\n"
         "RotDownActionVS=None\n"
         "ButtonActionAP=None\n"
         "LongButtonActionREV=VButton,70,32\n"
         "AutoThrottleActionARM=VKey,112,0,0\n"
         "FlapsActionUP=None\n"
         "TrimActionDOWN=VButton,65,2\n"
         "RotaryAccelerationIAS=12\n"
         "TrimAcceleration=0\n"
         "TrimSensitivity=9\n"
         "ReverseTrim=1\n"
         "ReverseFlaps=1\n"
         "CourseSel=0\n"
         "NGXAPShort=16\n"
         "NGXAPRShort=1\n"
         "NGXREVLong=22\n"
         "buttonactionhdg=None\n"  // names match with case: ignored
         "Unrelated=1\n");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(holder.GetSelectorActions(kCrs, 0), kVButton);
    EXPECT_EQ(holder.GetSelectorActions(kCrs, 1), 64);
    EXPECT_EQ(holder.GetSelectorActions(kCrs, 2), 3);
    EXPECT_EQ(holder.RotAction(kUp, kHdg), (actions::EventAction{kVKey, 65, 1, 97}));
    EXPECT_EQ(holder.GetRotDownActions(kVs, 0), kNone);
    EXPECT_EQ(holder.GetButtonsActions(kAp, 0), kNone);
    EXPECT_EQ(holder.GetButtonsActions(kHdgButton, 0), kOffset);
    EXPECT_EQ(holder.LongButtonAction(kRev), (actions::EventAction{kVButton, 70, 32, 0}));
    EXPECT_EQ(holder.AutoThrottleAction(kAtArm).Kind, kVKey);
    EXPECT_EQ(holder.AutoThrottleAction(kAtOff).Kind, kOffset);
    EXPECT_EQ(holder.FlapsAction(kUp).Kind, kNone);
    EXPECT_EQ(holder.FlapsAction(kDown).Kind, kOffset);
    EXPECT_EQ(holder.TrimAction(kDown).Kind, kVButton);
    EXPECT_EQ(holder.GetRotAcceleration(kIas), 12);
    EXPECT_EQ(holder.GetRotAcceleration(kAlt), 1);
    EXPECT_EQ(holder.TrimAcceleration, 0);
    EXPECT_EQ(holder.TrimSensitivity, 9);
    EXPECT_EQ(holder.ReverseTrim, 1);
    EXPECT_EQ(holder.ReverseFlaps, 1);
    EXPECT_EQ(holder.CourseSel, 0);
    EXPECT_EQ(holder.NGXGetShortButtonsActions(kAp), 16);
    EXPECT_EQ(holder.NGXGetShortButtonsActions(kApr), 1);  // "NGXAPR..." is not "NGXAP..."
    EXPECT_EQ(holder.NGXGetLongButtonsActions(kRev), 22);
    EXPECT_EQ(holder.NGXGetLongButtonsActions(kAp), 14);

    // Reloading starts from the defaults again.
    Load("");
    ExpectDefaults(holder);
}

TEST_F(HolderFixture, SavingDefaultsLeavesNoKeysAndDeletesStaleOnes) {
    store.SetFileText(kProfile, "[MultiPanel1]\nRotaryAccelerationHDG=1\nButtonActionAP=None\nOther=kept\n");
    holder.LoadSetup();
    holder.LoadDefaults();
    holder.SaveSetup();
    EXPECT_EQ(store.FileText(kProfile), "[MultiPanel1]\r\nOther=kept\r\n");
    // A key equal to its default goes at the next save.
    Load("RotaryAccelerationHDG=1\n");
    holder.SaveSetup();
    EXPECT_TRUE(store.KeyNames(kProfile, "MultiPanel1").empty());
}

TEST_F(HolderFixture, SavesOnlyWhatDiffersInItsOrder) {
    holder.SetSelectorActions(kAlt, 0, kOffset);  // differs from the selector's default None
    holder.SetButtonsActions(kAp, 0, kNone);
    holder.SetRotUpActions(kCrs, 0, kVKey);
    holder.SetRotUpActions(kCrs, 1, 65);
    holder.SetRotUpActions(kCrs, 2, 2);
    holder.SetRotUpActions(kCrs, 3, 97);
    holder.SetTrimActions(kUp, 0, kVButton);
    holder.SetTrimActions(kUp, 1, 64);
    holder.SetTrimActions(kUp, 2, 1);
    holder.SetRotAcceleration(kVs, 20);
    holder.NGXSetShortButtonsActions(kNav, 5);
    holder.NGXSetLongButtonsActions(kApr, 3);
    holder.CourseSel = 2;
    holder.TrimSensitivity = 7;
    holder.ReverseFlaps = 1;
    holder.ReverseTrim = 2;  // only 1 is "on"
    holder.SaveSetup();
    EXPECT_EQ(store.FileText(kProfile),
              "[MultiPanel1]\r\n"
              "SelectorActionALT=Offset\r\n"
              "RotUpActionCRS=VKey,65,2,97\r\n"
              "ButtonActionAP=None\r\n"
              "TrimActionUP=VButton,64,1\r\n"
              "RotaryAccelerationVS=20\r\n"
              "NGXNAVShort=5\r\n"
              "NGXAPRLong=3\r\n"
              "CourseSel=2\r\n"
              "TrimSensitivity=7\r\n"
              "ReverseFlaps=1\r\n");

    // What was saved reads back alike.
    cMultiPanelActionsHolder other{config};
    other.PanelIndex = 1;
    other.LoadSetup();
    EXPECT_EQ(other.RotAction(kUp, kCrs), holder.RotAction(kUp, kCrs));
    EXPECT_EQ(other.GetSelectorActions(kAlt, 0), kOffset);
    EXPECT_EQ(other.NGXGetShortButtonsActions(kNav), 5);
    EXPECT_EQ(other.ReverseTrim, 0);

    // Deleting the key restores the AP button's built-in toggle.
    store.DeleteKey(kProfile, "MultiPanel1", "ButtonActionAP");
    other.LoadSetup();
    EXPECT_EQ(other.GetButtonsActions(kAp, 0), kOffset);
}

TEST_F(HolderFixture, ValuesThatDoNotConvertOrFitKeepTheirDefaultAndAreReported) {
    Load("TrimSensitivity=lots\n"
         "RotaryAccelerationALT=70000\n"
         "CourseSel=3\n"
         "NGXVSShort=23\n"
         "NGXHDGLong=-1\n"
         "ReverseTrim=x\n"
         "ButtonActionNAV=VButton,64\n"
         "TrimAcceleration=2.5\n");
    EXPECT_EQ(holder.TrimSensitivity, 4);
    EXPECT_EQ(holder.GetRotAcceleration(kAlt), 1);
    EXPECT_EQ(holder.CourseSel, 1);
    EXPECT_EQ(holder.NGXGetShortButtonsActions(kVsButton), 11);
    EXPECT_EQ(holder.NGXGetLongButtonsActions(kHdgButton), 13);
    EXPECT_EQ(holder.ReverseTrim, 0);
    EXPECT_EQ(holder.GetButtonsActions(kNav, 0), kOffset);
    EXPECT_EQ(holder.TrimAcceleration, 2);  // rounded to even
    std::vector<std::string> expected;
    for (const auto& [key, text] : std::vector<std::pair<std::string, std::string>>{
             {"TrimSensitivity", "lots"}, {"RotaryAccelerationALT", "70000"}, {"CourseSel", "3"},
             {"NGXVSShort", "23"}, {"NGXHDGLong", "-1"}, {"ReverseTrim", "x"}, {"ButtonActionNAV", "VButton,64"}})
        expected.push_back(BadValueReporter::MessageText(kProfile, "MultiPanel1", key, text));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Shown(), expected);
}

} // namespace
} // namespace orvex::panels::multi
