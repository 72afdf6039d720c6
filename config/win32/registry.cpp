#include "config/win32/registry.h"

#include "common/win32/process_util.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace orvex::config::win32 {

namespace {

constexpr REGSAM kQueryAccess = KEY_QUERY_VALUE; // 1
constexpr REGSAM kAllAccess = 0x3F;              // query, set, create, enumerate, notify, link

std::string Expand(const std::string& text) {
    const DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::string out(needed, '\0');
    const DWORD n = ::ExpandEnvironmentStringsA(text.c_str(), out.data(), needed);
    if (n == 0 || n > needed) return text;
    out.resize(n - 1);
    return out;
}

} // namespace

bool cRegistry::Fail(std::string description, long code) {
    error_.Number = kRegistryErrorNumber;
    error_.Source = orvex::win32::ExecutableStem() + ".cRegistry";
    error_.Description = std::move(description);
    error_.Code = code;
    return false;
}

std::string cRegistry::Where(bool withValue) const {
    // The root key is shown as the signed 32-bit number it is stored as.
    const auto root = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(ClassKey));
    std::string text = std::to_string(root) + "',Section: '" + SectionKey;
    if (withValue) text += "',Key: '" + ValueKey;
    return text;
}

bool cRegistry::OpenRoot(UniqueKey& remote, HKEY& root, const char* failurePrefix) {
    root = ClassKey;
    if (Machine.empty()) return true;
    HKEY connected = nullptr;
    const LONG rc = ::RegConnectRegistryA(Machine.c_str(), ClassKey, &connected);
    if (rc != ERROR_SUCCESS) return Fail(failurePrefix + Where(false) + "'", rc);
    remote.reset(connected);
    root = connected;
    return true;
}

bool cRegistry::OpenSection(OpenedSection& section, REGSAM access, LONG* openError) {
    if (openError) *openError = ERROR_SUCCESS;
    HKEY root = nullptr;
    if (!OpenRoot(section.remote, root, "Failed to open key '")) return false;
    HKEY opened = nullptr;
    const LONG rc = ::RegOpenKeyExA(root, SectionKey.c_str(), 0, access, &opened);
    if (rc != ERROR_SUCCESS) {
        if (openError) *openError = rc;
        return false;
    }
    section.key.reset(opened);
    return true;
}

bool cRegistry::CreateSection(OpenedSection& section) {
    HKEY root = nullptr;
    if (!OpenRoot(section.remote, root, "Failed to create registry Key: '")) return false;
    HKEY created = nullptr;
    const LONG rc = ::RegCreateKeyExA(root, SectionKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kAllAccess,
                                      nullptr, &created, nullptr);
    if (rc != ERROR_SUCCESS) return Fail("Failed to create registry Key: '" + Where(false) + "'", rc);
    section.key.reset(created);
    return true;
}

RegistryValue cRegistry::Value() {
    error_ = {};
    OpenedSection section;
    if (!OpenSection(section, kQueryAccess)) return Default;
    const HKEY key = section.key.get();
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, ValueKey.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return Default;
    std::vector<std::uint8_t> data;
    LONG rc;
    do { // the value may grow between the two calls
        data.assign(size + 2, 0);
        size = static_cast<DWORD>(data.size());
        rc = ::RegQueryValueExA(key, ValueKey.c_str(), nullptr, &type, data.data(), &size);
    } while (rc == ERROR_MORE_DATA);
    if (rc != ERROR_SUCCESS) return Default;
    data.resize(size);
    ValueType = type;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ: {
        std::string text(data.begin(), data.end());
        while (!text.empty() && text.back() == '\0') text.pop_back(); // terminators
        if (type == REG_EXPAND_SZ) return Expand(text);
        return text;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        std::uint32_t v = 0;
        std::memcpy(&v, data.data(), std::min<std::size_t>(data.size(), sizeof v));
        if (type == REG_DWORD_BIG_ENDIAN)
            v = ((v & 0xFFu) << 24) | ((v & 0xFF00u) << 8) | ((v >> 8) & 0xFF00u) | (v >> 24);
        return v;
    }
    default:
        return data;
    }
}

bool cRegistry::Value(const RegistryValue& value) {
    error_ = {};
    OpenedSection section;
    if (!CreateSection(section)) return false;
    std::vector<std::uint8_t> data;
    switch (ValueType) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ: {
        const std::string text = ToText(value);
        data.assign(text.begin(), text.end());
        data.push_back(0);
        if (ValueType == REG_MULTI_SZ) data.push_back(0);
        break;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        std::uint32_t v = 0;
        if (auto* n = std::get_if<std::uint32_t>(&value)) v = *n;
        else if (auto* s = std::get_if<std::string>(&value)) v = static_cast<std::uint32_t>(std::strtoul(s->c_str(), nullptr, 10));
        if (ValueType == REG_DWORD_BIG_ENDIAN)
            v = ((v & 0xFFu) << 24) | ((v & 0xFF00u) << 8) | ((v >> 8) & 0xFF00u) | (v >> 24);
        data.resize(sizeof v);
        std::memcpy(data.data(), &v, sizeof v);
        break;
    }
    default:
        if (auto* b = std::get_if<std::vector<std::uint8_t>>(&value)) data = *b;
        else {
            const std::string text = ToText(value);
            data.assign(text.begin(), text.end());
        }
        break;
    }
    const LONG rc = ::RegSetValueExA(section.key.get(), ValueKey.c_str(), 0, ValueType,
                                     data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
    if (rc != ERROR_SUCCESS)
        return Fail("Failed to set registry value Key: '" + Where(true) + "' to value: '" + ToText(value) + "'", rc);
    return true;
}

bool cRegistry::DeleteValue() {
    error_ = {};
    OpenedSection section;
    LONG rc = ERROR_SUCCESS;
    if (!OpenSection(section, kAllAccess, &rc)) {
        if (rc != ERROR_SUCCESS) Fail("Failed to open key '" + Where(true) + "' for delete access", rc);
        return false;
    }
    rc = ::RegDeleteValueA(section.key.get(), ValueKey.c_str());
    if (rc != ERROR_SUCCESS) return Fail("Failed to delete registry Key: '" + Where(true) + "'", rc);
    return true;
}

bool cRegistry::KeyExists() {
    error_ = {};
    OpenedSection section;
    return OpenSection(section, kQueryAccess);
}

bool cRegistry::CreateKey() {
    error_ = {};
    OpenedSection section;
    return CreateSection(section);
}

bool cRegistry::DeleteKey() {
    error_ = {};
    UniqueKey remote;
    HKEY root = nullptr;
    if (!OpenRoot(remote, root, "Failed to delete registry Key: '")) return false;
    const LONG rc = ::RegDeleteKeyA(root, SectionKey.c_str());
    if (rc != ERROR_SUCCESS) return Fail("Failed to delete registry Key: '" + Where(false) + "'", rc);
    return true;
}

std::vector<std::string> cRegistry::EnumerateValues() {
    error_ = {};
    std::vector<std::string> names;
    OpenedSection section;
    if (!OpenSection(section, kQueryAccess)) return names;
    const HKEY key = section.key.get();
    DWORD count = 0;
    DWORD longest = 0;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<char> name(longest + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (::RegEnumValueA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

std::vector<std::string> cRegistry::EnumerateSections() {
    error_ = {};
    std::vector<std::string> names;
    OpenedSection section;
    if (!OpenSection(section, KEY_ENUMERATE_SUB_KEYS)) return names;
    char name[MAX_PATH + 1] = {};
    for (DWORD i = 0; ::RegEnumKeyA(section.key.get(), i, name, static_cast<DWORD>(sizeof name)) == ERROR_SUCCESS; ++i)
        names.emplace_back(name);
    return names;
}

std::string cRegistry::ToText(const RegistryValue& value) {
    if (auto* s = std::get_if<std::string>(&value)) return *s;
    if (auto* n = std::get_if<std::uint32_t>(&value)) return std::to_string(*n);
    if (auto* b = std::get_if<std::vector<std::uint8_t>>(&value)) return std::string(b->begin(), b->end());
    return "";
}

} // namespace orvex::config::win32
