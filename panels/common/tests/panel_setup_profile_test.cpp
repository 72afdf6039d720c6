// Every panel kind's setup goes back to the profile it was loaded from, and
// a profile file that cannot be written is left as it was and reported once.
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "panels/bip/bip_actions_holder.h"
#include "panels/multi/multi_actions_holder.h"
#include "panels/radio/radio_actions_holder.h"
#include "panels/switch/switch_actions_holder.h"

#include <gtest/gtest.h>

#include <string>

namespace orvex::panels {
namespace {

const std::string kFolder = "C:\\Orvex";
const std::string kFirst = kFolder + "\\First.ini";
const std::string kSecond = kFolder + "\\Second.ini";

// Each kind with a section holding one value that differs from its default.
template <class Holder>
struct Kind;
template <>
struct Kind<radio::cRadioPanelActionsHolder> {
    static constexpr const char* kSection = "[RadioPanel1]\nAltimeterUnit=1\n";
};
template <>
struct Kind<multi::cMultiPanelActionsHolder> {
    static constexpr const char* kSection = "[MultiPanel1]\nReverseTrim=1\n";
};
template <>
struct Kind<switchpanel::cSwitchPanelActionsHolder> {
    static constexpr const char* kSection = "[SwitchPanel1]\nRetractableGear=0\n";
};
template <>
struct Kind<bip::cBIPPanelActionHolder> {
    static constexpr const char* kSection = "[BIPPanel1]\nT0=GEAR_DOWN\n";
};

template <class Holder>
struct PanelSetupProfile : ::testing::Test {
    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration configuration{store, kFolder, messages};
    Holder holder{configuration};

    void SetUp() override {
        store.SetFileText(kFirst, Kind<Holder>::kSection);
        holder.PanelIndex = 1;
        configuration.CurrentProfile = "First";
        holder.LoadSetup();
    }
};

using Kinds = ::testing::Types<radio::cRadioPanelActionsHolder, multi::cMultiPanelActionsHolder,
                               switchpanel::cSwitchPanelActionsHolder, bip::cBIPPanelActionHolder>;
TYPED_TEST_SUITE(PanelSetupProfile, Kinds);

TYPED_TEST(PanelSetupProfile, SavesToTheProfileItWasLoadedFromAndReportsAFileThatCannotBeWritten) {
    // A new aircraft selects another profile while the setup dialog is open.
    this->configuration.CurrentProfile = "Second";
    this->store.DeleteSection(kFirst, this->holder.SectionName());
    EXPECT_TRUE(this->holder.SaveSetup());
    EXPECT_EQ(this->store.KeyNames(kFirst, this->holder.SectionName()).size(), 1u)
        << "the value went back where it came from: " << this->store.FileText(kFirst);
    EXPECT_FALSE(this->store.FileExists(kSecond));
    EXPECT_TRUE(this->messages.shown.empty());

    // A profile file that cannot be written: left as it was, told once.
    this->store.SetFileText(kFirst, "[Other]\nKept=1\n");
    this->store.SetReadOnly(kFirst, true);
    EXPECT_FALSE(this->holder.SaveSetup());
    EXPECT_EQ(this->store.FileText(kFirst), "[Other]\r\nKept=1\r\n");
    ASSERT_EQ(this->messages.shown.size(), 1u);
    EXPECT_NE(this->messages.shown[0].Text.find(kFirst), std::string::npos) << this->messages.shown[0].Text;
    EXPECT_TRUE(this->messages.shown[0].Critical);
}

} // namespace
} // namespace orvex::panels
