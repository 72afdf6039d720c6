#include "common/win32/process_util.h"

#include <windows.h>

namespace orvex::win32 {

namespace {

// The path in the ANSI code page; `exact` tells whether every character had
// a place there (no '?' nor best-fit look-alike stands in for one).
std::string ToAnsi(const std::wstring& path, bool& exact) {
    exact = true;
    if (path.empty()) return {};
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), static_cast<int>(path.size()),
                                        nullptr, 0, nullptr, &usedDefault);
    if (n <= 0) {
        exact = false;
        return {};
    }
    std::string text(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), static_cast<int>(path.size()), text.data(), n,
                          nullptr, &usedDefault);
    exact = !usedDefault;
    return text;
}

} // namespace

std::string AnsiPathOf(const std::wstring& path) {
    bool exact = false;
    std::string text = ToAnsi(path, exact);
    if (exact) return text;
    const DWORD n = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return text;
    std::wstring shortPath(n, L'\0');
    const DWORD got = ::GetShortPathNameW(path.c_str(), shortPath.data(), n);
    if (got == 0 || got >= n) return text;
    shortPath.resize(got);
    bool shortExact = false;
    std::string shortText = ToAnsi(shortPath, shortExact);
    return shortExact ? shortText : text;
}

std::string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return AnsiPathOf(path);
        }
        // Truncated: try again with more room.
        path.resize(path.size() * 2);
    }
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExecutableStem() {
    std::string name = ExecutablePath();
    const auto slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER c;
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / perMs;
}

std::string ErrorText(unsigned long error) {
    char* buffer = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n ? std::string(buffer, n) : "error " + std::to_string(error);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

void* StartToolBesideProgram(const std::string& exeName, const std::string& args) {
    std::string commandLine = "\"" + ExecutableFolder() + exeName + "\" --parent " +
                              std::to_string(::GetCurrentProcessId()) + " " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &si, &pi))
        return nullptr;
    ::CloseHandle(pi.hThread);
    return pi.hProcess;
}

} // namespace orvex::win32
