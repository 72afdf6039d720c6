// Helpers for the tests that drive the Relaybox server from another process:
// a pumping wait, an event sink, and the server's process count.
#pragma once

#include "common/win32/handles.h"
#include "relaybox/com_util.h"
#include "relaybox_tlb.h"

#include <windows.h>
#include <ocidl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace orvex::relaybox::test {

// Lets the thread's messages (incoming events) run until `done` or the time.
// `done` is tested after each batch of messages and at least every `stepMs`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs = 20) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (done && done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, stepMs)),
                                      QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}
inline void PumpFor(DWORD ms) { PumpUntil(nullptr, ms); }

// Receives RawInput and Timer events; records each call with the thread it
// arrived on and when.
class EventSink final : public IDispatch {
public:
    struct Call {
        DISPID id;
        std::array<uint8_t, 4> bytes;
        DWORD thread;
        LARGE_INTEGER at;
    };

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack; COM's references do not own it.
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(::InterlockedDecrement(&refs_)); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        Call call{id, {}, ::GetCurrentThreadId(), {}};
        ::QueryPerformanceCounter(&call.at);
        if (params && params->cArgs == 4) {
            for (UINT i = 0; i < 4; ++i) {
                const VARIANTARG& a = params->rgvarg[3 - i];  // arguments travel last to first
                if (a.vt == (VT_BYREF | VT_UI1) && a.pbVal) call.bytes[i] = *a.pbVal;
                else badArguments_ = true;
            }
        } else if (id == 1 && params && params->cArgs != 0) {
            badArguments_ = true;
        }
        calls.push_back(call);
        return S_OK;
    }

    bool BadArguments() const { return badArguments_; }
    ULONG References() const { return static_cast<ULONG>(refs_); }
    std::vector<Call> calls;

private:
    LONG refs_ = 0;
    bool badArguments_ = false;
};

// Connects a sink to an object's events for the life of the guard.
class Advise {
public:
    Advise(IUnknown* object, const IID& events, IDispatch* sink) {
        com::ComPtr<IConnectionPointContainer> container;
        if (FAILED(object->QueryInterface(IID_IConnectionPointContainer, container.PutVoid()))) return;
        if (FAILED(container->FindConnectionPoint(events, point_.Put()))) return;
        result_ = point_->Advise(sink, &cookie_);
    }
    Advise(const Advise&) = delete;
    Advise& operator=(const Advise&) = delete;
    ~Advise() {
        if (SUCCEEDED(result_) && point_) point_->Unadvise(cookie_);
    }
    HRESULT Result() const { return result_; }

private:
    com::ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
    HRESULT result_ = E_FAIL;
};

// How many Relaybox.exe processes run.
inline int ServerProcessCount() {
    win32::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return -1;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok; ok = ::Process32Next(snapshot.get(), &entry))
        if (::lstrcmpiA(entry.szExeFile, "Relaybox.exe") == 0) ++count;
    return count;
}

// The priority class of the first Relaybox.exe found (0: none, or it cannot
// be asked).
inline DWORD ServerPriorityClass() {
    win32::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok; ok = ::Process32Next(snapshot.get(), &entry)) {
        if (::lstrcmpiA(entry.szExeFile, "Relaybox.exe") != 0) continue;
        win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        return process ? ::GetPriorityClass(process.get()) : 0;
    }
    return 0;
}

// Ends every process of that executable name; `waitMs` (0: none) waits for
// each to be gone.
inline void EndProcesses(const char* exe, DWORD waitMs = 0) {
    win32::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok; ok = ::Process32Next(snapshot.get(), &entry)) {
        if (::lstrcmpiA(entry.szExeFile, exe) != 0) continue;
        win32::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (!process) continue;
        ::TerminateProcess(process.get(), 1);
        if (waitMs != 0) ::WaitForSingleObject(process.get(), waitMs);
    }
}

// Ends the server processes left behind by a failed test, so that they do
// not hold the test's output open.
inline void EndLeftoverServers() { EndProcesses("Relaybox.exe"); }

// The threads of a process, oldest first: the first is its main thread.
inline std::vector<DWORD> ThreadsOldestFirst(DWORD processId) {
    struct Thread {
        DWORD id;
        ULONGLONG created;
    };
    std::vector<Thread> threads;
    win32::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return {};
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = ::Thread32First(snapshot.get(), &entry); ok; ok = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != processId) continue;
        win32::UniqueHandle thread(::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID));
        FILETIME created{}, exited{}, kernel{}, user{};
        if (!thread || !::GetThreadTimes(thread.get(), &created, &exited, &kernel, &user)) continue;
        threads.push_back({entry.th32ThreadID, (ULONGLONG{created.dwHighDateTime} << 32) | created.dwLowDateTime});
    }
    std::stable_sort(threads.begin(), threads.end(),
                     [](const Thread& a, const Thread& b) { return a.created < b.created; });
    std::vector<DWORD> ids;
    for (const Thread& t : threads) ids.push_back(t.id);
    return ids;
}

// Waits (pumping) until no server process is left.
inline bool WaitForServerExit(DWORD timeoutMs) {
    return PumpUntil([] { return ServerProcessCount() == 0; }, timeoutMs);
}

} // namespace orvex::relaybox::test
