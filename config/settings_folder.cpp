#include "config/settings_folder.h"

namespace orvex::config {

namespace {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder.push_back('\\');
    return folder;
}

} // namespace

SettingsFolder ChooseSettingsFolder(ISettingsFolders& folders, const std::string& programFolder) {
    const std::string program = WithSlash(programFolder);
    if (folders.CanWrite(program)) return {program, {}};
    const std::string appData = folders.LocalAppData();
    if (appData.empty()) return {program, {}};
    const std::string target = WithSlash(appData) + "Orvex\\";
    const bool first = !folders.FolderExists(target);
    if (!folders.MakeFolder(target)) return {program, {}};
    if (!first) return {target, {}};

    // The first start that keeps its settings there: bring along what lies
    // beside the program (an installed default, or the settings of a copy
    // that used to run from a writable folder), never replacing a file.
    std::vector<std::string> failed;
    int copied = 0;
    for (const std::string& name : folders.IniFiles(program)) {
        if (folders.CopyNew(program + name, target + name)) ++copied;
        else failed.push_back(name);
    }
    std::string notice = "Orvex cannot write to its program folder (" + program +
                         "), so your settings are kept in " + target + ".";
    if (copied > 0) notice += " The settings found beside the program were copied there.";
    if (!failed.empty()) {
        notice += "\r\nThese files could not be copied:";
        for (const std::string& name : failed) notice += " " + name;
    }
    return {target, notice};
}

} // namespace orvex::config
