// cHidD: finds the panels of one vendor and product, hands out their paths
// and reads a device's HID capabilities.
#include "relaybox/server/device_access.h"
#include "relaybox/server/objects.h"

namespace orvex::relaybox::server {

namespace {

class HidDObject final : public AutomationObject<HidDObject, IcHidD> {
public:
    HidDObject() : AutomationObject(IID_IcHidD) {}

    HRESULT STDMETHODCALLTYPE Scan(LONG vendorId, LONG productId, SHORT* count) override {
        if (!count) return E_POINTER;
        *count = static_cast<SHORT>(
            ScanDevices(static_cast<uint32_t>(vendorId), static_cast<uint32_t>(productId), paths_));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetCapabilities(VARIANT devicePathName, VARIANT_BOOL* read) override {
        if (!read) return E_POINTER;
        *read = VARIANT_FALSE;
        com::Variant text;
        if (FAILED(::VariantChangeType(&text, &devicePathName, 0, VT_BSTR)))
            return RaiseError(IID_IcHidD, kErrTypeMismatch, "cHidD.GetCapabilities",
                              ErrorDescription(kErrTypeMismatch));
        // The previous capabilities stay unless the new ones could be read.
        if (ReadCapabilities(com::Bstr::ToString(text.Get().bstrVal), caps_)) *read = VARIANT_TRUE;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDevicePathName(SHORT* index, BSTR* path) override {
        if (!index || !path) return E_POINTER;
        *path = nullptr;
        if (*index < 1 || *index > kMaxPaths)
            return RaiseError(IID_IcHidD, kErrSubscriptOutOfRange, "cHidD.GetDevicePathName",
                              ErrorDescription(kErrSubscriptOutOfRange));
        *path = com::Bstr::Make(paths_[static_cast<size_t>(*index - 1)]);
        if (!*path) *path = ::SysAllocString(L"");
        return S_OK;
    }

#define RELAYBOX_CAPS_MEMBER(Name)                                             \
    HRESULT STDMETHODCALLTYPE Caps##Name(SHORT* value) override {              \
        if (!value) return E_POINTER;                                          \
        *value = static_cast<SHORT>(caps_.Name);                               \
        return S_OK;                                                           \
    }
    RELAYBOX_CAPS_MEMBER(Usage)
    RELAYBOX_CAPS_MEMBER(UsagePage)
    RELAYBOX_CAPS_MEMBER(InputReportByteLength)
    RELAYBOX_CAPS_MEMBER(OutputReportByteLength)
    RELAYBOX_CAPS_MEMBER(FeatureReportByteLength)
    RELAYBOX_CAPS_MEMBER(NumberLinkCollectionNodes)
    RELAYBOX_CAPS_MEMBER(NumberInputButtonCaps)
    RELAYBOX_CAPS_MEMBER(NumberInputValueCaps)
    RELAYBOX_CAPS_MEMBER(NumberInputDataIndices)
    RELAYBOX_CAPS_MEMBER(NumberOutputButtonCaps)
    RELAYBOX_CAPS_MEMBER(NumberOutputValueCaps)
    RELAYBOX_CAPS_MEMBER(NumberOutputDataIndices)
    RELAYBOX_CAPS_MEMBER(NumberFeatureButtonCaps)
    RELAYBOX_CAPS_MEMBER(NumberFeatureValueCaps)
    RELAYBOX_CAPS_MEMBER(NumberFeatureDataIndices)
#undef RELAYBOX_CAPS_MEMBER

private:
    PathTable paths_{};
    hid::HidCaps caps_{};
};

} // namespace

HRESULT CreateHidDObject(const IID& iid, void** out) { return CreateAndQuery<HidDObject>(iid, out); }

} // namespace orvex::relaybox::server
