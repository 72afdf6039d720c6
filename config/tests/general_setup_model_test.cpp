#include "config/general_setup_model.h"

#include "config/configuration.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

namespace orvex::config {
namespace {

using testing::RecordingAutostart;
using testing::RecordingMessages;

TEST(GeneralSetupModel, PriorityRowsMapBothWays) {
    const std::int32_t classes[] = {0x40, 0x4000, 0x20, 0x8000, 0x80, 0x100};
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(PriorityClassOfRow(row), classes[row]) << row;
        EXPECT_EQ(PriorityRowOf(classes[row]), row) << row;
    }
    EXPECT_STREQ(kPriorityRows[3].Text, "Above Normal");
    EXPECT_STREQ(kPriorityRows[5].Text, "Real-time");
    EXPECT_EQ(PriorityRowOf(0), -1);
    EXPECT_EQ(PriorityRowOf(0x41), -1);
    EXPECT_EQ(PriorityClassOfRow(-1), std::nullopt);
    EXPECT_EQ(PriorityClassOfRow(6), std::nullopt);
}

TEST(GeneralSetupModel, AffinityTextsMasksAndSeconds) {
    EXPECT_EQ(AffinityBoxText(-1), "");
    EXPECT_EQ(AffinityBoxText(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(AffinityFromText(" 12 ", {}), 12);
    EXPECT_EQ(AffinityFromText("abc", {}), std::nullopt);
    EXPECT_EQ(AffinityFromText("2147483648", {}), std::nullopt) << "beyond 32 bits";

    const std::uint64_t fourCpus = 0x0F;
    EXPECT_TRUE(IsUsableAffinityMask(0x0C, fourCpus));
    EXPECT_FALSE(IsUsableAffinityMask(0, fourCpus)) << "no processor";
    EXPECT_FALSE(IsUsableAffinityMask(-1, fourCpus)) << "means automatic";
    EXPECT_FALSE(IsUsableAffinityMask(0x11, fourCpus)) << "a processor this computer lacks";
    EXPECT_TRUE(IsUsableAffinityMask(0x10, 0)) << "unknown computer: any non-empty mask";
    EXPECT_TRUE(IsUsableAffinityMask(-2147483647 - 1, 0xFFFFFFFFull)) << "bit 31 is processor 31";
    EXPECT_NE(AffinityMaskRefusal(SetupProcess::Relaybox, fourCpus).find("Relaybox.exe"), std::string::npos);
    EXPECT_NE(AffinityMaskRefusal(SetupProcess::Orvex, fourCpus).find("has 4 processors)"), std::string::npos);
    EXPECT_NE(AffinityMaskRefusal(SetupProcess::Orvex, 1).find("has 1 processor)"), std::string::npos);

    EXPECT_EQ(SecondsText(1235, {}), "1.24 s");
    EXPECT_EQ(SecondsText(1234, {','}), "1,23 s");
    EXPECT_EQ(SecondsText(-250, {}), "-0.25 s");
    EXPECT_EQ(SecondsTextShort(ThresholdSlider::kMax, {}), "2.0 s");
}

struct GeneralSetupEditTest : ::testing::Test {
    MemoryIniStore store;
    RecordingMessages messages;
    RecordingAutostart autostart;
    cConfiguration config{store, "C:\\Orvex", messages, &autostart};
    cSetupHolder& setup = config.Setup();
    const std::string ini = "C:\\Orvex\\Orvex.ini";
};

TEST_F(GeneralSetupEditTest, PriorityAndAffinityEdits) {
    GeneralSetupEdit edit(setup, {}, 0x0F);
    setup.OrvexPriority(0x1234);
    EXPECT_EQ(edit.PriorityRow(SetupProcess::Orvex), -1);
    edit.PriorityRowChosen(SetupProcess::Orvex, -1);
    EXPECT_EQ(setup.OrvexPriority(), 0x1234) << "no row chosen keeps the stored class";
    edit.PriorityRowChosen(SetupProcess::Relaybox, 4);
    EXPECT_EQ(setup.RelayboxPriority(), 0x80);

    edit.AffinityTextChanged(SetupProcess::Relaybox, "12");
    edit.AffinityTextChanged(SetupProcess::Relaybox, "abc");
    EXPECT_EQ(setup.RelayboxAffinity(), 12);
    EXPECT_EQ(setup.OrvexAffinity(), -1) << "the other program is not touched";
    EXPECT_TRUE(edit.AffinityAcceptable(false, "abc")) << "Automatic ignores the box";
    EXPECT_TRUE(edit.AffinityAcceptable(true, "12"));
    EXPECT_FALSE(edit.AffinityAcceptable(true, ""));
    EXPECT_FALSE(edit.AffinityAcceptable(true, "16"));
}

TEST_F(GeneralSetupEditTest, ConfirmWithAFailedAutostartTellsTheUserAndSavesTheRest) {
    GeneralSetupEdit edit(setup, {}, 0);
    autostart.error = "Error 26001: denied";
    setup.AutoStart(true);
    setup.ClickThreshold(800);
    EXPECT_FALSE(edit.Confirm(1500, 3000));
    EXPECT_EQ(autostart.calls, std::vector<bool>{true});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Text, "Error 26001: denied");
    EXPECT_EQ(store.ReadString(ini, "GeneralSetup", "ClickThreshold", ""), "800");
    EXPECT_EQ(store.ReadString(ini, "GeneralSetup", "GeneralSetupFormTop", ""), "1500");
}

TEST_F(GeneralSetupEditTest, DiscardRestoresTheOpeningValuesEvenWithoutAFile) {
    // As after converting an old-layout configuration: the setup in memory
    // came from a file that is now the "Default" profile.
    store.SetFileText(ini, "[GeneralSetup]\nAutoStart=1\nOrvexPriority=128\nClickThreshold=900\n");
    setup.LoadSetup();
    store.RemoveFile(ini);
    setup.ProfilesFormTop(4500); // another window's position, not saved yet

    GeneralSetupEdit edit(setup, {}, 0x0F);
    std::array<std::int32_t, cSetupHolder::kItemCount> before{};
    for (int i = 0; i < cSetupHolder::kItemCount; ++i) before[i] = setup.Get(static_cast<cSetupHolder::Item>(i));

    setup.AutoStart(false);
    setup.AutoQuit(true);
    setup.ManualProfile(true);
    setup.ClickThreshold(300);
    edit.PriorityRowChosen(SetupProcess::Orvex, 0);
    edit.PriorityRowChosen(SetupProcess::Relaybox, 5);
    edit.AffinityTextChanged(SetupProcess::Orvex, "1");
    edit.AffinityTextChanged(SetupProcess::Relaybox, "2");
    edit.Discard(600, 900);

    for (int i = 0; i < cSetupHolder::kItemCount; ++i) {
        const auto item = static_cast<cSetupHolder::Item>(i);
        if (item == cSetupHolder::kGeneralSetupFormTop) EXPECT_EQ(setup.Get(item), 600);
        else if (item == cSetupHolder::kGeneralSetupFormLeft) EXPECT_EQ(setup.Get(item), 900);
        else EXPECT_EQ(setup.Get(item), before[i]) << cSetupHolder::KeyName(item);
    }
    EXPECT_TRUE(setup.AutoStart());
    EXPECT_EQ(setup.OrvexPriority(), 128);
    EXPECT_EQ(setup.ProfilesFormTop(), 4500);
    EXPECT_FALSE(store.FileExists(ini)) << "Cancel writes nothing";
    EXPECT_TRUE(autostart.calls.empty()) << "nor touches the registry";
}

} // namespace
} // namespace orvex::config
