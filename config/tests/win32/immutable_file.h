// Makes a file that cannot be written, replaced or deleted for the life of
// the guard. Under Wine as root a read-only file is written anyway, so the
// file is made immutable on the Linux side (chattr +i, run as a Unix
// program through Wine) and made writable again at the end.
#pragma once

#include <windows.h>

#include <string>

namespace orvex::config::testing {

class ImmutableFile {
public:
    explicit ImmutableFile(std::string path) : path_(std::move(path)) { ok_ = Set(true); }
    ImmutableFile(const ImmutableFile&) = delete;
    ImmutableFile& operator=(const ImmutableFile&) = delete;
    ~ImmutableFile() {
        if (ok_) Set(false);
    }
    // False when the file could not be made immutable (not under Wine, or
    // chattr is missing).
    bool Ok() const { return ok_; }

private:
    bool Writable() const {
        HANDLE h = ::CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        ::CloseHandle(h);
        return true;
    }
    bool Set(bool immutable) {
        using UnixName = char*(__cdecl*)(const wchar_t*);
        const auto unixName = reinterpret_cast<UnixName>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        if (!unixName) return false;
        std::wstring wide(path_.begin(), path_.end());
        char* name = unixName(wide.c_str());
        if (!name) return false;
        std::string command = std::string("chattr ") + (immutable ? "+i" : "-i") + " \"" + name + "\"";
        ::HeapFree(::GetProcessHeap(), 0, name);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA("Z:\\usr\\bin\\chattr", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi))
            return false;
        if (pi.hProcess) ::WaitForSingleObject(pi.hProcess, 5000);
        if (pi.hThread) ::CloseHandle(pi.hThread);
        if (pi.hProcess) ::CloseHandle(pi.hProcess);
        // The change is seen when the file's write access follows it.
        for (int i = 0; i < 100; ++i) {
            if (Writable() != immutable) return true;
            ::Sleep(20);
        }
        return false;
    }

    std::string path_;
    bool ok_ = false;
};

} // namespace orvex::config::testing
