// Where the configuration lives. Beside the program, as always, when that
// folder can be written; a standard user cannot write to a folder under
// Program Files (and a 64-bit program with a manifest gets no file
// virtualisation there), so every setting would be lost. Then the user's
// local application data folder takes them: "%LOCALAPPDATA%\Orvex", with
// the INI files found beside the program copied there the first time.
#pragma once

#include <string>
#include <vector>

namespace orvex::config {

// The file system as the choice needs it. Folders end with a backslash.
class ISettingsFolders {
public:
    virtual ~ISettingsFolders() = default;
    // Whether a new file can be created in the folder (and is removed again).
    virtual bool CanWrite(const std::string& folder) = 0;
    // The user's local application data folder; "" when there is none.
    virtual std::string LocalAppData() = 0;
    virtual bool FolderExists(const std::string& folder) = 0;
    // Creates the folder; true when it exists afterwards.
    virtual bool MakeFolder(const std::string& folder) = 0;
    // The names (without folder) of the INI files in the folder.
    virtual std::vector<std::string> IniFiles(const std::string& folder) = 0;
    // Copies a file; fails rather than replace an existing one.
    virtual bool CopyNew(const std::string& from, const std::string& to) = 0;
};

struct SettingsFolder {
    std::string folder;  // with a trailing backslash
    // What to tell the user once, at the start that moved the settings; "" for nothing.
    std::string notice;
};

// The settings folder for a program in `programFolder` (trailing backslash
// or not). The program folder when it can be written, or when no other
// place can be had.
SettingsFolder ChooseSettingsFolder(ISettingsFolders& folders, const std::string& programFolder);

} // namespace orvex::config
