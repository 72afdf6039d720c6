// Any contents of Orvex.ini and Default.ini (and a Default.ini backup or
// not) through start-up: the general setup, the old-layout conversion (the
// user saying OK or Cancel), the profile and aircraft lists, the special
// mode of the profile in use. Nothing crashes or hangs; no file's content
// is lost by the conversion; the lists are sound and save and load back the
// same; a save of the general setup keeps every line it did not understand
// and the rest of the file, and what it saves loads back the same.
#include "config/configuration.h"

#include "config/memory_ini_store.h"
#include "config/profile_operations.h"
#include "config/tests/fake_messages.h"
#include "tests/support/fuzz_input.h"
#include "tests/support/fuzz_sections.h"

#include <algorithm>
#include <set>

namespace {

using namespace orvex::config;
using orvex::fuzzing::FuzzInput;
using orvex::fuzzing::OtherSections;
using orvex::fuzzing::ReadRecordingStore;
using orvex::fuzzing::SectionLines;

const std::string kFolder = "C:\\Fuzz";

std::multiset<std::string> AllFiles(MemoryIniStore& store, const std::vector<std::string>& paths) {
    std::multiset<std::string> texts;
    for (const std::string& p : paths)
        if (store.FileExists(p)) texts.insert(store.FileText(p));
    return texts;
}

bool NoDuplicates(const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = i + 1; j < names.size(); ++j)
            if (EqualsNoCase(names[i], names[j])) return false;
    return true;
}

// Every value of the setup; "Splash" only when asked for, as a save never
// writes it.
std::string SetupValues(const cSetupHolder& setup, bool withSplash = true) {
    std::string f;
    for (int i = 0; i < cSetupHolder::kItemCount; ++i)
        if (withSplash || i != cSetupHolder::kSplash) f += std::to_string(setup.Get(static_cast<cSetupHolder::Item>(i))) + ",";
    return f;
}


// Whether a list holds a name in any letter case.
bool HasNoCase(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return EqualsNoCase(n, name); });
}

// The lists as loaded at start-up, saved unchanged, then changed as the
// dialogs change them (profiles added and deleted, aircraft bound), saved
// and loaded again.
//  - A save of what was loaded writes nothing.
//  - What was changed loads back the same. Titles that cannot stand as a key
//    are kept in a section of their own, read after the list of those that
//    are keys: new ones load back after them, each group in its own order.
//  - Every line of the lists' sections stays as it was, but the lines of a
//    deleted profile name and the line a rebound title was read from.
void CheckLists(cConfiguration& config, MemoryIniStore& store, const std::string& orvexIni,
                const testing::RecordingMessages& messages, FuzzInput& change) {
    const std::size_t told = messages.shown.size();
    const bool existed = store.FileExists(orvexIni);
    const std::string before = store.FileText(orvexIni);
    config.SaveProfilesList();
    config.SaveAircraftsList();
    FUZZ_CHECK(store.FileExists(orvexIni) == existed && store.FileText(orvexIni) == before);

    // Titles loaded from the list of titles that are keys, and new titles
    // that can be keys, load before the others.
    const std::size_t loadedTitles = config.colAircrafts.size();
    const std::vector<std::string> keyedTitles = store.KeyNames(orvexIni, kAircraftsSection);
    std::vector<std::string> deleted, rebound;
    for (int op = change.Byte() % 6; op > 0 && !change.Empty(); --op) {
        const std::uint8_t kind = change.Byte();
        const std::string profile = config.colProfiles[change.Below(static_cast<std::uint32_t>(config.colProfiles.size()))];
        if (kind % 4 == 0) {
            const std::string name = change.Text(8);
            if (!name.empty() && CheckNewProfileName(config, name) == NameCheck::Accepted)
                FUZZ_CHECK(AddNewProfile(config, name));
        } else if (kind % 4 == 1) {
            if (CheckDeleteProfile(config, profile) == DeleteCheck::Allowed) {
                FUZZ_CHECK(DeleteProfile(config, profile) == DeleteResult::Deleted);
                deleted.push_back(profile);
            }
        } else {
            // A new title (any text the simulator may give) or a known one.
            std::string title = kind % 4 == 2 || config.colAircrafts.empty()
                                    ? WithoutNul(change.Text(12))
                                    : config.colAircrafts[change.Below(static_cast<std::uint32_t>(config.colAircrafts.size()))];
            if (title.empty()) continue;
            RebindAircraft(config, title, profile);
            rebound.push_back(title);
        }
    }
    FUZZ_CHECK(messages.shown.size() == told);

    const auto profiles = config.colProfiles;
    std::vector<std::string> aircrafts, lastGroup;
    for (std::size_t i = 0; i < config.colAircrafts.size(); ++i) {
        const std::string& title = config.colAircrafts[i];
        const bool keyed = i < loadedTitles ? HasNoCase(keyedTitles, title) : cConfiguration::TitleFitsAsKey(title);
        (keyed ? aircrafts : lastGroup).push_back(title);
    }
    aircrafts.insert(aircrafts.end(), lastGroup.begin(), lastGroup.end());
    std::vector<std::string> bound;
    for (const std::string& title : aircrafts) bound.push_back(config.GetAircraftProfile(title));
    config.LoadProfilesList();
    config.LoadAircraftsList();
    FUZZ_CHECK(config.colProfiles == profiles && config.colAircrafts == aircrafts);
    for (std::size_t i = 0; i < aircrafts.size(); ++i) FUZZ_CHECK(config.GetAircraftProfile(aircrafts[i]) == bound[i]);

    const std::string after = store.FileText(orvexIni);
    for (const char* section : {kProfilesSection, kAircraftsSection, kAircraftTitlesSection}) {
        std::multiset<std::string> kept = SectionLines(after, section);
        for (const std::string& line : SectionLines(before, section)) {
            const auto it = kept.find(line);
            if (it != kept.end()) {
                kept.erase(it);
                continue;
            }
            const std::string key = line.substr(0, line.find('='));
            if (section == kProfilesSection) FUZZ_CHECK(HasNoCase(deleted, key));
            else FUZZ_CHECK(HasNoCase(rebound, section == kAircraftsSection ? key : cConfiguration::UnescapedTitle(key)));
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();
    const std::size_t split = in.Word();
    // The changes made after start-up come before the files.
    const std::string changeBytes = in.Bytes((in.Byte() % 16) * 8u);
    FuzzInput change(reinterpret_cast<const std::uint8_t*>(changeBytes.data()), changeBytes.size());
    const std::string rest = in.Rest();
    const std::string orvexText = rest.substr(0, std::min(split, rest.size()));
    const std::string defaultText = rest.substr(std::min(split, rest.size()));

    MemoryIniStore store;
    testing::RecordingMessages messages;
    messages.answerOk = (flags & 1) != 0;
    const std::string orvexIni = kFolder + "\\Orvex.ini";
    const std::string defaultIni = kFolder + "\\Default.ini";
    const std::string backup = kFolder + "\\Default.ini.bak";
    if (!(flags & 2)) store.SetFileText(orvexIni, orvexText);
    if (flags & 4) store.SetFileText(defaultIni, defaultText);
    if (flags & 8) store.SetFileText(backup, "[Old]\r\nkey=value\r\n");
    const std::vector<std::string> files = {orvexIni, defaultIni, backup, kFolder + "\\Default.ini.bak2"};
    const auto filesBefore = AllFiles(store, files);

    cConfiguration config(store, kFolder, messages, nullptr, NumberLocale{flags & 16 ? ',' : '.'});
    config.BeginStartUp();
    const bool started = config.FinishStartUp();
    // The conversion moves files; it never loses or changes one. Once it
    // has moved the old Orvex.ini to Default.ini, a new Orvex.ini holds the
    // general setup read from the old one, and nothing else.
    const std::vector<std::string> profileFiles(files.begin() + 1, files.end());
    if (AllFiles(store, files) != filesBefore) {
        FUZZ_CHECK(started && AllFiles(store, profileFiles) == filesBefore);
        FUZZ_CHECK(store.SectionNames(orvexIni) == std::vector<std::string>{kGeneralSetupSection});
        cSetupHolder written(store, orvexIni, nullptr, nullptr, nullptr, config.Locale());
        written.LoadSetup();
        FUZZ_CHECK(SetupValues(written, false) == SetupValues(config.Setup(), false));
    }
    if (!started) {
        FUZZ_CHECK(!messages.answerOk);
        return 0;
    }
    config.LoadCurrentProfileCommon();
    FUZZ_CHECK(config.SpecialMode <= 2);

    // The lists.
    FUZZ_CHECK(!config.colProfiles.empty() && config.colProfiles.back() == kDefaultProfile);
    FUZZ_CHECK(NoDuplicates(config.colProfiles) && NoDuplicates(config.colAircrafts));
    for (const std::string& name : config.colProfiles) FUZZ_CHECK(!name.empty());
    for (const std::string& title : config.colAircrafts) FUZZ_CHECK(config.IsKnownAircraft(title));
    CheckLists(config, store, orvexIni, messages, change);

    // The general setup, saved as loaded: every line it drops or rewrites
    // is one it read and did not report, and no other section changes.
    ReadRecordingStore recording(store);
    testing::RecordingBadValues bad;
    cSetupHolder setup(recording, orvexIni, nullptr, nullptr, &bad, config.Locale());
    setup.LoadSetup();
    const std::string before = store.FileText(orvexIni);
    const std::string others = OtherSections(store, orvexIni, kGeneralSetupSection);
    recording.recording = false;
    setup.SaveSetup();
    orvex::fuzzing::CheckNothingNotUnderstoodLost(
        before, store.FileText(orvexIni), kGeneralSetupSection, recording.read,
        [&](const std::string& key, const std::string& value) {
            return std::any_of(bad.entries.begin(), bad.entries.end(),
                               [&](const auto& e) { return e.Key == key && e.Text == value; });
        });
    FUZZ_CHECK(OtherSections(store, orvexIni, kGeneralSetupSection) == others);

    // Changed values save and load back the same.
    for (int i = 0; i < cSetupHolder::kItemCount && !change.Empty(); ++i) {
        const auto item = static_cast<cSetupHolder::Item>(change.Byte() % cSetupHolder::kItemCount);
        if (item == cSetupHolder::kSplash) continue;  // never written
        const auto value = static_cast<std::int32_t>(change.Dword());
        const bool isBool = item <= cSetupHolder::kLoadWithoutPanels;
        setup.Set(item, isBool ? value & 1 : item == cSetupHolder::kEngineStarterMode ? value & 0xFF : value);
    }
    const std::string changed = SetupValues(setup);
    setup.SaveSetup();
    cSetupHolder again(store, orvexIni, nullptr, nullptr, nullptr, config.Locale());
    again.LoadSetup();
    FUZZ_CHECK(SetupValues(again) == changed);
    return 0;
}
