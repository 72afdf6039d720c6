#include "tools/simstandin/pipe_client_win32.h"

#include "common/win32/handles.h"

#include <windows.h>

#include <algorithm>

namespace orvex::simstandin {

using win32::UniqueFile;
using win32::UniqueHandle;

namespace {

constexpr size_t kMaxReply = 16 * 1024 * 1024;

DWORD Remaining(ULONGLONG deadline) {
    const ULONGLONG now = ::GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

// Overlapped read or write with a deadline. On time-out the operation is
// cancelled and completed before returning, so the buffer is free again.
bool Transfer(HANDLE pipe, HANDLE event, bool write, void* buffer, DWORD size, ULONGLONG deadline, DWORD& done,
              DWORD& error) {
    OVERLAPPED ov{};
    ov.hEvent = event;
    ::ResetEvent(event);
    done = 0;
    const BOOL ok = write ? ::WriteFile(pipe, buffer, size, nullptr, &ov) : ::ReadFile(pipe, buffer, size, nullptr, &ov);
    error = ok ? ERROR_SUCCESS : ::GetLastError();
    if (!ok && error == ERROR_IO_PENDING) {
        if (::WaitForSingleObject(event, Remaining(deadline)) != WAIT_OBJECT_0) {
            ::CancelIo(pipe);
            ::GetOverlappedResult(pipe, &ov, &done, TRUE);
            error = WAIT_TIMEOUT;
            return false;
        }
        error = ERROR_SUCCESS;
    } else if (!ok && error != ERROR_MORE_DATA) {
        return false;
    }
    if (!::GetOverlappedResult(pipe, &ov, &done, FALSE)) {
        error = ::GetLastError();
        return error == ERROR_MORE_DATA;
    }
    return true;
}

}  // namespace

std::string PipePath(const std::string& name) {
    if (name.empty()) return kDefaultPipeName;
    if (name.rfind("\\\\.\\pipe\\", 0) == 0) return name;
    return "\\\\.\\pipe\\" + name;
}

bool PipeRequest(const std::string& pipePath, const std::string& line, uint32_t timeoutMs, std::string& reply,
                 std::string& error) {
    reply.clear();
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    // Between two clients the server may have no listening instance for a
    // moment (Wine then reports the pipe as missing): a missing pipe is
    // tried again for a short while, a busy one until the deadline.
    const ULONGLONG missingDeadline = ::GetTickCount64() + std::min<uint32_t>(timeoutMs, 1000);
    UniqueFile pipe;
    while (true) {
        pipe.reset(::CreateFileA(pipePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr));
        if (pipe) break;
        const DWORD e = ::GetLastError();
        if (e == ERROR_PIPE_BUSY && Remaining(deadline) > 0) {
            ::WaitNamedPipeA(pipePath.c_str(), std::min<DWORD>(100, Remaining(deadline)));
        } else if (e == ERROR_FILE_NOT_FOUND && Remaining(missingDeadline) > 0) {
            ::Sleep(10);
        } else {
            error = e == ERROR_PIPE_BUSY ? "the stand-in is busy" : "no stand-in answers on " + pipePath;
            return false;
        }
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!::SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr)) {
        error = "cannot set the pipe's message mode";
        return false;
    }
    UniqueHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event) {
        error = "cannot create an event";
        return false;
    }
    std::string request = line;
    DWORD done = 0;
    DWORD e = 0;
    if (!Transfer(pipe.get(), event.get(), true, request.data(), static_cast<DWORD>(request.size()), deadline, done,
                  e)) {
        error = e == WAIT_TIMEOUT ? "timed out sending" : "the pipe broke while sending";
        return false;
    }
    // The reply is one message, read in pieces when it is long.
    std::string buffer(64 * 1024, '\0');
    while (true) {
        const bool ok = Transfer(pipe.get(), event.get(), false, buffer.data(), static_cast<DWORD>(buffer.size()),
                                 deadline, done, e);
        if (!ok) {
            error = e == WAIT_TIMEOUT ? "no reply in time" : "the pipe broke while receiving";
            return false;
        }
        reply.append(buffer.data(), done);
        if (e != ERROR_MORE_DATA) break;
        if (reply.size() > kMaxReply) {
            error = "reply too long";
            return false;
        }
    }
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) reply.pop_back();
    return true;
}

}  // namespace orvex::simstandin
