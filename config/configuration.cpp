#include "config/configuration.h"

#include <algorithm>
#include <utility>

namespace orvex::config {

namespace {

std::string WithoutTrailingSlash(std::string folder) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

bool ContainsNoCase(const std::vector<std::string>& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(), [&](const std::string& s) { return EqualsNoCase(s, name); });
}

} // namespace

cConfiguration::cConfiguration(IIniStore& store, std::string programFolder, IUserMessages& messages,
                               IAutostart* autostart, NumberLocale locale)
    : colProfiles{kDefaultProfile}, store_(store), folder_(WithoutTrailingSlash(std::move(programFolder))),
      messages_(messages), locale_(locale), reporter_(messages),
      setup_(store, JoinPath(folder_, "Orvex.ini"), autostart, &messages, &reporter_, locale) {}

std::string cConfiguration::IniPath() const { return JoinPath(folder_, "Orvex.ini"); }

std::string cConfiguration::ProfilePath(const std::string& profileName) const {
    return JoinPath(folder_, profileName + ".ini");
}

void cConfiguration::BeginStartUp() {
    setup_.LoadSetup();
    SpecialMode = 0;
}

bool cConfiguration::FinishStartUp() {
    if (ConvertOldConfiguration() == ConversionResult::Cancelled) return false;
    LoadProfilesList();
    LoadAircraftsList();
    CurrentProfile = kDefaultProfile;
    return true;
}

void cConfiguration::LoadProfilesList() {
    colProfiles.clear();
    for (const std::string& name : store_.KeyNames(IniPath(), kProfilesSection)) {
        // The list is keyed by name: a name listed twice (in any case) or a
        // hand-written "Default" key is taken once; "Default" goes last.
        if (name.empty() || EqualsNoCase(name, kDefaultProfile) || ContainsNoCase(colProfiles, name)) continue;
        colProfiles.push_back(name);
    }
    colProfiles.push_back(kDefaultProfile);
}

void cConfiguration::LoadAircraftsList() {
    colAircrafts.clear();
    colAircraftProfiles.clear();
    const std::string path = IniPath();
    for (const std::string& title : store_.KeyNames(path, kAircraftsSection)) {
        if (title.empty() || colAircraftProfiles.count(title) != 0) continue;
        colAircrafts.push_back(title);
        colAircraftProfiles[title] = store_.ReadString(path, kAircraftsSection, title, "");
    }
}

void cConfiguration::SaveProfilesList() {
    const std::string path = IniPath();
    store_.DeleteSection(path, kProfilesSection);
    for (const std::string& name : colProfiles)
        if (name != kDefaultProfile) store_.WriteString(path, kProfilesSection, name, " ");
}

void cConfiguration::SaveAircraftsList() {
    const std::string path = IniPath();
    store_.DeleteSection(path, kAircraftsSection);
    for (const std::string& title : colAircrafts) {
        auto it = colAircraftProfiles.find(title);
        store_.WriteString(path, kAircraftsSection, title, it == colAircraftProfiles.end() ? "" : it->second);
    }
}

std::int32_t cConfiguration::ProfileIndex(const std::string& name) const {
    auto it = std::find(colProfiles.begin(), colProfiles.end(), name);
    return it == colProfiles.end() ? -1 : static_cast<std::int32_t>(it - colProfiles.begin()) + 1;
}

bool cConfiguration::IsNewProfileName(const std::string& name) const { return ProfileIndex(name) == -1; }

bool cConfiguration::IsValidProfileName(const std::string& name) {
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

bool cConfiguration::IsKnownAircraft(const std::string& title) const {
    // Titles are INI keys, which match without regard to case.
    return ContainsNoCase(colAircrafts, title);
}

std::string cConfiguration::GetAircraftProfile(const std::string& title) const {
    if (!IsKnownAircraft(title)) return "";
    auto it = colAircraftProfiles.find(title);
    return it == colAircraftProfiles.end() ? "" : it->second;
}

void cConfiguration::AddProfile(const std::string& name) {
    if (name.empty() || !IsNewProfileName(name)) return;
    auto def = std::find(colProfiles.begin(), colProfiles.end(), kDefaultProfile);
    colProfiles.insert(def, name);
}

void cConfiguration::BindAircraft(const std::string& title, const std::string& profile) {
    if (!IsKnownAircraft(title)) colAircrafts.push_back(title);
    colAircraftProfiles[title] = profile;
}

const char* cConfiguration::ConversionTitle() { return "  ORVEX  - Configuration file conversion request"; }

std::string cConfiguration::ConversionQuestion() {
    return "Your Orvex.ini file belongs to an old version.\r\n"
           "Do you want to convert it to the new file format ?\r\n"
           "Converting to the new format will put actual settings into Default Profile.";
}

ConversionResult cConfiguration::ConvertOldConfiguration() {
    const std::string iniPath = IniPath();
    if (!store_.FileExists(iniPath)) return ConversionResult::NotNeeded;
    const std::vector<std::string> sections = store_.SectionNames(iniPath);
    const bool oldLayout = std::any_of(sections.begin(), sections.end(), [](const std::string& s) {
        const std::string lower = ToLowerAscii(s);
        return lower == "radiopanel1" || lower == "multipanel1" || lower == "switchpanel1";
    });
    if (!oldLayout) return ConversionResult::NotNeeded;

    // An existing Default.ini is never overwritten: it is moved aside to the
    // first free backup name, and the question says so.
    const std::string defaultName = std::string(kDefaultProfile) + ".ini";
    const std::string defaultPath = JoinPath(folder_, defaultName);
    std::string backupName;
    if (store_.FileExists(defaultPath)) {
        for (int n = 1; n < 10000 && backupName.empty(); ++n) {
            std::string candidate = defaultName + ".bak" + (n == 1 ? std::string() : std::to_string(n));
            if (!store_.FileExists(JoinPath(folder_, candidate))) backupName = std::move(candidate);
        }
        if (backupName.empty()) {
            messages_.Show(kMessageTitle, "Your Orvex.ini file belongs to an old version, but it cannot be converted: "
                                          "no free backup name for the existing Default.ini was found.", true);
            return ConversionResult::Failed;
        }
    }
    std::string question = ConversionQuestion();
    if (!backupName.empty())
        question += "\r\nYour existing Default.ini will be kept as " + backupName + ".";
    if (!messages_.AskOkCancel(ConversionTitle(), question)) return ConversionResult::Cancelled;

    const std::string backupPath = backupName.empty() ? std::string() : JoinPath(folder_, backupName);
    if (!backupName.empty() && !store_.MoveFileTo(defaultPath, backupPath)) {
        messages_.Show(kMessageTitle, "The existing Default.ini could not be renamed to " + backupName +
                                          ". Orvex.ini was not converted.", true);
        return ConversionResult::Failed;
    }
    if (!store_.MoveFileTo(iniPath, defaultPath)) {
        if (!backupName.empty()) store_.MoveFileTo(backupPath, defaultPath);
        messages_.Show(kMessageTitle, "Orvex.ini could not be renamed to Default.ini. It was not converted.", true);
        return ConversionResult::Failed;
    }
    return ConversionResult::Converted;
}

void cConfiguration::LoadCurrentProfileCommon() {
    const std::string path = ProfilePath(CurrentProfile);
    SpecialMode = ReadSpecialMode(store_, path);
}

std::uint8_t cConfiguration::ReadSpecialMode(IIniStore& store, const std::string& profilePath) {
    // The key matches in any letter case, as the profiles dialog shows it.
    const std::string mode = ToLowerAscii(store.ReadString(profilePath, kCommonSection, kSpecialModeKey, ""));
    return mode == "maddog" ? 1 : mode == "ngx" ? 2 : 0;
}

} // namespace orvex::config
