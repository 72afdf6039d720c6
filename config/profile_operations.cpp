#include "config/profile_operations.h"

#include "config/ini_save.h"
#include "config/text_util.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace orvex::config {

std::string ListedProfileSameFile(const cConfiguration& config, const std::string& name) {
    if (config.ProfileIndex(name) != -1) return name;
    for (const std::string& listed : config.colProfiles)
        if (EqualsNoCase(listed, name)) return listed;
    return {};
}

bool IsReservedDeviceName(const std::string& name) { return cConfiguration::IsDeviceName(name); }

NameCheck CheckNewProfileName(const cConfiguration& config, const std::string& name) {
    if (!cConfiguration::IsValidProfileName(name)) return NameCheck::NotLettersAndNumbers;
    if (name.empty()) return NameCheck::Accepted;
    if (!config.IsNewProfileName(name) || !ListedProfileSameFile(config, name).empty()) return NameCheck::InUse;
    if (IsReservedDeviceName(name)) return NameCheck::Reserved;
    if (cConfiguration::IsProgramFileName(name)) return NameCheck::ProgramFile;
    return NameCheck::Accepted;
}

ProfileMessage NameCheckMessage(NameCheck check) {
    switch (check) {
    case NameCheck::NotLettersAndNumbers:
        return {kNotLettersAndNumbersText, false};
    case NameCheck::InUse:
        return {kNameInUseText, false};
    case NameCheck::Reserved:
        return {kReservedNameText, false};
    case NameCheck::ProgramFile:
        return {kProgramFileNameText, false};
    case NameCheck::Accepted:
        break;
    }
    return {};
}

bool AddNewProfile(cConfiguration& config, const std::string& name) {
    if (name.empty() || !ListedProfileSameFile(config, name).empty()) return false;
    config.AddProfile(name);
    config.SaveProfilesList();
    return true;
}

DeleteCheck CheckDeleteProfile(const cConfiguration& config, const std::string& name) {
    if (name.empty()) return DeleteCheck::NoSelection;
    if (EqualsNoCase(name, kDefaultProfile)) return DeleteCheck::IsDefault;
    for (const auto& [title, profile] : config.colAircraftProfiles)
        if (EqualsNoCase(profile, name)) return DeleteCheck::Bound;
    if (EqualsNoCase(config.CurrentProfile, name)) return DeleteCheck::InUse;
    return DeleteCheck::Allowed;
}

ProfileMessage DeleteCheckMessage(DeleteCheck check) {
    switch (check) {
    case DeleteCheck::NoSelection:
        return {kNoProfileSelectedText, false, true};
    case DeleteCheck::IsDefault:
        return {kDefaultProfileText, true};
    case DeleteCheck::Bound:
        return {kProfileBoundText, true};
    case DeleteCheck::InUse:
        return {kProfileInUseText, true};
    case DeleteCheck::Allowed:
        break;
    }
    return {};
}

DeleteResult DeleteProfile(cConfiguration& config, const std::string& name) {
    auto it = std::find(config.colProfiles.begin(), config.colProfiles.end(), name);
    if (it == config.colProfiles.end()) return DeleteResult::NotListed;
    IIniStore& store = config.Store();
    const std::string path = config.ProfilePath(name);
    if (store.FileExists(path) && !store.DeleteFileAt(path) && store.FileExists(path))
        return DeleteResult::FileNotDeleted;
    config.colProfiles.erase(it);
    config.SaveProfilesList();
    return DeleteResult::Deleted;
}

std::string DeleteFailedText(const std::string& path) {
    return "The profile file " + path + " could not be deleted. The profile has been kept.";
}

std::uint8_t ReadProfileSpecialMode(IIniStore& store, const std::string& profilePath) {
    return cConfiguration::ReadSpecialMode(store, profilePath);
}

bool WriteProfileSpecialMode(IIniStore& store, const std::string& profilePath, int mode) {
    // A file that cannot be written is not touched (the caller tells the user).
    IniSave save(store);
    switch (mode) {
    case 1:
        save.WriteString(profilePath, kCommonSection, kSpecialModeKey, "MADDOG");
        break;
    case 2:
        save.WriteString(profilePath, kCommonSection, kSpecialModeKey, "NGX");
        break;
    default:
        save.DeleteKey(profilePath, kCommonSection, kSpecialModeKey);
        break;
    }
    return save.Ok();
}

AircraftChoice ChooseAircraftProfile(cConfiguration& config, const std::string& text) {
    AircraftChoice choice;
    const std::string listed = ListedProfileSameFile(config, text);
    if (!listed.empty()) {
        choice.Accepted = true;
        choice.Profile = listed;
        return choice;
    }
    if (!cConfiguration::IsValidProfileName(text)) {
        choice.Message = NameCheckMessage(NameCheck::NotLettersAndNumbers);
        return choice;
    }
    if (IsReservedDeviceName(text)) {
        choice.Message = NameCheckMessage(NameCheck::Reserved);
        return choice;
    }
    if (cConfiguration::IsProgramFileName(text)) {
        choice.Message = NameCheckMessage(NameCheck::ProgramFile);
        return choice;
    }
    choice.Accepted = true;
    choice.Profile = text;
    if (!text.empty()) {
        config.AddProfile(text);
        choice.Added = true;
    }
    return choice;
}

void RebindAircraft(cConfiguration& config, const std::string& title, const std::string& profile) {
    config.BindAircraft(title, profile);
    config.SaveAircraftsList();
    config.SaveProfilesList();
}

std::vector<std::string> ImportableSections(IIniStore& store, const std::string& sourcePath) {
    // A section written twice in a hand-edited file is one section to the
    // profile functions, so it is offered once.
    std::vector<std::string> sections;
    for (std::string& name : store.SectionNames(sourcePath)) {
        const bool seen = std::any_of(sections.begin(), sections.end(),
                                      [&](const std::string& s) { return EqualsNoCase(s, name); });
        if (!name.empty() && !seen) sections.push_back(std::move(name));
    }
    return sections;
}

bool ImportSections(IIniStore& store, const std::string& sourcePath, const std::string& targetPath,
                    const std::vector<std::string>& sections) {
    // Each section goes over in one write, its values exactly as the source
    // holds them (whatever their length, quotes and all); a target that
    // cannot be written is left as it is.
    IniSave save(store);
    for (const std::string& section : sections)
        if (!save.WriteSection(targetPath, section, store.ReadSection(sourcePath, section))) break;
    return save.Ok();
}

std::string ImportFailedText(const std::string& targetPath) {
    return "The import could not be completed: the profile file " + targetPath + " could not be written.";
}

} // namespace orvex::config
