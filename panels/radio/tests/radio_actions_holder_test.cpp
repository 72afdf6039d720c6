#include "panels/radio/radio_actions_holder.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace orvex::panels::radio {
namespace {

using actions::EventAction;
using actions::kNone;
using actions::kOffset;
using actions::kVButton;
using actions::kVKey;
using config::BadValueReporter;
using config::MemoryIniStore;
using config::NumberLocale;
using config::testing::RecordingMessages;

const std::string kFolder = "C:\\Orvex";
const std::string kProfile = kFolder + "\\Default.ini";

struct HolderFixture : ::testing::Test {
    explicit HolderFixture(NumberLocale locale = {}) : config(store, kFolder, messages, nullptr, locale) {
        holder.PanelIndex = 1;
    }
    MemoryIniStore store;
    RecordingMessages messages;
    config::cConfiguration config;
    cRadioPanelActionsHolder holder{config};
};

struct CommaLocaleFixture : HolderFixture {
    CommaLocaleFixture() : HolderFixture(NumberLocale{','}) {}
};

void ExpectDefaults(const cRadioPanelActionsHolder& h) {
    for (int p = kCom1; p <= kXpdr; ++p) {
        SCOPED_TRACE(PositionName(p));
        EXPECT_EQ(h.GetSelectorActions(p, 0), kNone);
        EXPECT_EQ(h.GetButtonsActions(p, 0), kOffset);
        EXPECT_EQ(h.GetLongButtonsActions(p, 0), kOffset);
        for (int ring = 0; ring < 2; ++ring)
            for (int dir = 0; dir < 2; ++dir) EXPECT_EQ(h.GetRotActions(ring, dir, p, 0), kOffset);
        EXPECT_EQ(h.GetAcceleration(p), 1);
    }
    // Position 0 exists but is never bound.
    EXPECT_EQ(h.GetAcceleration(0), 0);
    EXPECT_EQ(h.GetButtonsActions(0, 0), kNone);
    EXPECT_EQ(h.AltimeterUnit, 0);
    EXPECT_EQ(h.DMEMode, 0);
    EXPECT_EQ(h.ADFMode, 0);
    EXPECT_EQ(h.ADFInnStep, 0.1f);
    EXPECT_EQ(h.ADFOutStep, 1.0f);
}

TEST_F(HolderFixture, MissingFileOrEmptySectionGivesTheDefaults) {
    EXPECT_EQ(holder.SectionName(), "RadioPanel1");
    EXPECT_EQ(holder.FilePath(), kProfile);
    holder.LoadSetup();
    ExpectDefaults(holder);

    store.SetFileText(kProfile, "[RadioPanel1]\n[RadioPanel2]\nButtonActionCOM1=None\n");
    holder.LoadSetup();
    ExpectDefaults(holder);
    EXPECT_TRUE(messages.shown.empty());

    // The file is the one loaded until the next load.
    config.CurrentProfile = "B737";
    EXPECT_EQ(holder.FilePath(), kProfile);
    holder.LoadSetup();
    EXPECT_EQ(holder.FilePath(), kFolder + "\\B737.ini");
}

TEST_F(HolderFixture, AccessorsRefuseWhatDoesNotFit) {
    EXPECT_TRUE(holder.SetRotActions(kOuterRing, kUp, kNav1, 0, kVButton));
    EXPECT_EQ(holder.RotAction(kOuterRing, kDown, kNav1).Kind, kOffset) << "each direction is its own record";
    for (auto [field, value] : {std::pair{1, 256}, {2, -1}, {3, 40000}, {7, 3}, {12, 1}})
        EXPECT_FALSE(holder.SetButtonsActions(kCom1, field, value)) << field;
    EXPECT_FALSE(holder.SetButtonsActions(8, 0, 1));
    EXPECT_FALSE(holder.SetRotActions(2, 0, kCom1, 0, 1));
    EXPECT_EQ(holder.ButtonAction(kCom1), (EventAction{kOffset, 0, 0, 0})) << "refused values store nothing";
    EXPECT_EQ(holder.GetSelectorActions(9, 0), 0);
    EXPECT_EQ(holder.SelectorAction(-1).Kind, kNone);
}

TEST_F(HolderFixture, SavingTheDefaultsLeavesOnlyForeignKeys) {
    store.SetFileText(kProfile,
                      "[RadioPanel1]\nSelectorActionCOM1=VKey,65,0,65\nButtonActionXPDR=None\n"
                      "OutRotDownADF=VButton,64,2\nRotAccelerationDME=4\nAltimeterUnit=2\nDMEMode=1\n"
                      "ADFMode=3\nADFInnStep=0.5\nADFOutStep=10\nSomethingElse=kept\n");
    holder.LoadDefaults();
    holder.SaveSetup();
    EXPECT_EQ(store.FileText(kProfile), "[RadioPanel1]\r\nSomethingElse=kept\r\n");
}

TEST_F(HolderFixture, SavingGoesToTheProfileTheValuesCameFrom) {
    // The profile in use changes while a setup dialog holds the values.
    config.CurrentProfile = "Light";
    holder.LoadSetup();
    holder.DMEMode = 1;
    config.CurrentProfile = "Heavy";
    holder.SaveSetup();
    EXPECT_EQ(store.FileText(kFolder + "\\Light.ini"), "[RadioPanel1]\r\nDMEMode=1\r\n");
    EXPECT_FALSE(store.FileExists(kFolder + "\\Heavy.ini"));
}

TEST_F(CommaLocaleFixture, ChangedValuesRoundTripInKeyOrder) {
    holder.SetSelectorActions(kXpdr, 0, kVKey);
    holder.SetSelectorActions(kXpdr, 1, 112);
    holder.SetSelectorActions(kXpdr, 2, 3);
    holder.SetSelectorActions(kXpdr, 3, -5);
    holder.SetButtonsActions(kCom1, 0, kNone);
    holder.SetLongButtonsActions(kDme, 0, kVButton);
    holder.SetLongButtonsActions(kDme, 1, 72);
    holder.SetLongButtonsActions(kDme, 2, 32);
    holder.SetRotActions(kOuterRing, kDown, kCom2, 0, kNone);
    holder.SetRotActions(kInnerRing, kUp, kNav2, 0, kNone);
    holder.SetRotActions(kInnerRing, kDown, kCom2, 0, 8); // no such kind: written empty
    holder.SetAcceleration(kCom2, 10);
    holder.SetAcceleration(kXpdr, -3);
    holder.AltimeterUnit = 2;
    holder.ADFMode = 9;
    holder.ADFInnStep = 0.5f;
    holder.ADFOutStep = 12.25f;
    holder.SaveSetup();
    EXPECT_EQ(store.FileText(kProfile),
              "[RadioPanel1]\r\n"
              "SelectorActionXPDR=VKey,112,3,-5\r\n"
              "ButtonActionCOM1=None\r\n"
              "LongButtonActionDME=VButton,72,32\r\n"
              "InnRotDownCOM2=\r\n"
              "OutRotDownCOM2=None\r\n"
              "InnRotUpNAV2=None\r\n"
              "RotAccelerationCOM2=10\r\n"
              "RotAccelerationXPDR=-3\r\n"
              "AltimeterUnit=2\r\n"
              "ADFMode=9\r\n"
              "ADFInnStep=0,5\r\n"
              "ADFOutStep=12,25\r\n");

    cRadioPanelActionsHolder again(config);
    again.PanelIndex = 1;
    again.LoadSetup();
    EXPECT_EQ(again.SelectorAction(kXpdr), (EventAction{kVKey, 112, 3, -5}));
    EXPECT_EQ(again.ButtonAction(kCom1).Kind, kNone);
    EXPECT_EQ(again.LongButtonAction(kDme), (EventAction{kVButton, 72, 32, 0}));
    EXPECT_EQ(again.RotAction(kOuterRing, kDown, kCom2).Kind, kNone);
    EXPECT_EQ(again.RotAction(kInnerRing, kUp, kNav2).Kind, kNone);
    EXPECT_EQ(again.RotAction(kInnerRing, kDown, kCom2).Kind, kOffset) << "an empty text keeps the default";
    EXPECT_EQ(again.GetAcceleration(kCom2), 10);
    EXPECT_EQ(again.GetAcceleration(kXpdr), -3);
    EXPECT_EQ(again.AltimeterUnit, 2);
    EXPECT_EQ(again.ADFMode, 9) << "no range test";
    EXPECT_EQ(again.ADFInnStep, 0.5f);
    EXPECT_EQ(again.ADFOutStep, 12.25f);
    EXPECT_TRUE(messages.shown.empty());

    // Another panel number is another section.
    again.PanelIndex = 2;
    again.LoadSetup();
    ExpectDefaults(again);
}

TEST_F(HolderFixture, KeysMatchWithCaseAndBadValuesKeepTheirDefault) {
    store.SetFileText(kProfile,
                      "[RadioPanel1]\n"
                      "selectoractioncom1=VKey,65,0,65\n"
                      "RotAccelerationcom2=5\n"
                      "RotAccelerationNAV1= 12 \n"
                      "RotAccelerationNAV2=40000\n"
                      "ButtonActionNAV1=VButton,64\n"
                      "ButtonActionNAV2=vbutton,64,3\n"
                      "DMEMode=x\n"
                      "AltimeterUnit=256\n"
                      "ADFMode=2.5\n"
                      "ADFInnStep=0,5\n"
                      "ADFOutStep=2.5\n");
    holder.LoadSetup();
    EXPECT_EQ(holder.SelectorAction(kCom1).Kind, kNone);
    EXPECT_EQ(holder.GetAcceleration(kCom2), 1);
    EXPECT_EQ(holder.GetAcceleration(kNav1), 12);
    EXPECT_EQ(holder.GetAcceleration(kNav2), 1);
    EXPECT_EQ(holder.ButtonAction(kNav1).Kind, kOffset);
    EXPECT_EQ(holder.ButtonAction(kNav2), (EventAction{kVButton, 64, 3, 0}));
    EXPECT_EQ(holder.DMEMode, 0);
    EXPECT_EQ(holder.AltimeterUnit, 0);
    EXPECT_EQ(holder.ADFMode, 2) << "a fraction rounds to even";
    EXPECT_EQ(holder.ADFInnStep, 0.1f) << "',' is not the decimal separator here";
    EXPECT_EQ(holder.ADFOutStep, 2.5f);

    std::vector<std::string> expected;
    for (auto [key, text] : {std::pair{"RotAccelerationNAV2", "40000"}, {"ButtonActionNAV1", "VButton,64"},
                             {"DMEMode", "x"}, {"AltimeterUnit", "256"}, {"ADFInnStep", "0,5"}})
        expected.push_back(BadValueReporter::MessageText(kProfile, "RadioPanel1", key, text));
    std::vector<std::string> shown;
    for (const auto& m : messages.shown) shown.push_back(m.Text);
    std::sort(expected.begin(), expected.end());
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, expected);
}

TEST(RadioSingleText, ParseAndWriteWithTheUserSeparator) {
    const NumberLocale dot{'.'}, comma{','};
    EXPECT_EQ(ParseSingle(" 0.25 ", dot), 0.25f);
    EXPECT_EQ(ParseSingle("-1.5", dot), -1.5f);
    EXPECT_EQ(ParseSingle("+3", dot), 3.0f);
    EXPECT_EQ(ParseSingle(".5", dot), 0.5f);
    EXPECT_EQ(ParseSingle("5.", dot), 5.0f);
    EXPECT_EQ(ParseSingle("1E-05", dot), 1e-5f);
    EXPECT_EQ(ParseSingle("0,1", comma), 0.1f);
    for (const char* bad : {"", " ", ".", "-", "1.2.3", "1,5", "abc", "1e", "1e+", "inf", "nan", "1e40", "0x10"})
        EXPECT_FALSE(ParseSingle(bad, dot).has_value()) << bad;

    EXPECT_EQ(SingleText(0.1f, dot), "0.1");
    EXPECT_EQ(SingleText(12.25f, comma), "12,25");
    EXPECT_EQ(SingleText(100.0f, dot), "100");
    for (float v : {0.1f, 1.0f / 3.0f, 1e-5f, 123456.7f, -0.05f})
        EXPECT_EQ(ParseSingle(SingleText(v, comma), comma), v) << SingleText(v, comma);
}

} // namespace
} // namespace orvex::panels::radio
