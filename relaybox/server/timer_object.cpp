// cHighSpeedTimer: raises Timer every Interval milliseconds from its own
// thread while Enabled.
#include "relaybox/server/device_access.h"
#include "relaybox/server/objects.h"
#include "relaybox/server/start_queue.h"

#include <algorithm>

namespace orvex::relaybox::server {

namespace {

constexpr DISPID kTimer = 1;

class HighSpeedTimerObject final : public ThreadedEventObject<HighSpeedTimerObject, IcHighSpeedTimer> {
public:
    HighSpeedTimerObject() : ThreadedEventObject(IID_IcHighSpeedTimer, DIID_DcHighSpeedTimerEvents) {}

    HRESULT STDMETHODCALLTYPE get_Interval(SHORT* value) override { return Get(value, interval_); }
    HRESULT STDMETHODCALLTYPE put_Interval(SHORT value) override { return Put(interval_, value); }
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

    HRESULT RunnableStart() override {
        queued_ = false;
        ApplyLoopPriority(priority_, affinity_, AutomaticTimerAffinity);

        running_ = true;
        while (!stopRequested_) {
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            events_.Fire(kTimer, none);
            if (events_.ListenersGone()) break;  // the client was killed
            // The sleep lets the client's calls (Enabled false) run.
            if (WaitLettingMessagesRun(static_cast<unsigned long>(std::max<SHORT>(interval_, 0)), stopRequested_))
                break;  // the thread is asked to end
        }
        running_ = false;
        stopRequested_ = false;
        return S_OK;
    }

private:
    SHORT interval_ = 1000;
};

} // namespace

HRESULT CreateHighSpeedTimerObject(const IID& iid, void** out) {
    return CreateAndQuery<HighSpeedTimerObject>(iid, out);
}

} // namespace orvex::relaybox::server
