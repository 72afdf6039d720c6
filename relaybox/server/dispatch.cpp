#include "relaybox/server/dispatch.h"

#include <algorithm>

namespace orvex::relaybox::server {

HRESULT EventSource::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IConnectionPoint)) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT EventSource::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = events_;
    return S_OK;
}

HRESULT EventSource::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    container_.AddRef();
    *out = &container_;
    return S_OK;
}

HRESULT EventSource::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    // Events are called through IDispatch, which every automation sink has
    // and which needs no registration of the event interface to cross
    // processes.
    com::ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(IID_IDispatch, dispatch.PutVoid())) || !dispatch)
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.push_back(Sink{*cookie, dispatch});
    return S_OK;
}

HRESULT EventSource::Unadvise(DWORD cookie) {
    auto it = std::find_if(sinks_.begin(), sinks_.end(), [&](const Sink& s) { return s.cookie == cookie; });
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    // Release outside the list: the release may call out and let another
    // call change the list.
    com::ComPtr<IDispatch> gone = std::move(it->sink);
    sinks_.erase(it);
    return S_OK;
}

HRESULT EventSource::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

void EventSource::Fire(DISPID id, DISPPARAMS& params) {
    // A sink may unadvise (or advise) while its call is in progress, so the
    // calls go to a copy of the list.
    std::vector<Sink> targets = sinks_;
    for (auto& target : targets) {
        HRESULT hr = target.sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                         nullptr, nullptr, nullptr);
        if (PeerGone(hr)) {  // the client's process is gone
            lost_ = true;
            Unadvise(target.cookie);
        }
    }
}

bool PumpPendingMessages(const bool& stop) {
    MSG msg;
    while (!stop && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Keep it for the thread's own message loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return true;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return false;
}

bool WaitLettingMessagesRun(unsigned long ms, const bool& stop) {
    const ULONGLONG deadline = ::GetTickCount64() + ms;
    for (;;) {
        if (PumpPendingMessages(stop)) return true;
        if (stop) return false;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }
}

} // namespace orvex::relaybox::server
