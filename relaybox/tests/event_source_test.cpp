// An object's events and the listeners behind them: a loop whose client
// process was killed must learn that its listeners are gone, and only then.
#include "relaybox/server/dispatch.h"

#include <gtest/gtest.h>

#include <ocidl.h>

namespace orvex::relaybox::server {
namespace {

// A listener whose every call answers `answer` (S_OK while its process
// lives; an RPC failure once it is gone).
class Listener final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!::IsEqualIID(riid, IID_IUnknown) && !::IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        ++events;
        return answer;
    }

    HRESULT answer = S_OK;
    int refs = 0;
    int events = 0;
};

// The object that owns the event source (it only counts references here).
class Owner final : public IConnectionPointContainer {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID, IConnectionPoint**) override { return E_NOTIMPL; }
};

class EventSourceTest : public ::testing::Test {
protected:
    DWORD Advise(Listener& listener) {
        DWORD cookie = 0;
        EXPECT_EQ(events.Advise(&listener, &cookie), S_OK);
        return cookie;
    }
    void Fire() {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        events.Fire(1, none);
    }
    // Declared before the source, which releases what it still holds last.
    Owner owner;
    Listener first, second;
    EventSource events{owner, owner, IID_IDispatch};
};

TEST_F(EventSourceTest, ListenersAreGoneOnlyWhenTheLastWasDroppedWithItsProcess) {
    // Nobody advised yet (a reader started before its client listens), or
    // every client left properly: the loop goes on until it is stopped.
    Fire();
    EXPECT_FALSE(events.ListenersGone());
    const DWORD cookie = Advise(first);
    ASSERT_EQ(events.Unadvise(cookie), S_OK);
    Fire();
    EXPECT_FALSE(events.ListenersGone());

    // Two listeners; the first one's process is killed.
    Advise(first);
    Advise(second);
    first.answer = RPC_E_SERVER_DIED;
    Fire();
    EXPECT_FALSE(events.ListenersGone()) << "the second still listens";
    EXPECT_EQ(first.refs, 0) << "the dead listener's proxy is released";
    EXPECT_EQ(second.refs, 1);
    EXPECT_EQ(second.events, 1);
    // The second one goes too.
    second.answer = RPC_E_DISCONNECTED;
    Fire();
    EXPECT_TRUE(events.ListenersGone());
    EXPECT_EQ(second.refs, 0);
    Fire();
    EXPECT_EQ(first.events, 1) << "nothing is called on a dropped listener";
    EXPECT_EQ(second.events, 2);
}

TEST_F(EventSourceTest, OnlyAGoneProcessDropsAListener) {
    // Failures of a living listener (a busy one among them) drop nothing.
    Advise(first);
    for (HRESULT hr : {E_NOTIMPL, E_FAIL, DISP_E_MEMBERNOTFOUND, RPC_E_CALL_REJECTED}) {
        first.answer = hr;
        Fire();
        EXPECT_FALSE(events.ListenersGone()) << hr;
        EXPECT_EQ(first.refs, 1) << hr;
    }
    EXPECT_EQ(first.events, 4);
    // Every way a call reports its callee's process gone.
    for (HRESULT hr : {RPC_E_DISCONNECTED, RPC_E_SERVER_DIED, RPC_E_SERVER_DIED_DNE,
                       HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), HRESULT_FROM_WIN32(RPC_S_CALL_FAILED),
                       CO_E_OBJNOTCONNECTED}) {
        Listener gone;
        EventSource source(owner, owner, IID_IDispatch);
        DWORD cookie = 0;
        ASSERT_EQ(source.Advise(&gone, &cookie), S_OK);
        gone.answer = hr;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        source.Fire(1, none);
        EXPECT_TRUE(source.ListenersGone()) << hr;
        EXPECT_EQ(gone.refs, 0) << hr;
    }
}

} // namespace
} // namespace orvex::relaybox::server
