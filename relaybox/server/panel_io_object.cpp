// cPanelIO: one panel's reader. StartThread opens the device and queues the
// object; its loop then runs on the object's own thread, reads 4-byte input
// reports with a bounded wait that a client's call ends early, lets the
// client's calls run once per pass and raises RawInput.
#include "relaybox/server/device_access.h"
#include "relaybox/server/objects.h"
#include "relaybox/server/start_queue.h"

#include <algorithm>

namespace orvex::relaybox::server {

namespace {

constexpr DISPID kRawInput = 1;
constexpr DISPID kReadFailed = 2;
constexpr uint32_t kReportSize = 4;

// HIDHandle tells the client a device is open; the device layer's handles
// are not the client's to use, so the value is a token unique in the server.
long NextDeviceToken() {
    static LONG token = 0;
    return ::InterlockedIncrement(&token);
}

class PanelIOObject final : public ThreadedEventObject<PanelIOObject, IcPanelIO> {
public:
    PanelIOObject() : ThreadedEventObject(IID_IcPanelIO, DIID_DcPanelIOEvents) {}

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

    HRESULT STDMETHODCALLTYPE StartThread() override {
        stopRequested_ = false;
        // A start that is queued but not yet running counts as started, so
        // two quick calls do not run the loop twice.
        if (running_ || queued_)
            return RaiseError(IID_IcPanelIO, kErrAlreadyStarted, ErrorProcedure(kErrAlreadyStarted),
                              ErrorDescription(kErrAlreadyStarted));
        queued_ = true;
        // The device is opened now, before the call returns: input the
        // panel sends from here on waits in the handle's buffer for the
        // loop, which starts a little later on this thread. A client that
        // reads the panel's positions next, or a user who turns a knob the
        // moment the panel is back, loses nothing. A device that cannot be
        // opened is tried once more by the loop, which then tells the client.
        opened_ = Devices().Open(com::Bstr::ToString(path_.c_str()), true);
        StartObject(&runnable_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE StopThread() override {
        stopRequested_ = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ProcessID(LONG* value) override {
        return Get(value, static_cast<LONG>(::GetCurrentProcessId()));
    }

    // Runnable
    HRESULT RunnableStart() override {
        queued_ = false;
        ApplyLoopPriority(priority_, affinity_, AutomaticReaderAffinity);

        running_ = true;
        std::unique_ptr<hid::IHidDevice> device = std::move(opened_);
        if (!device) device = Devices().Open(com::Bstr::ToString(path_.c_str()), true);
        if (!device) {
            // Nothing to read from: the loop ends at once, and the client
            // hears of it (StartThread has already returned).
            hidHandle_ = 0;
            running_ = false;
            RaiseReadFailed();
            return ReadThreadError();
        }
        hidHandle_ = NextDeviceToken();

        uint8_t report[kReportSize] = {};
        bool failed = false;
        while (!stopRequested_) {
            const uint32_t wait = static_cast<uint32_t>(std::max<LONG>(hiddTimeout_, 0));
            // Waits at most the time-out; a client's call (StopThread, a
            // property, the release) ends the wait early, so that it is
            // served at once and the client's thread, which waits for it,
            // is not held up to a whole time-out. A failed read means the
            // device is gone (unplugged, or it lost power): its handle never
            // reads again, so the loop ends and tells the client, which
            // opens the device anew when it is back.
            const hid::ReadStatus status = device->ReadReportOrMessage(report, kReportSize, wait);
            // The thread is asked to end (the server ends, or the thread is
            // ended from outside): the loop returns at once, and the client
            // hears ReadFailed as the thread ends (TellThreadEnding).
            if (PumpPendingMessages(stopRequested_)) break;
            if (status == hid::ReadStatus::Report) RaiseRawInput(report);
            if (status == hid::ReadStatus::Failed && !stopRequested_) {
                failed = true;
                break;
            }
            // The client was killed (its report could not be delivered):
            // nobody will stop this loop, so it ends by itself and lets its
            // object go. An idle panel's loop is not asked about its client:
            // a call into a client that is releasing the reader may not be
            // answered until its own call to this thread returns.
            if (events_.ListenersGone()) break;
        }
        device.reset();
        running_ = false;
        if (failed) {
            hidHandle_ = 0;
            RaiseReadFailed();
        }
        return S_OK;
    }

protected:
    // The reader will never read again: for its client that is a reader
    // that failed, and it connects the panel anew.
    void TellThreadEnding() override { RaiseReadFailed(); }

private:
    static HRESULT ReadThreadError() {
        return RaiseError(IID_Runnable, kErrReadThread, ErrorProcedure(kErrReadThread),
                          ErrorDescription(kErrReadThread));
    }

    void RaiseReadFailed() {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        events_.Fire(kReadFailed, none);
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

    std::wstring path_;
    std::unique_ptr<hid::IHidDevice> opened_;  // by StartThread, for the loop
    LONG hiddTimeout_ = 3000;
    LONG hidHandle_ = 0;
};

} // namespace

HRESULT CreatePanelIOObject(const IID& iid, void** out) { return CreateAndQuery<PanelIOObject>(iid, out); }

} // namespace orvex::relaybox::server
