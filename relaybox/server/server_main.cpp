// Relaybox: the device-I/O server. Started by COM with -Embedding it serves
// its classes until the last object is released; /regserver and
// /unregserver register or remove it for the current user (/s: no message
// box on failure, only the exit code).
#include "common/win32/process_util.h"
#include "relaybox/server/object_thread.h"
#include "relaybox/server/objects.h"
#include "relaybox/server/registration.h"
#include "relaybox/server/server_module.h"

#include <windows.h>
#include <objbase.h>

#include <array>
#include <cctype>
#include <string>
#include <utility>

using namespace orvex::relaybox;
using namespace orvex::relaybox::server;

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// True when the command line holds the switch ("/name" or "-name").
bool HasSwitch(const std::string& commandLine, const char* name) {
    const std::string line = Lower(commandLine);
    for (const char lead : {'/', '-'}) {
        const std::string word = std::string(1, lead) + name;
        for (size_t at = line.find(word); at != std::string::npos; at = line.find(word, at + 1)) {
            const size_t end = at + word.size();
            const bool startOk = at == 0 || line[at - 1] == ' ' || line[at - 1] == '\t' || line[at - 1] == '"';
            const bool endOk = end == line.size() || line[end] == ' ' || line[end] == '\t' || line[end] == '"';
            if (startOk && endOk) return true;
        }
    }
    return false;
}

int Serve() {
    orvex::com::ComApartment apartment(COINIT_APARTMENTTHREADED);
    if (FAILED(apartment.Result())) return 1;
    if (FAILED(LoadServerTypeLib())) return 1;
    SetMainThread(::GetCurrentThreadId());

    static ThreadedClassFactory hidD(CreateHidDObject);
    static ThreadedClassFactory panelIO(CreatePanelIOObject);
    static ThreadedClassFactory timer(CreateHighSpeedTimerObject);
    const std::array<std::pair<const CLSID*, ThreadedClassFactory*>, 3> factories{{
        {&CLSID_cHidD, &hidD}, {&CLSID_cPanelIO, &panelIO}, {&CLSID_cHighSpeedTimer, &timer}}};
    std::array<DWORD, 3> cookies{};
    auto revoke = [&cookies] {
        for (DWORD& cookie : cookies)
            if (cookie) ::CoRevokeClassObject(std::exchange(cookie, 0));
    };
    for (size_t i = 0; i < factories.size(); ++i) {
        // A class that cannot be offered leaves the client waiting for a
        // server that never serves it: end instead, so that COM reports it.
        if (FAILED(::CoRegisterClassObject(*factories[i].first, factories[i].second, CLSCTX_LOCAL_SERVER,
                                           REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &cookies[i]))) {
            cookies[i] = 0;
            revoke();
            ReleaseServerTypeLib();
            return 2;
        }
    }
    if (FAILED(::CoResumeClassObjects())) {
        revoke();
        ReleaseServerTypeLib();
        return 2;
    }

    // Runs until the last object thread (or client lock) lets go, or until
    // nobody has used the server for a while (its client went before it
    // made an object, so no release will ever end it).
    ULONGLONG unusedSince = ::GetTickCount64();
    const UINT_PTR idleTimer = ::SetTimer(nullptr, 0, 1000, nullptr);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam == idleTimer) {
            const ULONGLONG now = ::GetTickCount64();
            if (!ServerUnused()) unusedSince = now;
            else if (now - unusedSince >= kIdleShutdownMs) break;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (idleTimer) ::KillTimer(nullptr, idleTimer);

    revoke();
    JoinObjectThreads(5000);
    ReleaseServerTypeLib();
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const std::string args = commandLine ? commandLine : "";
    if (HasSwitch(args, "regserver")) {
        const std::string failure = RegisterServer(orvex::win32::ExecutablePath());
        if (failure.empty()) return 0;
        if (!HasSwitch(args, "s"))
            ::MessageBoxA(nullptr, ("Registration failed: " + failure).c_str(), ExecutableName().c_str(),
                          MB_OK | MB_ICONERROR);
        return 1;
    }
    if (HasSwitch(args, "unregserver")) {
        const std::string failure = UnregisterServer(orvex::win32::ExecutablePath());
        if (failure.empty()) return 0;
        if (!HasSwitch(args, "s"))
            ::MessageBoxA(nullptr, ("Unregistration failed: " + failure).c_str(), ExecutableName().c_str(),
                          MB_OK | MB_ICONERROR);
        return 1;
    }
    if (HasSwitch(args, "embedding") || HasSwitch(args, "automation")) return Serve();
    // Started by hand: nothing to serve.
    return 0;
}
