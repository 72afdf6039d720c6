// A folder of its own for a test, with blanks in its name like a typical
// program folder, removed with its files at the end.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace orvex::config::testing {

class TempFolder {
public:
    explicit TempFolder(const std::string& name) {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "Orvex Test Folder " + name + " " + std::to_string(::GetCurrentProcessId());
        Clear();
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        Clear();
        ::RemoveDirectoryA(path_.c_str());
    }

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(File(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(const std::string& name) const {
        return ::GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

private:
    void Clear() const {
        WIN32_FIND_DATAA found{};
        HANDLE h = ::FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) return;
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                ::DeleteFileA(File(found.cFileName).c_str());
        } while (::FindNextFileA(h, &found));
        ::FindClose(h);
    }
    std::string path_;
};

} // namespace orvex::config::testing
