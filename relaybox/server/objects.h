// The server's classes. Each creator makes a new object on the calling
// thread (the object's own apartment thread) and returns the asked-for
// interface; the object ends that thread's message loop when it goes.
#pragma once

#include "relaybox/server/dispatch.h"
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

} // namespace orvex::relaybox::server
