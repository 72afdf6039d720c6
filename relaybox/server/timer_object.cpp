// cHighSpeedTimer: raises Timer every Interval milliseconds from its own
// thread while Enabled.
#include "relaybox/process_priority.h"
#include "relaybox/server/device_access.h"
#include "relaybox/server/objects.h"
#include "relaybox/server/start_queue.h"

#include <algorithm>

namespace orvex::relaybox::server {

namespace {

constexpr DISPID kTimer = 1;

class HighSpeedTimerObject final : public DispatchImpl<IcHighSpeedTimer>,
                                   public ISupportErrorInfo,
                                   public IConnectionPointContainer,
                                          public RefCounted<HighSpeedTimerObject> {
public:
    HighSpeedTimerObject() : DispatchImpl<IcHighSpeedTimer>(IID_IcHighSpeedTimer) {}
    ~HighSpeedTimerObject() {
        stopRequested_ = true;
        events_.Clear();
    }
    HighSpeedTimerObject(const HighSpeedTimerObject&) = delete;
    HighSpeedTimerObject& operator=(const HighSpeedTimerObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IDispatch) ||
            ::IsEqualIID(riid, IID_IcHighSpeedTimer))
            *out = static_cast<IcHighSpeedTimer*>(this);
        else if (::IsEqualIID(riid, IID_Runnable))
            *out = static_cast<Runnable*>(&runnable_);
        else if (::IsEqualIID(riid, IID_ISupportErrorInfo))
            *out = static_cast<ISupportErrorInfo*>(this);
        else if (::IsEqualIID(riid, IID_IConnectionPointContainer))
            *out = static_cast<IConnectionPointContainer*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return ::IsEqualIID(riid, IID_IcHighSpeedTimer) || ::IsEqualIID(riid, IID_Runnable) ? S_OK
                                                                                            : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!::IsEqualIID(riid, DIID_DcHighSpeedTimerEvents)) return CONNECT_E_NOCONNECTION;
        events_.AddRef();
        *out = &events_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_Interval(SHORT* value) override { return Get(value, interval_); }
    HRESULT STDMETHODCALLTYPE put_Interval(SHORT value) override { return Put(interval_, value); }
    HRESULT STDMETHODCALLTYPE get_Priority(LONG* value) override { return Get(value, priority_); }
    HRESULT STDMETHODCALLTYPE put_Priority(LONG value) override { return Put(priority_, value); }
    HRESULT STDMETHODCALLTYPE get_Affinity(LONG* value) override { return Get(value, affinity_); }
    HRESULT STDMETHODCALLTYPE put_Affinity(LONG value) override { return Put(affinity_, value); }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* value) override {
        if (!value) return E_POINTER;
        *value = running_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL value) override {
        if (!value) {
            stopRequested_ = true;
        } else if (!running_ && !queued_) {
            queued_ = true;
            StartObject(&runnable_);
        }
        return S_OK;
    }

    HRESULT RunnableStart() {
        queued_ = false;
        process::SetProcessPriority(0, 0, static_cast<uint32_t>(priority_));
        const uint64_t processMask = process::CurrentProcessAffinity();
        const uint64_t mask = affinity_ == -1 ? AutomaticTimerAffinity(processMask)
                                              : static_cast<uint32_t>(affinity_);
        if (mask != 0) process::SetCurrentProcessAffinity(mask);

        running_ = true;
        while (!stopRequested_) {
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            events_.Fire(kTimer, none);
            // The sleep lets the client's calls (Enabled false) run.
            WaitLettingMessagesRun(static_cast<unsigned long>(std::max<SHORT>(interval_, 0)), stopRequested_);
        }
        running_ = false;
        stopRequested_ = false;
        return S_OK;
    }

private:
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

    RunnablePart<HighSpeedTimerObject> runnable_{*this};
    EventSource events_{*static_cast<IcHighSpeedTimer*>(this), *this, DIID_DcHighSpeedTimerEvents};
    SHORT interval_ = 1000;
    LONG priority_ = ABOVE_NORMAL_PRIORITY_CLASS;
    LONG affinity_ = -1;
    bool running_ = false;
    bool queued_ = false;
    bool stopRequested_ = false;
};

} // namespace

HRESULT CreateHighSpeedTimerObject(const IID& iid, void** out) {
    return CreateAndQuery<HighSpeedTimerObject>(iid, out);
}

} // namespace orvex::relaybox::server
