// Class factories whose objects each get a single-threaded apartment
// thread of their own.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace orvex::relaybox::server {

using ObjectCreator = HRESULT (*)(const IID& iid, void** out);

// A factory for one class (static lifetime: registered for the whole run).
class ThreadedClassFactory final : public IClassFactory {
public:
    explicit ThreadedClassFactory(ObjectCreator create) noexcept : create_(create) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // Starts the object's thread, creates the object there and returns it
    // marshalled back to the calling thread.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ObjectCreator create_;
};

// Waits (at most `timeoutMs`) for every object thread to finish.
void JoinObjectThreads(DWORD timeoutMs);

} // namespace orvex::relaybox::server
