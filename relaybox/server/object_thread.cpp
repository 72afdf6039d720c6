#include "relaybox/server/object_thread.h"

#include "common/win32/handles.h"
#include "relaybox/com_util.h"
#include "relaybox/server/server_module.h"

#include <objbase.h>

#include <utility>
#include <vector>

namespace orvex::relaybox::server {

namespace {

struct ObjectThreadEntry {
    win32::UniqueHandle handle;
    DWORD id;
};

// The object threads that may still run (touched by the main thread only,
// where the factories run).
std::vector<ObjectThreadEntry>& Threads() {
    static std::vector<ObjectThreadEntry> threads;
    return threads;
}

thread_local ThreadEndingListener* t_endingListener = nullptr;

struct Launch {
    ObjectCreator create;
    IID iid;
    HRESULT result = E_FAIL;
    IStream* stream = nullptr;
    win32::UniqueHandle ready;
};

DWORD WINAPI ObjectThread(void* parameter) noexcept {
    auto& launch = *static_cast<Launch*>(parameter);
    {
        com::ComApartment apartment(COINIT_APARTMENTTHREADED);
        HRESULT hr = apartment.Result();
        com::ComPtr<IUnknown> object;
        if (SUCCEEDED(hr)) hr = launch.create(launch.iid, object.PutVoid());
        IStream* stream = nullptr;
        if (SUCCEEDED(hr)) hr = ::CoMarshalInterThreadInterfaceInStream(launch.iid, object.Get(), &stream);
        launch.result = hr;
        launch.stream = stream;
        // The marshalled reference keeps the object; drop the creation one.
        object.Reset();
        const bool run = SUCCEEDED(hr);
        ::SetEvent(launch.ready.get());  // `launch` belongs to the factory from here on

        if (run) {
            // Calls to the object arrive as messages; the object's last
            // release ends the loop.
            MSG msg;
            while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            // Ended while the object lives: it tells its clients before the
            // apartment goes.
            if (ThreadEndingListener* listener = std::exchange(t_endingListener, nullptr)) listener->ThreadEnding();
        }
    }
    ServerRelease();
    return 0;
}

} // namespace

void SetThreadEndingListener(ThreadEndingListener* listener) noexcept { t_endingListener = listener; }

HRESULT ThreadedClassFactory::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IClassFactory)) {
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT ThreadedClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;

    Launch launch{create_, riid, E_FAIL, nullptr, win32::UniqueHandle(::CreateEventA(nullptr, TRUE, FALSE, nullptr))};
    if (!launch.ready) return E_OUTOFMEMORY;
    ServerAddRef();  // the thread's share; it gives it back when it ends
    DWORD id = 0;
    win32::UniqueHandle thread(::CreateThread(nullptr, 0, ObjectThread, &launch, 0, &id));
    if (!thread) {
        ServerRelease();
        return E_OUTOFMEMORY;
    }
    ::WaitForSingleObject(launch.ready.get(), INFINITE);
    // Threads that have ended are forgotten: a server that serves for
    // hours keeps no handle per object it ever made.
    std::erase_if(Threads(), [](const ObjectThreadEntry& t) {
        return ::WaitForSingleObject(t.handle.get(), 0) == WAIT_OBJECT_0;
    });
    Threads().push_back(ObjectThreadEntry{std::move(thread), id});
    if (FAILED(launch.result)) return launch.result;
    return ::CoGetInterfaceAndReleaseStream(launch.stream, riid, out);
}

HRESULT ThreadedClassFactory::LockServer(BOOL lock) {
    if (lock)
        ServerAddRef();
    else
        ServerRelease();
    return S_OK;
}

void JoinObjectThreads(DWORD timeoutMs) {
    // A reader's loop ends at the message; its client hears ReadFailed and
    // connects anew instead of waiting for this process to be gone.
    for (auto& t : Threads())
        if (::WaitForSingleObject(t.handle.get(), 0) == WAIT_TIMEOUT) ::PostThreadMessageA(t.id, WM_QUIT, 0, 0);
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (auto& t : Threads()) {
        const ULONGLONG now = ::GetTickCount64();
        ::WaitForSingleObject(t.handle.get(), now >= deadline ? 0 : static_cast<DWORD>(deadline - now));
    }
    Threads().clear();
}

} // namespace orvex::relaybox::server
