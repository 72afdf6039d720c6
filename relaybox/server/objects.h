// The server's classes. Each creator makes a new object on the calling
// thread (the object's own apartment thread) and returns the asked-for
// interface; the object ends that thread's message loop when it goes.
#pragma once

#include "relaybox/server/dispatch.h"
#include "relaybox/server/object_thread.h"
#include "relaybox_tlb.h"

#include <memory>

namespace orvex::relaybox::server {

HRESULT CreateHidDObject(const IID& iid, void** out);
HRESULT CreatePanelIOObject(const IID& iid, void** out);
HRESULT CreateHighSpeedTimerObject(const IID& iid, void** out);

// Reference counting shared by the classes: the last Release destroys the
// object and ends its apartment thread.
template <class Derived>
class RefCounted {
public:
    ULONG AddRefImpl() noexcept { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG ReleaseImpl() noexcept {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) {
            std::unique_ptr<Derived> self(static_cast<Derived*>(this));
            self.reset();
            ::PostQuitMessage(0);
        }
        return static_cast<ULONG>(left);
    }

protected:
    RefCounted() = default;
    ~RefCounted() = default;

private:
    LONG refs_ = 1;
};

// Creates the object, hands out the asked-for interface and drops the
// creation reference.
template <class T>
HRESULT CreateAndQuery(const IID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto object = std::make_unique<T>();
    T* raw = object.release();
    HRESULT hr = raw->QueryInterface(iid, out);
    raw->Release();
    return hr;
}

// The Runnable interface of a class, as a part of the object that shares
// its identity and reference count.
template <class Owner>
class RunnablePart final : public DispatchImpl<Runnable> {
public:
    explicit RunnablePart(Owner& owner) : DispatchImpl<Runnable>(IID_Runnable), owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        return owner_.QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }
    HRESULT STDMETHODCALLTYPE Start() override { return owner_.RunnableStart(); }

private:
    Owner& owner_;
};

// IUnknown, IDispatch and ISupportErrorInfo of a class with one dual
// interface `Itf`; Derived implements the interface's own methods.
template <class Derived, class Itf>
class AutomationObject : public DispatchImpl<Itf>, public ISupportErrorInfo, public RefCounted<Derived> {
public:
    AutomationObject(const AutomationObject&) = delete;
    AutomationObject& operator=(const AutomationObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IDispatch) || ::IsEqualIID(riid, iid_))
            *out = static_cast<Itf*>(this);
        else if (::IsEqualIID(riid, IID_ISupportErrorInfo))
            *out = static_cast<ISupportErrorInfo*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return this->AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return this->ReleaseImpl(); }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return ::IsEqualIID(riid, iid_) ? S_OK : S_FALSE;
    }

protected:
    explicit AutomationObject(const IID& iid) : DispatchImpl<Itf>(iid), iid_(iid) {}
    ~AutomationObject() = default;

    // Property accessors over a plain field.
    template <class T>
    static HRESULT Get(T* out, T value) {
        if (!out) return E_POINTER;
        *out = value;
        return S_OK;
    }
    template <class T>
    static HRESULT Put(T& field, T value) {
        field = value;
        return S_OK;
    }

private:
    IID iid_;
};

// An automation object that also runs a loop on its own thread (its
// Runnable part is what the start queue calls), raises the events of one
// source interface `events`, and has the loop's Priority and Affinity
// properties.
template <class Derived, class Itf>
class ThreadedEventObject : public AutomationObject<Derived, Itf>,
                            public IConnectionPointContainer,
                            private ThreadEndingListener {
    using Base = AutomationObject<Derived, Itf>;

public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (::IsEqualIID(riid, IID_Runnable))
            *out = static_cast<Runnable*>(&runnable_);
        else if (::IsEqualIID(riid, IID_IConnectionPointContainer))
            *out = static_cast<IConnectionPointContainer*>(this);
        else
            return Base::QueryInterface(riid, out);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Base::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Base::Release(); }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return ::IsEqualIID(riid, IID_Runnable) ? S_OK : Base::InterfaceSupportsErrorInfo(riid);
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!::IsEqualIID(riid, events_.Events())) return CONNECT_E_NOCONNECTION;
        events_.AddRef();
        *out = &events_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_Priority(LONG* value) override { return Base::Get(value, priority_); }
    HRESULT STDMETHODCALLTYPE put_Priority(LONG value) override { return Base::Put(priority_, value); }
    HRESULT STDMETHODCALLTYPE get_Affinity(LONG* value) override { return Base::Get(value, affinity_); }
    HRESULT STDMETHODCALLTYPE put_Affinity(LONG value) override { return Base::Put(affinity_, value); }

    // Runnable::Start, on the object's own thread: the loop.
    virtual HRESULT RunnableStart() = 0;

protected:
    // Made on its own thread, which tells it when it ends.
    ThreadedEventObject(const IID& iid, const IID& events)
        : Base(iid), events_(*static_cast<Itf*>(this), *this, events) {
        SetThreadEndingListener(this);
    }
    ~ThreadedEventObject() {
        SetThreadEndingListener(nullptr);
        stopRequested_ = true;
        events_.Clear();
    }

    // The thread ends while the object lives (its loop has returned): what
    // the clients are told. The object is disconnected already (their calls
    // fail at once); its apartment goes next. Nothing by default.
    virtual void TellThreadEnding() {}

    RunnablePart<ThreadedEventObject> runnable_{*this};
    EventSource events_;
    LONG priority_ = ABOVE_NORMAL_PRIORITY_CLASS;
    LONG affinity_ = -1; // -1: chosen automatically
    bool running_ = false;
    bool queued_ = false; // started, waiting for its thread
    bool stopRequested_ = false;

private:
    void ThreadEnding() noexcept override {
        // A client's release during the event may be the last one.
        AddRef();
        stopRequested_ = true;
        // Calls from now on fail at once as "disconnected" instead of
        // waiting for a thread that will not serve them (a client that hears
        // the news below may call before the apartment is gone).
        ::CoDisconnectObject(static_cast<Itf*>(this), 0);
        TellThreadEnding();
        Release();
    }
};

} // namespace orvex::relaybox::server
