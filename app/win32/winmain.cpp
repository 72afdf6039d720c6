// The main program's entry point.
#include "app/win32/orvex_app.h"
#include "common/win32/process_util.h"
#include "config/win32/settings_folders_win32.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        orvex::app::win32::AppEnvironment environment;
        environment.ProgramFolder = orvex::win32::ExecutableFolder();
        orvex::config::win32::Win32SettingsFolders folders;
        orvex::config::SettingsFolder settings = orvex::config::ChooseSettingsFolder(folders, environment.ProgramFolder);
        environment.SettingsFolder = std::move(settings.folder);
        environment.StartNotice = std::move(settings.notice);
        orvex::app::win32::OrvexApp app(std::move(environment));
        return app.Main();
    } catch (const std::exception& e) {
        ::MessageBoxA(nullptr, e.what(), "  modMain.Main", MB_OK | MB_ICONERROR);
    } catch (...) {
        ::MessageBoxA(nullptr, "An unexpected error ended the program.", "  modMain.Main", MB_OK | MB_ICONERROR);
    }
    return 1;
}
