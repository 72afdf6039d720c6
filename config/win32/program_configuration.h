// The configuration of the running program: the model over the real INI
// files of the program folder, message boxes, the registry's autostart and
// the user's decimal separator, wired together in one object.
#pragma once

#include "config/configuration.h"
#include "config/win32/autostart_win32.h"
#include "config/win32/inifile.h"
#include "config/win32/user_messages_win32.h"

#include <string>

namespace orvex::config::win32 {

class ProgramConfiguration {
public:
    // programFolder: the folder of Orvex.exe (orvex::win32::ExecutableFolder()).
    explicit ProgramConfiguration(const std::string& programFolder)
        : autostart_(WithoutSlash(programFolder)),
          model_(store_, programFolder, messages_, &autostart_, UserNumberLocale()) {}
    ProgramConfiguration(const ProgramConfiguration&) = delete;
    ProgramConfiguration& operator=(const ProgramConfiguration&) = delete;

    cConfiguration& Model() { return model_; }
    cInifile& Store() { return store_; }
    // Message boxes get this window as owner once the main window exists.
    void MessageOwner(HWND owner) { messages_.Owner(owner); }

private:
    static std::string WithoutSlash(std::string folder) {
        while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        return folder;
    }

    cInifile store_;
    Win32UserMessages messages_;
    RegistryAutostart autostart_;
    cConfiguration model_;
};

} // namespace orvex::config::win32
