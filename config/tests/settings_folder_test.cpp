#include "config/settings_folder.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace orvex::config {
namespace {

// Folders and files in memory; a folder is writable unless listed.
class FakeFolders final : public ISettingsFolders {
public:
    std::set<std::string> readOnly;
    std::set<std::string> folders;
    std::map<std::string, std::string> files;  // full path -> content
    std::string appData = "C:\\Users\\Pilot\\AppData\\Local";
    bool makeFails = false;
    std::set<std::string> uncopyable;

    bool CanWrite(const std::string& folder) override { return !readOnly.count(folder); }
    std::string LocalAppData() override { return appData; }
    bool FolderExists(const std::string& folder) override { return folders.count(folder) > 0; }
    bool MakeFolder(const std::string& folder) override {
        if (makeFails) return false;
        folders.insert(folder);
        return true;
    }
    std::vector<std::string> IniFiles(const std::string& folder) override {
        std::vector<std::string> names;
        for (const auto& [path, content] : files)
            if (path.rfind(folder, 0) == 0 && path.find('\\', folder.size()) == std::string::npos &&
                path.size() > 4 && path.compare(path.size() - 4, 4, ".ini") == 0)
                names.push_back(path.substr(folder.size()));
        return names;
    }
    bool CopyNew(const std::string& from, const std::string& to) override {
        if (files.count(to) || !files.count(from) || uncopyable.count(from)) return false;
        files[to] = files[from];
        return true;
    }
};

const std::string kProgram = "C:\\Program Files\\Orvex\\";
const std::string kLocal = "C:\\Users\\Pilot\\AppData\\Local\\Orvex\\";

TEST(SettingsFolder, AWritableProgramFolderKeepsTheSettings) {
    FakeFolders fs;
    const SettingsFolder chosen = ChooseSettingsFolder(fs, "C:\\Orvex");
    EXPECT_EQ(chosen.folder, "C:\\Orvex\\");
    EXPECT_EQ(chosen.notice, "");
    EXPECT_TRUE(fs.folders.empty()) << "nothing created elsewhere";
}

TEST(SettingsFolder, AnUnwritableProgramFolderMovesThemOnceWithTheirFiles) {
    FakeFolders fs;
    fs.readOnly.insert(kProgram);
    fs.files[kProgram + "Orvex.ini"] = "[Setup]\r\nSplash=0\r\n";
    fs.files[kProgram + "Heavy.ini"] = "[RadioPanel1]\r\n";
    fs.files[kProgram + "Orvex.exe"] = "MZ";

    SettingsFolder chosen = ChooseSettingsFolder(fs, kProgram);
    EXPECT_EQ(chosen.folder, kLocal);
    EXPECT_NE(chosen.notice.find(kLocal), std::string::npos);
    EXPECT_NE(chosen.notice.find("copied"), std::string::npos);
    EXPECT_EQ(fs.files[kLocal + "Orvex.ini"], "[Setup]\r\nSplash=0\r\n");
    EXPECT_EQ(fs.files[kLocal + "Heavy.ini"], "[RadioPanel1]\r\n");
    EXPECT_FALSE(fs.files.count(kLocal + "Orvex.exe")) << "only the INI files";

    // Said once: the next start uses the folder silently and copies nothing
    // over what the user has changed since.
    fs.files[kLocal + "Orvex.ini"] = "[Setup]\r\nSplash=1\r\n";
    chosen = ChooseSettingsFolder(fs, kProgram);
    EXPECT_EQ(chosen.folder, kLocal);
    EXPECT_EQ(chosen.notice, "");
    EXPECT_EQ(fs.files[kLocal + "Orvex.ini"], "[Setup]\r\nSplash=1\r\n");
}

TEST(SettingsFolder, FilesThatCannotBeCopiedAreNamedAndNoPlaceLeavesTheProgramFolder) {
    FakeFolders fs;
    fs.readOnly.insert(kProgram);
    fs.files[kProgram + "Orvex.ini"] = "x";
    fs.uncopyable.insert(kProgram + "Orvex.ini");
    const SettingsFolder chosen = ChooseSettingsFolder(fs, kProgram);
    EXPECT_EQ(chosen.folder, kLocal);
    EXPECT_NE(chosen.notice.find("could not be copied: Orvex.ini"), std::string::npos);
    EXPECT_EQ(chosen.notice.find("were copied"), std::string::npos);

    FakeFolders none;
    none.readOnly.insert(kProgram);
    none.appData.clear();
    EXPECT_EQ(ChooseSettingsFolder(none, kProgram).folder, kProgram);
    FakeFolders failing;
    failing.readOnly.insert(kProgram);
    failing.makeFails = true;
    EXPECT_EQ(ChooseSettingsFolder(failing, kProgram).folder, kProgram);
    EXPECT_EQ(ChooseSettingsFolder(failing, kProgram).notice, "");
}

} // namespace
} // namespace orvex::config
