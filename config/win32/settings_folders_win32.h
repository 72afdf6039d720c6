// The file system behind the choice of the settings folder.
#pragma once

#include "config/settings_folder.h"

namespace orvex::config::win32 {

class Win32SettingsFolders final : public ISettingsFolders {
public:
    bool CanWrite(const std::string& folder) override;
    std::string LocalAppData() override;
    bool FolderExists(const std::string& folder) override;
    bool MakeFolder(const std::string& folder) override;
    std::vector<std::string> IniFiles(const std::string& folder) override;
    bool CopyNew(const std::string& from, const std::string& to) override;
};

} // namespace orvex::config::win32
