// The configuration model over real files (cInifile) in a program folder
// with blanks, and its autostart over the real Run key.
#include "config/configuration.h"

#include "config/autostart_command.h"
#include "config/ini_save.h"
#include "config/profile_file.h"
#include "config/profile_operations.h"
#include "config/tests/aircraft_titles.h"
#include "config/tests/fake_messages.h"
#include "config/tests/win32/immutable_file.h"
#include "config/tests/win32/temp_folder.h"
#include "config/win32/autostart_win32.h"
#include "config/win32/inifile.h"
#include "config/win32/registry.h"

#include <gtest/gtest.h>

namespace orvex::config::win32 {
namespace {

using config::testing::ImmutableFile;
using config::testing::RecordingMessages;
using config::testing::TempFolder;

struct FilesFixture : ::testing::Test {
    TempFolder folder{"config"};
    cInifile store;
    RecordingMessages messages;
};

TEST_F(FilesFixture, HandWrittenOrvexIniLoadsAndSavesOnlyWhatDiffers) {
    folder.Write("Orvex.ini", "[GeneralSetup]\r\nClickThreshold=500\r\nAutoQuit=1\r\nSplash=0\r\n"
                              "OrvexPriority=32\r\nMainFormTop=1200\r\nFutureKey=5\r\n"
                              "[Profiles]\r\nB= \r\nA= \r\n"
                              "[Aircrafts]\r\nCessna Skyhawk 172SP=B\r\n");
    cConfiguration config(store, folder.Path(), messages);
    config.BeginStartUp();
    ASSERT_TRUE(config.FinishStartUp());
    EXPECT_TRUE(config.Setup().AutoQuit());
    EXPECT_FALSE(config.Setup().Splash());
    EXPECT_EQ(config.Setup().MainFormTop(), 1200);
    EXPECT_EQ(config.colProfiles, (std::vector<std::string>{"B", "A", "Default"}));
    EXPECT_EQ(config.GetAircraftProfile("Cessna Skyhawk 172SP"), "B");
    EXPECT_TRUE(messages.questions.empty());

    config.Setup().SaveSetup();
    config.SaveProfilesList();
    config.SaveAircraftsList();
    cInifile ini;
    ini.Path(config.IniPath());
    ini.Section("GeneralSetup");
    std::vector<std::string> keys;
    std::int32_t count = 0;
    ini.EnumerateCurrentSection(keys, count);
    EXPECT_EQ(keys, (std::vector<std::string>{"AutoQuit", "Splash", "OrvexPriority", "MainFormTop", "FutureKey",
                                              "OrvexAffinity", "RelayboxPriority", "RelayboxAffinity"}));
    ini.Key("Splash");
    EXPECT_EQ(ini.Value(), "0");
    const std::string text = folder.Read("Orvex.ini");
    // The value " " is written as is on Windows; Wine drops the blank.
    EXPECT_TRUE(text.find("[Profiles]\r\nB= \r\nA= \r\n") != std::string::npos ||
                text.find("[Profiles]\r\nB=\r\nA=\r\n") != std::string::npos)
        << text;
    EXPECT_NE(text.find("[Aircrafts]\r\nCessna Skyhawk 172SP=B\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("ClickThreshold"), std::string::npos);

    cConfiguration again(store, folder.Path(), messages);
    again.BeginStartUp();
    ASSERT_TRUE(again.FinishStartUp());
    EXPECT_EQ(again.colProfiles, config.colProfiles);
    EXPECT_EQ(again.Setup().MainFormTop(), 1200);
}

// Saving: Orvex.ini and a profile file that cannot be written (as root
// Wine writes a read-only file anyway, so they are made immutable).
TEST_F(FilesFixture, SavesToFilesThatCannotBeWrittenAreToldOnceEachAndLeaveThemAsTheyWere) {
    folder.Write("Orvex.ini", "[GeneralSetup]\r\nAutoQuit=1\r\n[Profiles]\r\nA= \r\n[Aircrafts]\r\nJet=A\r\n");
    folder.Write("A.ini", "[RadioPanel1]\r\nAltimeterUnit=1\r\n");
    cConfiguration config(store, folder.Path(), messages);
    config.BeginStartUp();
    ASSERT_TRUE(config.FinishStartUp());
    const std::string ini = folder.Read("Orvex.ini");
    const std::string profile = folder.Read("A.ini");
    {
        ImmutableFile lockedIni(config.IniPath());
        ImmutableFile lockedProfile(config.ProfilePath("A"));
        ASSERT_TRUE(lockedIni.Ok() && lockedProfile.Ok()) << "chattr through Wine";
        config.AddProfile("B");
        config.BindAircraft("Cub", "B");
        config.Setup().ClickThreshold(900);
        config.SaveProfilesList();
        config.SaveAircraftsList();
        EXPECT_FALSE(config.Setup().SaveSetup());
        config.CurrentProfile = "A";
        ProfileFile file(config);
        file.Load();
        EXPECT_FALSE(file.Save([](IIniStore& s, const std::string& path) {
            s.WriteString(path, "RadioPanel1", "AltimeterUnit", "0");
        }));
        EXPECT_EQ(folder.Read("Orvex.ini"), ini);
        EXPECT_EQ(folder.Read("A.ini"), profile);
        ASSERT_EQ(messages.shown.size(), 4u);
        for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(messages.shown[i].Text, SaveFailedText(config.IniPath()));
        EXPECT_EQ(messages.shown[3].Text, SaveFailedText(config.ProfilePath("A")));
    }
    // Writable again: a save goes through.
    EXPECT_TRUE(config.Setup().SaveSetup());
    EXPECT_NE(folder.Read("Orvex.ini").find("ClickThreshold=900"), std::string::npos);
    // A new file in a folder that can be written is no failure.
    config.CurrentProfile = "Fresh";
    ProfileFile fresh(config);
    fresh.Load();
    EXPECT_TRUE(fresh.Save([](IIniStore& s, const std::string& path) { s.WriteString(path, "S", "K", "V"); }));
    EXPECT_EQ(messages.shown.size(), 4u);
}

TEST_F(FilesFixture, AircraftTitlesOfAnyTextRoundTripThroughTheFile) {
    const std::vector<std::string> titles = testing::TitlesOfAnyText();
    cConfiguration config(store, folder.Path(), messages);
    for (std::size_t i = 0; i < titles.size(); ++i) config.BindAircraft(titles[i], "P" + std::to_string(i));
    config.SaveAircraftsList();
    cConfiguration again(store, folder.Path(), messages);
    again.LoadAircraftsList();
    ASSERT_EQ(again.colAircrafts.size(), titles.size()) << folder.Read("Orvex.ini");
    for (std::size_t i = 0; i < titles.size(); ++i)
        EXPECT_EQ(again.GetAircraftProfile(titles[i]), "P" + std::to_string(i))
            << "[" << titles[i] << "]\n" << folder.Read("Orvex.ini");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FilesFixture, ImportCopiesValuesExactly) {
    const std::string longValue(300, 'x');
    folder.Write("Src.ini", "[RadioPanel1]\r\nLong=" + longValue + "\r\nQuoted=\"  spaced  \"\r\nSingle='a'\r\n");
    folder.Write("Dst.ini", "[RadioPanel1]\r\nOld=1\r\n[Other]\r\nKept=1\r\n");
    ASSERT_TRUE(ImportSections(store, folder.File("Src.ini"), folder.File("Dst.ini"), {"RadioPanel1"}));
    const std::string text = folder.Read("Dst.ini");
    EXPECT_NE(text.find("Long=" + longValue + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Quoted=\"  spaced  \"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Single='a'\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Old="), std::string::npos) << text;
    EXPECT_NE(text.find("Kept=1"), std::string::npos) << text;
}

TEST_F(FilesFixture, AircraftListLongerThan8192CharactersSurvivesLoadAndSave) {
    std::string text = "[Aircrafts]\r\n";
    std::vector<std::string> titles;
    for (int i = 0; i < 300; ++i) {
        titles.push_back("Aircraft " + std::to_string(i) + " - Some Airline Livery With A Long Name");
        text += titles.back() + "=Profile" + std::to_string(i % 7) + "\r\n";
    }
    ASSERT_GT(text.size(), 8192u * 1.5);
    folder.Write("Orvex.ini", text);
    cConfiguration config(store, folder.Path(), messages);
    config.LoadAircraftsList();
    ASSERT_EQ(config.colAircrafts, titles);
    config.SaveAircraftsList();
    cConfiguration again(store, folder.Path(), messages);
    again.LoadAircraftsList();
    ASSERT_EQ(again.colAircrafts, titles);
    EXPECT_EQ(again.GetAircraftProfile(titles.back()), "Profile5");
    EXPECT_EQ(folder.Read("Orvex.ini"), text) << "the saved section is the one written by hand";
}

TEST_F(FilesFixture, ConversionKeepsAnExistingDefaultIni) {
    const std::string old = "[GeneralSetup]\r\nClickThreshold=800\r\n[radioPANEL1]\r\nButtonActionCOM1=None\r\n";
    const std::string existing = "[RadioPanel1]\r\nButtonActionCOM1=VButton,64,1\r\n";
    folder.Write("Orvex.ini", old);
    folder.Write("Default.ini", existing);

    messages.answerOk = false;
    {
        cConfiguration config(store, folder.Path(), messages);
        config.BeginStartUp();
        EXPECT_FALSE(config.FinishStartUp());
    }
    EXPECT_EQ(folder.Read("Orvex.ini"), old) << "Cancel touches nothing";
    EXPECT_EQ(folder.Read("Default.ini"), existing);
    EXPECT_FALSE(folder.Exists("Default.ini.bak"));

    messages.answerOk = true;
    cConfiguration config(store, folder.Path(), messages);
    config.BeginStartUp();
    ASSERT_TRUE(config.FinishStartUp());
    ASSERT_EQ(messages.questions.size(), 2u);
    EXPECT_NE(messages.questions[1].Text.find("Default.ini.bak"), std::string::npos);
    EXPECT_EQ(folder.Read("Default.ini"), old);
    EXPECT_EQ(folder.Read("Default.ini.bak"), existing);
    EXPECT_EQ(config.Setup().ClickThreshold(), 800);
    EXPECT_EQ(config.colProfiles, std::vector<std::string>{"Default"});
    // The general setup is in a new Orvex.ini at once, without the panels.
    EXPECT_EQ(store.SectionNames(config.IniPath()), std::vector<std::string>{"GeneralSetup"});
    EXPECT_EQ(store.ReadString(config.IniPath(), "GeneralSetup", "ClickThreshold", ""), "800");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FilesFixture, SaveSetupAppliesTheQuotedAutostart) {
    cRegistry run;
    run.SectionKey = kRunKey;
    run.ValueKey = kRunValue;
    const RegistryValue saved = run.Value();

    RegistryAutostart autostart(folder.Path());
    cConfiguration config(store, folder.Path(), messages, &autostart);
    config.BeginStartUp();
    config.Setup().AutoStart(true);
    EXPECT_TRUE(config.Setup().SaveSetup());
    EXPECT_EQ(run.Value(), RegistryValue(AutostartCommand(folder.Path() + "\\Orvex.exe")));
    EXPECT_EQ(store.ReadString(config.IniPath(), "GeneralSetup", "AutoStart", ""), "1");

    config.BeginStartUp();
    EXPECT_TRUE(config.Setup().AutoStart());
    config.Setup().AutoStart(false);
    EXPECT_TRUE(config.Setup().SaveSetup());
    EXPECT_TRUE(std::holds_alternative<std::monostate>(run.Value()));
    EXPECT_EQ(store.ReadString(config.IniPath(), "GeneralSetup", "AutoStart", "gone"), "gone");
    EXPECT_TRUE(messages.shown.empty());

    if (!std::holds_alternative<std::monostate>(saved)) run.Value(saved);
}

} // namespace
} // namespace orvex::config::win32
