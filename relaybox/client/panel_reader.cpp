#include "relaybox/client/panel_reader.h"

#include "relaybox/client/relaybox_client.h"
#include "relaybox/relaybox_errors.h"

#include <memory>
#include <utility>

namespace orvex::relaybox {

namespace {
constexpr DISPID kRawInputDispid = 1;
constexpr DISPID kReadFailedDispid = 2;
} // namespace

// Receives the reader's RawInput events (marshalled by COM onto the
// starting thread) and hands them on while it is attached.
class PanelReader::Sink final : public IDispatch {
public:
    Sink(ReportHandler handler, FailureHandler failure)
        : handler_(std::move(handler)), failure_(std::move(failure)) {}
    void Detach() noexcept { attached_ = false; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IDispatch) ||
            ::IsEqualIID(riid, DIID_DcPanelIOEvents)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) std::unique_ptr<Sink> self(this);
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (id == kReadFailedDispid) {
            try {
                if (attached_ && failure_) failure_();
            } catch (...) {
                // Nothing may cross back into COM.
            }
            return S_OK;
        }
        if (id != kRawInputDispid) return DISP_E_MEMBERNOTFOUND;
        if (!params || params->cArgs != 4 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
        std::array<std::uint8_t, 4> report{};
        for (UINT i = 0; i < 4; ++i) {
            const VARIANTARG& a = params->rgvarg[3 - i];  // arguments travel last to first
            if (a.vt == (VT_BYREF | VT_UI1) && a.pbVal) report[i] = *a.pbVal;
            else if (a.vt == VT_UI1) report[i] = a.bVal;
            else return DISP_E_TYPEMISMATCH;
        }
        try {
            if (attached_ && handler_) handler_(report);
        } catch (...) {
            // Nothing may cross back into COM; the report is lost.
        }
        return S_OK;
    }

private:
    ReportHandler handler_;
    FailureHandler failure_;
    bool attached_ = true;
    LONG refs_ = 1;
};

PanelReader::PanelReader() = default;

PanelReader::~PanelReader() { Stop(); }

bool PanelReader::Start(const std::string& path, long timeoutMs, ReportHandler onReport, std::string& error,
                        const std::optional<LoopPriority>& priority) {
    error.clear();
    if (reader_) Stop();

    com::ComPtr<IcPanelIO> reader;
    const HRESULT created = CreateServerObject(CLSID_cPanelIO, IID_IcPanelIO, reader.PutVoid(), error);
    if (FAILED(created) || !reader) {
        if (error.empty()) error = ServerUnavailableText();
        return false;
    }
    auto fail = [&](HRESULT hr) {
        error = DescribeError(hr).description;
        if (error.empty()) error = "The panel's reader could not be started.";
        return false;
    };
    // The server's process id is learnt now, while the server certainly
    // answers: a server that ends before its reader is watched must still
    // be known as the one this reader belonged to.
    LONG processId = 0;
    HRESULT hr = reader->get_ProcessID(&processId);
    if (FAILED(hr) || processId == 0) return fail(FAILED(hr) ? hr : E_FAIL);
    if (priority) {
        reader->put_Priority(priority->Priority);
        reader->put_Affinity(priority->Affinity);
    }
    hr = reader->put_HiddTimeout(timeoutMs);
    if (FAILED(hr)) return fail(hr);
    com::Bstr bstrPath(path);
    hr = reader->put_DevicePathName(bstrPath.Get());
    if (FAILED(hr)) return fail(hr);

    com::ComPtr<IConnectionPointContainer> container;
    hr = reader->QueryInterface(IID_IConnectionPointContainer, container.PutVoid());
    if (FAILED(hr)) return fail(hr);
    com::ComPtr<IConnectionPoint> point;
    hr = container->FindConnectionPoint(DIID_DcPanelIOEvents, point.Put());
    if (FAILED(hr)) return fail(hr);
    auto sink = com::ComPtr<Sink>::Attach(std::make_unique<Sink>(std::move(onReport), onFailure_).release());
    DWORD cookie = 0;
    hr = point->Advise(sink.Get(), &cookie);
    if (FAILED(hr)) return fail(hr);
    reader_ = reader;
    eventPoint_ = point;
    eventCookie_ = cookie;
    sink_ = sink;
    serverProcessId_ = static_cast<unsigned long>(processId);
    hr = reader_->StartThread();
    if (FAILED(hr)) {
        Release();
        return fail(hr);
    }
    return true;
}

void PanelReader::Detach() noexcept {
    if (sink_) sink_->Detach();
}

void PanelReader::Stop(const std::function<void()>& pump) {
    if (!reader_) return;
    Detach();
    if (ServerEnding(reader_->StopThread())) {
        // The reader's thread or its whole server is gone: nothing there
        // answers any more, so nothing more is asked.
        Abandon();
        return;
    }
    if (pump) pump();
    Release();
}

unsigned long PanelReader::ServerProcessId() const { return reader_ ? serverProcessId_ : 0; }

void PanelReader::Abandon() noexcept {
    Detach();
    // The proxies go without a call to the server: it is gone.
    eventCookie_ = 0;
    eventPoint_.Reset();
    // The references the dead server held on the sink are dropped too.
    if (sink_) ::CoDisconnectObject(static_cast<IDispatch*>(sink_.Get()), 0);
    sink_.Reset();
    reader_.Reset();
    serverProcessId_ = 0;
}

void PanelReader::Release() noexcept {
    Detach();
    if (eventPoint_) eventPoint_->Unadvise(eventCookie_);
    eventPoint_.Reset();
    eventCookie_ = 0;
    sink_.Reset();
    reader_.Reset();
    serverProcessId_ = 0;
}

} // namespace orvex::relaybox
