#include "config/profile_operations.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"

#include <gtest/gtest.h>

namespace orvex::config {
namespace {

using testing::RecordingMessages;

const std::string kFolder = "C:\\Orvex";
const std::string kIni = kFolder + "\\Orvex.ini";

// A store whose file deletions and writes can be made to fail.
class FailingDeleteStore final : public IIniStore {
public:
    MemoryIniStore inner;
    bool failDelete = false;
    bool failWrite = false;
    std::string ReadString(const std::string& p, const std::string& s, const std::string& k,
                           const std::string& d) override { return inner.ReadString(p, s, k, d); }
    bool WriteString(const std::string& p, const std::string& s, const std::string& k, const std::string& v) override {
        return !failWrite && inner.WriteString(p, s, k, v);
    }
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& p, const std::string& s) override {
        return inner.ReadSection(p, s);
    }
    bool WriteSection(const std::string& p, const std::string& s,
                      const std::vector<std::pair<std::string, std::string>>& e) override {
        return !failWrite && inner.WriteSection(p, s, e);
    }
    bool CanWrite(const std::string& p) override { return inner.CanWrite(p); }
    bool DeleteKey(const std::string& p, const std::string& s, const std::string& k) override { return inner.DeleteKey(p, s, k); }
    bool DeleteSection(const std::string& p, const std::string& s) override { return inner.DeleteSection(p, s); }
    std::vector<std::string> SectionNames(const std::string& p) override { return inner.SectionNames(p); }
    std::vector<std::string> KeyNames(const std::string& p, const std::string& s) override { return inner.KeyNames(p, s); }
    bool FileExists(const std::string& p) override { return inner.FileExists(p); }
    bool MoveFileTo(const std::string& f, const std::string& t) override { return inner.MoveFileTo(f, t); }
    bool DeleteFileAt(const std::string& p) override { return !failDelete && inner.DeleteFileAt(p); }
};

struct ProfilesFixture : ::testing::Test {
    FailingDeleteStore store;
    RecordingMessages messages;
    cConfiguration config{store, kFolder, messages};

    void SetUp() override {
        store.inner.SetFileText(kIni, "[Profiles]\nB2= \nFree= \nUsed= \n[Aircrafts]\nCessna 172=B2\n");
        config.LoadProfilesList();
        config.LoadAircraftsList();
        config.CurrentProfile = "Used";
    }
};

TEST_F(ProfilesFixture, NewProfileNames) {
    EXPECT_EQ(CheckNewProfileName(config, "A B"), NameCheck::NotLettersAndNumbers);
    EXPECT_EQ(CheckNewProfileName(config, "A_B"), NameCheck::NotLettersAndNumbers);
    EXPECT_EQ(CheckNewProfileName(config, "Ab\xE9"), NameCheck::NotLettersAndNumbers);
    EXPECT_EQ(CheckNewProfileName(config, "C3"), NameCheck::Accepted);
    EXPECT_EQ(CheckNewProfileName(config, ""), NameCheck::Accepted) << "an empty name adds nothing";
    EXPECT_EQ(CheckNewProfileName(config, "B2"), NameCheck::InUse);
    EXPECT_EQ(CheckNewProfileName(config, "b2"), NameCheck::InUse) << "same file as B2";
    EXPECT_EQ(CheckNewProfileName(config, "DEFAULT"), NameCheck::InUse);
    for (const char* device : {"CON", "nul", "Aux", "PRN", "COM1", "lpt9"})
        EXPECT_EQ(CheckNewProfileName(config, device), NameCheck::Reserved) << device;
    for (const char* fine : {"COM10", "Console", "LPT", "Nulla"})
        EXPECT_EQ(CheckNewProfileName(config, fine), NameCheck::Accepted) << fine;
    EXPECT_TRUE(AddNewProfile(config, "C3"));
    EXPECT_FALSE(AddNewProfile(config, "c3"));
    EXPECT_EQ(config.colProfiles, (std::vector<std::string>{"B2", "Free", "Used", "C3", "Default"}));
    EXPECT_EQ(store.inner.KeyNames(kIni, "Profiles"), (std::vector<std::string>{"B2", "Free", "Used", "C3"}));
    EXPECT_FALSE(store.inner.FileExists(config.ProfilePath("C3"))) << "no profile file is created";
}

TEST_F(ProfilesFixture, DeleteIsRefusedForBoundInUseDefaultAndNoSelection) {
    EXPECT_EQ(CheckDeleteProfile(config, ""), DeleteCheck::NoSelection);
    EXPECT_EQ(CheckDeleteProfile(config, "Default"), DeleteCheck::IsDefault);
    EXPECT_EQ(CheckDeleteProfile(config, "B2"), DeleteCheck::Bound);
    EXPECT_EQ(CheckDeleteProfile(config, "Used"), DeleteCheck::InUse);
    EXPECT_EQ(CheckDeleteProfile(config, "Free"), DeleteCheck::Allowed);
    config.colAircraftProfiles["Cessna 172"] = "free"; // hand-edited case: still the file Free.ini
    EXPECT_EQ(CheckDeleteProfile(config, "Free"), DeleteCheck::Bound);
    config.colAircraftProfiles["Cessna 172"] = "B2";
    config.CurrentProfile = "FREE";
    EXPECT_EQ(CheckDeleteProfile(config, "Free"), DeleteCheck::InUse);
}

TEST_F(ProfilesFixture, DeleteRemovesFileAndEntryUnlessTheFileStays) {
    const std::string path = config.ProfilePath("Free");
    store.inner.SetFileText(path, "[RadioPanel1]\nA=1\n");

    store.failDelete = true;
    EXPECT_EQ(DeleteProfile(config, "Free"), DeleteResult::FileNotDeleted);
    EXPECT_EQ(config.ProfileIndex("Free"), 2) << "kept while its file is there";
    EXPECT_TRUE(store.inner.FileExists(path));

    store.failDelete = false;
    EXPECT_EQ(DeleteProfile(config, "Free"), DeleteResult::Deleted);
    EXPECT_FALSE(store.inner.FileExists(path));
    EXPECT_EQ(config.colProfiles, (std::vector<std::string>{"B2", "Used", "Default"}));
    EXPECT_EQ(store.inner.KeyNames(kIni, "Profiles"), (std::vector<std::string>{"B2", "Used"}));

    // A profile without a file is deleted from the list all the same.
    EXPECT_EQ(DeleteProfile(config, "B2"), DeleteResult::Deleted);
    EXPECT_EQ(DeleteProfile(config, "Missing"), DeleteResult::NotListed);
}

TEST_F(ProfilesFixture, SpecialModeInTheProfileFile) {
    const std::string path = config.ProfilePath("B2");
    EXPECT_EQ(ReadProfileSpecialMode(store, path), 0) << "no file";
    store.inner.SetFileText(path, "[COMMON]\nspecialmode=Maddog\n[RadioPanel1]\nA=1\n");
    EXPECT_EQ(ReadProfileSpecialMode(store, path), 1);
    ASSERT_TRUE(WriteProfileSpecialMode(store, path, 2));
    EXPECT_EQ(store.inner.ReadString(path, "Common", "SpecialMode", ""), "NGX");
    EXPECT_EQ(ReadProfileSpecialMode(store, path), 2);
    ASSERT_TRUE(WriteProfileSpecialMode(store, path, 1));
    EXPECT_EQ(store.inner.ReadString(path, "Common", "SpecialMode", ""), "MADDOG");
    ASSERT_TRUE(WriteProfileSpecialMode(store, path, 0));
    EXPECT_TRUE(store.inner.KeyNames(path, "Common").empty());
    EXPECT_EQ(store.inner.ReadString(path, "RadioPanel1", "A", ""), "1");
    store.inner.SetFileText(path, "[Common]\nSpecialMode=Other\n");
    EXPECT_EQ(ReadProfileSpecialMode(store, path), 0);
}

TEST_F(ProfilesFixture, AircraftProfileChoice) {
    AircraftChoice choice = ChooseAircraftProfile(config, "Free");
    EXPECT_TRUE(choice.Accepted);
    EXPECT_EQ(choice.Profile, "Free");
    EXPECT_FALSE(choice.Added);

    choice = ChooseAircraftProfile(config, "FREE");
    EXPECT_TRUE(choice.Accepted);
    EXPECT_EQ(choice.Profile, "Free") << "bound as listed, not added a second time";
    EXPECT_FALSE(choice.Added);

    choice = ChooseAircraftProfile(config, "My 737");
    EXPECT_FALSE(choice.Accepted);
    EXPECT_EQ(choice.Message.Text, "Only letters and numbers are admitted in profiles names");
    EXPECT_FALSE(ChooseAircraftProfile(config, "Nul").Accepted);

    choice = ChooseAircraftProfile(config, "");
    EXPECT_TRUE(choice.Accepted);
    EXPECT_EQ(choice.Profile, "");
    EXPECT_FALSE(choice.Added);

    choice = ChooseAircraftProfile(config, "NGX737");
    EXPECT_TRUE(choice.Accepted);
    EXPECT_TRUE(choice.Added);
    EXPECT_EQ(config.colProfiles, (std::vector<std::string>{"B2", "Free", "Used", "NGX737", "Default"}));

}

TEST_F(ProfilesFixture, ImportReplacesWholeSectionsInSourceOrder) {
    const std::string source = config.ProfilePath("Free");
    const std::string target = config.ProfilePath("B2");
    std::string text;
    for (int i = 1; i <= 12; ++i) text += "[Section" + std::to_string(i) + "]\nK=" + std::to_string(i) + "\n";
    store.inner.SetFileText(source, "[Common]\nSpecialMode=NGX\n[RadioPanel1]\nA=src\nB=\n" + text);
    store.inner.SetFileText(target, "[RadioPanel1]\nA=old\nGone=1\n[MultiPanel1]\nX=kept\n[Common]\nZ=kept\n");

    const std::vector<std::string> offered = ImportableSections(store, source);
    ASSERT_EQ(offered.size(), 14u) << "every section, not only the first ten";
    EXPECT_EQ(offered[0], "Common");
    EXPECT_EQ(offered[13], "Section12");
    EXPECT_TRUE(ImportableSections(store, config.ProfilePath("Used")).empty());

    ASSERT_TRUE(ImportSections(store, source, target, {"RadioPanel1", "Section12"}));
    EXPECT_EQ(store.inner.KeyNames(target, "RadioPanel1"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(store.inner.ReadString(target, "RadioPanel1", "A", ""), "src");
    EXPECT_EQ(store.inner.ReadString(target, "Section12", "K", ""), "12");
    EXPECT_EQ(store.inner.ReadString(target, "MultiPanel1", "X", ""), "kept");
    EXPECT_EQ(store.inner.KeyNames(target, "Common"), std::vector<std::string>{"Z"}) << "not chosen";
    EXPECT_EQ(store.inner.ReadString(source, "RadioPanel1", "A", ""), "src") << "the source is only read";

    // A target that cannot be written is reported, not taken for a success.
    store.failWrite = true;
    EXPECT_FALSE(ImportSections(store, source, target, {"Section1"}));
    EXPECT_FALSE(ImportSections(store, source, target, {"Section1", "Section2"}));
    store.failWrite = false;
    EXPECT_TRUE(ImportSections(store, source, target, {}));
    EXPECT_NE(ImportFailedText(target).find(target), std::string::npos);
}

TEST_F(ProfilesFixture, ImportCopiesValuesExactlyAndLeavesAReadOnlyTargetAsItWas) {
    const std::string source = config.ProfilePath("Free");
    const std::string target = config.ProfilePath("B2");
    const std::string longValue(300, 'x');
    store.inner.SetFileText(source, "[RadioPanel1]\nLong=" + longValue + "\nQuoted=\"  spaced  \"\nSingle='a'\n");
    store.inner.SetFileText(target, "[RadioPanel1]\nOld=1\n");
    ASSERT_TRUE(ImportSections(store, source, target, {"RadioPanel1"}));
    EXPECT_EQ(store.inner.ReadSection(target, "RadioPanel1"), store.inner.ReadSection(source, "RadioPanel1"));
    EXPECT_EQ(store.inner.ReadSection(target, "RadioPanel1").at(0).second, longValue);
    EXPECT_EQ(store.inner.ReadSection(target, "RadioPanel1").at(1).second, "\"  spaced  \"");

    store.inner.SetFileText(target, "[RadioPanel1]\nOld=1\n");
    store.inner.SetReadOnly(target, true);
    EXPECT_FALSE(ImportSections(store, source, target, {"RadioPanel1"}));
    EXPECT_EQ(store.inner.FileText(target), "[RadioPanel1]\r\nOld=1\r\n");
}

} // namespace
} // namespace orvex::config
