// cPanelIO: one panel's reader. StartThread queues the object; its loop then
// runs on the object's own thread, reads 4-byte input reports with a bounded
// wait, lets the client's calls run once per pass and raises RawInput.
#include "relaybox/process_priority.h"
#include "relaybox/server/device_access.h"
#include "relaybox/server/objects.h"
#include "relaybox/server/start_queue.h"

#include <algorithm>

namespace orvex::relaybox::server {

namespace {

constexpr DISPID kRawInput = 1;
constexpr uint32_t kReportSize = 4;

// HIDHandle tells the client a device is open; the device layer's handles
// are not the client's to use, so the value is a token unique in the server.
long NextDeviceToken() {
    static LONG token = 0;
    return ::InterlockedIncrement(&token);
}

class PanelIOObject final : public DispatchImpl<IcPanelIO>,
                            public ISupportErrorInfo,
                            public IConnectionPointContainer,
                            public RefCounted<PanelIOObject> {
public:
    PanelIOObject() : DispatchImpl<IcPanelIO>(IID_IcPanelIO) {}
    ~PanelIOObject() {
        stopRequested_ = true;
        events_.Clear();
    }
    PanelIOObject(const PanelIOObject&) = delete;
    PanelIOObject& operator=(const PanelIOObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IDispatch) ||
            ::IsEqualIID(riid, IID_IcPanelIO))
            *out = static_cast<IcPanelIO*>(this);
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
        return ::IsEqualIID(riid, IID_IcPanelIO) || ::IsEqualIID(riid, IID_Runnable) ? S_OK : S_FALSE;
    }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!::IsEqualIID(riid, DIID_DcPanelIOEvents)) return CONNECT_E_NOCONNECTION;
        events_.AddRef();
        *out = &events_;
        return S_OK;
    }

    // IcPanelIO
    HRESULT STDMETHODCALLTYPE get_DevicePathName(BSTR* value) override {
        if (!value) return E_POINTER;
        *value = ::SysAllocString(path_.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_DevicePathName(BSTR value) override {
        path_ = value ? value : L"";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_HiddTimeout(LONG* value) override { return Get(value, hiddTimeout_); }
    HRESULT STDMETHODCALLTYPE put_HiddTimeout(LONG value) override { return Put(hiddTimeout_, value); }
    HRESULT STDMETHODCALLTYPE get_HIDHandle(LONG* value) override { return Get(value, hidHandle_); }
    HRESULT STDMETHODCALLTYPE put_HIDHandle(LONG value) override { return Put(hidHandle_, value); }
    HRESULT STDMETHODCALLTYPE get_Priority(LONG* value) override { return Get(value, priority_); }
    HRESULT STDMETHODCALLTYPE put_Priority(LONG value) override { return Put(priority_, value); }
    HRESULT STDMETHODCALLTYPE get_Affinity(LONG* value) override { return Get(value, affinity_); }
    HRESULT STDMETHODCALLTYPE put_Affinity(LONG value) override { return Put(affinity_, value); }

    HRESULT STDMETHODCALLTYPE StartThread() override {
        stopRequested_ = false;
        // A start that is queued but not yet running counts as started, so
        // two quick calls do not run the loop twice.
        if (running_ || queued_)
            return RaiseError(IID_IcPanelIO, kErrAlreadyStarted, ErrorProcedure(kErrAlreadyStarted),
                              ErrorDescription(kErrAlreadyStarted));
        queued_ = true;
        StartObject(&runnable_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE StopThread() override {
        stopRequested_ = true;
        return S_OK;
    }

    // Runnable
    HRESULT RunnableStart() {
        queued_ = false;
        process::SetProcessPriority(0, 0, static_cast<uint32_t>(priority_));
        const uint64_t processMask = process::CurrentProcessAffinity();
        const uint64_t mask = affinity_ == -1 ? AutomaticReaderAffinity(processMask)
                                              : static_cast<uint32_t>(affinity_);
        if (mask != 0) process::SetCurrentProcessAffinity(mask);

        running_ = true;
        auto device = Devices().Open(com::Bstr::ToString(path_.c_str()), true);
        if (!device) {
            // Nothing to read from: the loop ends at once.
            hidHandle_ = 0;
            running_ = false;
            return ReadThreadError();
        }
        hidHandle_ = NextDeviceToken();

        uint8_t report[kReportSize] = {};
        while (!stopRequested_) {
            const uint32_t wait = static_cast<uint32_t>(std::max<LONG>(hiddTimeout_, 0));
            // Waits at most the time-out; a device that is gone waits it out
            // too and fails, so the loop keeps one quiet pass per period.
            const hid::ReadStatus status = device->ReadReport(report, kReportSize, wait);
            PumpPendingMessages(stopRequested_);
            if (status == hid::ReadStatus::Report) RaiseRawInput(report);
        }
        device.reset();
        running_ = false;
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
    static HRESULT ReadThreadError() {
        return RaiseError(IID_Runnable, kErrReadThread, ErrorProcedure(kErrReadThread),
                          ErrorDescription(kErrReadThread));
    }

    void RaiseRawInput(const uint8_t (&report)[kReportSize]) {
        unsigned char bytes[kReportSize] = {report[0], report[1], report[2], report[3]};
        VARIANTARG args[kReportSize];
        // Arguments travel last to first.
        for (uint32_t i = 0; i < kReportSize; ++i) {
            VARIANTARG& a = args[kReportSize - 1 - i];
            ::VariantInit(&a);
            a.vt = VT_BYREF | VT_UI1;
            a.pbVal = &bytes[i];
        }
        DISPPARAMS params{args, nullptr, kReportSize, 0};
        events_.Fire(kRawInput, params);
    }

    RunnablePart<PanelIOObject> runnable_{*this};
    EventSource events_{*static_cast<IcPanelIO*>(this), *this, DIID_DcPanelIOEvents};
    std::wstring path_;
    LONG hiddTimeout_ = 3000;
    LONG hidHandle_ = 0;
    LONG priority_ = ABOVE_NORMAL_PRIORITY_CLASS;
    LONG affinity_ = -1;
    bool running_ = false;
    bool queued_ = false;
    bool stopRequested_ = false;
};

} // namespace

HRESULT CreatePanelIOObject(const IID& iid, void** out) { return CreateAndQuery<PanelIOObject>(iid, out); }

} // namespace orvex::relaybox::server
