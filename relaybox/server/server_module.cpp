#include "relaybox/server/server_module.h"

#include "common/win32/process_util.h"
#include "relaybox/relaybox_errors.h"

#include <objbase.h>

#include <array>
#include <atomic>

namespace orvex::relaybox::server {

namespace {

DWORD g_mainThread = 0;
std::atomic<long> g_shares{0};
com::ComPtr<ITypeLib> g_typeLib;

struct CachedInfo {
    IID iid;
    com::ComPtr<ITypeInfo> info;
};
std::array<CachedInfo, 8> g_infos{};
size_t g_infoCount = 0;

} // namespace

HRESULT LoadServerTypeLib() {
    if (g_typeLib) return S_OK;
    std::wstring path = com::Wide(win32::ExecutablePath());
    HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, g_typeLib.Put());
    if (FAILED(hr)) return hr;
    UINT count = g_typeLib->GetTypeInfoCount();
    for (UINT i = 0; i < count && g_infoCount < g_infos.size(); ++i) {
        com::ComPtr<ITypeInfo> info;
        if (FAILED(g_typeLib->GetTypeInfo(i, info.Put()))) continue;
        TYPEATTR* attr = nullptr;
        if (FAILED(info->GetTypeAttr(&attr))) continue;
        const bool isInterface = attr->typekind == TKIND_INTERFACE || attr->typekind == TKIND_DISPATCH;
        const IID iid = attr->guid;
        const bool dual = (attr->wTypeFlags & TYPEFLAG_FDUAL) != 0;
        info->ReleaseTypeAttr(attr);
        if (!isInterface) continue;
        // DispInvoke needs the vtable side of a dual interface.
        if (dual) {
            HREFTYPE ref = 0;
            com::ComPtr<ITypeInfo> vtable;
            if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
                SUCCEEDED(info->GetRefTypeInfo(ref, vtable.Put())))
                info = vtable;
        }
        g_infos[g_infoCount++] = CachedInfo{iid, info};
    }
    return S_OK;
}

void ReleaseServerTypeLib() {
    for (auto& c : g_infos) c.info.Reset();
    g_infoCount = 0;
    g_typeLib.Reset();
}

ITypeLib* ServerTypeLib() { return g_typeLib.Get(); }

ITypeInfo* ServerTypeInfo(const IID& iid) {
    for (size_t i = 0; i < g_infoCount; ++i)
        if (::IsEqualGUID(g_infos[i].iid, iid)) return g_infos[i].info.Get();
    return nullptr;
}

const std::string& ExecutableName() {
    static const std::string name = win32::ExecutableStem();
    return name;
}

void SetMainThread(DWORD threadId) { g_mainThread = threadId; }

void ServerAddRef() {
    ++g_shares;
    ::CoAddRefServerProcess();
}

void ServerRelease() {
    --g_shares;
    if (::CoReleaseServerProcess() == 0 && g_mainThread != 0)
        ::PostThreadMessageA(g_mainThread, WM_QUIT, 0, 0);
}

bool ServerUnused() { return g_shares.load() <= 0; }

HRESULT RaiseError(const IID& iid, long number, const std::string& procedure,
                   const std::string& description) {
    const HRESULT hr = static_cast<HRESULT>(ErrorHresult(number));
    com::ComPtr<ICreateErrorInfo> create;
    if (FAILED(::CreateErrorInfo(create.Put()))) return hr;
    const std::wstring source = com::Wide(ExecutableName() + "." + procedure);
    const std::wstring text = com::Wide(description);
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(source.c_str()));
    create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    com::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(IID_IErrorInfo, info))) ::SetErrorInfo(0, info.Get());
    return hr;
}

} // namespace orvex::relaybox::server
