// IDispatch for a dual interface from the embedded type library, and the
// connection point that delivers an object's events to its clients' sinks.
#pragma once

#include "relaybox/com_util.h"
#include "relaybox/relaybox_errors.h"
#include "relaybox/server/server_module.h"

#include <ocidl.h>
#include <oleauto.h>

#include <vector>

// Connection-point results (olectl.h of some SDKs only).
#ifndef CONNECT_E_NOCONNECTION
#define CONNECT_E_NOCONNECTION static_cast<HRESULT>(0x80040200L)
#endif
#ifndef CONNECT_E_CANNOTCONNECT
#define CONNECT_E_CANNOTCONNECT static_cast<HRESULT>(0x80040202L)
#endif

namespace orvex::relaybox::server {

// Implements IDispatch of `Itf` through its type information; the class
// deriving from it implements IUnknown and the interface's own methods.
template <class Itf>
class DispatchImpl : public Itf {
public:
    explicit DispatchImpl(const IID& iid) : iid_(iid) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = ServerTypeInfo(iid_) ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        ITypeInfo* t = ServerTypeInfo(iid_);
        if (index != 0 || !t) return DISP_E_BADINDEX;
        t->AddRef();
        *info = t;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        ITypeInfo* t = ServerTypeInfo(iid_);
        if (!t) return E_UNEXPECTED;
        return ::DispGetIDsOfNames(t, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
        ITypeInfo* t = ServerTypeInfo(iid_);
        if (!t) return E_UNEXPECTED;
        EXCEPINFO local{};
        EXCEPINFO* ei = exception ? exception : &local;
        HRESULT hr = ::DispInvoke(static_cast<Itf*>(this), t, id, flags, params, result, ei, argError);
        // A failed method whose error object did not reach the exception
        // record still tells its number and text.
        if (hr == DISP_E_EXCEPTION && !ei->bstrDescription && IsAutomationError(ei->scode)) {
            const long number = ErrorNumber(ei->scode);
            ei->bstrDescription = com::Bstr::Make(ErrorDescription(number));
            if (!ei->bstrSource && !ErrorProcedure(number).empty())
                ei->bstrSource = com::Bstr::Make(ExecutableName() + "." + ErrorProcedure(number));
        }
        if (ei == &local) {
            ::SysFreeString(local.bstrSource);
            ::SysFreeString(local.bstrDescription);
            ::SysFreeString(local.bstrHelpFile);
        }
        return hr;
    }

private:
    IID iid_;
};

// One outgoing (source) interface of an object. It lives inside its object
// and shares the object's reference count.
class EventSource final : public IConnectionPoint {
public:
    EventSource(IUnknown& owner, IConnectionPointContainer& container, const IID& events)
        : owner_(owner), container_(container), events_(events) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    const IID& Events() const noexcept { return events_; }
    // Calls the event on every sink, in the order they were advised. A sink
    // whose client has gone away is dropped.
    void Fire(DISPID id, DISPPARAMS& params);
    // Releases every sink (the object is going away).
    void Clear() { sinks_.clear(); }
    // True when the listeners are gone with their processes: at least one
    // was dropped for that and none is left. A loop that raises events for
    // nobody then ends, and with it the lock that kept its object alive.
    bool ListenersGone() const noexcept { return lost_ && sinks_.empty(); }

private:
    struct Sink {
        DWORD cookie;
        com::ComPtr<IDispatch> sink;
    };
    IUnknown& owner_;
    IConnectionPointContainer& container_;
    IID events_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
    bool lost_ = false;  // a sink was dropped because its process is gone
};

// Lets the client's calls that are waiting on this thread run: every
// message pending now is dispatched; once `stop` becomes true the rest waits
// for the next pass (or the thread's message loop). True when the thread is
// asked to end (WM_QUIT, kept for the thread's message loop): a loop that
// runs on it returns at once.
bool PumpPendingMessages(const bool& stop);

// Waits `ms` milliseconds while letting messages run; returns early once
// `stop` is true or the thread is asked to end (then true).
bool WaitLettingMessagesRun(unsigned long ms, const bool& stop);

} // namespace orvex::relaybox::server
