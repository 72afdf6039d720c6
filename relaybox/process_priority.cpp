#include "relaybox/process_priority.h"

#include "common/win32/handles.h"

#include <windows.h>

namespace orvex::process {

namespace {
constexpr DWORD kQueryAndSet = PROCESS_QUERY_INFORMATION | PROCESS_SET_INFORMATION;  // 0x600
constexpr DWORD kQueryOnly = PROCESS_QUERY_INFORMATION;                              // 0x400
} // namespace

uint32_t SetProcessPriority(uint32_t processId, uintptr_t window, uint32_t priorityClass) {
    DWORD pid = processId;
    if (pid == 0) {
        if (window != 0)
            ::GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &pid);
        else
            pid = ::GetCurrentProcessId();
    }
    win32::UniqueHandle process(::OpenProcess(kQueryAndSet, FALSE, pid));
    if (process)
        ::SetPriorityClass(process.get(), priorityClass);
    else
        process.reset(::OpenProcess(kQueryOnly, FALSE, pid));
    if (!process) return 0;
    return ::GetPriorityClass(process.get());
}

uint64_t CurrentProcessAffinity() {
    DWORD_PTR processMask = 0, systemMask = 0;
    if (!::GetProcessAffinityMask(::GetCurrentProcess(), &processMask, &systemMask)) return 0;
    return processMask;
}

bool SetCurrentProcessAffinity(uint64_t mask) {
    return ::SetProcessAffinityMask(::GetCurrentProcess(), static_cast<DWORD_PTR>(mask)) != 0;
}

} // namespace orvex::process
