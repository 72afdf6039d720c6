#include "config/setup_holder.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

namespace orvex::config {
namespace {

using testing::RecordingAutostart;
using testing::RecordingBadValues;
using testing::RecordingMessages;

const std::string kIni = "C:\\Orvex Folder\\Orvex.ini";

struct SetupFixture : ::testing::Test {
    MemoryIniStore store;
    RecordingAutostart autostart;
    RecordingMessages messages;
    RecordingBadValues bad;
    cSetupHolder setup{store, kIni, &autostart, &messages, &bad};
};

TEST_F(SetupFixture, MissingFileGivesTheDefaults) {
    setup.LoadSetup();
    EXPECT_FALSE(setup.AutoStart());
    EXPECT_FALSE(setup.AutoQuit());
    EXPECT_FALSE(setup.ManualProfile());
    EXPECT_FALSE(setup.LoadWithoutPanels());
    EXPECT_EQ(setup.OrvexPriority(), 32);
    EXPECT_EQ(setup.RelayboxPriority(), 32768);
    EXPECT_EQ(setup.OrvexAffinity(), -1);
    EXPECT_EQ(setup.RelayboxAffinity(), -1);
    EXPECT_EQ(setup.ClickThreshold(), 500);
    EXPECT_EQ(setup.EngineStarterMode(), 0);
    for (int i = cSetupHolder::kSetupFormTop; i <= cSetupHolder::kMainFormLeft; ++i)
        EXPECT_EQ(setup.Get(static_cast<cSetupHolder::Item>(i)), 0);
    EXPECT_TRUE(setup.Splash());
    EXPECT_TRUE(bad.entries.empty());
}

TEST_F(SetupFixture, DefaultsSaveOnlyTheAlwaysWrittenKeys) {
    store.SetFileText(kIni, "[GeneralSetup]\nClickThreshold=500\nAutoQuit=0\nMainFormTop=0\n");
    setup.LoadSetup();
    ASSERT_TRUE(setup.SaveSetup());
    EXPECT_EQ(store.FileText(kIni), "[GeneralSetup]\r\n"
                                    "OrvexPriority=32\r\n"
                                    "OrvexAffinity=-1\r\n"
                                    "RelayboxPriority=32768\r\n"
                                    "RelayboxAffinity=-1\r\n");
    EXPECT_EQ(autostart.calls, std::vector<bool>{false});
}

TEST_F(SetupFixture, HandWrittenValuesRoundTrip) {
    store.SetFileText(kIni, "[GeneralSetup]\n"
                            "AutoStart=1\nAutoQuit=1\nManualProfile=1\nLoadWithoutPanels=1\n"
                            "OrvexPriority=128\nRelayboxPriority=256\nOrvexAffinity=3\nRelayboxAffinity=12\n"
                            "ClickThreshold=700\nEngineStarterMode=2\n"
                            "SetupFormTop=100\nMainFormLeft=-300\nGetKeysFormLeft=7\n");
    setup.LoadSetup();
    EXPECT_TRUE(setup.AutoStart());
    EXPECT_TRUE(setup.AutoQuit());
    EXPECT_TRUE(setup.ManualProfile());
    EXPECT_TRUE(setup.LoadWithoutPanels());
    EXPECT_EQ(setup.OrvexPriority(), 128);
    EXPECT_EQ(setup.RelayboxPriority(), 256);
    EXPECT_EQ(setup.OrvexAffinity(), 3);
    EXPECT_EQ(setup.RelayboxAffinity(), 12);
    EXPECT_EQ(setup.ClickThreshold(), 700);
    EXPECT_EQ(setup.EngineStarterMode(), 2);
    EXPECT_EQ(setup.SetupFormTop(), 100);
    EXPECT_EQ(setup.MainFormLeft(), -300);
    EXPECT_EQ(setup.GetKeysFormLeft(), 7);

    ASSERT_TRUE(setup.SaveSetup());
    EXPECT_EQ(autostart.calls, std::vector<bool>{true});
    cSetupHolder again(store, kIni);
    again.LoadSetup();
    for (int i = 0; i < cSetupHolder::kItemCount; ++i) {
        const auto item = static_cast<cSetupHolder::Item>(i);
        EXPECT_EQ(again.Get(item), setup.Get(item)) << cSetupHolder::KeyName(item);
    }
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "AutoStart", "x"), "1");
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "ClickThreshold", "x"), "700");
}

// A value that does not convert is reported and the default used; the
// save used to delete its line (or write the default over it), so the
// user's text was gone. It stays until the value is changed.
TEST_F(SetupFixture, ATextThatDoesNotConvertStaysUntilTheValueChanges) {
    store.SetFileText(kIni, "[GeneralSetup]\nClickThreshold=0.7s\nOrvexPriority=high\nAutoQuit=yes\n");
    setup.LoadSetup();
    EXPECT_EQ(setup.ClickThreshold(), 500);
    setup.SaveSetup();
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "ClickThreshold", ""), "0.7s");
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "OrvexPriority", ""), "high");
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "AutoQuit", ""), "yes");
    setup.ClickThreshold(800);
    setup.OrvexPriority(128);
    setup.SaveSetup();
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "ClickThreshold", ""), "800");
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "OrvexPriority", ""), "128");
}

TEST_F(SetupFixture, SaveRulesDeleteDefaultsAndKeepSplashAndUnknownKeys) {
    store.SetFileText(kIni, "[GeneralSetup]\nClickThreshold=500\nAutoStart=2\nSplash=0\nMyOwnKey=abc\n");
    setup.LoadSetup();
    EXPECT_FALSE(setup.AutoStart()) << "only the number 1 is true";
    EXPECT_FALSE(setup.Splash());
    for (int round = 0; round < 3; ++round) {
        setup.SaveSetup();
        setup.LoadSetup();
    }
    EXPECT_FALSE(setup.Splash());
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "ClickThreshold", "gone"), "gone");
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "AutoStart", "gone"), "gone");
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "Splash", ""), "0");
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "MyOwnKey", ""), "abc");
    EXPECT_TRUE(bad.entries.empty()) << "unknown keys are not reported";

    // Setting Splash off in memory writes nothing either.
    MemoryIniStore fresh;
    cSetupHolder other(fresh, kIni);
    other.Splash(false);
    other.SaveSetup();
    EXPECT_EQ(fresh.ReadString(kIni, "GeneralSetup", "Splash", "absent"), "absent");
}

TEST_F(SetupFixture, KeyNamesMatchWithCaseOnly) {
    store.SetFileText(kIni, "[generalsetup]\nautostart=1\nClickThreshold=900\n");
    setup.LoadSetup();
    EXPECT_FALSE(setup.AutoStart());
    EXPECT_EQ(setup.ClickThreshold(), 900) << "the section name matches without regard to case";
}

TEST_F(SetupFixture, BadNumbersKeepTheirDefaultAndAreReportedOnce) {
    store.SetFileText(kIni, "[GeneralSetup]\nClickThreshold=fast\nAutoQuit=yes\nEngineStarterMode=300\n"
                            "OrvexAffinity=1.5\nMainFormTop=250\n");
    setup.LoadSetup();
    EXPECT_EQ(setup.ClickThreshold(), 500);
    EXPECT_FALSE(setup.AutoQuit());
    EXPECT_EQ(setup.EngineStarterMode(), 0);
    EXPECT_EQ(setup.OrvexAffinity(), 2) << "a fraction rounds to even";
    EXPECT_EQ(setup.MainFormTop(), 250) << "reading goes on after a bad key";
    ASSERT_EQ(bad.entries.size(), 3u);
    EXPECT_EQ(bad.entries[0].File, kIni);
    EXPECT_EQ(bad.entries[0].Section, "GeneralSetup");
    EXPECT_EQ(bad.entries[0].Key, "ClickThreshold");
    EXPECT_EQ(bad.entries[0].Text, "fast");
    EXPECT_EQ(bad.entries[2].Key, "EngineStarterMode");
}

TEST_F(SetupFixture, AutostartFailureIsShownAndTheFileStillWritten) {
    autostart.error = "Error 26001: Failed to set registry value";
    setup.AutoStart(true);
    setup.ClickThreshold(800);
    EXPECT_FALSE(setup.SaveSetup());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].Critical);
    EXPECT_EQ(messages.shown[0].Text, autostart.error);
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "ClickThreshold", ""), "800");
}

} // namespace
} // namespace orvex::config
