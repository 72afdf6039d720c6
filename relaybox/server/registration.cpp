#include "relaybox/server/registration.h"

#include "common/win32/elevation.h"
#include "relaybox/com_util.h"
#include "relaybox/registration_rules.h"
#include "relaybox/relaybox_classes.h"

#include <windows.h>
#include <oleauto.h>

#include <vector>

// Not declared by every SDK's headers; oleaut32 exports them (Vista on).
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* lib, OLECHAR* path, OLECHAR* helpDir);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libId, WORD major, WORD minor, LCID lcid, SYSKIND syskind);
}

namespace orvex::relaybox::server {

namespace {

#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
constexpr const char* kPlatformKey = "win64";
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
constexpr const char* kPlatformKey = "win32";
#endif

constexpr const char* kClassesKey = "Software\\Classes\\";

// One value to write: key below Software\Classes, value name (empty for the
// key's default value), text.
struct Entry {
    std::string key;
    std::string name;
    std::string value;
};

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::vector<Entry> Entries(const std::string& exe) {
    const std::string lib = com::GuidText(LIBID_RunnableLib);
    std::vector<Entry> e;
    for (const auto& c : Classes()) {
        const std::string key = "CLSID\\" + com::GuidText(*c.clsid);
        e.push_back({key, "", c.progId});
        e.push_back({key + "\\LocalServer32", "", "\"" + exe + "\""});
        e.push_back({key + "\\ProgID", "", c.progId});
        e.push_back({key + "\\VersionIndependentProgID", "", c.progId});
        e.push_back({key + "\\TypeLib", "", lib});
        e.push_back({key + "\\Version", "", kTypeLibVersion});
        e.push_back({key + "\\Programmable", "", ""});
        e.push_back({c.progId, "", c.progId});
        e.push_back({std::string(c.progId) + "\\CLSID", "", com::GuidText(*c.clsid)});
    }
    for (const auto& i : Interfaces()) {
        const std::string key = "Interface\\" + com::GuidText(*i.iid);
        const char* marshaller = i.dispatchOnly ? kDispatchMarshaller : kTypeLibMarshaller;
        e.push_back({key, "", i.name});
        e.push_back({key + "\\ProxyStubClsid32", "", marshaller});
        e.push_back({key + "\\ProxyStubClsid", "", marshaller});
        e.push_back({key + "\\TypeLib", "", lib});
        e.push_back({key + "\\TypeLib", "Version", kTypeLibVersion});
    }
    const std::string tl = "TypeLib\\" + lib + "\\" + kTypeLibVersion;
    e.push_back({tl, "", "RunnableLib"});
    e.push_back({tl + "\\0\\" + kPlatformKey, "", exe});
    e.push_back({tl + "\\FLAGS", "", "0"});
    e.push_back({tl + "\\HELPDIR", "", FolderOf(exe)});
    return e;
}

// The top keys that Entries writes below, for removal.
std::vector<std::string> TopKeys() {
    std::vector<std::string> keys;
    for (const auto& c : Classes()) {
        keys.push_back("CLSID\\" + com::GuidText(*c.clsid));
        keys.push_back(c.progId);
    }
    for (const auto& i : Interfaces()) keys.push_back("Interface\\" + com::GuidText(*i.iid));
    keys.push_back("TypeLib\\" + com::GuidText(LIBID_RunnableLib));
    return keys;
}

LONG WriteEntry(HKEY root, const Entry& entry) {
    HKEY key = nullptr;
    const std::string path = kClassesKey + entry.key;
    LONG rc = ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    if (!entry.value.empty() || !entry.name.empty())
        rc = ::RegSetValueExA(key, entry.name.empty() ? nullptr : entry.name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(entry.value.c_str()),
                              static_cast<DWORD>(entry.value.size() + 1));
    ::RegCloseKey(key);
    return rc;
}

LONG WriteAll(HKEY root, const std::vector<Entry>& entries, std::string& failed) {
    for (const auto& entry : entries) {
        LONG rc = WriteEntry(root, entry);
        if (rc != ERROR_SUCCESS) {
            failed = entry.key;
            return rc;
        }
    }
    return ERROR_SUCCESS;
}

// Deletes a key that holds neither subkeys nor values.
void DeleteIfEmpty(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD subkeys = 1, values = 1;
    const LONG rc = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                       nullptr, nullptr, nullptr);
    ::RegCloseKey(key);
    if (rc == ERROR_SUCCESS && subkeys == 0 && values == 0) ::RegDeleteKeyA(root, path.c_str());
}

LONG DeleteAll(HKEY root) {
    LONG result = ERROR_SUCCESS;
    for (const auto& key : TopKeys()) {
        const std::string path = kClassesKey + key;
        LONG rc = ::RegDeleteTreeA(root, path.c_str());
        if (rc == ERROR_SUCCESS) rc = ::RegDeleteKeyA(root, path.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && result == ERROR_SUCCESS) result = rc;
    }
    // Registration made these folders of keys where they were missing (a
    // user's classes often start empty): left empty, they go too.
    for (const char* parent : {"CLSID", "Interface", "TypeLib"}) DeleteIfEmpty(root, kClassesKey + std::string(parent));
    return result;
}

std::string Failure(const char* what, long code) {
    char text[64];
    ::wsprintfA(text, " (0x%08lX)", static_cast<unsigned long>(code));
    return std::string(what) + text;
}

bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// True when the machine's class keys name this executable as their server,
// or when there are none.
bool MachineKeysAreThisServers(const std::string& executablePath) {
    for (const auto& c : Classes()) {
        const std::string key = kClassesKey + std::string("CLSID\\") + com::GuidText(*c.clsid) + "\\LocalServer32";
        char value[1024] = {};
        DWORD size = sizeof(value) - 1;
        const LONG rc = ::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
        if (rc == ERROR_FILE_NOT_FOUND) continue;
        if (rc != ERROR_SUCCESS || !IsThisServer(value, executablePath)) return false;
    }
    return true;
}

} // namespace

std::string RegisterServer(const std::string& executablePath) {
    com::ComPtr<ITypeLib> lib;
    std::wstring widePath = com::Wide(executablePath);
    HRESULT hr = ::LoadTypeLibEx(widePath.c_str(), REGKIND_NONE, lib.Put());
    if (FAILED(hr)) return Failure("the type library could not be loaded", hr);

    // Elevated, COM reads only the machine's classes for this user's
    // programs (as Wine does for every program); the user's keys are written
    // in every case, for the programs the user starts normally.
    const RegistrationPlan plan = PlanRegistration(win32::ProcessElevated(), RunningUnderWine());

    // The type library first: it writes interface keys of its own, which the
    // keys below then set to exactly what this server needs.
    std::wstring helpDir = com::Wide(FolderOf(executablePath));
    hr = plan.typeLibForMachine ? ::RegisterTypeLib(lib.Get(), widePath.data(), helpDir.data())
                                : ::RegisterTypeLibForUser(lib.Get(), widePath.data(), helpDir.data());
    if (FAILED(hr)) return Failure("the type library could not be registered", hr);

    const auto entries = Entries(executablePath);
    std::string failedKey;
    LONG rc = WriteAll(HKEY_CURRENT_USER, entries, failedKey);
    if (rc != ERROR_SUCCESS) return Failure(("HKCU\\Software\\Classes\\" + failedKey + " could not be written").c_str(), rc);
    if (plan.machineKeys) {
        rc = WriteAll(HKEY_LOCAL_MACHINE, entries, failedKey);
        if (rc != ERROR_SUCCESS && plan.machineRequired)
            return Failure(("HKLM\\Software\\Classes\\" + failedKey + " could not be written").c_str(), rc);
    }
    return {};
}

std::string UnregisterServer(const std::string& executablePath) {
    ::UnRegisterTypeLibForUser(LIBID_RunnableLib, kTypeLibMajor, kTypeLibMinor, 0, kSysKind);
    LONG rc = DeleteAll(HKEY_CURRENT_USER);
    // Machine-wide keys go only when they are this server's: another copy
    // of it (another folder) may have registered them for every user.
    if (MachineKeysAreThisServers(executablePath)) {
        if (win32::ProcessElevated()) ::UnRegisterTypeLib(LIBID_RunnableLib, kTypeLibMajor, kTypeLibMinor, 0, kSysKind);
        DeleteAll(HKEY_LOCAL_MACHINE);
    }
    if (rc != ERROR_SUCCESS) return Failure("the per-user keys could not be removed", rc);
    return {};
}

} // namespace orvex::relaybox::server
