#include "config/configuration.h"

#include "config/ini_save.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <string_view>
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
    return JoinPath(folder_, (IsUsableProfileName(profileName) ? profileName : std::string(kDefaultProfile)) + ".ini");
}

void cConfiguration::BeginStartUp() {
    setup_.LoadSetup();
    SpecialMode = 0;
}

bool cConfiguration::FinishStartUp() {
    const ConversionResult conversion = ConvertOldConfiguration();
    if (conversion == ConversionResult::Cancelled) return false;
    // The general setup was read from the old file, which is now
    // Default.ini: it is written to the new Orvex.ini at once, so that a run
    // that ends early (no panel found) does not lose it.
    if (conversion == ConversionResult::Converted) setup_.SaveSetup();
    LoadProfilesList();
    LoadAircraftsList();
    CurrentProfile = kDefaultProfile;
    return true;
}

std::vector<std::string> cConfiguration::TakenProfileNames(const std::vector<std::string>& keys,
                                                          std::vector<std::string>& unusable) {
    std::vector<std::string> names;
    for (const std::string& name : keys) {
        // The list is keyed by name: a name listed twice (in any case) or a
        // hand-written "Default" key is taken once; "Default" goes last.
        if (name.empty() || EqualsNoCase(name, kDefaultProfile) || ContainsNoCase(names, name) ||
            ContainsNoCase(unusable, name))
            continue;
        (IsUsableProfileName(name) ? names : unusable).push_back(name);
    }
    return names;
}

void cConfiguration::LoadProfilesList() {
    unusableProfiles_.clear();
    colProfiles = TakenProfileNames(store_.KeyNames(IniPath(), kProfilesSection), unusableProfiles_);
    colProfiles.push_back(kDefaultProfile);
    std::string untold;
    for (const std::string& name : unusableProfiles_) {
        if (ContainsNoCase(unusableReported_, name)) continue;
        unusableReported_.push_back(name);
        untold += (untold.empty() ? "\"" : ", \"") + name + "\"";
    }
    if (!untold.empty())
        messages_.Show(kMessageTitle,
                       "The profile list in " + IniPath() + " holds names that cannot name a profile file: " + untold +
                           ".\r\nThey are kept in the file but not used; aircraft bound to them use the profile "
                           "\"Default\".",
                       true);
}

std::vector<cConfiguration::AircraftLine> cConfiguration::TakenAircraftLines() const {
    const std::string path = IniPath();
    std::vector<AircraftLine> lines;
    std::set<std::string, LessNoCase> titles;
    const auto take = [&](const char* section, const std::string& key, std::string title) {
        if (title.empty() || !titles.insert(title).second) return;
        lines.push_back({std::move(title), section, key});
    };
    for (const std::string& key : store_.KeyNames(path, kAircraftsSection)) take(kAircraftsSection, key, key);
    for (const std::string& key : store_.KeyNames(path, kAircraftTitlesSection))
        take(kAircraftTitlesSection, key, UnescapedTitle(key));
    return lines;
}

void cConfiguration::LoadAircraftsList() {
    colAircrafts.clear();
    colAircraftProfiles.clear();
    for (const AircraftLine& line : TakenAircraftLines()) {
        colAircrafts.push_back(line.Title);
        colAircraftProfiles[line.Title] = store_.ReadString(IniPath(), line.Section, line.Key, "");
    }
}

// The lists are saved by changing only what differs from the file: lines
// the loader passes over (a name or title listed twice, a hand-written
// "Default", names that cannot be used, values the profile list does not
// use, comments) stay as the user wrote them, and a file that holds what
// the program holds is not written at all.
void cConfiguration::SaveProfilesList() {
    const std::string path = IniPath();
    IniSave save(store_);
    std::vector<std::string> unusable;
    for (const std::string& name : TakenProfileNames(save.KeyNames(path, kProfilesSection), unusable)) {
        if (ContainsNoCase(colProfiles, name)) continue;
        // A name no longer listed loses every line of it, in any case: one
        // left behind would bring it back.
        const std::vector<std::string> keys = save.KeyNames(path, kProfilesSection);
        for (auto lines = std::count_if(keys.begin(), keys.end(), [&](const std::string& k) { return EqualsNoCase(k, name); });
             lines > 0 && save.Ok(); --lines)
            save.DeleteKey(path, kProfilesSection, name);
    }
    const std::vector<std::string> keys = save.KeyNames(path, kProfilesSection);
    for (const std::string& name : colProfiles)
        if (!EqualsNoCase(name, kDefaultProfile) && !ContainsNoCase(keys, name))
            save.WriteString(path, kProfilesSection, name, " ");
    save.Finish(&messages_);
}

void cConfiguration::SaveAircraftsList() {
    const std::string path = IniPath();
    IniSave save(store_);
    // A title no longer listed loses every line that gives it, in any case;
    // the next line of the same title would otherwise bring it back.
    // (Each pass removes one line: at most as many passes as there are.)
    std::size_t passes = save.KeyNames(path, kAircraftsSection).size() + save.KeyNames(path, kAircraftTitlesSection).size();
    for (bool removed = true; removed && passes > 0 && save.Ok(); --passes) {
        removed = false;
        for (const AircraftLine& line : TakenAircraftLines()) {
            if (IsKnownAircraft(line.Title)) continue;
            save.DeleteKey(path, line.Section, line.Key);
            removed = true;
            break;
        }
    }
    std::map<std::string, AircraftLine, LessNoCase> taken;
    for (AircraftLine& line : TakenAircraftLines()) taken.emplace(line.Title, std::move(line));
    for (const std::string& title : colAircrafts) {
        const auto bound = colAircraftProfiles.find(title);
        const std::string profile = bound == colAircraftProfiles.end() ? "" : bound->second;
        if (const auto it = taken.find(title); it != taken.end()) {
            // The line the loader takes changes only when its profile does
            // (a value written quoted, or longer than a value can be read,
            // is kept as it is).
            const AircraftLine& line = it->second;
            if (save.ReadString(path, line.Section, line.Key, "\n") != profile)
                save.WriteString(path, line.Section, line.Key, profile);
        } else if (TitleFitsAsKey(title)) {
            save.WriteString(path, kAircraftsSection, title, profile);
        } else {
            save.WriteString(path, kAircraftTitlesSection, EscapedTitle(title), profile);
        }
    }
    save.Finish(&messages_);
}

bool cConfiguration::TitleFitsAsKey(const std::string& title) {
    if (title.empty()) return true;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (title.front() == '[' || title.front() == ';' || blank(title.front()) || blank(title.back())) return false;
    return std::none_of(title.begin(), title.end(), [](char c) { return c == '=' || c == '\r' || c == '\n'; });
}

std::string cConfiguration::EscapedTitle(const std::string& title) {
    std::string key;
    for (std::size_t i = 0; i < title.size(); ++i) {
        const auto c = static_cast<unsigned char>(title[i]);
        const bool edge = i == 0 || i + 1 == title.size();
        const bool escape = c == '%' || c == '=' || c < 0x20 || (i == 0 && (c == '[' || c == ';')) ||
                            (edge && c == ' ');
        if (!escape) {
            key.push_back(static_cast<char>(c));
            continue;
        }
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        key += hex;
    }
    return key;
}

std::string cConfiguration::UnescapedTitle(const std::string& key) {
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string title;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (key[i] == '%' && i + 2 < key.size() && digit(key[i + 1]) >= 0 && digit(key[i + 2]) >= 0) {
            title.push_back(static_cast<char>(digit(key[i + 1]) * 16 + digit(key[i + 2])));
            i += 2;
        } else {
            title.push_back(key[i]);
        }
    }
    return title;
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

bool cConfiguration::IsProgramFileName(const std::string& name) { return EqualsNoCase(name, "Orvex"); }

bool cConfiguration::IsUsableProfileName(const std::string& name) {
    if (name.empty() || IsProgramFileName(name) || name.find("..") != std::string::npos) return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    return !IsDeviceName(name);
}

bool cConfiguration::IsDeviceName(const std::string& name) {
    // A device name is a device whatever follows its first dot.
    std::string base = ToLowerAscii(name.substr(0, name.find('.')));
    while (!base.empty() && (base.back() == ' ' || base.back() == '\t')) base.pop_back();
    static constexpr std::array<std::string_view, 4> kDevices = {"con", "prn", "aux", "nul"};
    if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end()) return true;
    // COM1-COM9 and LPT1-LPT9 (COM0 and LPT0 as well on current systems).
    return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

bool cConfiguration::IsKnownAircraft(const std::string& title) const {
    // Titles are INI keys, which match without regard to case.
    return ContainsNoCase(colAircrafts, title);
}

std::string cConfiguration::GetAircraftProfile(const std::string& title) const {
    if (!IsKnownAircraft(title)) return "";
    auto it = colAircraftProfiles.find(title);
    if (it == colAircraftProfiles.end()) return "";
    // A binding to a name that cannot be used is kept in the file, and the
    // aircraft flies with "Default".
    return it->second.empty() || IsUsableProfileName(it->second) ? it->second : std::string(kDefaultProfile);
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
