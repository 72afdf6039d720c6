// Registration and activation of the Relaybox server from a client process,
// the start-up helper that registers it when needed, and a script client.
#include "relaybox/client/relaybox_client.h"
#include "relaybox/relaybox_classes.h"
#include "relaybox/relaybox_errors.h"
#include "relaybox/registration_rules.h"
#include "relaybox/tests/com_test_support.h"

#include "common/win32/elevation.h"
#include "common/win32/handles.h"
#include "common/win32/process_util.h"
#include "tools/virtualpanels/virtualpanels_client.h"

#include <gtest/gtest.h>

#include <set>

using namespace orvex;
using namespace orvex::relaybox;
using namespace orvex::relaybox::test;

namespace {

std::string ReadText(HKEY root, const std::string& key, const char* name = nullptr) {
    char buffer[1024] = {};
    DWORD size = sizeof(buffer) - 1;
    if (::RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return "<missing>";
    return buffer;
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    ::RegCloseKey(h);
    return true;
}

// Every key and value below a key, one line each ("key" and
// "key|name|type|data").
void Collect(HKEY parent, const std::string& path, std::set<std::string>& out) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return;
    out.insert(path);
    DWORD maxName = 0, maxValueName = 0, maxData = 0;
    ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &maxName, nullptr, nullptr, &maxValueName, &maxData,
                       nullptr, nullptr);
    std::string name(maxValueName + 1, '\0');
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS)
            break;
        std::string line = path + "|" + name.substr(0, nameSize) + "|" + std::to_string(type) + "|";
        for (DWORD b = 0; b < dataSize; ++b) line += std::to_string(data[b]) + ",";
        out.insert(line);
    }
    std::vector<std::string> subkeys;
    std::string subkey(maxName + 1, '\0');
    for (DWORD i = 0;; ++i) {
        DWORD size = static_cast<DWORD>(subkey.size());
        if (::RegEnumKeyExA(key, i, subkey.data(), &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.push_back(subkey.substr(0, size));
    }
    ::RegCloseKey(key);
    for (const auto& s : subkeys) Collect(parent, path + "\\" + s, out);
}

// What a registration can touch, per user and machine-wide, in the 64-bit
// classes and the 32-bit ones below them: everything below the server's own
// keys, and how many keys and values each folder of keys holds (a stray key
// written anywhere there changes a count). Enumerating whole folders of
// classes costs minutes under a loaded Wine.
std::set<std::string> ClassesSnapshot() {
    std::vector<std::string> own;
    for (const auto& c : Classes()) {
        own.push_back("CLSID\\" + com::GuidText(*c.clsid));
        own.push_back(c.progId);
    }
    for (const auto& i : Interfaces()) own.push_back("Interface\\" + com::GuidText(*i.iid));
    own.push_back("TypeLib\\" + com::GuidText(LIBID_RunnableLib));
    std::set<std::string> out;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const std::string rootName = root == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\";
        for (const char* view : {"Software\\Classes\\", "Software\\Classes\\Wow6432Node\\"}) {
            for (const char* folder : {"", "CLSID", "Interface", "TypeLib"}) {
                std::string path = view + std::string(folder);
                if (path.back() == '\\') path.pop_back();
                HKEY key = nullptr;
                if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
                    continue;
                DWORD subkeys = 0, values = 0;
                ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                                   nullptr, nullptr);
                ::RegCloseKey(key);
                out.insert(rootName + path + " keys=" + std::to_string(subkeys) + " values=" + std::to_string(values));
            }
            std::set<std::string> keys;
            for (const auto& k : own) Collect(root, view + k, keys);
            for (const auto& line : keys) out.insert(rootName + line);
        }
    }
    return out;
}

// What is in one snapshot and not the other, a line each.
std::string Difference(const std::set<std::string>& a, const std::set<std::string>& b, const char* sign) {
    std::string text;
    for (const auto& line : a)
        if (!b.count(line)) text += std::string(sign) + line + "\n";
    return text;
}

class RegistrationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), false)); }
    // Every test leaves the server registered for the tests that follow.
    static void TearDownTestSuite() { RunServerRegistration(DefaultServerPath(), false); }
    void TearDown() override {
        if (!WaitForServerExit(8000)) {
            ADD_FAILURE() << "the server outlived its objects";
            EndLeftoverServers();
        }
    }
    com::ComApartment apartment_;
};

TEST_F(RegistrationTest, WritesClassesInterfacesAndTypeLibraryPerUserAndVisibly) {
    const std::string lib = com::GuidText(LIBID_RunnableLib);
    const std::string exe = "\"" + DefaultServerPath() + "\"";
    // Per user always; HKCR is what activation reads (the merged view on
    // Windows, the machine's classes under Wine).
    for (const auto& [root, prefix] : {std::pair{HKEY_CURRENT_USER, std::string("Software\\Classes\\")},
                                       std::pair{HKEY_CLASSES_ROOT, std::string()}}) {
        for (const auto& c : Classes()) {
            const std::string key = prefix + "CLSID\\" + com::GuidText(*c.clsid);
            EXPECT_STRCASEEQ(ReadText(root, key + "\\LocalServer32").c_str(), exe.c_str()) << key;
            EXPECT_EQ(ReadText(root, key + "\\ProgID"), c.progId);
            EXPECT_EQ(ReadText(root, key + "\\TypeLib"), lib);
            EXPECT_EQ(ReadText(root, prefix + c.progId + "\\CLSID"), com::GuidText(*c.clsid));
        }
        for (const auto& i : Interfaces()) {
            const std::string key = prefix + "Interface\\" + com::GuidText(*i.iid);
            // A wrong type-library id here breaks marshalling of the interface.
            EXPECT_EQ(ReadText(root, key + "\\TypeLib"), lib) << i.name;
            EXPECT_EQ(ReadText(root, key + "\\TypeLib", "Version"), kTypeLibVersion) << i.name;
            EXPECT_EQ(ReadText(root, key + "\\ProxyStubClsid32"),
                      i.dispatchOnly ? kDispatchMarshaller : kTypeLibMarshaller)
                << i.name;
        }
    }
    com::ComPtr<ITypeLib> typeLib;
    EXPECT_EQ(::LoadRegTypeLib(LIBID_RunnableLib, kTypeLibMajor, kTypeLibMinor, 0, typeLib.Put()), S_OK);
    CLSID clsid{};
    ASSERT_EQ(::CLSIDFromProgID(L"Relaybox.cPanelIO", &clsid), S_OK);
    EXPECT_TRUE(::IsEqualCLSID(clsid, CLSID_cPanelIO));
}

TEST_F(RegistrationTest, ActivatesEveryClassByProgIdAndEndsAfterTheLastRelease) {
    std::vector<com::ComPtr<IDispatch>> objects;
    for (const auto& c : Classes()) {
        CLSID clsid{};
        ASSERT_EQ(::CLSIDFromProgID(com::Wide(c.progId).c_str(), &clsid), S_OK) << c.progId;
        com::ComPtr<IDispatch> object;
        ASSERT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, object.PutVoid()), S_OK)
            << c.progId;
        objects.push_back(object);
    }
    EXPECT_EQ(ServerProcessCount(), 1) << "one server serves every object";
    // Each object answers on its own interface (through the type-library marshaller).
    com::ComPtr<IcHidD> hidD;
    ASSERT_EQ(objects[0].As(IID_IcHidD, hidD), S_OK);
    short count = -1;
    EXPECT_EQ(hidD->Scan(0x1234, 0x5678, &count), S_OK);
    EXPECT_EQ(count, 0);
    com::ComPtr<Runnable> runnable;
    EXPECT_EQ(objects[1].As(IID_Runnable, runnable), S_OK);
    objects.clear();
    hidD.Reset();
    EXPECT_EQ(ServerProcessCount(), 1) << "still held through Runnable";
    runnable.Reset();
    EXPECT_TRUE(WaitForServerExit(5000));
}

TEST_F(RegistrationTest, UnregisterRemovesTheKeysAndTheHelperRegistersAgain) {
    ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), true));
    for (const auto& c : Classes()) {
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\CLSID\\" + com::GuidText(*c.clsid)));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + com::GuidText(*c.clsid)));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c.progId));
    }
    for (const auto& i : Interfaces())
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Interface\\" + com::GuidText(*i.iid))) << i.name;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "TypeLib\\" + com::GuidText(LIBID_RunnableLib)));

    com::ComPtr<IcHidD> hidD;
    EXPECT_EQ(::CoCreateInstance(CLSID_cHidD, nullptr, CLSCTX_LOCAL_SERVER, IID_IcHidD, hidD.PutVoid()),
              REGDB_E_CLASSNOTREG);

    std::string errorText = "stale";
    ASSERT_EQ(CreateHidD(hidD.Put(), errorText), S_OK);
    EXPECT_EQ(errorText, "");
    short count = -1;
    EXPECT_EQ(hidD->Scan(0x06A3, 0, &count), S_OK);
    EXPECT_EQ(count, 0);
}

// Removal leaves nothing: every key and value that registration wrote, per
// user and machine-wide, is gone after /unregserver, and nothing else moved.
TEST_F(RegistrationTest, UnregisterLeavesTheClassesAsTheyWereBeforeRegistering) {
    ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), true));
    const auto before = ClassesSnapshot();
    ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), false));
    const auto registered = ClassesSnapshot();
    EXPECT_FALSE(Difference(registered, before, "+").empty()) << "registration wrote nothing";
    ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), true));
    const auto after = ClassesSnapshot();
    EXPECT_EQ(Difference(after, before, "left: ") + Difference(before, after, "lost: "), "");
}

TEST_F(RegistrationTest, HelperGivesTheStartUpTextsWhenRegisteringFails) {
    ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), true));
    com::ComPtr<IcHidD> hidD;
    std::string errorText;
    EXPECT_EQ(CreateHidD(hidD.Put(), errorText, win32::ExecutableFolder() + "NoSuchServer.exe"),
              REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(hidD);
    // Elevated (as a Wine prefix's programs are), the text says what helps then.
    EXPECT_EQ(errorText, ServerUnavailableText(win32::ProcessElevated(), REGDB_E_CLASSNOTREG));
    EXPECT_EQ(ServerUnavailableText(false, REGDB_E_CLASSNOTREG),
              "Error starting the application\r\n"
              "Probably you have not correctly registered the Relaybox.exe library.\r\n"
              "Try running: \"Relaybox.exe /regserver\" from a command prompt.");
    ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), false));
}

TEST(RegistrationRules, ElevatedRegistrationIsMachineWideAndRemovalTouchesOnlyItsOwnServer) {
    // A normal user on Windows: the user's keys only.
    RegistrationPlan plan = PlanRegistration(false, false);
    EXPECT_FALSE(plan.typeLibForMachine);
    EXPECT_FALSE(plan.machineKeys);
    // Elevated: COM ignores the user's classes, so the machine's must be written.
    plan = PlanRegistration(true, false);
    EXPECT_TRUE(plan.typeLibForMachine);
    EXPECT_TRUE(plan.machineKeys);
    EXPECT_TRUE(plan.machineRequired);
    // Wine: machine keys where they can be written, as a help, not a need.
    plan = PlanRegistration(false, true);
    EXPECT_FALSE(plan.typeLibForMachine);
    EXPECT_TRUE(plan.machineKeys);
    EXPECT_FALSE(plan.machineRequired);

    EXPECT_TRUE(IsThisServer("\"C:\\Program Files\\Orvex\\Relaybox.exe\"", "c:\\program files\\orvex\\RELAYBOX.EXE"));
    EXPECT_FALSE(IsThisServer("\"D:\\Old Orvex\\Relaybox.exe\"", "C:\\Program Files\\Orvex\\Relaybox.exe"));
    EXPECT_FALSE(IsThisServer("", "C:\\Orvex\\Relaybox.exe"));

    // An elevated Orvex whose activation fails says why and what helps.
    EXPECT_EQ(ServerUnavailableText(false, REGDB_E_CLASSNOTREG), ServerUnavailableText());
    const std::string elevated = ServerUnavailableText(true, REGDB_E_CLASSNOTREG);
    EXPECT_NE(elevated.find("Orvex runs as administrator"), std::string::npos);
    EXPECT_NE(elevated.find("0x80040154"), std::string::npos);
    EXPECT_NE(elevated.find("command prompt opened as administrator"), std::string::npos);
}

TEST_F(RegistrationTest, UnregisteringLeavesTheMachineKeysOfAnotherCopy) {
    // Under Wine registration writes the machine's keys as well (elevated
    // on Windows too); here another copy of the server took them over.
    const std::string key = "Software\\Classes\\CLSID\\" + com::GuidText(CLSID_cHidD);
    if (!KeyExists(HKEY_LOCAL_MACHINE, key)) GTEST_SKIP() << "no machine-wide registration here";
    const std::string other = "\"C:\\Old Orvex\\Relaybox.exe\"";
    ASSERT_EQ(::RegSetKeyValueA(HKEY_LOCAL_MACHINE, (key + "\\LocalServer32").c_str(), nullptr, REG_SZ, other.c_str(),
                                static_cast<DWORD>(other.size() + 1)),
              ERROR_SUCCESS);
    ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), true));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key)) << "the user's keys go";
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, key + "\\LocalServer32"), other) << "the other copy's stay";

    // Registered again from here, they are this server's and go with it.
    ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), false));
    ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), true));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key));
    ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), false));
}

// A script, through IDispatch alone: ProgIDs, Scan, properties, the error
// of a second StartThread with its number and text, the timer's Enabled.
TEST_F(RegistrationTest, ScriptClientDrivesTheServerByName) {
    const std::string script = win32::ExecutableFolder() + "relaybox_script_test.js";
    ASSERT_NE(::GetFileAttributesA(script.c_str()), INVALID_FILE_ATTRIBUTES) << script;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    win32::UniqueHandle reader(readEnd), writer(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    // A live virtual panel keeps the script's reader running, so that its
    // second StartThread meets a running loop (a path that cannot be opened
    // would end the loop at once).
    ::SetEnvironmentVariableA("ORVEX_VIRTUAL_PANELS", "RelayboxScriptTest");
    virtualpanels::VirtualPanelsProcess panels;
    ASSERT_TRUE(panels.Start("--hidden --pipe RelayboxScriptTest --radio 1"));
    std::string commandLine = "cscript.exe //nologo \"" + script + "\" \"" + panels.Path(1) + "\"";
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &info));
    win32::UniqueHandle process(info.hProcess), thread(info.hThread);
    writer.reset();
    std::string output;
    char chunk[512];
    DWORD n = 0;
    while (::ReadFile(reader.get(), chunk, sizeof(chunk), &n, nullptr) && n > 0) output.append(chunk, n);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    DWORD code = 99;
    ::GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, 0u) << output;
    EXPECT_NE(output.find("Already Started 32540"), std::string::npos) << output;
    EXPECT_NE(output.find("done"), std::string::npos) << output;
}

} // namespace
