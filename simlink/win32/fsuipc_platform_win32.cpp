#include "simlink/win32/fsuipc_platform_win32.h"

#include <windows.h>
#include <sddl.h>

namespace orvex::simlink {

NativeHandle Win32LinkPlatform::FindTopLevelWindow(const char* className) {
    return reinterpret_cast<NativeHandle>(::FindWindowExA(nullptr, nullptr, className, nullptr));
}

uint32_t Win32LinkPlatform::RegisterMessage(const char* name) { return ::RegisterWindowMessageA(name); }

uint32_t Win32LinkPlatform::CurrentProcessId() { return ::GetCurrentProcessId(); }

uint16_t Win32LinkPlatform::AddGlobalAtom(const char* name) { return ::GlobalAddAtomA(name); }

void Win32LinkPlatform::DeleteGlobalAtom(uint16_t atom) { ::GlobalDeleteAtom(atom); }

NativeHandle Win32LinkPlatform::CreateMapping(const char* name, uint32_t size, bool& alreadyExisted) {
    // The explicit descriptor; without one (should the text not convert)
    // the default list, as before.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ::ConvertStringSecurityDescriptorToSecurityDescriptorA(kBlockSecurity, SDDL_REVISION_1, &descriptor, nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    ::SetLastError(0);
    HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, descriptor ? &attributes : nullptr, PAGE_READWRITE,
                                          0, size, name);
    const DWORD error = ::GetLastError();
    if (descriptor) ::LocalFree(descriptor);
    ::SetLastError(error);
    alreadyExisted = mapping != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
    return reinterpret_cast<NativeHandle>(mapping);
}

void* Win32LinkPlatform::MapView(NativeHandle mapping) {
    return ::MapViewOfFile(reinterpret_cast<HANDLE>(mapping), FILE_MAP_WRITE, 0, 0, 0);
}

void Win32LinkPlatform::UnmapView(void* view) { ::UnmapViewOfFile(view); }

void Win32LinkPlatform::CloseMapping(NativeHandle mapping) { ::CloseHandle(reinterpret_cast<HANDLE>(mapping)); }

bool Win32LinkPlatform::SendBlocking(NativeHandle window, uint32_t message, uintptr_t wParam,
                                     uint32_t timeoutMs, uintptr_t& answer, uint32_t& lastError) {
    DWORD_PTR reply = 0;
    ::SetLastError(0);
    const LRESULT sent = ::SendMessageTimeoutA(reinterpret_cast<HWND>(window), message, wParam, 0,
                                               SMTO_BLOCK, timeoutMs, &reply);
    if (sent == 0) {
        lastError = ::GetLastError();
        return false;
    }
    answer = reply;
    lastError = 0;
    return true;
}

void Win32LinkPlatform::Sleep(uint32_t ms) { ::Sleep(ms); }

} // namespace orvex::simlink
