// Any contents of Orvex.ini and Default.ini (and a Default.ini backup or
// not) through start-up: the general setup, the old-layout conversion (the
// user saying OK or Cancel), the profile and aircraft lists, the special
// mode of the profile in use. Nothing crashes or hangs; no file's content
// is lost by the conversion; the lists are sound and save and load back the
// same; a save of the general setup keeps every line it did not understand
// and the rest of the file, and what it saves loads back the same.
#include "config/configuration.h"

#include "config/memory_ini_store.h"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();
    const std::size_t split = in.Word();
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
    const auto profiles = config.colProfiles;
    // Titles that cannot stand as a key are kept in a section of their own,
    // read after the list of those that can: they load back after them,
    // each group in its own order.
    auto aircrafts = config.colAircrafts;
    std::stable_partition(aircrafts.begin(), aircrafts.end(), cConfiguration::TitleFitsAsKey);
    std::vector<std::string> bound;
    for (const std::string& title : aircrafts) bound.push_back(config.GetAircraftProfile(title));
    config.SaveProfilesList();
    config.SaveAircraftsList();
    config.LoadProfilesList();
    config.LoadAircraftsList();
    FUZZ_CHECK(config.colProfiles == profiles && config.colAircrafts == aircrafts);
    for (std::size_t i = 0; i < aircrafts.size(); ++i) FUZZ_CHECK(config.GetAircraftProfile(aircrafts[i]) == bound[i]);

    // The general setup, saved as loaded: every line it drops or rewrites
    // is one it read and did not report, and no other section changes.
    ReadRecordingStore recording(store);
    testing::RecordingBadValues bad;
    cSetupHolder setup(recording, orvexIni, nullptr, nullptr, &bad, config.Locale());
    setup.LoadSetup();
    const std::string before = store.FileText(orvexIni);
    const std::string others = OtherSections(store, orvexIni, kGeneralSetupSection);
    setup.SaveSetup();
    orvex::fuzzing::CheckNothingNotUnderstoodLost(
        before, store.FileText(orvexIni), kGeneralSetupSection, recording.read,
        [&](const std::string& key, const std::string& value) {
            return std::any_of(bad.entries.begin(), bad.entries.end(),
                               [&](const auto& e) { return e.Key == key && e.Text == value; });
        });
    FUZZ_CHECK(OtherSections(store, orvexIni, kGeneralSetupSection) == others);

    // Changed values save and load back the same.
    for (int i = 0; i < cSetupHolder::kItemCount && !in.Empty(); ++i) {
        const auto item = static_cast<cSetupHolder::Item>(in.Byte() % cSetupHolder::kItemCount);
        if (item == cSetupHolder::kSplash) continue;  // never written
        const auto value = static_cast<std::int32_t>(in.Dword());
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
