#include "config/configuration.h"

#include "config/ini_save.h"

#include "config/autostart_command.h"

#include "config/memory_ini_store.h"
#include "config/profile_operations.h"
#include "config/tests/aircraft_titles.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

namespace orvex::config {
namespace {

using testing::RecordingMessages;

const std::string kFolder = "C:\\Program Files\\Orvex";
const std::string kIni = kFolder + "\\Orvex.ini";
const std::string kDefaultIni = kFolder + "\\Default.ini";

struct ConfigFixture : ::testing::Test {
    MemoryIniStore store;
    RecordingMessages messages;
    cConfiguration config{store, kFolder + "\\", messages};
};

TEST_F(ConfigFixture, PathsAreBuiltInTheProgramFolder) {
    EXPECT_EQ(config.IniPath(), kIni);
    EXPECT_EQ(config.ProfilePath("B2"), kFolder + "\\B2.ini");
    EXPECT_EQ(config.Setup().IniPath(), kIni);
}

TEST_F(ConfigFixture, ProfileListKeepsFileOrderWithDefaultLast) {
    store.SetFileText(kIni, "[Profiles]\nB= \nA= \nb= \ndefault= \nC=\n");
    config.LoadProfilesList();
    EXPECT_EQ(config.colProfiles, (std::vector<std::string>{"B", "A", "C", "Default"}));
    EXPECT_EQ(config.ProfileIndex("A"), 2);
    EXPECT_EQ(config.ProfileIndex("a"), -1) << "exact comparison";
    EXPECT_EQ(config.ProfileIndex("Default"), 4);
    EXPECT_TRUE(config.IsNewProfileName("D"));
    EXPECT_FALSE(config.IsNewProfileName("B"));

    config.AddProfile("D");
    config.AddProfile("A");
    EXPECT_EQ(config.colProfiles, (std::vector<std::string>{"B", "A", "C", "D", "Default"}));
    config.SaveProfilesList();
    EXPECT_EQ(store.FileText(kIni), "[Profiles]\r\nB=\r\nA=\r\nb=\r\ndefault=\r\nC=\r\nD= \r\n")
        << "only the new name is written; the lines the list passed over stay";
}

TEST_F(ConfigFixture, MissingFileGivesOnlyDefaultAndNoAircraft) {
    config.BeginStartUp();
    ASSERT_TRUE(config.FinishStartUp());
    EXPECT_EQ(config.colProfiles, std::vector<std::string>{"Default"});
    EXPECT_TRUE(config.colAircrafts.empty());
    EXPECT_EQ(config.CurrentProfile, "Default");
    EXPECT_EQ(config.SpecialMode, 0);
    EXPECT_TRUE(messages.questions.empty());
    EXPECT_FALSE(store.FileExists(kIni)) << "loading creates no file";
}

TEST_F(ConfigFixture, AircraftBindings) {
    store.SetFileText(kIni, "[Aircrafts]\nCessna Skyhawk 172SP=Default\nBoeing 737-800=NGX1\nCESSNA SKYHAWK 172SP=Other\n");
    config.LoadAircraftsList();
    EXPECT_EQ(config.colAircrafts, (std::vector<std::string>{"Cessna Skyhawk 172SP", "Boeing 737-800"}));
    EXPECT_TRUE(config.IsKnownAircraft("Boeing 737-800"));
    EXPECT_EQ(config.GetAircraftProfile("Boeing 737-800"), "NGX1");
    EXPECT_EQ(config.GetAircraftProfile("Cessna Skyhawk 172SP"), "Default");
    EXPECT_EQ(config.GetAircraftProfile("Piper Cub"), "");
    EXPECT_FALSE(config.IsKnownAircraft("Piper Cub"));

    config.BindAircraft("Piper Cub", "Cub");
    config.BindAircraft("Boeing 737-800", "Default");
    config.SaveAircraftsList();
    EXPECT_EQ(store.FileText(kIni), "[Aircrafts]\r\nCessna Skyhawk 172SP=Default\r\nBoeing 737-800=Default\r\n"
                                    "CESSNA SKYHAWK 172SP=Other\r\nPiper Cub=Cub\r\n");
}

// --- Saving the lists changes only what changed: lines the loader passed
// over stay as the user wrote them.

TEST_F(ConfigFixture, ListSavesKeepEveryLineTheLoaderPassedOver) {
    const std::string file = "[Profiles]\nOld=a value\nHeavy= \nheavy= \nDefault=1\n=orphan\nCON= \n"
                             "[Aircrafts]\nJet=Heavy\nJET=Other\nCub=\"Old\"\n[AircraftTitles]\nJet=Third\nA%3DB=Heavy\n"
                             "[GeneralSetup]\nAutoQuit=1\n";
    store.SetFileText(kIni, file);
    config.LoadProfilesList();
    config.LoadAircraftsList();
    ASSERT_EQ(config.colProfiles, (std::vector<std::string>{"Old", "Heavy", "Default"}));
    ASSERT_EQ(config.colAircrafts, (std::vector<std::string>{"Jet", "Cub", "A=B"}));
    const std::string before = store.FileText(kIni);

    // Saved as loaded: nothing is written, so a file that cannot be
    // written is not even reported.
    store.SetReadOnly(kIni, true);
    config.SaveProfilesList();
    config.SaveAircraftsList();
    EXPECT_TRUE(messages.shown.size() == 1u && messages.shown[0].Text.find("\"CON\"") != std::string::npos);
    store.SetReadOnly(kIni, false);
    EXPECT_EQ(store.FileText(kIni), before);

    // A deleted name loses every line of it; a new one is added at the end;
    // a rebound title changes only the line the loader takes.
    config.colProfiles = {"Old", "New", "Default"};
    config.BindAircraft("Jet", "New");
    config.SaveProfilesList();
    config.SaveAircraftsList();
    EXPECT_EQ(store.FileText(kIni), "[Profiles]\r\nOld=a value\r\nDefault=1\r\n=orphan\r\nCON=\r\nNew= \r\n"
                                    "[Aircrafts]\r\nJet=New\r\nJET=Other\r\nCub=\"Old\"\r\n"
                                    "[AircraftTitles]\r\nJet=Third\r\nA%3DB=Heavy\r\n[GeneralSetup]\r\nAutoQuit=1\r\n");
    cConfiguration again(store, kFolder, messages);
    again.LoadProfilesList();
    again.LoadAircraftsList();
    EXPECT_EQ(again.colProfiles, config.colProfiles);
    EXPECT_EQ(again.colAircrafts, config.colAircrafts);
    EXPECT_EQ(again.GetAircraftProfile("Jet"), "New");
    EXPECT_EQ(again.GetAircraftProfile("Cub"), "Old");

    // A title taken out of the list loses every line that gives it, or the
    // next one would bring it back.
    again.colAircrafts = {"Cub", "A=B"};
    again.colAircraftProfiles.erase("Jet");
    again.SaveAircraftsList();
    EXPECT_EQ(store.KeyNames(kIni, "Aircrafts"), std::vector<std::string>{"Cub"});
    EXPECT_EQ(store.KeyNames(kIni, "AircraftTitles"), std::vector<std::string>{"A%3DB"});
}

// --- Saving: a file that cannot be written is told once per save and left
// as it was.

TEST_F(ConfigFixture, SavesToAFileThatCannotBeWrittenAreToldOnceAndLeaveItAsItWas) {
    store.SetFileText(kIni, "[GeneralSetup]\nAutoQuit=1\n[Profiles]\nA= \n[Aircrafts]\nJet=A\n");
    config.BeginStartUp();
    ASSERT_TRUE(config.FinishStartUp());
    const std::string before = store.FileText(kIni);
    store.SetReadOnly(kIni, true);
    config.AddProfile("B");
    config.BindAircraft("Cub", "B");
    config.Setup().ClickThreshold(800);

    config.SaveProfilesList();
    config.SaveAircraftsList();
    EXPECT_FALSE(config.Setup().SaveSetup());
    EXPECT_EQ(store.FileText(kIni), before);
    ASSERT_EQ(messages.shown.size(), 3u) << "one message a save";
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.Text, SaveFailedText(kIni));
        EXPECT_TRUE(shown.Critical);
    }

    // Writable again: everything is saved, nothing more is told.
    store.SetReadOnly(kIni, false);
    config.SaveProfilesList();
    config.SaveAircraftsList();
    EXPECT_TRUE(config.Setup().SaveSetup());
    EXPECT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(store.ReadString(kIni, "Aircrafts", "Cub", ""), "B");
    EXPECT_EQ(store.ReadString(kIni, "GeneralSetup", "ClickThreshold", ""), "800");
}

// --- Names: a hand-edited list may name files no profile may use.

TEST_F(ConfigFixture, ProfileNamesThatCannotNameAProfileFileAreKeptToldOnceAndNeverUsed) {
    store.SetFileText(kIni, "[Profiles]\nOrvex= \nGood= \n..\\Up= \nC:Drive= \nsub/dir= \nCON= \nnul.txt= \n"
                            "My Profile= \nORVEX= \n[Aircrafts]\nJet=orvex\nCub=My Profile\n");
    config.LoadProfilesList();
    config.LoadAircraftsList();
    EXPECT_EQ(config.colProfiles, (std::vector<std::string>{"Good", "My Profile", "Default"}));
    EXPECT_EQ(config.UnusableProfiles(),
              (std::vector<std::string>{"Orvex", "..\\Up", "C:Drive", "sub/dir", "CON", "nul.txt"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    for (const char* name : {"\"Orvex\"", "\"..\\Up\"", "\"C:Drive\"", "\"sub/dir\"", "\"CON\"", "\"nul.txt\""})
        EXPECT_NE(messages.shown[0].Text.find(name), std::string::npos) << name;
    config.LoadProfilesList();
    EXPECT_EQ(messages.shown.size(), 1u) << "told once";

    // An aircraft bound to one flies with "Default"; no such name is a path.
    EXPECT_EQ(config.GetAircraftProfile("Jet"), "Default");
    EXPECT_EQ(config.GetAircraftProfile("Cub"), "My Profile");
    for (const std::string& name : config.UnusableProfiles())
        EXPECT_EQ(config.ProfilePath(name), kDefaultIni) << name;
    EXPECT_EQ(config.ProfilePath("My Profile"), kFolder + "\\My Profile.ini");

    // Saving keeps them (and the binding) in the file.
    config.AddProfile("New");
    config.SaveProfilesList();
    config.SaveAircraftsList();
    EXPECT_EQ(store.KeyNames(kIni, "Profiles"),
              (std::vector<std::string>{"Orvex", "Good", "..\\Up", "C:Drive", "sub/dir", "CON", "nul.txt", "My Profile",
                                        "ORVEX", "New"}));
    EXPECT_EQ(store.ReadString(kIni, "Aircrafts", "Jet", ""), "orvex");

    // The dialogs refuse the program's own file name, in any case.
    for (const char* name : {"Orvex", "ORVEX", "orvex"}) {
        EXPECT_EQ(CheckNewProfileName(config, name), NameCheck::ProgramFile) << name;
        const AircraftChoice choice = ChooseAircraftProfile(config, name);
        EXPECT_FALSE(choice.Accepted) << name;
        EXPECT_EQ(choice.Message.Text, kProgramFileNameText);
    }
    EXPECT_EQ(CheckNewProfileName(config, "Orvex2"), NameCheck::Accepted);
}

// --- Title escaping: any title keeps its binding; older files read as before.

TEST_F(ConfigFixture, AircraftTitlesOfAnyTextRoundTrip) {
    const std::vector<std::string> titles = testing::TitlesOfAnyText();
    for (std::size_t i = 0; i < titles.size(); ++i) config.BindAircraft(titles[i], "P" + std::to_string(i));
    config.SaveAircraftsList();
    EXPECT_EQ(store.KeyNames(kIni, "Aircrafts"),
              (std::vector<std::string>{"Cessna 172", "\"Quoted\" Jet", "'Single'", "%41 not an escape"}))
        << "titles that can be keys stay as they always were";

    cConfiguration again(store, kFolder, messages);
    again.LoadAircraftsList();
    ASSERT_EQ(again.colAircrafts.size(), titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i)
        EXPECT_EQ(again.GetAircraftProfile(titles[i]), "P" + std::to_string(i)) << "[" << titles[i] << "]";

    // An older file: its keys are titles as they stand, escapes or not.
    store.SetFileText(kIni, "[Aircrafts]\nA%3DB=Heavy\n100%=Light\n");
    again.LoadAircraftsList();
    EXPECT_EQ(again.colAircrafts, (std::vector<std::string>{"A%3DB", "100%"}));
    EXPECT_EQ(again.GetAircraftProfile("A%3DB"), "Heavy");
}

// The stand-in for the profile functions that every test above relies on:
// paths match in any case, and a file moved or deleted is gone at once
// (the store remembers the file it found last).
TEST(MemoryIniStore, PathsMatchInAnyCaseAndAFileMovedOrDeletedIsGone) {
    MemoryIniStore store;
    store.SetFileText("C:\\A\\One.ini", "[S]\nK=1\n");
    EXPECT_EQ(store.ReadString("c:\\a\\ONE.INI", "s", "k", ""), "1");
    ASSERT_TRUE(store.MoveFileTo("C:\\A\\One.ini", "C:\\A\\Two.ini"));
    EXPECT_FALSE(store.FileExists("C:\\A\\One.ini"));
    EXPECT_EQ(store.ReadString("C:\\A\\One.ini", "S", "K", "none"), "none");
    EXPECT_EQ(store.ReadString("C:\\A\\two.ini", "S", "K", ""), "1");
    store.SetFileText("C:\\A\\One.ini", "[S]\nK=2\n");
    EXPECT_FALSE(store.MoveFileTo("C:\\A\\ONE.ini", "c:\\a\\TWO.ini")) << "the target exists";
    ASSERT_TRUE(store.DeleteFileAt("C:\\A\\TWO.INI"));
    EXPECT_FALSE(store.DeleteFileAt("C:\\A\\Two.ini"));
    EXPECT_EQ(store.ReadString("C:\\A\\Two.ini", "S", "K", "none"), "none");
    EXPECT_TRUE(store.WriteString("C:\\A\\Two.ini", "S", "K", "3"));
    EXPECT_EQ(store.FileText("c:\\a\\two.ini"), "[S]\r\nK=3\r\n");
    EXPECT_EQ(store.ReadString("C:\\A\\One.ini", "S", "K", ""), "2");
}

TEST(ProfileNames, OnlyLettersAndDigits) {
    EXPECT_TRUE(cConfiguration::IsValidProfileName("B2"));
    EXPECT_TRUE(cConfiguration::IsValidProfileName(""));
    EXPECT_FALSE(cConfiguration::IsValidProfileName("My Profile"));
    EXPECT_FALSE(cConfiguration::IsValidProfileName("my_profile"));
    EXPECT_FALSE(cConfiguration::IsValidProfileName("caf\xe9"));
}

TEST_F(ConfigFixture, SpecialModeOfTheProfileInUse) {
    store.SetFileText(kFolder + "\\Md80.ini", "[Common]\nSpecialMode=MadDog\n");
    store.SetFileText(kFolder + "\\Ngx.ini", "[common]\nSpecialMode=ngx\n");
    store.SetFileText(kFolder + "\\Odd.ini", "[Common]\nSpecialMode=737\n");
    store.SetFileText(kFolder + "\\Hand.ini", "[COMMON]\nspecialmode=NGX\n");
    const std::pair<const char*, int> cases[] = {{"Md80", 1}, {"Ngx", 2}, {"Odd", 0}, {"Missing", 0}, {"Hand", 2}};
    for (const auto& [profile, mode] : cases) {
        config.SpecialMode = 9;
        config.CurrentProfile = profile;
        config.LoadCurrentProfileCommon();
        EXPECT_EQ(config.SpecialMode, mode) << profile;
    }
}

// --- Conversion of the old single-file layout

const char* kOldLayout = "[GeneralSetup]\nClickThreshold=800\n[RADIOPANEL1]\nButtonActionCOM1=None\n";

TEST_F(ConfigFixture, OldLayoutInAnyCaseIsConvertedOnOk) {
    for (const char* section : {"RadioPanel1", "RADIOPANEL1", "multipanel1", "SwitchPanel1"}) {
        MemoryIniStore s;
        RecordingMessages m;
        cConfiguration c(s, kFolder, m);
        s.SetFileText(kIni, std::string("[GeneralSetup]\nClickThreshold=800\n[") + section + "]\nK=V\n");
        c.BeginStartUp();
        EXPECT_EQ(c.Setup().ClickThreshold(), 800) << "the setup is read before the conversion";
        ASSERT_TRUE(c.FinishStartUp());
        ASSERT_EQ(m.questions.size(), 1u) << section;
        EXPECT_EQ(m.questions[0].Title, "  ORVEX  - Configuration file conversion request");
        EXPECT_EQ(m.questions[0].Text, cConfiguration::ConversionQuestion());
        EXPECT_EQ(s.ReadString(kDefaultIni, ToLowerAscii(section), "K", ""), "V");
        // The general setup is written to the new Orvex.ini at once, with no
        // panel section in it.
        EXPECT_EQ(s.SectionNames(kIni), std::vector<std::string>{"GeneralSetup"});
        EXPECT_EQ(s.ReadString(kIni, "GeneralSetup", "ClickThreshold", ""), "800");
    }
}

TEST_F(ConfigFixture, NewLayoutOrEmptyFileAsksNothing) {
    store.SetFileText(kIni, "[GeneralSetup]\nClickThreshold=800\n[RadioPanel2]\nK=V\n[Profiles]\nA= \n");
    EXPECT_EQ(config.ConvertOldConfiguration(), ConversionResult::NotNeeded);
    store.SetFileText(kIni, "");
    EXPECT_EQ(config.ConvertOldConfiguration(), ConversionResult::NotNeeded);
    EXPECT_TRUE(messages.questions.empty());
}

TEST_F(ConfigFixture, CancelTouchesNothing) {
    store.SetFileText(kIni, kOldLayout);
    store.SetFileText(kDefaultIni, "[RadioPanel1]\nButtonActionCOM1=Offset\n");
    const std::string before = store.FileText(kIni);
    const std::string defaultBefore = store.FileText(kDefaultIni);
    messages.answerOk = false;
    config.BeginStartUp();
    EXPECT_FALSE(config.FinishStartUp()) << "the program ends";
    EXPECT_EQ(store.FileText(kIni), before);
    EXPECT_EQ(store.FileText(kDefaultIni), defaultBefore);
    EXPECT_FALSE(store.FileExists(kDefaultIni + ".bak"));
}

TEST_F(ConfigFixture, ExistingDefaultIniIsMovedAsideNotLost) {
    store.SetFileText(kIni, kOldLayout);
    store.SetFileText(kDefaultIni, "[RadioPanel1]\nButtonActionCOM1=VButton,64,1\n");
    store.SetFileText(kDefaultIni + ".bak", "[Older]\nX=1\n");
    EXPECT_EQ(config.ConvertOldConfiguration(), ConversionResult::Converted);
    ASSERT_EQ(messages.questions.size(), 1u);
    EXPECT_EQ(messages.questions[0].Text,
              cConfiguration::ConversionQuestion() + "\r\nYour existing Default.ini will be kept as Default.ini.bak2.");
    EXPECT_EQ(store.ReadString(kDefaultIni + ".bak2", "RadioPanel1", "ButtonActionCOM1", ""), "VButton,64,1");
    EXPECT_EQ(store.ReadString(kDefaultIni + ".bak", "Older", "X", ""), "1");
    EXPECT_EQ(store.ReadString(kDefaultIni, "RadioPanel1", "ButtonActionCOM1", ""), "None");
    EXPECT_FALSE(store.FileExists(kIni));
}

// A store whose moves can be made to fail, to check that a failed
// conversion loses nothing.
class FailingMoveStore final : public IIniStore {
public:
    MemoryIniStore inner;
    int failMoveNumber = 0; // 1-based move call that fails
    int moves = 0;
    std::string ReadString(const std::string& p, const std::string& s, const std::string& k,
                           const std::string& d) override { return inner.ReadString(p, s, k, d); }
    bool WriteString(const std::string& p, const std::string& s, const std::string& k, const std::string& v) override {
        return inner.WriteString(p, s, k, v);
    }
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& p, const std::string& s) override {
        return inner.ReadSection(p, s);
    }
    bool WriteSection(const std::string& p, const std::string& s,
                      const std::vector<std::pair<std::string, std::string>>& e) override {
        return inner.WriteSection(p, s, e);
    }
    bool CanWrite(const std::string& p) override { return inner.CanWrite(p); }
    bool DeleteKey(const std::string& p, const std::string& s, const std::string& k) override { return inner.DeleteKey(p, s, k); }
    bool DeleteSection(const std::string& p, const std::string& s) override { return inner.DeleteSection(p, s); }
    std::vector<std::string> SectionNames(const std::string& p) override { return inner.SectionNames(p); }
    std::vector<std::string> KeyNames(const std::string& p, const std::string& s) override { return inner.KeyNames(p, s); }
    bool FileExists(const std::string& p) override { return inner.FileExists(p); }
    bool MoveFileTo(const std::string& f, const std::string& t) override {
        return ++moves != failMoveNumber && inner.MoveFileTo(f, t);
    }
    bool DeleteFileAt(const std::string& p) override { return inner.DeleteFileAt(p); }
};

TEST(Conversion, FailedRenameRestoresDefaultIniAndTellsTheUser) {
    FailingMoveStore store;
    RecordingMessages messages;
    cConfiguration config(store, kFolder, messages);
    store.inner.SetFileText(kIni, kOldLayout);
    store.inner.SetFileText(kDefaultIni, "[A]\nB=C\n");
    store.failMoveNumber = 2; // Orvex.ini -> Default.ini fails
    EXPECT_EQ(config.ConvertOldConfiguration(), ConversionResult::Failed);
    EXPECT_EQ(store.inner.ReadString(kDefaultIni, "A", "B", ""), "C");
    EXPECT_FALSE(store.inner.FileExists(kDefaultIni + ".bak"));
    EXPECT_TRUE(store.inner.FileExists(kIni));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].Critical);
    EXPECT_TRUE(config.FinishStartUp()) << "the program goes on with the files as they are";
}

TEST(BadValueReporter, EachBadValueIsShownOnce) {
    RecordingMessages messages;
    BadValueReporter reporter(messages);
    reporter.BadValue("C:\\x\\Default.ini", "RadioPanel1", "ButtonActionCOM1", "VButton,64");
    reporter.BadValue("C:\\x\\Default.ini", "RADIOPANEL1", "ButtonActionCOM1", "VButton,64");
    reporter.BadValue("C:\\x\\Default.ini", "RadioPanel1", "ButtonActionCOM1", "VButton,64,x");
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].Title, "  ORVEX");
    for (const char* part : {"C:\\x\\Default.ini", "RadioPanel1", "ButtonActionCOM1", "\"VButton,64\""})
        EXPECT_NE(messages.shown[0].Text.find(part), std::string::npos) << part;
}

TEST(AutostartCommand, QuotingAndUnquoting) {
    EXPECT_EQ(ProgramPath("C:\\A B\\"), "C:\\A B\\Orvex.exe");
    EXPECT_EQ(AutostartCommand("C:\\A B\\Orvex.exe"), "\"C:\\A B\\Orvex.exe\"");
    EXPECT_EQ(AutostartProgramPath("\"C:\\A B\\Orvex.exe\" /min"), "C:\\A B\\Orvex.exe");
    EXPECT_EQ(AutostartProgramPath(" C:\\A B\\Orvex.exe "), "C:\\A B\\Orvex.exe");
    EXPECT_EQ(AutostartProgramPath(""), "");
}

} // namespace
} // namespace orvex::config
