// The settings folder on the real file system, and paths outside the ANSI
// code page.
#include "config/win32/settings_folders_win32.h"

#include "common/win32/process_util.h"
#include "config/tests/win32/temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace orvex::config::win32 {
namespace {

TEST(SettingsFoldersWin32, ProbesCopiesWithoutReplacingAndFindsTheUsersFolder) {
    testing::TempFolder program("Settings");
    testing::TempFolder local("SettingsLocal");
    Win32SettingsFolders fs;
    const std::string from = program.Path() + "\\";
    const std::string to = local.Path() + "\\";
    EXPECT_TRUE(fs.CanWrite(from));
    EXPECT_EQ(fs.IniFiles(from).size(), 0u) << "the probe leaves nothing behind";
    EXPECT_FALSE(fs.CanWrite(from + "No Such Folder\\"));

    program.Write("Orvex.ini", "[Setup]\r\n");
    program.Write("Heavy.ini", "[RadioPanel1]\r\n");
    program.Write("notes.txt", "-");
    EXPECT_EQ(fs.IniFiles(from).size(), 2u);
    local.Write("Heavy.ini", "mine");
    EXPECT_TRUE(fs.CopyNew(from + "Orvex.ini", to + "Orvex.ini"));
    EXPECT_FALSE(fs.CopyNew(from + "Heavy.ini", to + "Heavy.ini"));
    EXPECT_EQ(local.Read("Heavy.ini"), "mine");

    EXPECT_TRUE(fs.FolderExists(to));
    EXPECT_TRUE(fs.MakeFolder(to + "Orvex\\"));
    EXPECT_TRUE(fs.FolderExists(to + "Orvex"));
    ::RemoveDirectoryA((to + "Orvex").c_str());

    const std::string appData = fs.LocalAppData();
    EXPECT_FALSE(appData.empty());
    EXPECT_TRUE(fs.FolderExists(appData));
}

TEST(AnsiPath, ANameOutsideTheCodePageTakesItsShortForm) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    // Cyrillic and Greek: outside the Western code page (and a long name).
    const std::wstring folder = std::wstring(temp) + L"Orvex \x041F\x0438\x043B\x043E\x0442 \x03A9 " +
                                std::to_wstring(::GetCurrentProcessId());
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring file = folder + L"\\Orvex.ini";
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::CloseHandle(h);

    const std::string path = orvex::win32::AnsiPathOf(file);
    const bool convertible = ::GetACP() == CP_UTF8;
    if (!convertible) {
        EXPECT_EQ(path.find('?'), std::string::npos) << path;
    }
    // The ANSI functions reach the file through it.
    EXPECT_NE(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
    EXPECT_TRUE(::WritePrivateProfileStringA("Setup", "Splash", "1", path.c_str())) << path;
    char value[8] = {};
    ::GetPrivateProfileStringA("Setup", "Splash", "", value, sizeof value, path.c_str());
    EXPECT_STREQ(value, "1");

    // A plain path stays as it is.
    EXPECT_EQ(orvex::win32::AnsiPathOf(L"C:\\Program Files\\Orvex\\Orvex.exe"), "C:\\Program Files\\Orvex\\Orvex.exe");
    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

} // namespace
} // namespace orvex::config::win32
