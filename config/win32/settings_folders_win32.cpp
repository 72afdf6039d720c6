#include "config/win32/settings_folders_win32.h"

#include "common/win32/process_util.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace orvex::config::win32 {

namespace {

std::string WithoutSlash(std::string folder) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

} // namespace

bool Win32SettingsFolders::CanWrite(const std::string& folder) {
    // A file of our own, removed when its handle closes. The access check is
    // the system's, whatever rights the folder's list grants this user.
    const std::string probe = folder + "Orvex.write-check." + std::to_string(::GetCurrentProcessId()) + ".tmp";
    HANDLE file = ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

std::string Win32SettingsFolders::LocalAppData() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)) && path)
        folder = orvex::win32::AnsiPathOf(path);
    ::CoTaskMemFree(path);
    return folder;
}

bool Win32SettingsFolders::FolderExists(const std::string& folder) {
    const DWORD attributes = ::GetFileAttributesA(WithoutSlash(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32SettingsFolders::MakeFolder(const std::string& folder) {
    return ::CreateDirectoryA(WithoutSlash(folder).c_str(), nullptr) || FolderExists(folder);
}

std::vector<std::string> Win32SettingsFolders::IniFiles(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE h = ::FindFirstFileA((folder + "*.ini").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (::FindNextFileA(h, &found));
    ::FindClose(h);
    return names;
}

bool Win32SettingsFolders::CopyNew(const std::string& from, const std::string& to) {
    return ::CopyFileA(from.c_str(), to.c_str(), TRUE) != FALSE;
}

} // namespace orvex::config::win32
