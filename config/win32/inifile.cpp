#include "config/win32/inifile.h"

#include "common/win32/handles.h"
#include "config/text_util.h"

#include <algorithm>

namespace orvex::config::win32 {

namespace {

const char* OrNull(const std::string* s) { return s ? s->c_str() : nullptr; }

std::string ReadValue(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& defaultValue) {
    char buffer[kMaxValueLength + 1] = {};
    const DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                               static_cast<DWORD>(sizeof buffer), path.c_str());
    return std::string(buffer, std::min<std::size_t>(n, kMaxValueLength));
}

// A NUL-separated list read by `read` (buffer, size → characters copied).
// The API cuts a list that does not fit and then reports the buffer size
// minus 2, so the buffer grows until the result is shorter.
template <class Read>
std::string ReadGrowing(Read&& read) {
    constexpr DWORD kStart = 8192;
    constexpr DWORD kLimit = 64u * 1024u * 1024u;
    std::vector<char> buffer;
    for (DWORD size = kStart;; size *= 2) {
        buffer.assign(size, '\0');
        const DWORD n = read(buffer.data(), size);
        if (n + 2 < size || size >= kLimit) return std::string(buffer.data(), std::min<DWORD>(n, size));
    }
}

// Section == nullptr: the sections; else the keys of the section.
std::string ReadList(const std::string* section, const std::string& defaultValue, const std::string& path) {
    return ReadGrowing([&](char* buffer, DWORD size) {
        return ::GetPrivateProfileStringA(OrNull(section), nullptr, defaultValue.c_str(), buffer, size, path.c_str());
    });
}

} // namespace

NumberLocale UserNumberLocale() {
    NumberLocale locale;
    char text[8] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, static_cast<int>(sizeof text)) > 1)
        locale.DecimalSeparator = text[0];
    return locale;
}

std::string cInifile::Value() const { return ReadValue(path_, section_, key_, default_); }

void cInifile::Value(const std::string& text) {
    lastReturnCode_ = ::WritePrivateProfileStringA(section_.c_str(), key_.c_str(), WithoutNul(text).c_str(),
                                                   path_.c_str());
}

void cInifile::DeleteKey() {
    lastReturnCode_ = ::WritePrivateProfileStringA(section_.c_str(), key_.c_str(), nullptr, path_.c_str());
}

void cInifile::DeleteSection() {
    lastReturnCode_ = ::WritePrivateProfileStringA(section_.c_str(), nullptr, nullptr, path_.c_str());
}

std::string cInifile::INISection() const { return ReadList(&section_, default_, path_); }

std::string cInifile::Sections() const { return ReadList(nullptr, default_, path_); }

void cInifile::EnumerateCurrentSection(std::vector<std::string>& names, std::int32_t& count) const {
    names.clear();
    count = 0;
    names = SplitNulList(INISection(), true);
    count = static_cast<std::int32_t>(names.size());
}

void cInifile::EnumerateAllSections(std::vector<std::string>& names, std::int32_t& count) const {
    names.clear();
    count = 0;
    names = SplitNulList(Sections(), false);
    count = static_cast<std::int32_t>(names.size());
}

void cInifile::SaveFormPosition(HWND form) {
    if (::IsIconic(form)) return;
    const std::string savedKey = key_;
    const bool maximised = ::IsZoomed(form) != FALSE;
    key_ = "Maximised";
    Value(maximised ? "1" : "0");
    RECT r{};
    if (!maximised && ::GetWindowRect(form, &r)) {
        const std::pair<const char*, LONG> items[] = {
            {"Left", r.left}, {"Top", r.top}, {"Width", r.right - r.left}, {"Height", r.bottom - r.top}};
        for (const auto& [name, value] : items) {
            key_ = name;
            Value(DecimalText(value));
        }
    }
    key_ = savedKey;
}

void cInifile::LoadFormPosition(HWND form, int width, int height) {
    const std::string savedKey = key_;
    const std::string savedDefault = default_;
    default_ = "FAIL";
    RECT r{};
    ::GetWindowRect(form, &r);
    auto read = [this](const char* name, LONG current) {
        key_ = name;
        return CLngDefault(Value(), current);
    };
    LONG left = read("Left", r.left);
    LONG top = read("Top", r.top);
    LONG w = read("Width", r.right - r.left);
    LONG h = read("Height", r.bottom - r.top);
    if (w < width) w = width;
    if (h < height) h = height;
    const LONG screenW = ::GetSystemMetrics(SM_CXSCREEN);
    const LONG screenH = ::GetSystemMetrics(SM_CYSCREEN);
    if (screenW > 0 && screenH > 0) {
        w = std::min(w, screenW);
        h = std::min(h, screenH);
        if (left + w > screenW) left = screenW - w;
        if (top + h > screenH) top = screenH - h;
        left = std::max<LONG>(left, 0);
        top = std::max<LONG>(top, 0);
    }
    ::MoveWindow(form, left, top, w, h, TRUE);
    key_ = "Maximised";
    if (CLngDefault(Value(), 0) != 0) ::ShowWindow(form, SW_MAXIMIZE);
    key_ = savedKey;
    default_ = savedDefault;
}

std::int32_t cInifile::CLngDefault(const std::string& text, std::int32_t fallback) {
    return config::CLngDefault(text, fallback, UserNumberLocale());
}

std::string cInifile::ReadString(const std::string& path, const std::string& section, const std::string& key,
                                 const std::string& defaultValue) {
    return ReadValue(path, section, key, defaultValue);
}

bool cInifile::WriteString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& value) {
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), WithoutNul(value).c_str(), path.c_str()) != 0;
}

std::vector<std::pair<std::string, std::string>> cInifile::ReadSection(const std::string& path,
                                                                       const std::string& section) {
    const std::string lines = ReadGrowing([&](char* buffer, DWORD size) {
        return ::GetPrivateProfileSectionA(section.c_str(), buffer, size, path.c_str());
    });
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& line : SplitNulList(lines, false)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        entries.emplace_back(TrimBlanks(line.substr(0, eq)), TrimBlanks(line.substr(eq + 1)));
    }
    return entries;
}

bool cInifile::WriteSection(const std::string& path, const std::string& section,
                            const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string lines;
    for (const auto& [key, value] : entries) {
        lines += WithoutNul(key) + "=" + WithoutNul(value);
        lines.push_back('\0');
    }
    lines.push_back('\0');
    return ::WritePrivateProfileSectionA(section.c_str(), lines.c_str(), path.c_str()) != 0;
}

bool cInifile::CanWrite(const std::string& path) {
    if (FileExists(path)) {
        // Opened for writing, not written: the file stays as it is.
        orvex::win32::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.get() != INVALID_HANDLE_VALUE;
    }
    // A file that does not exist yet: one is created in its folder and goes
    // again when the handle closes.
    orvex::win32::UniqueFile probe(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return probe.get() != INVALID_HANDLE_VALUE;
}

bool cInifile::DeleteKey(const std::string& path, const std::string& section, const std::string& key) {
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, path.c_str()) != 0;
}

bool cInifile::DeleteSection(const std::string& path, const std::string& section) {
    return ::WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path.c_str()) != 0;
}

std::vector<std::string> cInifile::SectionNames(const std::string& path) {
    return SplitNulList(ReadList(nullptr, "", path), false);
}

std::vector<std::string> cInifile::KeyNames(const std::string& path, const std::string& section) {
    return SplitNulList(ReadList(&section, "", path), false);
}

bool cInifile::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool cInifile::MoveFileTo(const std::string& from, const std::string& to) {
    return ::MoveFileA(from.c_str(), to.c_str()) != FALSE; // fails when the target exists
}

bool cInifile::DeleteFileAt(const std::string& path) {
    // The profile functions keep no handle open between calls, so the file
    // can go at once; the cached copy Windows may hold is flushed first so
    // that a later write does not bring it back.
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    return ::DeleteFileA(path.c_str()) != FALSE;
}

} // namespace orvex::config::win32
