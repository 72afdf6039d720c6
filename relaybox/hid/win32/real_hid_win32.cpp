// Real HID devices through SetupAPI and hid.dll.
#include "relaybox/hid/hid_system.h"

#include "common/win32/handles.h"

#include <windows.h>
#include <setupapi.h>
// mingw-w64's HID headers declare C functions without C linkage.
extern "C" {
// clang-format off
#include <hidsdi.h>
#include <hidpi.h>
// clang-format on
}

#include <algorithm>
#include <cstring>

namespace orvex::hid {

namespace {

// The messages that end a read's wait early: posted and sent ones (COM
// delivers a client's calls so); timers do not.
constexpr DWORD kWakeMessages = QS_POSTMESSAGE | QS_SENDMESSAGE;

using win32::UniqueFile;
using win32::UniqueHandle;

// Inheritable handles, as the device handles of both programs are.
SECURITY_ATTRIBUTES InheritableAttributes() {
    SECURITY_ATTRIBUTES sa{};
    sa.nLength = sizeof(SECURITY_ATTRIBUTES);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;
    return sa;
}

struct DeviceInfoList {
    HDEVINFO set;
    explicit DeviceInfoList(HDEVINFO s) : set(s) {}
    DeviceInfoList(const DeviceInfoList&) = delete;
    DeviceInfoList& operator=(const DeviceInfoList&) = delete;
    ~DeviceInfoList() {
        if (set != INVALID_HANDLE_VALUE) ::SetupDiDestroyDeviceInfoList(set);
    }
};

struct PreparsedData {
    PHIDP_PREPARSED_DATA data = nullptr;
    PreparsedData() = default;
    PreparsedData(const PreparsedData&) = delete;
    PreparsedData& operator=(const PreparsedData&) = delete;
    ~PreparsedData() {
        if (data) ::HidD_FreePreparsedData(data);
    }
};

class RealHidDevice final : public IHidDevice {
public:
    RealHidDevice(UniqueFile file, bool overlapped) : file_(std::move(file)), overlapped_(overlapped) {
        if (overlapped_) {
            SECURITY_ATTRIBUTES sa = InheritableAttributes();
            event_.reset(::CreateEventA(&sa, TRUE, TRUE, nullptr));
        }
    }

    bool GetAttributes(HidAttributes& attributes) override {
        HIDD_ATTRIBUTES a{};
        a.Size = sizeof(HIDD_ATTRIBUTES);
        if (!::HidD_GetAttributes(file_.get(), &a)) return false;
        attributes = {a.VendorID, a.ProductID, a.VersionNumber};
        return true;
    }

    bool GetCaps(HidCaps& caps) override {
        PreparsedData preparsed;
        if (!::HidD_GetPreparsedData(file_.get(), &preparsed.data)) return false;
        HIDP_CAPS c{};
        if (::HidP_GetCaps(preparsed.data, &c) != HIDP_STATUS_SUCCESS) return false;
        caps.Usage = c.Usage;
        caps.UsagePage = c.UsagePage;
        caps.InputReportByteLength = c.InputReportByteLength;
        caps.OutputReportByteLength = c.OutputReportByteLength;
        caps.FeatureReportByteLength = c.FeatureReportByteLength;
        std::copy(std::begin(c.Reserved), std::end(c.Reserved), std::begin(caps.Reserved));
        caps.NumberLinkCollectionNodes = c.NumberLinkCollectionNodes;
        caps.NumberInputButtonCaps = c.NumberInputButtonCaps;
        caps.NumberInputValueCaps = c.NumberInputValueCaps;
        caps.NumberInputDataIndices = c.NumberInputDataIndices;
        caps.NumberOutputButtonCaps = c.NumberOutputButtonCaps;
        caps.NumberOutputValueCaps = c.NumberOutputValueCaps;
        caps.NumberOutputDataIndices = c.NumberOutputDataIndices;
        caps.NumberFeatureButtonCaps = c.NumberFeatureButtonCaps;
        caps.NumberFeatureValueCaps = c.NumberFeatureValueCaps;
        caps.NumberFeatureDataIndices = c.NumberFeatureDataIndices;
        return true;
    }

    ReadStatus ReadReport(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override {
        return Read(buffer, size, timeoutMs, false);
    }
    ReadStatus ReadReportOrMessage(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override {
        return Read(buffer, size, timeoutMs, true);
    }

    bool SetFeature(const uint8_t* report, uint32_t size) override {
        return ::HidD_SetFeature(file_.get(), const_cast<uint8_t*>(report), size) != FALSE;
    }

    bool GetFeature(uint8_t* report, uint32_t size) override {
        return ::HidD_GetFeature(file_.get(), report, size) != FALSE;
    }

private:
    ReadStatus Read(uint8_t* buffer, uint32_t size, uint32_t timeoutMs, bool wakeOnMessage) {
        if (!overlapped_) {
            DWORD got = 0;
            if (::ReadFile(file_.get(), buffer, size, &got, nullptr)) return ReadStatus::Report;
            ::Sleep(timeoutMs);
            return ReadStatus::Failed;
        }
        if (!event_) {
            ::Sleep(timeoutMs);
            return ReadStatus::Failed;
        }
        OVERLAPPED ov{};
        ov.hEvent = event_.get();
        ::ResetEvent(event_.get());
        DWORD got = 0;
        if (!::ReadFile(file_.get(), buffer, size, nullptr, &ov) && ::GetLastError() != ERROR_IO_PENDING) {
            ::Sleep(timeoutMs);  // the device is gone: pace the caller's loop
            return ReadStatus::Failed;
        }
        HANDLE event = event_.get();
        const DWORD wait = wakeOnMessage ? ::MsgWaitForMultipleObjectsEx(1, &event, timeoutMs, kWakeMessages,
                                                                        MWMO_INPUTAVAILABLE)
                                         : ::WaitForSingleObject(event, timeoutMs);
        if (wait == WAIT_OBJECT_0)
            return ::GetOverlappedResult(file_.get(), &ov, &got, FALSE) ? ReadStatus::Report : ReadStatus::Failed;
        // Cancel and wait until the read has really ended: the buffer must not
        // be written after this call returns. A report that slipped in wins.
        ::CancelIo(file_.get());
        const BOOL done = ::GetOverlappedResult(file_.get(), &ov, &got, TRUE);
        if (done) return ReadStatus::Report;
        return wait == WAIT_TIMEOUT || wait == WAIT_OBJECT_0 + 1 ? ReadStatus::Timeout : ReadStatus::Failed;
    }

    UniqueFile file_;
    bool overlapped_;
    UniqueHandle event_;
};

class RealHidSystem final : public IHidSystem {
public:
    std::vector<std::string> EnumerateInterfacePaths() override {
        std::vector<std::string> paths;
        GUID hidGuid{};
        ::HidD_GetHidGuid(&hidGuid);
        DeviceInfoList list(::SetupDiGetClassDevsA(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
        if (list.set == INVALID_HANDLE_VALUE) return paths;
        for (DWORD index = 0;; ++index) {
            SP_DEVICE_INTERFACE_DATA data{};
            data.cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
            if (!::SetupDiEnumDeviceInterfaces(list.set, nullptr, &hidGuid, index, &data)) break;
            DWORD required = 0;
            ::SetupDiGetDeviceInterfaceDetailA(list.set, &data, nullptr, 0, &required, nullptr);
            if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) continue;
            // Storage aligned for the record; its size field is the record's
            // own size on this platform, not the length of the buffer.
            std::vector<uint64_t> storage((required + sizeof(uint64_t) - 1) / sizeof(uint64_t) + 1);
            auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
            detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
            if (!::SetupDiGetDeviceInterfaceDetailA(list.set, &data, detail, required, nullptr, nullptr)) continue;
            const char* text = detail->DevicePath;
            const size_t room = required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
            paths.emplace_back(text, strnlen(text, room));
        }
        return paths;
    }

    std::unique_ptr<IHidDevice> Open(const std::string& path, bool overlapped) override {
        SECURITY_ATTRIBUTES sa = InheritableAttributes();
        UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      &sa, OPEN_EXISTING, overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr));
        if (!file) return nullptr;
        return std::make_unique<RealHidDevice>(std::move(file), overlapped);
    }
};

} // namespace

std::unique_ptr<IHidSystem> MakeRealHidSystem() { return std::make_unique<RealHidSystem>(); }

} // namespace orvex::hid
