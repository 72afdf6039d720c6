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

// An object told when its thread ends while it still lives: the thread was
// asked to end (WM_QUIT) other than by the object's own last release, e.g.
// because the server is ending. Its apartment goes next and disconnects it,
// so this is the object's last chance to tell its clients.
class ThreadEndingListener {
public:
    virtual void ThreadEnding() noexcept = 0;

protected:
    ~ThreadEndingListener() = default;
};

// The listener of the calling object thread (nullptr: none). An object sets
// itself when it is made on its thread and clears it when it goes.
void SetThreadEndingListener(ThreadEndingListener* listener) noexcept;

// Asks every object thread that still runs to end (its object hears
// ThreadEnding first), then waits (at most `timeoutMs`) for them all.
void JoinObjectThreads(DWORD timeoutMs);

} // namespace orvex::relaybox::server
